#pragma once

#include "platform/ScreenWatch.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace plovane {

// The session's screen lock as D-Bus tells it: a screen saver or locker on the session
// bus (org.freedesktop.ScreenSaver, or GNOME's org.gnome.ScreenSaver) saying it is
// active, or logind on the system bus marking our session locked (LockedHint). Each is
// asked once at the start and then followed by its signals; a bus or service that is
// missing says nothing.
class DBusScreenLockWatch final : public QObject, public ScreenWatch {
    Q_OBJECT
public:
    // `system` is where logind answers (the system bus in the program).
    DBusScreenLockWatch(QDBusConnection session, QDBusConnection system);
    ~DBusScreenLockWatch() override;

    bool screenSeen() const override { return !saverActive_ && !locked_; }

private Q_SLOTS:
    void onSaverActiveChanged(bool active);
    void onSessionPropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);

private:
    void askSaver(const QString& service, const QString& path, const QString& interface);
    void findSession();
    void followSession(const QString& path);
    void askLocked();
    void set(bool saverActive, bool locked);

    QDBusConnection session_;
    QDBusConnection system_;
    QString sessionPath_;
    bool saverActive_{false};
    bool locked_{false};
};

} // namespace plovane
