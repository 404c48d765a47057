#include "app/AppDelegate.h"

#include "platform/Log.h"
#include "sensing/KnockEventBridge.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"

namespace plovane {

namespace {
constexpr double kStatusIconInterval = 1.0;
constexpr double kKnockHintSeconds = 3.0;
} // namespace

AppDelegate::AppDelegate(AppServices& services)
    : services_(services), firstRunSetupController_(services.makeFirstRunSetup())
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

    scheduleStatusIconRefresh();
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

void AppDelegate::scheduleStatusIconRefresh()
{
    statusIconTask_ =
        ScopedTask::repeating(services_.mainScheduler(), kStatusIconInterval, [this] { updateStatusBarIcon(); });
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

void AppDelegate::menuToggleCompact()
{
    auto& compact = HUDSettings::shared().compactMode;
    compact = !compact.get();
    refreshMenuTitles();
}

void AppDelegate::menuToggleKnockHint()
{
    auto& hint = HUDSettings::shared().knockHintEnabled;
    hint = !hint.get();
    refreshMenuTitles();
}

void AppDelegate::menuToggleLanguage()
{
    AppLanguage::shared().toggle();
    refreshMenuTitles();
}

// The tray item and its menu arrive with the status menu; until then these are
// deliberately without effect.
void AppDelegate::setupStatusBar() {}
void AppDelegate::updateStatusBarIcon() {}
void AppDelegate::refreshMenuTitles() {}

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

} // namespace plovane
