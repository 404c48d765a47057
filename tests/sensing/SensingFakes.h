#pragma once

#include "platform/AccessibilitySource.h"
#include "platform/InputIdleSource.h"
#include "platform/Workspace.h"
#include "testing/FakeDesktop.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plovane::test {

using plovane::FakeIdleSource;
using plovane::FakeWorkspace;

// An element answering from a table; attributes missing from it read as absent.
class FakeElement : public AccessibleElement {
public:
    std::map<std::string, std::string, std::less<>> attributes;
    mutable std::vector<std::string> reads;

    std::optional<std::string> stringAttribute(std::string_view name) const override
    {
        reads.emplace_back(name);
        auto it = attributes.find(name);
        if (it == attributes.end())
            return std::nullopt;
        return it->second;
    }
};

class FakeApplication : public AccessibleApplication {
public:
    std::shared_ptr<FakeElement> window;
    std::shared_ptr<FakeElement> element;
    std::shared_ptr<AccessibleElement> focusedWindow() override { return window; }
    std::shared_ptr<AccessibleElement> focusedElement() override { return element; }
};

class FakeAccessibility : public AccessibilitySource {
public:
    bool trusted{true};
    std::shared_ptr<FakeApplication> app{std::make_shared<FakeApplication>()};
    int appReads{0};

    bool isTrusted() override { return trusted; }
    std::shared_ptr<AccessibleApplication> focusedApplication() override
    {
        ++appReads;
        return app;
    }

    // Puts a focused element with the given attributes in a window titled `title`.
    FakeElement& focus(std::map<std::string, std::string, std::less<>> attributes, std::string title = "Main")
    {
        app->window = std::make_shared<FakeElement>();
        app->window->attributes["AXTitle"] = std::move(title);
        app->element = std::make_shared<FakeElement>();
        app->element->attributes = std::move(attributes);
        return *app->element;
    }
};

} // namespace plovane::test
