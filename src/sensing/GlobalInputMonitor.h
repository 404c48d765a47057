#pragma once

#include "platform/Clock.h"
#include "sensing/InputSnapshot.h"

#include <string>

namespace plovane {

class InputIdleSource;

// Asks the desktop afresh, on every call, how long the user has been idle. Keeps no
// state; start() and stop() exist so the engine can bracket its loop.
class GlobalInputMonitor {
public:
    explicit GlobalInputMonitor(InputIdleSource& source) : source_(source) {}
    virtual ~GlobalInputMonitor() = default;

    // `now` and `burstWindow` are accepted for callers' convenience and ignored: the idle
    // time comes from the desktop alone.
    virtual InputSnapshot snapshot(TimePoint now = TimePoint{}, double burstWindow = 0);
    virtual void start() {}
    virtual void stop() {}
    // What the last input was, in words for the debug trace ("keys", "pointer", ...); it
    // may ask the desktop, which a snapshot never needs.
    virtual std::string lastInputLabel();

    // Permission prompts live in the permission center; these two stay inert.
    void ensureAccessibilityPrompt() {}
    std::string hasAccessibilityPermission() { return {}; }

private:
    InputIdleSource& source_;
};

} // namespace plovane
