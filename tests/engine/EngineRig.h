#pragma once

// A dive engine on virtual time with scripted sensors: a fake desktop (frontmost and
// running applications, idle seconds), a scripted IDE classifier, a fake sleep/wake
// source and an in-memory settings store installed as the process-wide one.

#include "engine/DiveEngine.h"
#include "engine/EngineTuningFeed.h"
#include "platform/AccessibilitySource.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/InputIdleSource.h"
#include "platform/SleepWakeNotifier.h"
#include "platform/Workspace.h"
#include "sensing/AXContextMonitor.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "testing/FakeDesktop.h"
#include "testing/VirtualScheduler.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plovane::test {

// Returns whatever the test scripts; sensing is off unless told otherwise.
class ScriptedIDEProvider final : public IDEStateProvider {
public:
    explicit ScriptedIDEProvider(AXContextMonitor& ax) : IDEStateProvider(ax) {}
    IDEStateSnapshot next = IDEStateSnapshot::disabled();
    int calls = 0;

    IDEStateSnapshot snapshot(const ActiveAppSnapshot&, const InputSnapshot&, int) override
    {
        ++calls;
        return next;
    }
};

class CountingInputMonitor final : public GlobalInputMonitor {
public:
    using GlobalInputMonitor::GlobalInputMonitor;
    int starts = 0;
    int stops = 0;
    void start() override { ++starts; }
    void stop() override { ++stops; }
};

struct EngineRig {
    FakeClock clock;
    VirtualScheduler scheduler{clock};
    FakeWorkspace workspace;
    FakeIdleSource idle{0.2};
    NullAccessibilitySource accessibility;
    AXContextMonitor axMonitor{accessibility};
    SleepWakeNotifier sleepWake;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();

    // Set by makeEngine(); owned by the engine.
    CountingInputMonitor* input = nullptr;
    ScriptedIDEProvider* ide = nullptr;
    std::unique_ptr<DiveEngine> engine;
    // Pushes the process-wide settings the tests change into the engine, as the app does.
    std::unique_ptr<EngineTuningFeed> tuningFeed;

    explicit EngineRig(Language language = Language::en)
    {
        UserDefaults::setStandard(defaults);
        AppLanguage::shared().language = language;
    }
    ~EngineRig()
    {
        tuningFeed.reset();
        engine.reset();
        UserDefaults::setStandard(nullptr);
    }

    DiveEngine& makeEngine(DiveConfig config = {})
    {
        tuningFeed.reset();
        auto inputMonitor = std::make_unique<CountingInputMonitor>(idle);
        auto ideProvider = std::make_unique<ScriptedIDEProvider>(axMonitor);
        input = inputMonitor.get();
        ide = ideProvider.get();
        engine = std::make_unique<DiveEngine>(std::move(config), std::move(inputMonitor),
                                              std::make_unique<ActiveAppMonitor>(workspace), std::move(ideProvider),
                                              EngineServices{clock, scheduler, workspace, sleepWake, *defaults,
                                                             EngineTuningFeed::current(HUDSettings::shared(),
                                                                                       AppLanguage::shared())});
        tuningFeed = std::make_unique<EngineTuningFeed>(*engine, HUDSettings::shared(), AppLanguage::shared());
        return *engine;
    }
    DiveEngine& startEngine(DiveConfig config = {})
    {
        makeEngine(std::move(config)).start();
        return *engine;
    }

    void front(const std::string& bundleID, const std::string& name = {})
    {
        workspace.frontmost = RunningApplication{bundleID, name.empty() ? bundleID : name, {}, 1};
    }
    void noFront() { workspace.frontmost.reset(); }
    void typing() { idle.idle = 0.2; }
    void away(double seconds = 120) { idle.idle = seconds; }

    // Runs the loop for `seconds` of virtual time: with a started engine, advance(n) runs
    // the ticks due in (now, now + n], plus any tick due now.
    void run(double seconds) { scheduler.advance(seconds); }
    // Moves the wall clock without running anything (a gap between ticks).
    void jump(double seconds) { clock.advance(seconds); }

    void sleep()
    {
        sleepWake.willSleep.emit();
        scheduler.runPending();
    }
    void wake()
    {
        sleepWake.didWake.emit();
        scheduler.runPending();
    }

    std::optional<DailyStats> stored(const std::string& date) const
    {
        auto value = defaults->object(DailyStats::storeKey(date));
        if (!value)
            return std::nullopt;
        return DailyStats::fromJson(*value);
    }
    long long statSeconds(DiveState s) const
    {
        const auto& d = engine->dailyStats->stateDurations;
        auto it = d.find(std::string(rawValue(s)));
        return it == d.end() ? 0 : it->second;
    }
};

// A started engine whose first tick has run, with `app` frontmost.
struct RunningEngine : EngineRig {
    DiveEngine& e;
    explicit RunningEngine(const std::string& app = "com.microsoft.VSCode", DiveConfig config = {},
                           const std::string& name = {})
        : e((front(app, name), startEngine(std::move(config))))
    {
        scheduler.runPending();
    }
};

inline const std::string kCode = "com.microsoft.VSCode";
inline const std::string kFirefox = "org.mozilla.firefox";
inline const std::string kChat = "com.tencent.xinWeChat";
inline const std::string kVideo = "com.bilibili.app";
inline const std::string kMail = "org.gnome.Evolution";

// Local-time midnight tests run in UTC (the test main's default), so 09:00 of the fake
// clock's first day plus 15 h is midnight.
inline constexpr double kSecondsToMidnight = 15 * 3600;

} // namespace plovane::test
