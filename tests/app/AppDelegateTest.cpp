#include "app/AppDelegate.h"

#include "platform/InMemoryUserDefaults.h"
#include "platform/Log.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "testing/FakeClock.h"
#include "testing/VirtualScheduler.h"

#include <gtest/gtest.h>

#include <functional>
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
    void setAchillesTargets(const AchillesTargetSet& targets) override
    {
        std::string line = "engine.targets";
        for (auto t : targets)
            line += " " + std::string(rawValue(t));
        journal.push_back(line);
    }
    void start() override { journal.push_back("engine.start"); }
    void stop() override { journal.push_back("engine.stop"); }
    void triggerManualSurface() override { journal.push_back("engine.surface"); }
    void triggerKnockHint(double seconds) override { journal.push_back("engine.knockHint " + std::to_string(seconds)); }
    Journal& journal;
};

struct FakeHud final : HudControl {
    explicit FakeHud(Journal& j) : journal(j) {}
    void show() override { journal.push_back("hud.show"); }
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

struct FakeServices final : AppServices {
    FakeServices() : scheduler(clock) {}
    Scheduler& mainScheduler() override { return scheduler; }
    void becomeAccessory() override { journal.push_back("accessory"); }
    void registerEmbeddedFonts() override { journal.push_back("fonts"); }
    std::unique_ptr<EngineControl> makeEngine() override
    {
        journal.push_back("engine.new");
        return std::make_unique<FakeEngine>(journal);
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
    std::unique_ptr<FirstRunSetupControl> makeFirstRunSetup() override { return std::make_unique<FakeSetup>(journal); }

    FakeWindow* drainWindow{nullptr};
    FakeWindow* reportWindow{nullptr};
    FakeClock clock;
    VirtualScheduler scheduler;
    Journal journal;
    std::function<void()> onKnock;
    HUDMenuActions hudMenu;
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
    EXPECT_EQ(services.scheduler.queued(), 1u) << "the status-icon task waits for its first second";
}

TEST_F(AppDelegateTest, TerminationStopsTheIconTaskThenTheBridgeThenTheEngine)
{
    launch();
    services.scheduler.advance(3.0);
    EXPECT_EQ(services.scheduler.queued(), 1u) << "the icon task repeats every second";

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

TEST_F(AppDelegateTest, KnockWithHintEnabledPlaysTheSoundAndShowsTheHintForThreeSeconds)
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
