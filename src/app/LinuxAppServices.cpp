#include "app/LinuxAppServices.h"

#include "status/DesktopStatusArea.h"
#include "status/StatusMenuController.h"

#include "engine/DiveEngine.h"
#include "engine/EngineTuningFeed.h"
#include "hud/HUDWindowController.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/qt/EmojiStyle.h"
#include "platform/qt/InterfaceFont.h"
#include "platform/qt/QtFontManager.h"
#include "platform/qt/QtScheduler.h"
#include "sensing/AXContextMonitor.h"
#include "sensing/KnockEventBridge.h"
#include "sensing/PermissionCenter.h"
#include "settings/AppLanguage.h"
#include "settings/AppResource.h"
#include "settings/FontRegistrar.h"
#include "settings/HUDSettings.h"
#include "settings/SpriteCharacter.h"
#include "windows/FirstRunSetupController.h"
#include "windows/OwnWindowPlacement.h"
#include "windows/OwnWindowStacking.h"
#include "windows/SecondaryWindows.h"

#include <QApplication>

namespace plovane {

namespace {

// The engine together with the sensors it reads; the HUD draws from the engine itself.
class DiveEngineControl final : public EngineControl {
public:
    DiveEngineControl(std::unique_ptr<AXContextMonitor> axContext, std::unique_ptr<DiveEngine> engine)
        : axContext_(std::move(axContext)),
          engine_(std::move(engine)),
          tuningFeed_(std::make_unique<EngineTuningFeed>(*engine_, HUDSettings::shared(), AppLanguage::shared()))
    {
    }
    ~DiveEngineControl() override
    {
        tuningFeed_.reset();
        engine_.reset();
    }

    void setAchillesTargets(const AchillesTargetSet& targets) override { engine_->achillesTargets = targets; }
    void start() override { engine_->start(); }
    void stop() override { engine_->stop(); }
    void triggerManualSurface() override { engine_->triggerManualSurface(); }
    void triggerKnockHint(double seconds) override { engine_->triggerKnockHint(seconds); }
    AchillesTargetSet achillesTargets() const override { return engine_->achillesTargets; }

    DiveState state() const override { return engine_->state; }
    bool shouldEnterDecompressionLayout() const override { return engine_->shouldEnterDecompressionLayout(); }
    std::string ideStateSummary() const override { return engine_->ideStateSummary; }
    const DailyStats& dailyStats() const override { return engine_->dailyStats; }
    Connection onStateChanged(std::function<void()> handler) override
    {
        return engine_->state.didSet.connect([handler = std::move(handler)](DiveState) { handler(); });
    }
    Connection onIdeStateSummaryChanged(std::function<void()> handler) override
    {
        return engine_->ideStateSummary.didSet.connect([handler = std::move(handler)](const std::string&) { handler(); });
    }
    Connection onWillChange(std::function<void()> handler) override
    {
        return engine_->objectWillChange.connect(std::move(handler));
    }
    DiveEngine* diveEngine() override { return engine_.get(); }

private:
    // The IDE state provider reads through this monitor, so it outlives the engine.
    std::unique_ptr<AXContextMonitor> axContext_;
    std::unique_ptr<DiveEngine> engine_;
    // The session and rest lengths, chaos switch and language, pushed in as they change.
    std::unique_ptr<EngineTuningFeed> tuningFeed_;
};

class HudWindowControl final : public HudControl {
public:
    HudWindowControl(DiveEngine& engine, HUDMenuActions menuActions, ScreenWatch* screenWatch,
                     WindowManagerWatch& windowManagers)
        : controller_(engine, std::move(menuActions), screenWatch),
          tookOver_(windowManagers.tookOver.connect([this] { controller_.windowManagerTookOver(); }))
    {
    }
    void show() override { controller_.show(); }
    void toggle() override { controller_.toggle(); }

private:
    HUDWindowController controller_;
    Connection tookOver_;
};

class KnockBridgeAdapter final : public KnockBridgeControl {
public:
    explicit KnockBridgeAdapter(std::uint16_t port) : bridge_(port) {}
    void setOnKnock(std::function<void()> handler) override { bridge_.setOnKnock(std::move(handler)); }
    void start() override { bridge_.start(); }
    void stop() override { bridge_.stop(); }

private:
    KnockEventBridge bridge_;
};

class SecondaryWindowControl final : public WindowControl {
public:
    explicit SecondaryWindowControl(std::unique_ptr<SecondaryWindow> window) : window_(std::move(window)) {}
    bool isVisible() const override { return window_->isVisible(); }
    void bringToFront() override { window_->bringToFront(); }

private:
    std::unique_ptr<SecondaryWindow> window_;
};

class FirstRunSetupAdapter final : public FirstRunSetupControl {
public:
    FirstRunSetupAdapter(WindowEnvironment env, std::function<void()> requestAccessibility)
        : controller_(std::move(env), std::move(requestAccessibility))
    {
    }
    void showIfNeeded() override { controller_.showIfNeeded(HUDSettings::shared(), PermissionCenter::shared()); }
    void show() override { controller_.show(HUDSettings::shared(), PermissionCenter::shared()); }

private:
    FirstRunSetupController controller_;
};

} // namespace

LinuxAppServices::LinuxAppServices(QtScheduler& mainThread)
    : mainThread_(mainThread),
      platform_(probeLinuxSensingPlatform()),
      knockSound_("message-new-instant", [] { QApplication::beep(); }),
      qtTranslations_(AppLanguage::shared())
{
    PermissionCenter::installSharedProbe(platform_.permissions);
}

LinuxAppServices::~LinuxAppServices() = default;

Scheduler& LinuxAppServices::mainScheduler()
{
    return mainThread_;
}

void LinuxAppServices::becomeAccessory()
{
    // Our windows are tool windows and keep out of the taskbar on their own; what is left
    // is that closing the last window (a report, the settings) must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    // Our windows come above the floating HUD while the user works in them, stay whole on
    // the screens as they change, and every window carries the program's icon.
    OwnWindowStacking::install();
    OwnWindowPlacement::install();
    QApplication::setWindowIcon(programIcon());
}

void LinuxAppServices::registerEmbeddedFonts()
{
    QtFontManager fonts;
    FontRegistrar::registerEmbeddedFonts(fonts);
    // Without its data the pet is a "?" and the texts lose their pixel font: say where we looked.
    if (!AppResource::exists(spritePath(SpriteCharacter::tuffin, "deep_dive"))) {
        std::string searched;
        for (const auto& dir : paths::dataDirCandidates())
            searched += (searched.empty() ? "" : ", ") + dir;
        logWarning("Plovane's sprites and font were not found; looked in: " + searched);
    }
    // Menus and dialogs set Chinese in a face with a bold too, like the HUD and the windows.
    QApplication::setFont(fonts::interfaceFont());
    // Menus draw their rows' emoji in colour.
    QApplication::setStyle(new EmojiStyle);
}

std::unique_ptr<EngineControl> LinuxAppServices::makeEngine()
{
    auto axContext = std::make_unique<AXContextMonitor>(*platform_.accessibility);
    auto engine = std::make_unique<DiveEngine>(
        DiveConfig{}, std::make_unique<GlobalInputMonitor>(*platform_.inputIdle),
        std::make_unique<ActiveAppMonitor>(*platform_.workspace), std::make_unique<IDEStateProvider>(*axContext),
        EngineServices{SystemClock::instance(), mainThread_, *platform_.workspace, *platform_.sleepWake,
                       UserDefaults::standard(), EngineTuningFeed::current(HUDSettings::shared(), AppLanguage::shared())});
    engine_ = engine.get();
    return std::make_unique<DiveEngineControl>(std::move(axContext), std::move(engine));
}

std::unique_ptr<HudControl> LinuxAppServices::makeHud(EngineControl&, HUDMenuActions menuActions)
{
    // The HUD draws from the engine itself: the one made above.
    return std::make_unique<HudWindowControl>(*engine_, std::move(menuActions), platform_.screenWatch.get(),
                                              *platform_.windowManagerWatch);
}

std::unique_ptr<KnockBridgeControl> LinuxAppServices::makeKnockBridge(std::uint16_t port)
{
    return std::make_unique<KnockBridgeAdapter>(port);
}

void LinuxAppServices::playKnockSound()
{
    knockSound_.play();
}

WindowEnvironment LinuxAppServices::windowEnvironment() const
{
    WindowEnvironment env;
    // Icons come from the same desktop entries that name the applications while sensing.
    env.appIcon = [identity = platform_.identity](const std::string& bundleID) -> std::string {
        if (!identity)
            return {};
        auto info = identity->forBundleID(bundleID);
        return info ? info->icon : std::string();
    };
    return env;
}

std::unique_ptr<WindowControl> LinuxAppServices::openDrainSettingsWindow()
{
    return std::make_unique<SecondaryWindowControl>(plovane::openDrainSettingsWindow(windowEnvironment()));
}

std::unique_ptr<WindowControl> LinuxAppServices::openDailyReportWindow(EngineControl& engine)
{
    DiveEngine* diveEngine = engine.diveEngine();
    if (!diveEngine)
        return nullptr;
    return std::make_unique<SecondaryWindowControl>(plovane::openDailyReportWindow(*diveEngine, windowEnvironment()));
}

std::unique_ptr<FirstRunSetupControl> LinuxAppServices::makeFirstRunSetup(std::function<void()> requestAccessibility)
{
    return std::make_unique<FirstRunSetupAdapter>(windowEnvironment(), std::move(requestAccessibility));
}

std::unique_ptr<StatusItemControl> LinuxAppServices::makeStatusItem(StatusMenuActions actions)
{
    // Under Xwayland a menu hears nothing of what the user does in native windows; the
    // compositor does.
    MenuDismissal::IdleReading compositorIdle;
    if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        compositorIdle = [idle = platform_.inputIdle] { return idle->secondsSinceLastInput(); };
    return std::make_unique<StatusMenuController>(std::move(actions), std::make_unique<DesktopStatusArea>(),
                                                  std::move(compositorIdle));
}

void LinuxAppServices::quit()
{
    QCoreApplication::quit();
}

PackImportDesktop& LinuxAppServices::packImportDesktop()
{
    return packImportDesktop_;
}

} // namespace plovane
