#include "app/AppDelegate.h"

#include "status/StatusMenuModel.h"
#include "engine/DiveEngine.h"
#include "platform/Log.h"
#include "sensing/KnockEventBridge.h"
#include "sensing/PermissionCenter.h"
#include "settings/AppLanguage.h"
#include "settings/AppResource.h"
#include "settings/CustomCharacter.h"
#include "settings/HUDSettings.h"
#include "settings/Strings.h"

namespace plovane {

namespace {
constexpr double kStatusIconInterval = 1.0;
constexpr double kKnockHintSeconds = 3.0;
} // namespace

AppDelegate::AppDelegate(AppServices& services)
    : services_(services),
      // Its Continue may switch accessibility on as the menu's rows do, and says the same then.
      firstRunSetupController_(services.makeFirstRunSetup([this] { requestAccessibility(); })),
      packImport_(std::make_unique<CharacterPackImport>(services.mainScheduler(), services.packImportDesktop(), [this] {
          // The new pack is the current character by now: list it in the character menu.
          refreshMenuTitles();
          updateStatusBarIcon();
      }))
{
}

AppDelegate::~AppDelegate()
{
    // The bridge's thread may still post a knock: end it before the task it posts to.
    knockBridge_.reset();
}

void AppDelegate::applicationWillFinishLaunching()
{
    setupStatusBar();
}

void AppDelegate::applicationDidFinishLaunching()
{
    services_.becomeAccessory();
    services_.registerEmbeddedFonts();

    auto engine = services_.makeEngine();
    // The first tick already uses the user's targets.
    engine->setAchillesTargets(settings_.achillesTargets());
    auto hud = services_.makeHud(*engine, hudMenuActions());
    engine_ = std::move(engine);
    hudWindowController_ = std::move(hud);

    engine_->start();
    hudWindowController_->show();
    updateStatusBarIcon();
    showFirstRunSetupIfNeeded();

    auto bridge = services_.makeKnockBridge(KnockEventBridge::defaultPort);
    // The bridge calls this on its own thread: do nothing there but hop to the main thread.
    bridge->setOnKnock([this, scheduler = &services_.mainScheduler()] {
        // Every knock is logged; the log touches nothing of ours, so it needs no guard.
        scheduler->post([] {
            logLine(HUDSettings::shared().knockHintEnabled ? "Knock received: show hint + beep."
                                                           : "Knock received but knock hint is disabled.");
        });
        // A knock arriving while the previous one still waits for the main thread joins it.
        std::lock_guard lock(knockMutex_);
        if (!knockTask_.isPending())
            knockTask_ = scheduler->post([this] {
                if (HUDSettings::shared().knockHintEnabled)
                    handleKnock();
            });
    });
    bridge->start();
    knockBridge_ = std::move(bridge);

    // The status icon follows the engine's state and the chosen character as they change,
    // and its sprite files through the status item's watch; nothing runs while none of
    // them changes.
    stateObserver_ = engine_->onStateChanged([this] { updateStatusBarIcon(); });
    ideStateObserver_ = engine_->onIdeStateSummaryChanged([this] { updateIdeStateLine(); });
    characterObserver_ = HUDSettings::shared().characterID.didSet.connect([this](const CharacterID& chosen) {
        if (statusItem_)
            statusItem_->syncCharacterChecks(chosen.rawValue());
        updateStatusBarIcon();
    });
    closeMenusWhenTheFrontApplicationChanges();
}

void AppDelegate::closeMenusWhenTheFrontApplicationChanges()
{
    // A menu left open over the application the user moved to stays there under Xwayland,
    // where the menu never hears of the click that moved them.
    DiveEngine* engine = engine_->diveEngine();
    if (!engine)
        return;
    frontApplicationObserver_ = engine->activeBundleID.didSet.connect([this](const std::string&) {
        if (statusItem_)
            statusItem_->frontApplicationChanged();
    });
}

HUDMenuActions AppDelegate::hudMenuActions()
{
    // The HUD belongs to this delegate and goes before it: `this` outlives every call.
    HUDMenuActions actions;
    actions.triggerSurface = [this] { menuTriggerSurface(); };
    actions.openDrainSettings = [this] { openDrainSettings(); };
    actions.toggleChaos = [this] { menuToggleChaos(); };
    actions.toggleCompact = [this] { menuToggleCompact(); };
    actions.toggleKnockHint = [this] { menuToggleKnockHint(); };
    actions.toggleLanguage = [this] { menuToggleLanguage(); };
    actions.openDailyReport = [this] { openDailyReport(); };
    return actions;
}

void AppDelegate::applicationWillTerminate()
{
    statusIconTask_.cancel();
    stateObserver_.disconnect();
    ideStateObserver_.disconnect();
    characterObserver_.disconnect();
    if (knockBridge_)
        knockBridge_->stop();
    if (engine_)
        engine_->stop();
}

void AppDelegate::handleKnock()
{
    services_.playKnockSound();
    if (engine_)
        engine_->triggerKnockHint(kKnockHintSeconds);
}

// ---- status item

StatusMenuActions AppDelegate::menuActions()
{
    StatusMenuActions a;
    a.toggleHUD = [this] { toggleHUD(); };
    a.openDrainSettings = [this] { openDrainSettings(); };
    a.toggleCompactMode = [this] { toggleCompactMode(); };
    a.toggleKnockHint = [this] { toggleKnockHint(); };
    a.toggleAiIdeSensing = [this] { toggleAiIdeSensing(); };
    a.toggleScreenIntelligence = [this] { toggleScreenIntelligence(); };
    a.requestAccessibilityPermission = [this] { requestAccessibilityPermission(); };
    a.requestScreenRecordingPermission = [this] { requestScreenRecordingPermission(); };
    a.openFirstRunSetup = [this] { openFirstRunSetup(); };
    a.toggleLanguage = [this] { toggleLanguage(); };
    a.quitApp = [this] { quitApp(); };
    a.selectAchillesTarget = [this](const std::string& raw) { selectAchillesTarget(raw); };
    a.selectCharacter = [this](const std::string& raw) { selectCharacter(raw); };
    a.importCharacterPack = [this] { importCharacterPack(); };
    a.openCustomSpritesFolder = [this] { openCustomSpritesFolder(); };
    a.spriteFilesChanged = [this] { updateStatusBarIcon(); };
    a.menuAboutToShow = [this] { listPacksAddedByHand(); };
    return a;
}

void AppDelegate::setupStatusBar()
{
    // Imported characters have their folder from the first launch on.
    AppResource::ensureCustomSpritesDir();
    statusItem_ = services_.makeStatusItem(menuActions());
    refreshMenuTitles();
    updateStatusBarIcon();
}

void AppDelegate::refreshMenuTitles()
{
    if (!statusItem_)
        return;
    const HUDSettings& hud = HUDSettings::shared();
    StatusMenuState state;
    state.language = AppLanguage::shared().language;
    state.compactMode = hud.compactMode;
    state.knockHintEnabled = hud.knockHintEnabled;
    state.aiIdeSensingEnabled = hud.aiIdeSensingEnabled;
    state.screenIntelligenceEnabled = hud.screenIntelligenceEnabled;
    state.permissionSummary = PermissionCenter::shared().statusSummary(state.language);
    if (engine_)
        state.ideStateSummary = engine_->ideStateSummary();
    state.targets = settings_.achillesTargets();
    state.characterRaw = hud.characterID->rawValue();
    state.packs = CustomCharacter::loadAll();
    listedPacks_ = state.packs;

    const StatusMenuContent content = makeStatusMenuContent(state);
    ideStateLine_ = content.row(StatusRow::ideState).title;
    statusItem_->apply(content);
}

void AppDelegate::listPacksAddedByHand()
{
    // Packs are also copied into their folder by hand (the menu's own row opens it): the
    // menu lists what the folder holds each time it opens, without watching it meanwhile.
    if (statusItem_ && CustomCharacter::loadAll() != listedPacks_)
        refreshMenuTitles();
}

void AppDelegate::updateStatusBarIcon()
{
    if (!engine_ || !statusItem_)
        return;
    const DiveState drawn = engine_->shouldEnterDecompressionLayout() ? DiveState::critical : engine_->state();
    StatusIconKey key = statusIconKey(drawn, HUDSettings::shared().characterID);
    if (key != iconKey_) {
        const bool watched = statusItem_->setIcon(key.spritePath);
        iconKey_ = std::move(key);
        // Where the files cannot be watched, a look once a second still catches a new sprite.
        if (watched)
            statusIconTask_.cancel();
        else if (!statusIconTask_.isPending())
            scheduleStatusIconCheck();
    }
    statusItem_->setIconDescription(statusItemDescription(drawn, engine_->shouldEnterDecompressionLayout(),
                                                          AppLanguage::shared().language));
    updateIdeStateLine();
}

void AppDelegate::updateIdeStateLine()
{
    if (!engine_ || !statusItem_)
        return;
    std::string line = ideStateLine(AppLanguage::shared().language, engine_->ideStateSummary());
    if (line == ideStateLine_)
        return;
    ideStateLine_ = std::move(line);
    statusItem_->setIdeStateLine(ideStateLine_);
}

void AppDelegate::scheduleStatusIconCheck()
{
    statusIconTask_ =
        ScopedTask::onBeat(services_.mainScheduler(), kStatusIconInterval, [this] { updateStatusBarIcon(); });
}

// ---- menu actions

void AppDelegate::toggleHUD()
{
    if (hudWindowController_)
        hudWindowController_->toggle();
}

void AppDelegate::showHUD()
{
    if (hudWindowController_)
        hudWindowController_->show();
}

void AppDelegate::quitApp()
{
    services_.quit();
}

void AppDelegate::toggleLanguage()
{
    AppLanguage::shared().toggle();
    refreshMenuTitles();
    updateStatusBarIcon();
}

void AppDelegate::menuToggleLanguage()
{
    toggleLanguage();
}

void AppDelegate::toggleCompactMode()
{
    auto& compact = HUDSettings::shared().compactMode;
    compact = !compact.get();
    refreshMenuTitles();
}

void AppDelegate::menuToggleCompact()
{
    toggleCompactMode();
}

void AppDelegate::toggleKnockHint()
{
    auto& hint = HUDSettings::shared().knockHintEnabled;
    hint = !hint.get();
    refreshMenuTitles();
}

void AppDelegate::menuToggleKnockHint()
{
    toggleKnockHint();
}

void AppDelegate::toggleAiIdeSensing()
{
    auto& sensing = HUDSettings::shared().aiIdeSensingEnabled;
    sensing = !sensing.get();
    if (sensing.get())
        requestAccessibility();
    else
        refreshMenuTitles();
}

void AppDelegate::toggleScreenIntelligence()
{
    auto& screen = HUDSettings::shared().screenIntelligenceEnabled;
    screen = !screen.get();
    if (screen.get())
        PermissionCenter::shared().requestScreenRecordingIfNeeded();
    refreshMenuTitles();
}

void AppDelegate::requestAccessibilityPermission()
{
    requestAccessibility();
}

void AppDelegate::requestAccessibility()
{
    PermissionCenter& permissions = PermissionCenter::shared();
    const bool wasOn = permissions.accessibilityStatus() == PermissionStatus::granted;
    permissions.requestAccessibilityIfNeeded();
    refreshMenuTitles();
    // Qt and KDE applications join the accessibility bus only as they start.
    if (!wasOn && permissions.accessibilityStatus() == PermissionStatus::granted) {
        const Language language = AppLanguage::shared().language;
        services_.packImportDesktop().showAlert(true, Strings::accessibilityOnTitle(language),
                                                Strings::accessibilityOnRestartNote(language));
    }
}

void AppDelegate::requestScreenRecordingPermission()
{
    PermissionCenter::shared().requestScreenRecordingIfNeeded();
    refreshMenuTitles();
}

void AppDelegate::menuTriggerSurface()
{
    if (engine_)
        engine_->triggerManualSurface();
}

void AppDelegate::menuToggleChaos()
{
    auto& chaos = HUDSettings::shared().chaosEnabled;
    chaos = !chaos.get();
}

void AppDelegate::selectAchillesTarget(const std::string& raw)
{
    const auto target = fromRaw<AchillesTarget>(raw);
    if (!target)
        return;
    // Stored on every valid click, also when the last target stays as it was.
    const AchillesTargetSet chosen = toggledTargets(settings_.achillesTargets(), *target);
    settings_.setAchillesTargets(chosen);
    if (engine_)
        engine_->setAchillesTargets(chosen);
    if (statusItem_)
        statusItem_->syncTargetChecks(chosen);
}

void AppDelegate::selectCharacter(const std::string& raw)
{
    HUDSettings::shared().characterID = CharacterID::from(raw);
    if (statusItem_)
        statusItem_->syncCharacterChecks(HUDSettings::shared().characterID->rawValue());
    updateStatusBarIcon();
}

void AppDelegate::showFirstRunSetupIfNeeded()
{
    if (firstRunSetupController_)
        firstRunSetupController_->showIfNeeded();
}

void AppDelegate::openFirstRunSetup()
{
    if (firstRunSetupController_)
        firstRunSetupController_->show();
}

void AppDelegate::openDrainSettings()
{
    if (drainSettingsWindow_ && drainSettingsWindow_->isVisible()) {
        drainSettingsWindow_->bringToFront();
        return;
    }
    drainSettingsWindow_ = services_.openDrainSettingsWindow();
}

void AppDelegate::openDailyReport()
{
    if (dailyReportWindow_ && dailyReportWindow_->isVisible()) {
        dailyReportWindow_->bringToFront();
        return;
    }
    if (!engine_)
        return;
    if (auto window = services_.openDailyReportWindow(*engine_))
        dailyReportWindow_ = std::move(window);
}

void AppDelegate::importCharacterPack()
{
    packImport_->importCharacterPack();
}

void AppDelegate::openCustomSpritesFolder()
{
    packImport_->openCustomSpritesFolder();
}

} // namespace plovane
