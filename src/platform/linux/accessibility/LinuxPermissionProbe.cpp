#include "platform/linux/accessibility/LinuxPermissionProbe.h"

#include "platform/Log.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

#include <cstdlib>
#include <cstring>

namespace plovane {

namespace {

const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kTimeoutMs = 500;

// Settings programs of the common desktops, with the page of each permission.
struct SettingsCommand {
    const char* program;
    const char* accessibilityPage;
    const char* screenPage;
};
constexpr SettingsCommand kSettingsCommands[] = {
    {"gnome-control-center", "universal-access", "privacy"},
    {"systemsettings", "kcm_access", "kcm_screenlocker"},
    {"xfce4-accessibility-settings", "", ""},
};

} // namespace

LinuxPermissionProbe::LinuxPermissionProbe(QDBusConnection session) : session_(std::move(session)) {}

bool LinuxPermissionProbe::accessibilityTrusted()
{
    auto request = QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Get"));
    request.setArguments({QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled")});
    const QDBusMessage reply = session_.call(request, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

void LinuxPermissionProbe::requestAccessibility()
{
    auto request = QDBusMessage::createMethodCall(kService, kPath, kProperties, QStringLiteral("Set"));
    request.setArguments(
        {QStringLiteral("org.a11y.Status"), QStringLiteral("IsEnabled"), QVariant::fromValue(QDBusVariant(true))});
    const QDBusMessage reply = session_.call(request, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        logLine("Accessibility request failed: " + reply.errorMessage().toStdString());
}

bool LinuxPermissionProbe::isX11Session()
{
    if (const char* type = std::getenv("XDG_SESSION_TYPE"); type && *type)
        return std::strcmp(type, "x11") == 0;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return display && *display && !(wayland && *wayland);
}

bool LinuxPermissionProbe::screenCaptureAllowed() { return isX11Session(); }

void LinuxPermissionProbe::requestScreenCapture()
{
    logLine("Screen capture request: this desktop asks for screen capture at capture time.");
}

void LinuxPermissionProbe::openSettings(PermissionPane pane)
{
    for (const auto& command : kSettingsCommands) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(command.program));
        if (program.isEmpty())
            continue;
        const char* page = pane == PermissionPane::accessibility ? command.accessibilityPage : command.screenPage;
        QStringList args;
        if (*page)
            args << QString::fromLatin1(page);
        if (QProcess::startDetached(program, args))
            return;
    }
    logLine("No settings application found to open.");
}

} // namespace plovane
