#include "status/TrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QSystemTrayIcon>

namespace plovane {

namespace {

bool statusNotifierHostRegistered()
{
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
    return host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool();
}

} // namespace

TrayHost probeTrayHost()
{
    if (statusNotifierHostRegistered())
        return TrayHost::statusNotifier;
    return QSystemTrayIcon::isSystemTrayAvailable() ? TrayHost::xembed : TrayHost::none;
}

std::string_view describe(TrayHost host)
{
    switch (host) {
    case TrayHost::none:
        return "none";
    case TrayHost::xembed:
        return "XEmbed system tray";
    case TrayHost::statusNotifier:
        return "StatusNotifierItem host";
    }
    return "none";
}

} // namespace plovane
