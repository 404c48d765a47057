#pragma once

#include "platform/Scheduler.h"
#include "testing/FakeClock.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

namespace plovane {

// A scheduler in virtual time, for tests and benchmarks: nothing runs until the test
// advances time, and then every due task runs in order of its due time (ties in order
// of posting), with the clock set to each task's due time while it runs.
class VirtualScheduler final : public Scheduler {
public:
    explicit VirtualScheduler(FakeClock& clock) : clock_(clock) {}

    TaskHandle post(Task task) override;
    TaskHandle postAfter(double delaySeconds, Task task) override;
    // Beats are whole multiples of the period since the clock's epoch.
    TaskHandle postOnBeat(double periodSeconds, double minDelaySeconds, Task task) override;

    // Runs tasks that are due now, including ones they post for now. Returns how many ran
    // (cancelled tasks are dropped without counting).
    int runPending();
    // Moves the clock forward by `seconds`, running every task that falls due on the way.
    int advance(double seconds);
    // Number of tasks still queued (cancelled ones included until their time comes).
    std::size_t queued() const;
    FakeClock& clock() { return clock_; }

private:
    bool popDue(TimePoint limit, Task& out, TaskHandle& handle);
    TaskHandle queueAt(TimePoint due, Task task);

    FakeClock& clock_;
    mutable std::mutex mutex_;
    std::multimap<std::pair<TimePoint, std::uint64_t>, std::pair<TaskHandle, Task>> tasks_;
    std::uint64_t sequence_ = 0;
};

} // namespace plovane
