#include "platform/linux/LinuxPlatform.h"

#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/linux/ApplicationIdentity.h"
#include "platform/linux/AtspiAccessibilitySource.h"
#include "platform/linux/DBusScreenLockWatch.h"
#include "platform/linux/DesktopEntries.h"
#include "platform/linux/LinuxPermissionProbe.h"
#include "platform/linux/LogindSleepMonitor.h"
#include "platform/linux/ProcStatProcessTable.h"
#include "platform/linux/XScreenSaverIdleSource.h"
#include "platform/linux/XScreenSaverWatch.h"
#include "platform/linux/XSyncIdleSource.h"
#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbWorkspace.h"

#include <QDBusConnection>

#include <vector>

namespace plovane {

LinuxSensingPlatform probeLinuxSensingPlatform()
{
    LinuxSensingPlatform platform;
    auto entries = std::make_shared<const DesktopEntries>(paths::dataDirs());
    auto identity = std::make_shared<const ApplicationIdentity>(entries);
    platform.identity = identity;

    const auto x = XcbConnection::open();
    const bool hasDisplay = x != nullptr;
    if (x) {
        platform.workspace = std::make_shared<XcbWorkspace>(x, identity);
        // Idle time from alarms when the server can tell us of changes; else asked for on
        // every tick.
        if (auto alarms = XSyncIdleSource::open(x)) {
            platform.inputIdle = alarms;
        } else if (auto asked = std::make_shared<XScreenSaverIdleSource>(x); asked->available()) {
            logDebug("The X server lacks SYNC's IDLETIME counter: input idle time is asked for on every tick.");
            platform.inputIdle = asked;
        } else {
            logLine("The X server lacks SYNC and MIT-SCREEN-SAVER: input idle time is not known.");
        }
    } else {
        logLine("No X display: the frontmost application and input idle time are not known.");
        platform.workspace = std::make_shared<ProcOnlyWorkspace>(identity);
    }
    if (!platform.inputIdle)
        platform.inputIdle = std::make_shared<NullInputIdleSource>();

    const QDBusConnection session = QDBusConnection::sessionBus();
    if (auto atspi = AtspiAccessibilitySource::connectToSession(session)) {
        platform.accessibility = std::move(atspi);
    } else {
        logLine("No accessibility bus: the focus context is not available.");
        platform.accessibility = std::make_shared<NullAccessibilitySource>();
    }
    if (session.isConnected())
        platform.permissions = std::make_shared<LinuxPermissionProbe>(session);
    else
        platform.permissions = std::make_shared<NullPermissionProbe>();

    platform.processes = std::make_shared<ProcStatProcessTable>();
    platform.sleepWake = LogindSleepMonitor::forSystemBus();

    std::vector<std::unique_ptr<ScreenWatch>> watches;
    if (hasDisplay) {
        if (auto saver = XScreenSaverWatch::open())
            watches.push_back(std::move(saver));
        else
            logLine("The X server's screen saver cannot be watched: the HUD animates while the screen is blanked.");
    }
    const QDBusConnection system = QDBusConnection::systemBus();
    if (session.isConnected() || system.isConnected())
        watches.push_back(std::make_unique<DBusScreenLockWatch>(session, system));
    if (watches.empty())
        platform.screenWatch = std::make_shared<NullScreenWatch>();
    else
        platform.screenWatch = std::make_shared<CombinedScreenWatch>(std::move(watches));
    return platform;
}

} // namespace plovane
