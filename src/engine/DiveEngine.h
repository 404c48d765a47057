#pragma once

#include "engine/DailyStats.h"
#include "engine/DiveConfig.h"
#include "engine/EngineTuning.h"
#include "platform/Clock.h"
#include "platform/Observable.h"
#include "platform/Scheduler.h"
#include "platform/Signal.h"
#include "sensing/ActiveAppMonitor.h"
#include "sensing/GlobalInputMonitor.h"
#include "sensing/IDEStateProvider.h"
#include "settings/AchillesTarget.h"
#include "settings/DiveState.h"
#include "settings/Language.h"
#include "settings/Strings.h"

#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace plovane {

class SleepWakeNotifier;
class UserDefaults;
class Workspace;

// The platform services the engine runs on. All must outlive the engine.
struct EngineServices {
    Clock& clock;
    Scheduler& scheduler;
    // Asked once a tick for the running applications (is a music player running?).
    Workspace& workspace;
    SleepWakeNotifier& sleepWake;
    // Where the daily statistics are stored.
    UserDefaults& defaults = UserDefaults::standard();
    // The user's tuning at construction; later changes arrive through setTuning().
    EngineTuning tuning{};
};

// The one-second dive loop: samples the sensors, derives the activity state, drains and
// refills the gauges, picks advice, handles manual rest, sleep and wake, long idle gaps
// and the knock hint, and books every second into the day's statistics. Lives on the
// main thread; every published property announces on objectWillChange before it changes,
// and the tick writes a property only when its value really changes.
class DiveEngine final : public ObservableObject {
public:
    // One recently used application, newest first in `recentApps`.
    struct RecentApp {
        std::string id; // always the bundle identifier
        std::string name;
        std::string bundleID;
        std::string icon; // theme icon name or image path; empty when none
        bool isNitrogen{false};
        bool operator==(const RecentApp&) const = default;
    };

    // A gap between ticks this long (seconds) or longer is a fresh start.
    static constexpr double longIdleThreshold = 1800;

    // Sets initial values only: polls nothing, starts nothing, writes nothing.
    DiveEngine(DiveConfig config, std::unique_ptr<GlobalInputMonitor> inputMonitor,
               std::unique_ptr<ActiveAppMonitor> activeAppMonitor, std::unique_ptr<IDEStateProvider> ideStateProvider,
               EngineServices services);
    ~DiveEngine() override;

    // Starts sensing and the loop (a tick now, then one every tickInterval); restarts a
    // running loop.
    void start();
    // Ends the loop and a pending knock hint, drops the sleep and wake observers and saves
    // whatever was booked since the last save. Harmless when not running.
    void stop();
    bool isRunning() const { return running_; }

    // Switches at once between work and a rest taken by the user.
    void triggerManualSurface();
    // Shows the knock hint for max(0.1, duration) seconds after the latest call.
    void triggerKnockHint(double duration = 1.2);
    // Takes effect from the next tick (the advice language from the next pick).
    void setTuning(const EngineTuning& tuning);
    const EngineTuning& tuning() const { return tuning_; }
    bool shouldEnterDecompressionLayout() const { return state.get() == DiveState::critical; }

    const DiveConfig& config() const { return config_; }

    Published<DiveState> state{*this, DiveState::flow};
    Published<double> o2{*this, 100.0};
    Published<double> depth{*this, 0.0};
    Published<long long> focusSeconds{*this, 0};
    Published<std::string> activeAppName{*this, kUnknownAppName};
    Published<std::string> activeBundleID{*this, kUnknownBundleID};
    Published<int> switches60s{*this, 0};
    Published<bool> narcosisWarningVisible{*this, false};
    Published<AchillesTargetSet> achillesTargets{*this, {AchillesTarget::varicoseVeins}};
    Published<std::string> adviceText;
    Published<std::vector<RecentApp>> recentApps{*this, {}};
    Published<bool> isMusicPlaying{*this, false};
    Published<bool> knockHintVisible{*this, false};
    Published<std::string> ideStateSummary{*this, "disabled"};
    Published<DailyStats> dailyStats;

    // Runs one tick now, as the loop does; for tests and benchmarks.
    void tickForTesting() { tick(); }
    // Draws the advice picks from `seed` instead of the system's entropy.
    void seedRandomForTesting(unsigned seed) { random_.seed(seed); }

private:
    void tick();
    void logTick(const InputSnapshot& input, const ActiveAppSnapshot& app, const IDEStateSnapshot& ide) const;
    bool recordAppSwitch(TimePoint now, const std::string& bundleID);
    void pushRecentApp(const ActiveAppSnapshot& snapshot);
    bool isMusicAppRunning();

    DiveState deriveState(TimePoint now, double noInputSeconds, bool isActivelyTyping, bool overloadedSwitching,
                          const IDEStateSnapshot& ide);
    void triggerManualDive();

    void updateStats(double deltaSeconds);
    void publishGauges();
    void resetAfterLongIdle();
    void registerSleepObservers();
    void unregisterSleepObservers();
    void handleSystemWillSleep();
    void handleSystemDidWake();
    void applySleepRecovery(double duration);

    void applyStateEntryAdviceIfNeeded(TimePoint now);
    void updateTriviaAdvice(TimePoint now);
    std::string pickTargetedAdvice(const Strings::TargetPool& pool, const std::string& fallback);
    std::string pickRandom(const std::vector<std::string>& pool, const std::string& fallback);
    std::string pickRestingAdvice();
    std::string criticalCommandText();
    std::vector<AchillesTarget> orderedTargets() const;

    void trackDailyStats(long long seconds, DiveState bookedState, const std::string& bundleID,
                         const std::string& appName);

    Language lang() const { return tuning_.language; }

    const DiveConfig config_;
    std::unique_ptr<GlobalInputMonitor> inputMonitor_;
    std::unique_ptr<ActiveAppMonitor> activeAppMonitor_;
    std::unique_ptr<IDEStateProvider> ideStateProvider_;
    EngineServices services_;
    EngineTuning tuning_;

    double preciseO2_{100.0};
    double preciseDepth_{0.0};
    bool running_{false};
    TimePoint lastTickDate_;
    std::deque<TimePoint> appSwitchHistory_;
    std::string lastActiveBundleID_{kUnknownBundleID};
    std::optional<TimePoint> nitrogenEnteredAt_;
    bool manualHovering_{false};
    std::optional<TimePoint> highInputStartedAt_;
    DiveState lastState_{DiveState::flow};
    std::optional<TimePoint> adviceHoldUntil_;
    TimePoint nextTriviaAt_;
    long long criticalAdviceIndex_{0};
    long long restingAdviceIndex_{0};
    long long statsSaveCounter_{0};
    // What the shift clock and the day's booking have not yet counted: less than a second.
    double focusCarry_{0};
    double bookingCarry_{0};
    std::vector<Connection> workspaceObservers_;
    std::optional<TimePoint> sleepStartedAt_;

    std::mt19937 random_{std::random_device{}()};
    // Last, so they are cancelled before anything their tasks touch is destroyed.
    ScopedTask loopTask_;
    ScopedTask knockHintTask_;
    ScopedTask sleepTask_;
    ScopedTask wakeTask_;
};

} // namespace plovane
