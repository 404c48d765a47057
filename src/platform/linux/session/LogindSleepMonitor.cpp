#include "platform/linux/session/LogindSleepMonitor.h"

#include "platform/Log.h"

namespace plovane {

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSignal = QStringLiteral("PrepareForSleep");
} // namespace

LogindSleepMonitor::LogindSleepMonitor(QDBusConnection bus) : bus_(std::move(bus))
{
    if (bus_.isConnected())
        subscribed_ = bus_.connect(kService, kPath, kInterface, kSignal, this, SLOT(onPrepareForSleep(bool)));
}

LogindSleepMonitor::~LogindSleepMonitor()
{
    if (subscribed_)
        bus_.disconnect(kService, kPath, kInterface, kSignal, this, SLOT(onPrepareForSleep(bool)));
}

std::unique_ptr<SleepWakeNotifier> LogindSleepMonitor::forSystemBus()
{
    auto monitor = std::make_unique<LogindSleepMonitor>(QDBusConnection::systemBus());
    if (monitor->subscribed())
        return monitor;
    logLine("No system bus: sleep and wake will not be noticed.");
    return std::make_unique<NullSleepWakeNotifier>();
}

void LogindSleepMonitor::onPrepareForSleep(bool start)
{
    if (start)
        willSleep.emit();
    else
        didWake.emit();
}

} // namespace plovane
