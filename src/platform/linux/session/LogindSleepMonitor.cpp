#include "platform/linux/session/LogindSleepMonitor.h"

#include "platform/Log.h"

#include <atomic>

namespace plovane {

namespace {
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSignal = QStringLiteral("PrepareForSleep");

QString newConnectionName()
{
    static std::atomic<unsigned> count{0};
    return QStringLiteral("plovane-logind-%1").arg(++count);
}
} // namespace

LogindSleepMonitor::LogindSleepMonitor(QDBusConnection::BusType bus)
    : connectionName_(newConnectionName()), bus_(QDBusConnection::connectToBus(bus, connectionName_))
{
    // With the name given, Qt drops a signal from anyone else, here and on the bus.
    if (bus_.isConnected())
        subscribed_ = bus_.connect(kService, kPath, kInterface, kSignal, this, SLOT(onPrepareForSleep(bool)));
}

LogindSleepMonitor::~LogindSleepMonitor()
{
    if (subscribed_)
        bus_.disconnect(kService, kPath, kInterface, kSignal, this, SLOT(onPrepareForSleep(bool)));
    QDBusConnection::disconnectFromBus(connectionName_);
}

std::unique_ptr<SleepWakeNotifier> LogindSleepMonitor::forSystemBus()
{
    auto monitor = std::make_unique<LogindSleepMonitor>(QDBusConnection::SystemBus);
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
