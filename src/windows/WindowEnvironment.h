#pragma once

#include "platform/qt/AnimationDriver.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <string>

namespace plovane {

class AppLanguage;
class HUDSettings;
class Scheduler;

// What a secondary window's content runs on; anything left empty is the process-wide
// instance (and a scheduler on the Qt event loop, the steady clock, the current time).
struct WindowEnvironment {
    HUDSettings* settings{nullptr};
    AppLanguage* language{nullptr};
    Scheduler* scheduler{nullptr};
    AnimationDriver::TimeSource animationTime{};
    std::function<QDateTime()> now{};
    // An application's icon as a theme icon name or an absolute image path; empty when
    // the desktop has no entry for it.
    std::function<std::string(const std::string& bundleID)> appIcon{};
};

} // namespace plovane
