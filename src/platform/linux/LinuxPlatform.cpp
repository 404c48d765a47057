#include "platform/linux/LinuxPlatform.h"

#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/linux/apps/ApplicationIdentity.h"
#include "platform/linux/accessibility/AtspiAccessibilitySource.h"
#include "platform/linux/accessibility/AtspiFocusedApplicationSource.h"
#include "platform/linux/session/DBusScreenLockWatch.h"
#include "platform/linux/apps/DesktopEntries.h"
#include "platform/linux/wayland/KWinScriptSource.h"
#include "platform/linux/accessibility/LinuxPermissionProbe.h"
#include "platform/linux/session/LogindSleepMonitor.h"
#include "platform/linux/wayland/MutterIdleMonitorSource.h"
#include "platform/linux/apps/ProcStatProcessTable.h"
#include "platform/linux/wayland/WaylandConnection.h"
#include "platform/linux/wayland/WaylandIdleSource.h"
#include "platform/linux/wayland/WaylandWorkspace.h"
#include "platform/linux/wayland/WlrForeignToplevelSource.h"
#include "platform/linux/x11/XFixesWindowManagerWatch.h"
#include "platform/linux/x11/XScreenSaverIdleSource.h"
#include "platform/linux/x11/XScreenSaverWatch.h"
#include "platform/linux/x11/XSyncIdleSource.h"
#include "platform/linux/x11/XcbConnection.h"
#include "platform/linux/x11/XcbWorkspace.h"

#include <QDBusConnection>

#include <vector>

namespace plovane {

namespace {

// The input idle source of a Wayland session: the compositor's own idle notifications,
// else mutter's idle monitor on the session bus. Null when neither is there.
std::shared_ptr<InputIdleSource> compositorIdle(const std::shared_ptr<WaylandConnection>& wayland,
                                                const QDBusConnection& session, std::string& named)
{
    if (auto notifications = WaylandIdleSource::open(wayland)) {
        named = std::string(notifications->protocolName());
        return notifications;
    }
    if (auto mutter = MutterIdleMonitorSource::connectToSession(session)) {
        named = "org.gnome.Mutter.IdleMonitor";
        return mutter;
    }
    return nullptr;
}

// The X server's idle time: from alarms when it can tell us of changes, else asked for on
// every tick. Null when it can tell neither.
std::shared_ptr<InputIdleSource> x11Idle(const std::shared_ptr<XcbConnection>& x, std::string& named)
{
    if (auto alarms = XSyncIdleSource::open(x)) {
        named = "X11 SYNC alarms";
        return alarms;
    }
    if (auto asked = std::make_shared<XScreenSaverIdleSource>(x); asked->available()) {
        named = "MIT-SCREEN-SAVER, asked every tick";
        return asked;
    }
    return nullptr;
}

// What a Wayland session tells about its native windows: the list of windows on wlroots
// compositors, a script in KWin, else the accessibility layer's focus. Null when none.
std::shared_ptr<FocusedApplicationSource> nativeFocus(const std::shared_ptr<WaylandConnection>& wayland,
                                                      const QDBusConnection& session,
                                                      const std::shared_ptr<AtspiAccessibilitySource>& atspi,
                                                      const std::shared_ptr<const ApplicationIdentity>& identity)
{
    if (auto toplevels = WlrForeignToplevelSource::open(wayland, identity))
        return toplevels;
    if (auto kwin = KWinScriptSource::load(session, identity))
        return kwin;
    if (atspi)
        return std::make_shared<AtspiFocusedApplicationSource>(atspi, identity);
    return nullptr;
}

} // namespace

LinuxSensingPlatform probeLinuxSensingPlatform()
{
    LinuxSensingPlatform platform;
    auto entries = std::make_shared<const DesktopEntries>(paths::dataDirs());
    auto identity = std::make_shared<const ApplicationIdentity>(entries);
    platform.identity = identity;

    const QDBusConnection session = QDBusConnection::sessionBus();
    std::shared_ptr<AtspiAccessibilitySource> atspi = AtspiAccessibilitySource::connectToSession(session);
    if (atspi) {
        platform.accessibility = atspi;
    } else {
        logLine("No accessibility bus: the focus context is not available.");
        platform.accessibility = std::make_shared<NullAccessibilitySource>();
    }

    // One line says what this session gives: where the idle time and the front
    // application come from.
    std::string idleNamed;
    std::string frontNamed;
    auto x = XcbConnection::open();
    const bool hasDisplay = x != nullptr;
    std::shared_ptr<Workspace> x11Workspace;
    if (x)
        x11Workspace = std::make_shared<XcbWorkspace>(x, identity);
    else
        x11Workspace = std::make_shared<ProcOnlyWorkspace>(identity);

    if (auto wayland = WaylandConnection::open()) {
        // The compositor sees all input; the X server only what goes to X11 windows.
        platform.inputIdle = compositorIdle(wayland, session, idleNamed);
        if (!platform.inputIdle && x) {
            platform.inputIdle = x11Idle(x, idleNamed);
            if (platform.inputIdle)
                idleNamed += " (input to X11 windows only)";
        }
        auto native = nativeFocus(wayland, session, atspi, identity);
        if (native)
            frontNamed = native->description();
        if (x)
            frontNamed += (frontNamed.empty() ? "" : " and ") + std::string("Xwayland's active window");
        platform.workspace = std::make_shared<WaylandWorkspace>(x11Workspace, std::move(native));
        logLine("Wayland session: input idle time from " + (idleNamed.empty() ? "nowhere" : idleNamed) +
                "; the front application from " + (frontNamed.empty() ? "nowhere" : frontNamed) + ".");
    } else if (x) {
        platform.inputIdle = x11Idle(x, idleNamed);
        platform.workspace = x11Workspace;
        logLine("X11 session: input idle time from " + (idleNamed.empty() ? "nowhere" : idleNamed) +
                "; the front application from the active window.");
    } else {
        platform.workspace = x11Workspace;
        logLine("No display: the front application and input idle time are not known.");
    }
    if (!platform.inputIdle)
        platform.inputIdle = std::make_shared<NullInputIdleSource>();

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

    if (hasDisplay)
        platform.windowManagerWatch = XFixesWindowManagerWatch::open();
    if (!platform.windowManagerWatch) {
        if (hasDisplay)
            logLine("The window manager cannot be followed: a new one may leave the HUD off the desktop shown.");
        platform.windowManagerWatch = std::make_shared<NullWindowManagerWatch>();
    }
    return platform;
}

} // namespace plovane
