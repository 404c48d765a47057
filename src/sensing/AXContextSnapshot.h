#pragma once

#include <string>

namespace plovane {

// What holds the keyboard focus in the frontmost application.
struct AXContextSnapshot {
    std::string windowTitle{};
    std::string focusedRole{};
    std::string focusedLabel{};
    std::string selectedText{};
    std::string inputFieldHint{};
    // "bundle=<id>|window=<title>|role=<role>|label=<hint>", values unescaped.
    std::string lastInputFieldDescriptor{};
    bool accessibilityTrusted{false};

    // Every string empty, not trusted: what an unreadable focus context reads as.
    static const AXContextSnapshot& unavailable();
};

} // namespace plovane
