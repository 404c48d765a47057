#pragma once

#include "platform/InputIdleSource.h"
#include "platform/Workspace.h"

#include <optional>
#include <vector>

namespace plovane {

// A desktop that answers what the test (or benchmark) sets, and counts the questions.
class FakeWorkspace final : public Workspace {
public:
    std::optional<RunningApplication> frontmost;
    std::vector<RunningApplication> running;
    int frontmostReads{0};
    int runningQueries{0};

    std::optional<RunningApplication> frontmostApplication() override
    {
        ++frontmostReads;
        return frontmost;
    }
    std::vector<RunningApplication> runningApplications() override
    {
        ++runningQueries;
        return running;
    }
};

// Input idle time that only changes when told to.
class FakeIdleSource final : public InputIdleSource {
public:
    explicit FakeIdleSource(double idleSeconds = 0) : idle(idleSeconds) {}
    double idle;
    double secondsSinceLastInput() override { return idle; }
};

} // namespace plovane
