#include "app/AppDelegate.h"
#include "TestSupport.h"
#include "ZipWriter.h"

#include "FileFixtures.h"

#include "platform/InMemoryUserDefaults.h"
#include "platform/Log.h"
#include "platform/PermissionProbe.h"
#include "sensing/PermissionCenter.h"
#include "settings/AppResource.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "testing/FakeClock.h"
#include "testing/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace plovane;

namespace {

// Every fake writes what was asked of it into one journal, so order across services shows.
using Journal = std::vector<std::string>;

struct FakeEngine final : EngineControl {
    explicit FakeEngine(Journal& j) : journal(j) {}
    void setAchillesTargets(const AchillesTargetSet& t) override
    {
        std::string line = "engine.targets";
        for (auto target : t)
            line += " " + std::string(rawValue(target));
        journal.push_back(line);
        targets = t;
    }
    AchillesTargetSet achillesTargets() const override { return targets; }
    void start() override { journal.push_back("engine.start"); }
    void stop() override { journal.push_back("engine.stop"); }
    void triggerManualSurface() override { journal.push_back("engine.surface"); }
    void triggerKnockHint(double seconds) override { journal.push_back("engine.knockHint " + std::to_string(seconds)); }
    DiveState state() const override { return currentState; }
    bool shouldEnterDecompressionLayout() const override { return currentState == DiveState::critical; }
    std::string ideStateSummary() const override { return summary; }
    const DailyStats& dailyStats() const override { return day; }
    Connection onStateChanged(std::function<void()> h) override { return stateChanged.connect(std::move(h)); }
    Connection onIdeStateSummaryChanged(std::function<void()> h) override
    {
        return summaryChanged.connect(std::move(h));
    }
    Connection onWillChange(std::function<void()> h) override { return willChange.connect(std::move(h)); }

    void setState(DiveState s)
    {
        currentState = s;
        stateChanged.emit();
    }
    void setSummary(std::string text)
    {
        summary = std::move(text);
        summaryChanged.emit();
    }

    Journal& journal;
    AchillesTargetSet targets;
    DiveState currentState{DiveState::flow};
    std::string summary{"disabled"};
    DailyStats day;
    Signal<> stateChanged;
    Signal<> summaryChanged;
    Signal<> willChange;
};

struct FakeHud final : HudControl {
    explicit FakeHud(Journal& j) : journal(j) {}
    void show() override { journal.push_back("hud.show"); }
    void toggle() override { journal.push_back("hud.toggle"); }
    Journal& journal;
};

struct FakeBridge final : KnockBridgeControl {
    FakeBridge(Journal& j, std::function<void()>& slot) : journal(j), onKnock(slot) {}
    void setOnKnock(std::function<void()> handler) override
    {
        journal.push_back("bridge.onKnock");
        onKnock = std::move(handler);
    }
    void start() override { journal.push_back("bridge.start"); }
    void stop() override { journal.push_back("bridge.stop"); }
    Journal& journal;
    std::function<void()>& onKnock;
};

struct FakeWindow final : WindowControl {
    FakeWindow(Journal& j, std::string n) : journal(j), name(std::move(n)) {}
    bool isVisible() const override { return visible; }
    void bringToFront() override
    {
        journal.push_back(name + ".front");
        visible = true;
    }
    Journal& journal;
    std::string name;
    bool visible{true};
};

struct FakeSetup final : FirstRunSetupControl {
    explicit FakeSetup(Journal& j) : journal(j) {}
    void showIfNeeded() override { journal.push_back("setup.showIfNeeded"); }
    void show() override { journal.push_back("setup.show"); }
    Journal& journal;
};

// Keeps what the delegate last handed the status item, and counts the icon draws.
struct StatusItemRecord {
    StatusMenuActions actions;
    std::optional<StatusMenuContent> content;
    int applies{0};
    std::vector<std::string> ideLines;
    std::vector<std::string> icons;
    AchillesTargetSet targetChecks;
    std::string characterCheck;
    bool watchable{true};
};

struct FakeStatusItem final : StatusItemControl {
    explicit FakeStatusItem(StatusItemRecord& r) : record(r) {}
    void apply(const StatusMenuContent& content) override
    {
        record.content = content;
        ++record.applies;
    }
    void setIdeStateLine(const std::string& title) override { record.ideLines.push_back(title); }
    void syncTargetChecks(const AchillesTargetSet& selected) override { record.targetChecks = selected; }
    void syncCharacterChecks(const std::string& chosen) override { record.characterCheck = chosen; }
    bool setIcon(const std::string& path) override
    {
        record.icons.push_back(path);
        return record.watchable;
    }
    StatusItemRecord& record;
};

// Picks the archive it is given and keeps the alerts; calls `onAlert` as each shows.
struct FakePackDesktop final : PackImportDesktop {
    std::optional<std::string> chooseArchive(const std::string&) override { return archive; }
    void showAlert(bool success, const std::string& title, const std::string& message) override
    {
        alerts.push_back(title + ": " + message + (success ? "" : " (failed)"));
        if (onAlert)
            onAlert();
    }
    void openFolder(const std::string& path) override { opened.push_back(path); }
    std::optional<std::string> archive;
    std::vector<std::string> alerts;
    std::function<void()> onAlert;
    std::vector<std::string> opened;
};

struct FakeServices final : AppServices {
    FakeServices() : scheduler(clock) {}
    Scheduler& mainScheduler() override { return scheduler; }
    void becomeAccessory() override { journal.push_back("accessory"); }
    void registerEmbeddedFonts() override { journal.push_back("fonts"); }
    std::unique_ptr<EngineControl> makeEngine() override
    {
        journal.push_back("engine.new");
        auto made = std::make_unique<FakeEngine>(journal);
        engine = made.get();
        return made;
    }
    std::unique_ptr<HudControl> makeHud(EngineControl&, HUDMenuActions actions) override
    {
        journal.push_back("hud.new");
        hudMenu = std::move(actions);
        return std::make_unique<FakeHud>(journal);
    }
    std::unique_ptr<KnockBridgeControl> makeKnockBridge(std::uint16_t port) override
    {
        journal.push_back("bridge.new " + std::to_string(port));
        return std::make_unique<FakeBridge>(journal, onKnock);
    }
    void playKnockSound() override { journal.push_back("sound"); }
    std::unique_ptr<WindowControl> openDrainSettingsWindow() override
    {
        journal.push_back("drain.open");
        auto window = std::make_unique<FakeWindow>(journal, "drain");
        drainWindow = window.get();
        return window;
    }
    std::unique_ptr<WindowControl> openDailyReportWindow(EngineControl&) override
    {
        journal.push_back("report.open");
        auto window = std::make_unique<FakeWindow>(journal, "report");
        reportWindow = window.get();
        return window;
    }
    std::unique_ptr<FirstRunSetupControl> makeFirstRunSetup(std::function<void()> requestAccessibility) override
    {
        setupRequestsAccessibility = std::move(requestAccessibility);
        return std::make_unique<FakeSetup>(journal);
    }
    // What the setup window's Continue runs with AI sensing on.
    std::function<void()> setupRequestsAccessibility;

    FakeWindow* drainWindow{nullptr};
    FakeWindow* reportWindow{nullptr};
    std::unique_ptr<StatusItemControl> makeStatusItem(StatusMenuActions actions) override
    {
        status.actions = std::move(actions);
        return std::make_unique<FakeStatusItem>(status);
    }
    void quit() override { journal.push_back("quit"); }
    PackImportDesktop& packImportDesktop() override { return packDesktop; }

    FakeClock clock;
    VirtualScheduler scheduler;
    Journal journal;
    std::function<void()> onKnock;
    HUDMenuActions hudMenu;
    StatusItemRecord status;
    FakeEngine* engine{nullptr};
    FakePackDesktop packDesktop;
};

struct LogCapture {
    LogCapture()
    {
        setLogSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~LogCapture() { setLogSink({}); }
    std::vector<std::string> lines;
};

// Installs an in-memory settings store before anything reads a setting (each test case
// is its own process, so the shared settings objects load from it).
std::shared_ptr<InMemoryUserDefaults> installDefaults(std::vector<std::pair<std::string, UserDefaults::Value>> stored)
{
    auto defaults = std::make_shared<InMemoryUserDefaults>();
    for (auto& [key, value] : stored)
        defaults->set(key, value);
    defaults->clearWrites();
    UserDefaults::setStandard(defaults);
    return defaults;
}

class AppDelegateTest : public ::testing::Test {
protected:
    std::shared_ptr<InMemoryUserDefaults> defaults =
        installDefaults({{"tessivar.achilles_targets", {"dryEye", "calfCramp"}}});
    void launch()
    {
        delegate->applicationWillFinishLaunching();
        delegate->applicationDidFinishLaunching();
        services.journal.clear();
    }

    FakeServices services;
    std::unique_ptr<AppDelegate> delegate = std::make_unique<AppDelegate>(services);
    LogCapture log;
};

} // namespace

TEST_F(AppDelegateTest, LaunchStartsEveryServiceInOrder)
{
    delegate->applicationWillFinishLaunching();
    EXPECT_TRUE(services.journal.empty()) << "nothing but the status item before launching has finished";
    EXPECT_FALSE(delegate->isRunning());

    delegate->applicationDidFinishLaunching();
    const Journal expected{"accessory",   "fonts",       "engine.new",     "engine.targets dryEye calfCramp",
                           "hud.new",     "engine.start", "hud.show",      "setup.showIfNeeded", "bridge.new 8765",
                           "bridge.onKnock", "bridge.start"};
    EXPECT_EQ(services.journal, expected);
    EXPECT_TRUE(delegate->isRunning());
    EXPECT_EQ(services.scheduler.queued(), 0u) << "with the sprite files watched, no timer runs for the icon";
}

TEST_F(AppDelegateTest, TerminationStopsTheIconTaskThenTheBridgeThenTheEngine)
{
    services.status.watchable = false;
    launch();
    services.scheduler.advance(3.0);
    EXPECT_EQ(services.scheduler.queued(), 1u) << "unwatchable sprite files are looked at every second";

    delegate->applicationWillTerminate();
    EXPECT_EQ(services.journal, (Journal{"bridge.stop", "engine.stop"}));
    services.scheduler.advance(5.0);
    EXPECT_EQ(services.scheduler.queued(), 0u) << "no icon refresh is scheduled after termination";
    EXPECT_TRUE(delegate->isRunning()) << "fields keep their values after termination";
}

TEST_F(AppDelegateTest, TerminationBeforeLaunchSkipsEveryStep)
{
    delegate->applicationWillFinishLaunching();
    delegate->applicationWillTerminate();
    EXPECT_TRUE(services.journal.empty());
    EXPECT_EQ(services.scheduler.queued(), 0u);
}

TEST_F(AppDelegateTest, KnockWithHintDisabledOnlyLogs)
{
    launch();
    services.onKnock();
    services.scheduler.runPending();
    EXPECT_TRUE(services.journal.empty());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Knock received but knock hint is disabled."}));
}

TEST_F(AppDelegateTest, KnockWithHintOnChimesAndShowsTheHintForThreeSeconds)
{
    HUDSettings::shared().knockHintEnabled = true;
    launch();
    services.onKnock();
    services.scheduler.runPending();
    EXPECT_EQ(services.journal, (Journal{"sound", "engine.knockHint " + std::to_string(3.0)}));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Knock received: show hint + beep."}));
}

TEST_F(AppDelegateTest, KnockFromTheBridgeThreadIsHandledOnTheMainThreadOnly)
{
    HUDSettings::shared().knockHintEnabled = true;
    launch();
    std::thread bridgeThread([this] { services.onKnock(); });
    bridgeThread.join();
    EXPECT_TRUE(services.journal.empty()) << "the bridge thread itself does nothing";
    EXPECT_TRUE(log.lines.empty());

    services.scheduler.runPending();
    EXPECT_EQ(services.journal.size(), 2u);
}

TEST_F(AppDelegateTest, KnockArrivingAfterTheDelegateIsGoneOnlyLogs)
{
    HUDSettings::shared().knockHintEnabled = true;
    launch();
    auto handler = services.onKnock; // the bridge is gone with the delegate; keep its handler
    handler();
    delegate.reset();
    services.journal.clear();
    services.scheduler.runPending();
    EXPECT_TRUE(services.journal.empty());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Knock received: show hint + beep."}));
}

TEST_F(AppDelegateTest, MenuSurfaceReachesTheEngineOnlyOnceItExists)
{
    delegate->menuTriggerSurface();
    EXPECT_TRUE(services.journal.empty());
    launch();
    delegate->menuTriggerSurface();
    EXPECT_EQ(services.journal, (Journal{"engine.surface"}));
}

TEST_F(AppDelegateTest, MenuTogglesFlipAndStoreTheSharedSettings)
{
    launch();
    auto& hud = HUDSettings::shared();
    delegate->menuToggleChaos();
    delegate->menuToggleCompact();
    delegate->menuToggleKnockHint();
    EXPECT_TRUE(hud.chaosEnabled.get());
    EXPECT_TRUE(hud.compactMode.get());
    EXPECT_TRUE(hud.knockHintEnabled.get());
    EXPECT_TRUE(defaults->boolForKey("quellin.chaos_enabled"));
    EXPECT_TRUE(defaults->boolForKey("quellin.compact_mode"));
    EXPECT_TRUE(defaults->boolForKey("quellin.knock_hint_enabled"));

    delegate->menuToggleCompact();
    EXPECT_FALSE(hud.compactMode.get());
    EXPECT_FALSE(defaults->boolForKey("quellin.compact_mode"));

    const Language before = AppLanguage::shared().language;
    delegate->menuToggleLanguage();
    EXPECT_NE(AppLanguage::shared().language.get(), before);
    EXPECT_EQ(defaults->stringForKey("tessivar.language"), std::string(rawValue(AppLanguage::shared().language.get())));
    EXPECT_TRUE(services.journal.empty()) << "the toggles leave the engine alone";
}

TEST_F(AppDelegateTest, KnockHintToggledFromTheMenuDecidesTheNextKnock)
{
    launch();
    delegate->menuToggleKnockHint();
    services.onKnock();
    services.scheduler.runPending();
    delegate->menuToggleKnockHint();
    services.onKnock();
    services.scheduler.runPending();
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Knock received: show hint + beep.",
                                                   "Knock received but knock hint is disabled."}));
}

TEST_F(AppDelegateTest, TheHUDMenuItemsRunTheDelegatesActions)
{
    launch();
    ASSERT_TRUE(services.hudMenu.triggerSurface);
    services.hudMenu.triggerSurface();
    EXPECT_EQ(services.journal, (Journal{"engine.surface"}));
    services.hudMenu.toggleChaos();
    services.hudMenu.toggleKnockHint();
    EXPECT_TRUE(HUDSettings::shared().chaosEnabled.get());
    EXPECT_TRUE(HUDSettings::shared().knockHintEnabled.get());
    const Language before = AppLanguage::shared().language;
    services.hudMenu.toggleLanguage();
    EXPECT_NE(AppLanguage::shared().language.get(), before);
    EXPECT_TRUE(services.hudMenu.openDrainSettings && services.hudMenu.openDailyReport && services.hudMenu.toggleCompact);
}

TEST_F(AppDelegateTest, SecondaryWindowsOpenOnceAndAreRebuiltAfterClosing)
{
    // Before launching has finished there is no engine: the report does not open.
    delegate->applicationWillFinishLaunching();
    delegate->openDailyReport();
    EXPECT_TRUE(services.journal.empty());
    delegate->openDrainSettings();
    EXPECT_EQ(services.journal, Journal{"drain.open"});

    launch();
    // Open: a second open only brings the one window forward.
    delegate->openDrainSettings();
    delegate->openDailyReport();
    delegate->openDailyReport();
    EXPECT_EQ(services.journal, (Journal{"drain.front", "report.open", "report.front"}));

    // Closed (hidden): the next open builds a new one from the current state.
    services.journal.clear();
    services.drainWindow->visible = false;
    services.reportWindow->visible = false;
    FakeWindow* oldReport = services.reportWindow;
    delegate->openDailyReport();
    delegate->openDrainSettings();
    EXPECT_EQ(services.journal, (Journal{"report.open", "drain.open"}));
    EXPECT_NE(services.reportWindow, oldReport);

    services.journal.clear();
    delegate->openFirstRunSetup();
    EXPECT_EQ(services.journal, Journal{"setup.show"});
}

namespace {

// Records which permission the menu asked for; both read as not granted, unless asking
// for accessibility switches it on.
struct RecordingProbe final : PermissionProbe {
    bool accessibilityTrusted() override { return accessibilityOn; }
    void requestAccessibility() override
    {
        requests.push_back("accessibility");
        accessibilityOn = switchesOn;
    }
    bool screenCaptureAllowed() override { return false; }
    void requestScreenCapture() override { requests.push_back("screen"); }
    void openSettings(PermissionPane) override {}
    std::vector<std::string> requests;
    bool switchesOn{false};
    bool accessibilityOn{false};
};

class StatusMenuDelegateTest : public AppDelegateTest {
protected:
    StatusMenuDelegateTest() { PermissionCenter::installSharedProbe(probe); }
    ~StatusMenuDelegateTest() override { PermissionCenter::installSharedProbe(nullptr); }

    const StatusMenuContent& menu() const { return *services.status.content; }
    const std::string& title(StatusRow r) const { return menu().row(r).title; }
    bool checked(StatusRow r) const { return menu().row(r).checked; }
    StatusMenuActions& rows() { return services.status.actions; }

    std::shared_ptr<RecordingProbe> probe = std::make_shared<RecordingProbe>();
};

} // namespace

TEST_F(StatusMenuDelegateTest, BeforeLaunchTheMenuHasNoIconAndTheIdeLineOff)
{
    delegate->applicationWillFinishLaunching();
    ASSERT_EQ(services.status.applies, 1);
    EXPECT_EQ(title(StatusRow::ideState), "🧠 IDE 状态: disabled");
    EXPECT_EQ(title(StatusRow::permissionStatus), "🔐 权限状态: AX: 未开启 / 录屏: 未开启");
    EXPECT_TRUE(services.status.icons.empty()) << "no engine yet, so no icon";
    EXPECT_TRUE(std::filesystem::is_directory(AppResource::customSpritesBase()))
        << "the folder of imported characters exists from the first launch";

    delegate->applicationDidFinishLaunching();
    ASSERT_EQ(services.status.icons.size(), 1u) << "the first icon comes with the engine";
    EXPECT_NE(services.status.icons[0].find("tuffin/sprite_deep_dive_32"), std::string::npos);
}

TEST_F(StatusMenuDelegateTest, SensingSwitchesAreCoupledAndEachAsksItsPermission)
{
    AppLanguage::shared().language = Language::en;
    launch();
    auto& hud = HUDSettings::shared();

    rows().toggleScreenIntelligence();
    EXPECT_TRUE(hud.screenIntelligenceEnabled.get());
    EXPECT_TRUE(hud.aiIdeSensingEnabled.get()) << "screen intelligence needs AI IDE sensing";
    EXPECT_EQ(probe->requests, (std::vector<std::string>{"screen"})) << "only screen recording is asked for";
    EXPECT_TRUE(checked(StatusRow::aiSensing));
    EXPECT_TRUE(checked(StatusRow::screenIntel));
    EXPECT_EQ(title(StatusRow::aiSensing), "🤖 Disable AI IDE Sensing (Beta)");
    EXPECT_EQ(title(StatusRow::screenIntel), "🖥️ Disable Screen Intelligence (Beta)");

    rows().toggleAiIdeSensing();
    EXPECT_FALSE(hud.aiIdeSensingEnabled.get());
    EXPECT_FALSE(hud.screenIntelligenceEnabled.get()) << "no screen intelligence without AI IDE sensing";
    EXPECT_EQ(probe->requests.size(), 1u) << "turning off asks for nothing";
    EXPECT_FALSE(checked(StatusRow::aiSensing));
    EXPECT_FALSE(checked(StatusRow::screenIntel));
    EXPECT_EQ(title(StatusRow::screenIntel), "🖥️ Enable Screen Intelligence (Beta)");

    rows().toggleAiIdeSensing();
    EXPECT_EQ(probe->requests, (std::vector<std::string>{"screen", "accessibility"}));
    EXPECT_FALSE(hud.screenIntelligenceEnabled.get());

    rows().requestScreenRecordingPermission();
    rows().requestAccessibilityPermission();
    EXPECT_EQ(probe->requests.size(), 4u);
    EXPECT_TRUE(services.journal.empty()) << "switches and requests leave the engine alone";
}

TEST_F(StatusMenuDelegateTest, AccessibilityOnSaysRunningAppsNeedARestart)
{
    launch();
    auto& alerts = services.packDesktop.alerts;
    rows().requestAccessibilityPermission();
    EXPECT_TRUE(alerts.empty()) << "a desktop that did not switch it on";

    probe->switchesOn = true;
    std::string permissionLine;
    services.packDesktop.onAlert = [&] { permissionLine = title(StatusRow::permissionStatus); };
    rows().requestAccessibilityPermission();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0], "辅助功能已开启: 已在运行的应用（包括 Qt 和 KDE 应用）要重新启动后才能被识别：请重启这些应用，或重新登录。");
    EXPECT_EQ(permissionLine, "🔐 权限状态: AX: 已开启 / 录屏: 未开启") << "the menu says so before the alert shows";
    rows().requestAccessibilityPermission();
    rows().toggleAiIdeSensing();
    EXPECT_EQ(alerts.size(), 1u) << "already on";

    // Switched on by the AI sensing row, in English.
    rows().toggleAiIdeSensing();
    probe->accessibilityOn = false;
    AppLanguage::shared().language = Language::en;
    rows().toggleAiIdeSensing();
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1], "Accessibility is on: Applications that were already running, Qt and KDE applications among "
                         "them, are seen only once they are restarted: restart them, or log in again.");

    // Switched on by the setup window's Continue: the same notice, and the menu follows.
    probe->accessibilityOn = false;
    rows().toggleLanguage();
    rows().toggleLanguage();
    ASSERT_EQ(title(StatusRow::permissionStatus), "🔐 Permissions: AX: Off / Screen: Off");
    services.setupRequestsAccessibility();
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_EQ(alerts[2], alerts[1]);
    EXPECT_EQ(title(StatusRow::permissionStatus), "🔐 Permissions: AX: On / Screen: Off");
}

TEST_F(StatusMenuDelegateTest, LanguageRowSwitchesEveryTitleAndIsStored)
{
    launch();
    EXPECT_EQ(title(StatusRow::langToggle), "切换为英文 (Switch to English)");
    EXPECT_EQ(title(StatusRow::quit), "退出 Plovane");
    rows().toggleLanguage();
    EXPECT_EQ(title(StatusRow::langToggle), "切换为中文 (Switch to Chinese)");
    EXPECT_EQ(title(StatusRow::quit), "Quit Plovane");
    EXPECT_EQ(title(StatusRow::toggleHud), "Show/Hide HUD");
    EXPECT_EQ(menu().targets[0].title, "Core & Lumbar") << "the submenus are rebuilt in the new language";
    EXPECT_EQ(menu().toolTip, "Plovane – Click to show/hide");
    EXPECT_EQ(defaults->stringForKey("tessivar.language"), "en");

    // The HUD's menu reaches the same switch, and the status menu follows it.
    delegate->menuToggleLanguage();
    EXPECT_EQ(title(StatusRow::langToggle), "切换为英文 (Switch to English)");
    delegate->menuToggleCompact();
    EXPECT_EQ(title(StatusRow::compactMode), "📊 展开面板");
    EXPECT_FALSE(menu().row(StatusRow::compactMode).checkable) << "the title alone tells the state";
    const int applies = services.status.applies;
    delegate->menuToggleChaos();
    rows().toggleHUD();
    EXPECT_EQ(services.status.applies, applies) << "overload and show/hide leave the titles alone";
}

TEST_F(StatusMenuDelegateTest, TargetChoiceIsSavedReachesTheEngineAndNeverEmpties)
{
    launch();
    rows().selectAchillesTarget("dryEye");
    const AchillesTargetSet onlyCramp{AchillesTarget::calfCramp};
    EXPECT_EQ(services.engine->targets, onlyCramp);
    EXPECT_EQ(services.status.targetChecks, onlyCramp);
    EXPECT_EQ(defaults->stringArrayForKey("tessivar.achilles_targets"), (std::vector<std::string>{"calfCramp"}));

    defaults->clearWrites();
    rows().selectAchillesTarget("calfCramp");
    EXPECT_EQ(services.engine->targets, onlyCramp) << "the last checked target stays checked";
    EXPECT_EQ(defaults->writes().size(), 1u) << "and is saved again";

    rows().selectAchillesTarget("varicoseVeins");
    EXPECT_EQ(defaults->stringArrayForKey("tessivar.achilles_targets"),
              (std::vector<std::string>{"calfCramp", "varicoseVeins"}))
        << "saved sorted by raw value";

    defaults->clearWrites();
    services.journal.clear();
    rows().selectAchillesTarget("spine");
    EXPECT_TRUE(defaults->writes().empty()) << "text naming no target is ignored";
    EXPECT_TRUE(services.journal.empty());
}

TEST_F(StatusMenuDelegateTest, TargetChosenBeforeLaunchReachesTheEngineAtLaunch)
{
    delegate->applicationWillFinishLaunching();
    rows().selectAchillesTarget("neckStrain");
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(services.engine->targets,
              (AchillesTargetSet{AchillesTarget::neckStrain, AchillesTarget::dryEye, AchillesTarget::calfCramp}));
}

TEST_F(StatusMenuDelegateTest, IconRedrawnOnlyForNewStateCharacterOrSpriteFile)
{
    const std::string pack = test::makeCustomCharacter("Pip", R"({"name": "Pip"})");
    launch();
    auto& icons = services.status.icons;
    icons.clear();

    rows().selectCharacter("custom:Pip");
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons.back(), pack + "/sprite_deep_dive_32.png");
    EXPECT_EQ(services.status.characterCheck, "custom:Pip");

    services.engine->setState(DiveState::research);
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons.back(), pack + "/sprite_reading_32.png");
    services.engine->setState(DiveState::research);
    rows().spriteFilesChanged();
    EXPECT_EQ(icons.size(), 2u) << "nothing changed, nothing drawn";

    services.engine->setState(DiveState::chaos);
    EXPECT_EQ(icons.back(), pack + "/sprite_critical_32.png") << "chaos wears the critical look";

    // A first animation frame appears, then a second, then the second is rewritten.
    test::writeFile(pack + "/sprite_critical_32_1.png");
    rows().spriteFilesChanged();
    EXPECT_EQ(icons.back(), pack + "/sprite_critical_32_1.png");
    test::writeFile(pack + "/sprite_critical_32_2.png");
    rows().spriteFilesChanged();
    EXPECT_EQ(icons.back(), pack + "/sprite_critical_32_2.png");
    const std::size_t drawn = icons.size();
    std::filesystem::last_write_time(pack + "/sprite_critical_32_2.png",
                                     std::filesystem::last_write_time(pack + "/sprite_critical_32_2.png") +
                                         std::chrono::seconds(5));
    rows().spriteFilesChanged();
    EXPECT_EQ(icons.size(), drawn + 1) << "a rewritten sprite file is drawn again";

    // The character changed somewhere else (the HUD, an import) shows as well.
    HUDSettings::shared().characterID = CharacterID::builtIn(SpriteCharacter::corgi);
    EXPECT_NE(icons.back().find("corgi/sprite_critical_32"), std::string::npos);
    EXPECT_EQ(services.status.characterCheck, "corgi");
    EXPECT_EQ(defaults->stringForKey("quellin.character"), "corgi");
    EXPECT_EQ(services.scheduler.queued(), 0u) << "all of it without a timer";
}

TEST_F(StatusMenuDelegateTest, IdeLineIsRewrittenOnlyWhenItsTextChanges)
{
    AppLanguage::shared().language = Language::en;
    launch();
    EXPECT_TRUE(services.status.ideLines.empty()) << "the menu already reads disabled";
    services.engine->setSummary("VS Code · editing");
    services.engine->setSummary("VS Code · editing");
    services.engine->setState(DiveState::hovering);
    EXPECT_EQ(services.status.ideLines, (std::vector<std::string>{"🧠 IDE State: VS Code · editing"}));
    EXPECT_EQ(title(StatusRow::ideState), "🧠 IDE State: disabled") << "the whole menu is not rebuilt for it";

    rows().toggleLanguage();
    EXPECT_EQ(title(StatusRow::ideState), "🧠 IDE 状态: VS Code · editing");
    services.engine->setSummary("VS Code · editing");
    EXPECT_EQ(services.status.ideLines.size(), 1u);
}

TEST_F(StatusMenuDelegateTest, ShowHideAndQuitRows)
{
    delegate->applicationWillFinishLaunching();
    rows().toggleHUD();
    EXPECT_TRUE(services.journal.empty()) << "no panel to show or hide before launch";
    delegate->applicationDidFinishLaunching();
    services.journal.clear();
    rows().toggleHUD();
    rows().quitApp();
    EXPECT_EQ(services.journal, (Journal{"hud.toggle", "quit"}));
}

TEST_F(StatusMenuDelegateTest, UnknownCharacterTextChoosesTuffin)
{
    launch();
    rows().selectCharacter("corgi");
    rows().selectCharacter("custom:");
    EXPECT_EQ(services.status.characterCheck, "custom:");
    rows().selectCharacter("dragon");
    EXPECT_EQ(HUDSettings::shared().characterID.get(), CharacterID::builtIn(SpriteCharacter::tuffin));
    EXPECT_EQ(services.status.characterCheck, "tuffin");
}

TEST_F(StatusMenuDelegateTest, AnImportedPackIsListedMarkedAndDrawnBeforeItsAlert)
{
    AppLanguage::shared().language = Language::en;
    launch();
    const std::string archive = test::makeTempDir("archives") + "/kiwi.zip";
    test::packArchive("Kiwi", R"({"name": "Kiwi Bird"})").write(archive);
    auto& desktop = services.packDesktop;
    desktop.archive = archive;

    // What the menu and the icon show at the moment the alert appears.
    std::optional<CharacterMenuEntry> listed;
    std::string icon;
    desktop.onAlert = [&] {
        for (const auto& entry : menu().characters)
            if (entry.rawValue == "custom:Kiwi")
                listed = entry;
        icon = services.status.icons.empty() ? "" : services.status.icons.back();
    };
    rows().importCharacterPack();
    // The import runs off the main thread; its result arrives as a task.
    for (int i = 0; i < 2000 && desktop.alerts.empty(); ++i) {
        services.scheduler.runPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(desktop.alerts, std::vector<std::string>{"Import Successful: Character \"\u2068Kiwi Bird\u2069\" imported successfully!"});
    ASSERT_TRUE(listed.has_value()) << "the character menu lists the new pack";
    EXPECT_EQ(listed->title, "Kiwi Bird");
    EXPECT_TRUE(listed->checked);
    EXPECT_EQ(services.status.characterCheck, "custom:Kiwi");
    EXPECT_EQ(icon, AppResource::customSpritesBase() + "/Kiwi/sprite_deep_dive_32.png");
    EXPECT_EQ(defaults->stringForKey("quellin.character"), "custom:Kiwi");

    // The folder row makes the folder again when it is gone.
    std::filesystem::remove_all(AppResource::customSpritesBase());
    rows().openCustomSpritesFolder();
    EXPECT_EQ(desktop.opened, std::vector<std::string>{AppResource::customSpritesBase()});
    EXPECT_TRUE(std::filesystem::is_directory(AppResource::customSpritesBase()));
}

TEST_F(StatusMenuDelegateTest, PacksAddedOrRemovedByHandShowWhenTheMenuNextOpens)
{
    launch();
    const int applies = services.status.applies;
    auto listedPacks = [&] {
        std::vector<std::string> packs;
        for (const auto& entry : menu().characters)
            if (entry.rawValue.starts_with("custom:"))
                packs.push_back(entry.title);
        return packs;
    };
    test::makeCustomCharacter("second", R"({"name": "Pack 10"})");
    test::makeCustomCharacter("first", R"({"name": "Pack 9"})");
    EXPECT_EQ(services.status.applies, applies) << "nothing reads the folder before the menu opens";

    rows().menuAboutToShow();
    EXPECT_EQ(listedPacks(), (std::vector<std::string>{"Pack 9", "Pack 10"}));

    // Opened again with nothing new: the rows stay as they are.
    const int listed = services.status.applies;
    rows().menuAboutToShow();
    EXPECT_EQ(services.status.applies, listed);

    std::filesystem::remove_all(AppResource::customSpritesBase() + "/first");
    rows().menuAboutToShow();
    EXPECT_EQ(listedPacks(), std::vector<std::string>{"Pack 10"});
}
