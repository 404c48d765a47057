#pragma once

#include "app/AppServices.h"
#include "platform/Scheduler.h"
#include "settings/AppSettings.h"

#include <memory>
#include <mutex>

namespace plovane {

// Starts and stops every other part of the application and carries out the menu actions.
// Created once by PlovaneApp; its services are injected so tests can run launch and
// termination against fakes.
class AppDelegate final {
public:
    explicit AppDelegate(AppServices& services);
    // Releases what it holds; stopping is termination's job, not the destructor's.
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Lifecycle, called by PlovaneApp in this order.
    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    // Right-click menu of the HUD (and later the status menu).
    void menuTriggerSurface();
    void menuToggleChaos();
    void menuToggleCompact();
    void menuToggleKnockHint();
    void menuToggleLanguage();
    void openDrainSettings();
    void openDailyReport();
    // The status menu's "Reconfigure Enhancements..." row.
    void openFirstRunSetup();

    // Status item (tray icon and its menu).
    void setupStatusBar();
    void updateStatusBarIcon();

    // True once launching has finished (the engine exists); stays true after termination.
    bool isRunning() const { return engine_ != nullptr; }

private:
    // What the HUD's right-click menu runs: these methods.
    HUDMenuActions hudMenuActions();
    void handleKnock();
    void scheduleStatusIconRefresh();
    void refreshMenuTitles();
    void showFirstRunSetupIfNeeded();

    AppServices& services_;
    AppSettings settings_;
    std::unique_ptr<EngineControl> engine_;
    std::unique_ptr<HudControl> hudWindowController_;
    ScopedTask statusIconTask_;
    // Guards knockTask_, which the bridge's thread sets.
    std::mutex knockMutex_;
    ScopedTask knockTask_;
    std::unique_ptr<KnockBridgeControl> knockBridge_;
    std::unique_ptr<FirstRunSetupControl> firstRunSetupController_;
    // Built on first use and kept; a hidden one is replaced by a new one on the next open.
    std::unique_ptr<WindowControl> drainSettingsWindow_;
    std::unique_ptr<WindowControl> dailyReportWindow_;
};

} // namespace plovane
