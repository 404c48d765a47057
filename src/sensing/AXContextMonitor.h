#pragma once

#include "sensing/AXContextSnapshot.h"

#include <string>

namespace plovane {

class AccessibilitySource;

// Reads the focus context of the frontmost application through the accessibility layer.
// Never prompts for access; holds nothing between calls.
class AXContextMonitor {
public:
    explicit AXContextMonitor(AccessibilitySource& source) : source_(source) {}
    virtual ~AXContextMonitor() = default;

    // `bundleID` only labels the descriptor; the tree is reached through the focused
    // application. Untrusted or no focused application gives unavailable().
    virtual AXContextSnapshot snapshot(const std::string& bundleID);

private:
    AccessibilitySource& source_;
};

} // namespace plovane
