#pragma once

#include "platform/Signal.h"

#include <memory>
#include <vector>

namespace plovane {

// Whether anyone can see the screen: nobody can while the screen saver runs or the
// display is off, nor while the session is locked. Changes are announced on the main
// thread.
class ScreenWatch {
public:
    virtual ~ScreenWatch() = default;
    // False while the screen is blanked, off or locked; true when that is not known.
    virtual bool screenSeen() const = 0;
    // After screenSeen() changed.
    Signal<> changed;
};

// A desktop that tells nothing: the screen counts as seen.
class NullScreenWatch final : public ScreenWatch {
public:
    bool screenSeen() const override { return true; }
};

// Several watches as one: the screen is seen while every one of them says so.
class CombinedScreenWatch final : public ScreenWatch {
public:
    explicit CombinedScreenWatch(std::vector<std::unique_ptr<ScreenWatch>> watches) : watches_(std::move(watches))
    {
        seen_ = evaluate();
        for (auto& watch : watches_)
            connections_.push_back(watch->changed.connect([this] {
                const bool seen = evaluate();
                if (seen == seen_)
                    return;
                seen_ = seen;
                changed.emit();
            }));
    }
    bool screenSeen() const override { return seen_; }

private:
    bool evaluate() const
    {
        for (const auto& watch : watches_)
            if (!watch->screenSeen())
                return false;
        return true;
    }

    std::vector<std::unique_ptr<ScreenWatch>> watches_;
    std::vector<Connection> connections_;
    bool seen_{true};
};

} // namespace plovane
