#include "engine/DiveEngine.h"

#include "engine/SelfBundleIDs.h"
#include "platform/Log.h"
#include "platform/SleepWakeNotifier.h"
#include "platform/UserDefaults.h"
#include "platform/Workspace.h"
#include "settings/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plovane {
namespace {

constexpr double kWorkEntryHoldSeconds = 4;
constexpr double kRestEntryHoldSeconds = 8;
constexpr double kTriviaPeriodSeconds = 10;
constexpr double kRestAdvicePeriodSeconds = 12;
constexpr double kMinSessionMinutes = 10;
constexpr double kMinRestMinutes = 3;
constexpr double kMinKnockHintSeconds = 0.1;
constexpr long long kSaveEverySeconds = 10;

// The value shown for a gauge: one decimal, ties away from zero.
double shown(double precise)
{
    return std::round(precise * 10) / 10;
}

bool isWorkState(DiveState s)
{
    return s == DiveState::flow || s == DiveState::research || s == DiveState::chaos;
}

// Adds `seconds` to `carry` and takes out the whole seconds it now holds. Ticks come on a
// one-second beat, some a hair under a second apart: truncating each one alone would drop
// those, where the carried fraction adds them up to the time that really passed.
long long takeWholeSeconds(double& carry, double seconds)
{
    // Fractions that add up to a whole second in decimal may fall a hair short of it in
    // binary: within a microsecond counts as there.
    constexpr double kRoundingSlack = 1e-6;
    carry += seconds;
    const auto whole = static_cast<long long>(carry + kRoundingSlack);
    carry -= static_cast<double>(whole);
    return whole;
}

} // namespace

DiveEngine::DiveEngine(DiveConfig config, std::unique_ptr<GlobalInputMonitor> inputMonitor,
                       std::unique_ptr<ActiveAppMonitor> activeAppMonitor,
                       std::unique_ptr<IDEStateProvider> ideStateProvider, EngineServices services)
    : adviceText(*this, Strings::initialAdvice(services.tuning.language)),
      dailyStats(*this, DailyStats::loadToday(services.clock, services.defaults)),
      config_(std::move(config)),
      inputMonitor_(std::move(inputMonitor)),
      activeAppMonitor_(std::move(activeAppMonitor)),
      ideStateProvider_(std::move(ideStateProvider)),
      services_(services),
      tuning_(services.tuning),
      lastTickDate_(services.clock.now()),
      nextTriviaAt_(services.clock.now())
{
}

DiveEngine::~DiveEngine()
{
    stop();
}

void DiveEngine::setTuning(const EngineTuning& tuning)
{
    tuning_ = tuning;
}

// ---- Loop ----

void DiveEngine::start()
{
    stop();
    inputMonitor_->start();
    registerSleepObservers();
    lastTickDate_ = services_.clock.now();
    nextTriviaAt_ = services_.clock.now();
    running_ = true;
    // A stop() or start() during a tick cancels this loop, so that tick is its last.
    loopTask_ = ScopedTask::onBeat(services_.scheduler, config_.tickInterval, [this] { tick(); }, 0);
}

void DiveEngine::stop()
{
    running_ = false;
    loopTask_.cancel();
    knockHintTask_.cancel();
    unregisterSleepObservers();
    sleepStartedAt_.reset();
    inputMonitor_->stop();
    // Keep the seconds booked since the last periodic save: otherwise every quit would
    // drop up to nine of them.
    if (statsSaveCounter_ > 0) {
        dailyStats->save(services_.defaults);
        statsSaveCounter_ = 0;
    }
}

void DiveEngine::tick()
{
    const TimePoint now = services_.clock.now();
    if (sleepStartedAt_) {
        lastTickDate_ = now;
        return;
    }
    const double dt = std::max(0.0, secondsBetween(lastTickDate_, now));
    lastTickDate_ = now;
    if (dt >= longIdleThreshold) {
        resetAfterLongIdle();
        return;
    }

    const InputSnapshot input = inputMonitor_->snapshot();
    const ActiveAppSnapshot app = activeAppMonitor_->frontmostAppSnapshot();
    activeAppName.setIfChanged(app.name);
    activeBundleID.setIfChanged(app.bundleID);

    const bool didSwitch = recordAppSwitch(now, app.bundleID);
    isMusicPlaying.setIfChanged(isMusicAppRunning());
    switches60s.setIfChanged(static_cast<int>(appSwitchHistory_.size()));
    const bool overloaded = switches60s.get() > config_.switchCountThreshold;
    if (didSwitch)
        pushRecentApp(app);

    const IDEStateSnapshot ide = ideStateProvider_->snapshot(app, input, switches60s.get());
    ideStateSummary.setIfChanged(ide.summary);

    state.setIfChanged(deriveState(now, input.noInputSeconds, input.isActivelyTyping, overloaded, ide));
    updateStats(dt);
    updateTriviaAdvice(now);
    applyStateEntryAdviceIfNeeded(now);

    trackDailyStats(takeWholeSeconds(bookingCarry_, dt), state.get(), activeBundleID.get(), activeAppName.get());

    const bool warn = (didSwitch && overloaded && state.get() != DiveState::critical) ||
                      state.get() == DiveState::chaos;
    narcosisWarningVisible.setIfChanged(warn);

    if (logEnabled(LogLevel::debug))
        logTick(input, app, ide);
}

// One line per tick with what was sensed and what it led to (PLOVANE_LOG=debug).
void DiveEngine::logTick(const InputSnapshot& input, const ActiveAppSnapshot& app, const IDEStateSnapshot& ide) const
{
    // Below the typing bound, what the input was: keys, the pointer, or what the desktop
    // does not tell.
    const std::string kind = input.isActivelyTyping ? " (" + inputMonitor_->lastInputLabel() + ")" : "";
    char numbers[160];
    std::snprintf(numbers, sizeof numbers, "no input %.1f s%s, switches %d in 60 s", input.noInputSeconds,
                  kind.c_str(), switches60s.get());
    char gauges[64];
    std::snprintf(gauges, sizeof gauges, "o2 %.1f, depth %.1f, shift %lld", o2.get(), depth.get(), focusSeconds.get());
    logDebug(std::string("tick: ") + numbers + ", front " + app.bundleID + " \"" + app.name + "\"" +
             (isMusicPlaying.get() ? ", music running" : "") + ", ide " + ide.summary + " -> " +
             std::string(rawValue(state.get())) + ", " + gauges);
}

bool DiveEngine::recordAppSwitch(TimePoint now, const std::string& bundleID)
{
    bool switched = false;
    if (bundleID != lastActiveBundleID_) {
        auto isWork = [this](const std::string& id) {
            return config_.oxygenApps.contains(id) || config_.researchApps.contains(id);
        };
        // Moving between two work tools is part of the work, not a distraction.
        if (!(isWork(lastActiveBundleID_) && isWork(bundleID)))
            appSwitchHistory_.push_back(now);
        lastActiveBundleID_ = bundleID;
        switched = true;
    }
    const TimePoint windowStart = addSeconds(now, -config_.switchWindowSeconds);
    std::erase_if(appSwitchHistory_, [&](TimePoint t) { return t < windowStart; });
    return switched;
}

void DiveEngine::pushRecentApp(const ActiveAppSnapshot& snapshot)
{
    if (selfBundleIDs().contains(snapshot.bundleID))
        return;
    std::vector<RecentApp> apps = recentApps.get();
    std::erase_if(apps, [&](const RecentApp& a) { return a.bundleID == snapshot.bundleID; });
    apps.insert(apps.begin(), RecentApp{.id = snapshot.bundleID,
                                        .name = snapshot.name,
                                        .bundleID = snapshot.bundleID,
                                        .icon = snapshot.icon,
                                        .isNitrogen = config_.nitrogenApps.contains(snapshot.bundleID)});
    constexpr std::size_t kMaxRecentApps = 5;
    if (apps.size() > kMaxRecentApps)
        apps.resize(kMaxRecentApps);
    recentApps.set(std::move(apps));
}

bool DiveEngine::isMusicAppRunning()
{
    for (const auto& running : services_.workspace.runningApplications())
        if (!running.bundleID.empty() && config_.musicApps.contains(running.bundleID))
            return true;
    return false;
}

// ---- State derivation ----

DiveState DiveEngine::deriveState(TimePoint now, double noInputSeconds, bool isActivelyTyping,
                                  bool overloadedSwitching, const IDEStateSnapshot& ide)
{
    const DiveState current = state.get();
    const bool shouldBeCritical = current == DiveState::critical || o2.get() <= 0 ||
                                  depth.get() >= config_.decompressionDepthThreshold;
    if (shouldBeCritical && !manualHovering_)
        return DiveState::critical;

    if (manualHovering_) {
        if (!isActivelyTyping) {
            highInputStartedAt_.reset();
        } else {
            if (!highInputStartedAt_)
                highInputStartedAt_ = now;
            if (secondsBetween(*highInputStartedAt_, now) >= config_.rediveSustainSeconds) {
                manualHovering_ = false;
                highInputStartedAt_.reset();
                return DiveState::flow;
            }
        }
        nitrogenEnteredAt_.reset();
        return DiveState::resting;
    }

    if (ide.isEnabled && ide.primaryState != IDEPrimaryState::idle) {
        nitrogenEnteredAt_.reset();
        switch (ide.primaryState) {
        case IDEPrimaryState::prompting:
        case IDEPrimaryState::researching:
            return DiveState::research;
        case IDEPrimaryState::waiting:
            return DiveState::hovering;
        case IDEPrimaryState::working:
        case IDEPrimaryState::terminal:
        case IDEPrimaryState::idle:
            return DiveState::flow;
        }
    }

    if (noInputSeconds > config_.hoveringIdleSeconds) {
        nitrogenEnteredAt_.reset();
        return DiveState::hovering;
    }

    if (tuning_.chaosEnabled) {
        if (overloadedSwitching)
            return DiveState::chaos;
        if (config_.nitrogenApps.contains(activeBundleID.get())) {
            const DiveState keep = current == DiveState::research ? DiveState::research : DiveState::flow;
            if (!nitrogenEnteredAt_) {
                nitrogenEnteredAt_ = now;
                return keep;
            }
            if (secondsBetween(*nitrogenEnteredAt_, now) >= config_.nitrogenDebounceSeconds)
                return DiveState::chaos;
            return keep;
        }
    }

    nitrogenEnteredAt_.reset();
    return config_.researchApps.contains(activeBundleID.get()) ? DiveState::research : DiveState::flow;
}

// ---- Manual rest and knock hint ----

void DiveEngine::triggerManualSurface()
{
    if (state.get() == DiveState::resting) {
        triggerManualDive();
        return;
    }
    manualHovering_ = true;
    highInputStartedAt_.reset();
    state.setIfChanged(DiveState::resting);
}

void DiveEngine::triggerManualDive()
{
    manualHovering_ = false;
    highInputStartedAt_.reset();
    if (state.get() == DiveState::critical)
        return;
    state.setIfChanged(config_.researchApps.contains(activeBundleID.get()) ? DiveState::research : DiveState::flow);
}

void DiveEngine::triggerKnockHint(double duration)
{
    knockHintVisible.set(true);
    // Replacing the task cancels the earlier one, so only the latest hint clears the flag.
    knockHintTask_ = services_.scheduler.postAfter(std::max(kMinKnockHintSeconds, duration),
                                                   [this] { knockHintVisible.setIfChanged(false); });
}

// ---- Gauges, long idle, sleep and wake ----

void DiveEngine::updateStats(double deltaSeconds)
{
    const double minutes = deltaSeconds / 60;
    const DiveState current = state.get();
    if (isWorkState(current)) {
        if (const long long whole = takeWholeSeconds(focusCarry_, deltaSeconds); whole != 0)
            focusSeconds.set(focusSeconds.get() + whole);
    }

    const double drain = 100 / std::max(kMinSessionMinutes, tuning_.sessionMinutes);
    switch (current) {
    case DiveState::flow:
        preciseO2_ -= drain * minutes;
        preciseDepth_ += config_.depthIncreaseFlowPerMinute * minutes;
        break;
    case DiveState::research:
        preciseO2_ -= (drain * 0.5) * minutes;
        preciseDepth_ += config_.depthIncreaseResearchPerMinute * minutes;
        break;
    case DiveState::chaos:
        preciseO2_ -= (drain * 5) * minutes;
        preciseDepth_ += config_.depthIncreaseChaosPerMinute * minutes;
        break;
    case DiveState::hovering:
        preciseO2_ += config_.o2HoveringPerMinute * minutes;
        preciseDepth_ = std::max(0.0, preciseDepth_ - config_.depthRecoverHoveringPerMinute * minutes);
        break;
    case DiveState::critical:
        break;
    case DiveState::resting:
        preciseO2_ += (100 / std::max(kMinRestMinutes, tuning_.restMinutes)) * minutes;
        preciseDepth_ = std::max(0.0, preciseDepth_ - config_.depthRecoverRestingPerMinute * minutes);
        break;
    }
    publishGauges();

    if (preciseDepth_ >= config_.decompressionDepthThreshold || preciseO2_ <= 0)
        state.setIfChanged(DiveState::critical);
}

void DiveEngine::publishGauges()
{
    preciseO2_ = std::clamp(preciseO2_, 0.0, 100.0);
    preciseDepth_ = std::max(0.0, preciseDepth_);
    o2.setIfChanged(shown(preciseO2_));
    depth.setIfChanged(shown(preciseDepth_));
}

void DiveEngine::resetAfterLongIdle()
{
    preciseO2_ = 100;
    preciseDepth_ = 0;
    o2.set(100);
    depth.set(0);
    focusSeconds.setIfChanged(0);
    focusCarry_ = 0;
    manualHovering_ = false;
    highInputStartedAt_.reset();
    nitrogenEnteredAt_.reset();
    appSwitchHistory_.clear();
    switches60s.setIfChanged(0);
    state.setIfChanged(DiveState::hovering);
    adviceText.setIfChanged(Strings::welcomeBack(lang()));
}

void DiveEngine::registerSleepObservers()
{
    if (!workspaceObservers_.empty())
        return;
    // The handlers run on a later main-thread turn, never inside the notification.
    // A second notice of the same kind before the first is handled replaces it.
    workspaceObservers_.push_back(services_.sleepWake.willSleep.connect(
        [this] { sleepTask_ = services_.scheduler.post([this] { handleSystemWillSleep(); }); }));
    workspaceObservers_.push_back(services_.sleepWake.didWake.connect(
        [this] { wakeTask_ = services_.scheduler.post([this] { handleSystemDidWake(); }); }));
}

void DiveEngine::unregisterSleepObservers()
{
    workspaceObservers_.clear();
    sleepTask_.cancel();
    wakeTask_.cancel();
}

void DiveEngine::handleSystemWillSleep()
{
    sleepStartedAt_ = services_.clock.now();
}

void DiveEngine::handleSystemDidWake()
{
    const TimePoint now = services_.clock.now();
    if (sleepStartedAt_)
        applySleepRecovery(std::max(0.0, secondsBetween(*sleepStartedAt_, now)));
    sleepStartedAt_.reset();
    lastTickDate_ = now;
}

void DiveEngine::applySleepRecovery(double duration)
{
    if (duration <= 0)
        return;
    const double minutes = duration / 60;
    preciseO2_ += (100 / std::max(kMinRestMinutes, tuning_.restMinutes)) * minutes;
    preciseDepth_ = std::max(0.0, preciseDepth_ - config_.depthRecoverRestingPerMinute * minutes);
    publishGauges();
    trackDailyStats(takeWholeSeconds(bookingCarry_, duration), DiveState::resting, kUnknownBundleID, "Sleep");
}

// ---- Advice ----

void DiveEngine::applyStateEntryAdviceIfNeeded(TimePoint now)
{
    const DiveState current = state.get();
    if (current == lastState_)
        return;
    lastState_ = current;
    const Language language = lang();
    switch (current) {
    case DiveState::flow:
        adviceText.setIfChanged(pickTargetedAdvice(Strings::flowAdvicePool(language), Strings::flowFallback(language)));
        adviceHoldUntil_ = addSeconds(now, kWorkEntryHoldSeconds);
        break;
    case DiveState::research:
        adviceText.setIfChanged(
            pickRandom(Strings::researchAdvicePool(language), Strings::researchFallback(language)));
        adviceHoldUntil_ = addSeconds(now, kWorkEntryHoldSeconds);
        break;
    case DiveState::chaos:
        adviceText.setIfChanged(pickRandom(Strings::chaosAdvicePool(language), Strings::chaosFallback(language)));
        adviceHoldUntil_ = addSeconds(now, kWorkEntryHoldSeconds);
        break;
    case DiveState::hovering:
        adviceHoldUntil_.reset();
        break;
    case DiveState::critical:
        adviceText.setIfChanged(criticalCommandText());
        adviceHoldUntil_.reset();
        break;
    case DiveState::resting:
        adviceText.setIfChanged(pickRestingAdvice());
        adviceHoldUntil_ = addSeconds(now, kRestEntryHoldSeconds);
        break;
    }
}

void DiveEngine::updateTriviaAdvice(TimePoint now)
{
    const DiveState current = state.get();
    if (current != DiveState::hovering && current != DiveState::resting)
        return;
    if (adviceHoldUntil_ && now < *adviceHoldUntil_)
        return;
    if (now < nextTriviaAt_)
        return;
    if (current == DiveState::hovering) {
        const Language language = lang();
        const std::string fallback = pickRandom(Strings::generalTriviaPool(language), Strings::hoveringFallback(language));
        adviceText.setIfChanged(pickTargetedAdvice(Strings::hoveringTriviaPool(language), fallback));
        nextTriviaAt_ = addSeconds(now, kTriviaPeriodSeconds);
    } else {
        adviceText.setIfChanged(pickRestingAdvice());
        nextTriviaAt_ = addSeconds(now, kRestAdvicePeriodSeconds);
    }
}

std::string DiveEngine::pickRandom(const std::vector<std::string>& pool, const std::string& fallback)
{
    if (pool.empty())
        return fallback;
    std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
    return pool[pick(random_)];
}

std::string DiveEngine::pickTargetedAdvice(const Strings::TargetPool& pool,
                                           const std::string& fallback)
{
    const auto& targets = achillesTargets.get();
    if (targets.empty())
        return fallback;
    std::uniform_int_distribution<std::size_t> pickTarget(0, targets.size() - 1);
    const AchillesTarget target = *std::next(targets.begin(), static_cast<std::ptrdiff_t>(pickTarget(random_)));
    auto tips = pool.find(target);
    if (tips == pool.end())
        return fallback;
    return pickRandom(tips->second, fallback);
}

std::vector<AchillesTarget> DiveEngine::orderedTargets() const
{
    std::vector<AchillesTarget> ordered(achillesTargets->begin(), achillesTargets->end());
    std::sort(ordered.begin(), ordered.end(),
              [](AchillesTarget a, AchillesTarget b) { return rawValue(a) < rawValue(b); });
    return ordered;
}

std::string DiveEngine::pickRestingAdvice()
{
    const auto ordered = orderedTargets();
    const Language language = lang();
    if (ordered.empty())
        return Strings::restingFallback(language);
    const long long i = restingAdviceIndex_++;
    const AchillesTarget target = ordered[static_cast<std::size_t>(i) % ordered.size()];
    const auto pool = Strings::restingAdvicePool(language);
    auto tips = pool.find(target);
    if (tips == pool.end() || tips->second.empty())
        return Strings::restingFallback(language);
    // Target and tip follow consecutive values of the one counter, the tip with it advanced.
    return tips->second[static_cast<std::size_t>(i + 1) % tips->second.size()];
}

std::string DiveEngine::criticalCommandText()
{
    const auto ordered = orderedTargets();
    const Language language = lang();
    if (ordered.empty())
        return Strings::criticalFallback(language);
    const long long i = criticalAdviceIndex_++;
    return Strings::criticalCommand(ordered[static_cast<std::size_t>(i) % ordered.size()], language);
}

// ---- Daily statistics ----

void DiveEngine::trackDailyStats(long long seconds, DiveState bookedState, const std::string& bundleID,
                                 const std::string& appName)
{
    if (seconds <= 0)
        return;
    const TimePoint end = services_.clock.now();
    const std::string today = DailyStats::dateKey(end);

    // The booked seconds end now. A gap or a sleep that began before midnight books each
    // earlier day's part to that day, never more than the day holds; at least one
    // second, the one that just ended, stays today's. An ordinary tick books that one
    // second only, so it never needs the day's start.
    TimePoint dayStart = end;
    long long rest = 0;
    if (seconds > 1) {
        dayStart = DailyStats::startOfDay(end);
        rest = seconds - std::clamp<long long>(static_cast<long long>(std::ceil(secondsBetween(dayStart, end))), 1,
                                               seconds);
    }
    std::vector<std::pair<std::string, long long>> earlierDays; // newest first
    constexpr int kMaxEarlierDays = 31;                         // a longer sleep books its last month
    while (rest > 0 && static_cast<int>(earlierDays.size()) < kMaxEarlierDays) {
        const TimePoint previousStart = DailyStats::startOfDay(dayStart - std::chrono::seconds(1));
        const long long length = static_cast<long long>(std::ceil(secondsBetween(previousStart, dayStart)));
        const long long part = std::min(rest, std::max<long long>(1, length));
        earlierDays.emplace_back(DailyStats::dateKey(previousStart), part);
        rest -= part;
        dayStart = previousStart;
    }
    long long todaysPart = seconds;
    for (const auto& [date, part] : earlierDays)
        todaysPart -= part;
    todaysPart -= rest; // what lies beyond the month is not booked

    for (auto it = earlierDays.rbegin(); it != earlierDays.rend(); ++it) {
        const auto& [date, part] = *it;
        if (date == dailyStats->date) {
            // Still the live record: the change of day below saves it.
            dailyStats.modify([&](DailyStats& day) { day.add(part, bookedState, bundleID, appName); });
        } else {
            DailyStats earlier = DailyStats::load(date, services_.defaults);
            earlier.add(part, bookedState, bundleID, appName);
            earlier.save(services_.defaults);
        }
    }

    dailyStats.modify([&](DailyStats& day) {
        if (day.date != today) {
            day.save(services_.defaults);
            // The new day may already be stored (the clock was set back): continue it
            // rather than overwrite its totals at the next save.
            day = DailyStats::load(today, services_.defaults);
        }
        day.add(todaysPart, bookedState, bundleID, appName);
    });
    statsSaveCounter_ += seconds;
    if (statsSaveCounter_ >= kSaveEverySeconds) {
        dailyStats->save(services_.defaults);
        statsSaveCounter_ = 0;
    }
}

} // namespace plovane
