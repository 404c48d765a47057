#include "platform/linux/LinuxPlatform.h"

#include "platform/Log.h"
#include "platform/linux/ApplicationIdentity.h"
#include "platform/linux/AtspiAccessibilitySource.h"
#include "platform/linux/DesktopEntries.h"
#include "platform/linux/LinuxPermissionProbe.h"
#include "platform/linux/LogindSleepMonitor.h"
#include "platform/linux/ProcStatProcessTable.h"
#include "platform/linux/XScreenSaverIdleSource.h"
#include "platform/linux/XSyncIdleSource.h"
#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbWorkspace.h"

#include <QDBusConnection>

namespace plovane {

LinuxSensingPlatform probeLinuxSensingPlatform()
{
    LinuxSensingPlatform platform;
    auto entries = std::make_shared<const DesktopEntries>(DesktopEntries::xdgDataDirs());
    auto identity = std::make_shared<const ApplicationIdentity>(entries);
    platform.identity = identity;

    if (auto x = XcbConnection::open()) {
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
    return platform;
}

} // namespace plovane
