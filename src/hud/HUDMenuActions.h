#pragma once

#include <functional>

namespace plovane {

// What the HUD's right-click menu can ask of the application, one callback per item,
// handed to the HUD when it is made. An item whose callback is empty does nothing.
// A new menu item is a member here and one line in contextMenuEntries().
struct HUDMenuActions {
    std::function<void()> triggerSurface;
    std::function<void()> openDrainSettings;
    std::function<void()> toggleChaos;
    std::function<void()> toggleCompact;
    std::function<void()> toggleKnockHint;
    std::function<void()> toggleLanguage;
    std::function<void()> openDailyReport;
    // Left empty, the HUD ends the event loop.
    std::function<void()> quit;
};

} // namespace plovane
