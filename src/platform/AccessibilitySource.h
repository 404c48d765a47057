#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace plovane {

// Attribute names an accessible element answers to. The platform layer maps its own
// roles and properties onto these, so the readers above it stay platform-neutral.
namespace ax {
inline constexpr std::string_view kTitle = "AXTitle";
inline constexpr std::string_view kRole = "AXRole";
inline constexpr std::string_view kDescription = "AXDescription";
inline constexpr std::string_view kPlaceholderValue = "AXPlaceholderValue";
inline constexpr std::string_view kHelp = "AXHelp";
inline constexpr std::string_view kSelectedText = "AXSelectedText";
inline constexpr std::string_view kValue = "AXValue";

// Roles of the two kinds of text input.
inline constexpr std::string_view kRoleTextField = "AXTextField";
inline constexpr std::string_view kRoleTextArea = "AXTextArea";
} // namespace ax

// One node of the accessibility tree of another application.
class AccessibleElement {
public:
    virtual ~AccessibleElement() = default;
    // The attribute as text; nothing when the element lacks it, the read fails or the
    // value is not text (a number, a boolean, another element). Empty text is a value.
    virtual std::optional<std::string> stringAttribute(std::string_view name) const = 0;
};

// The focused application of the desktop, as the accessibility layer sees it.
class AccessibleApplication {
public:
    virtual ~AccessibleApplication() = default;
    // The window holding keyboard focus; null when there is none or it cannot be read.
    virtual std::shared_ptr<AccessibleElement> focusedWindow() = 0;
    // The element holding keyboard focus; null when there is none or it cannot be read.
    virtual std::shared_ptr<AccessibleElement> focusedElement() = 0;
};

// Entry point to the desktop's accessibility layer.
class AccessibilitySource {
public:
    virtual ~AccessibilitySource() = default;
    // Whether this process may read other applications' accessibility trees; false when
    // the status cannot be read.
    virtual bool isTrusted() = 0;
    // The application holding keyboard focus; null when none is known or the layer is
    // unreachable.
    virtual std::shared_ptr<AccessibleApplication> focusedApplication() = 0;
};

// A desktop without an accessibility bus: never trusted, nothing focused.
class NullAccessibilitySource final : public AccessibilitySource {
public:
    bool isTrusted() override { return false; }
    std::shared_ptr<AccessibleApplication> focusedApplication() override { return nullptr; }
};

} // namespace plovane
