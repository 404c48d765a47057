#pragma once

#include "app/AppServices.h"
#include "packs/CharacterPackImport.h"
#include "status/StatusIconSource.h"
#include "platform/Scheduler.h"
#include "platform/Signal.h"
#include "settings/AppSettings.h"
#include "settings/CustomCharacter.h"

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

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

    // Right-click menu of the HUD.
    void menuTriggerSurface();
    void menuToggleChaos();
    void menuToggleCompact();
    void menuToggleKnockHint();
    void menuToggleLanguage();
    void openDrainSettings();
    void openDailyReport();

    // Status menu.
    void toggleHUD();
    // The program was started again while it runs: its HUD shows, also when it was hidden.
    void showHUD();
    void quitApp();
    void toggleLanguage();
    void toggleCompactMode();
    void toggleKnockHint();
    void toggleAiIdeSensing();
    void toggleScreenIntelligence();
    void requestAccessibilityPermission();
    void requestScreenRecordingPermission();
    void openFirstRunSetup();
    // Ignores text that names no target.
    void selectAchillesTarget(const std::string& raw);
    void selectCharacter(const std::string& raw);
    void importCharacterPack();
    void openCustomSpritesFolder();

    // Status item (tray icon and its menu).
    void setupStatusBar();
    // Draws the icon again when its state, character or sprite file changed; keeps the
    // IDE-state line current.
    void updateStatusBarIcon();

    // True once launching has finished (the engine exists); stays true after termination.
    bool isRunning() const { return engine_ != nullptr; }

private:
    // What the HUD's right-click menu runs: these methods.
    HUDMenuActions hudMenuActions();
    void handleKnock();
    // Asks for accessibility; when that switches it on, says that applications already
    // running are seen only once restarted.
    void requestAccessibility();
    void refreshMenuTitles();
    void listPacksAddedByHand();
    void updateIdeStateLine();
    void scheduleStatusIconCheck();
    void closeMenusWhenTheFrontApplicationChanges();
    void showFirstRunSetupIfNeeded();
    StatusMenuActions menuActions();

    AppServices& services_;
    AppSettings settings_;
    std::unique_ptr<EngineControl> engine_;
    std::unique_ptr<HudControl> hudWindowController_;
    std::unique_ptr<StatusItemControl> statusItem_;
    // Runs only while the sprite files cannot be watched: a once-a-second look at the key.
    ScopedTask statusIconTask_;
    // Guards knockTask_, which the bridge's thread sets.
    std::mutex knockMutex_;
    ScopedTask knockTask_;
    std::unique_ptr<KnockBridgeControl> knockBridge_;
    std::unique_ptr<FirstRunSetupControl> firstRunSetupController_;
    // Built on first use and kept; a hidden one is replaced by a new one on the next open.
    std::unique_ptr<WindowControl> drainSettingsWindow_;
    std::unique_ptr<WindowControl> dailyReportWindow_;
    std::optional<StatusIconKey> iconKey_;
    std::string ideStateLine_;
    // The imported characters the menu lists.
    std::vector<CustomCharacter> listedPacks_;
    Connection stateObserver_;
    Connection ideStateObserver_;
    Connection characterObserver_;
    Connection frontApplicationObserver_;
    // Last, so a running import stops before anything it reports to goes.
    std::unique_ptr<CharacterPackImport> packImport_;
};

} // namespace plovane
