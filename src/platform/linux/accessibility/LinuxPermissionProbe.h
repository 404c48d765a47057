#pragma once

#include "platform/PermissionProbe.h"

#include <QDBusConnection>

namespace plovane {

// Permissions on a Linux desktop. Accessibility is the session's accessibility switch
// (org.a11y.Status.IsEnabled), and asking for it turns the switch on. Screen capture is
// open to every client of an X11 session; elsewhere it is not known and a request is
// only logged.
class LinuxPermissionProbe final : public PermissionProbe {
public:
    explicit LinuxPermissionProbe(QDBusConnection session);

    bool accessibilityTrusted() override;
    void requestAccessibility() override;
    bool screenCaptureAllowed() override;
    void requestScreenCapture() override;
    void openSettings(PermissionPane pane) override;

    // An X11 session by the session type, or by a display without a Wayland one.
    static bool isX11Session();

private:
    QDBusConnection session_;
};

} // namespace plovane
