#pragma once

namespace plovane {

// What the HUD's right-click menu asks of the application (the application delegate
// carries it out). Installed once by the app; with none installed the menu still opens
// and its items do nothing.
class HUDActions {
public:
    virtual ~HUDActions() = default;
    virtual void menuTriggerSurface() = 0;
    virtual void openDrainSettings() = 0;
    virtual void menuToggleChaos() = 0;
    virtual void menuToggleCompact() = 0;
    virtual void menuToggleKnockHint() = 0;
    virtual void menuToggleLanguage() = 0;
    virtual void openDailyReport() = 0;

    // The process-wide delegate the menu sends to (null when none is installed).
    static HUDActions* delegate();
    static void setDelegate(HUDActions* actions);
};

} // namespace plovane
