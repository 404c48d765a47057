#pragma once

#include "platform/AccessibilitySource.h"
#include "platform/InputIdleSource.h"
#include "platform/PermissionProbe.h"
#include "platform/ProcessTable.h"
#include "platform/ScreenWatch.h"
#include "platform/SleepWakeNotifier.h"
#include "platform/WindowManagerWatch.h"
#include "platform/Workspace.h"

#include <memory>

namespace plovane {

class ApplicationIdentity;

// Everything the sensors need from a Linux desktop. Every member is set: where the
// desktop lacks a service its Null… stand-in answers with the sensors' fallbacks.
struct LinuxSensingPlatform {
    std::shared_ptr<Workspace> workspace;                 // XcbWorkspace, WaylandWorkspace, or ProcOnlyWorkspace
    std::shared_ptr<InputIdleSource> inputIdle;           // the compositor's or X server's, or NullInputIdleSource (999 s)
    std::shared_ptr<AccessibilitySource> accessibility;   // AtspiAccessibilitySource, or NullAccessibilitySource
    std::shared_ptr<ProcessTable> processes;              // ProcStatProcessTable
    std::shared_ptr<PermissionProbe> permissions;         // LinuxPermissionProbe, or NullPermissionProbe
    std::shared_ptr<SleepWakeNotifier> sleepWake;         // LogindSleepMonitor, or NullSleepWakeNotifier
    // Whether anyone can see the screen: XScreenSaverWatch and DBusScreenLockWatch together,
    // or NullScreenWatch.
    std::shared_ptr<ScreenWatch> screenWatch;
    // A window manager taking over the X screen: XFixesWindowManagerWatch, or NullWindowManagerWatch.
    std::shared_ptr<WindowManagerWatch> windowManagerWatch;
    std::shared_ptr<const ApplicationIdentity> identity;  // names and icons of applications by identifier
};

// Probes the desktop once: the Wayland compositor ($WAYLAND_DISPLAY) and what it offers,
// the X server ($DISPLAY, Xwayland in a Wayland session) and its idle extensions, the
// session bus and its accessibility bus, the system bus. Call it on the main thread after
// the QCoreApplication exists (Wayland and D-Bus events arrive through that thread's event
// loop), and hand `permissions` to PermissionCenter::installSharedProbe(). Logs one line
// naming where the idle time and the front application come from, and one for each other
// service that is missing.
LinuxSensingPlatform probeLinuxSensingPlatform();

} // namespace plovane
