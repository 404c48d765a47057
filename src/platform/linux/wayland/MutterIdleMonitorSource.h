#pragma once

#include "platform/InputIdleSource.h"
#include "platform/linux/IdleTransitionClock.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>

#include <memory>

class QDBusPendingCallWatcher;

namespace plovane {

// Input idle time from GNOME's compositor, which offers no Wayland idle protocol but
// answers org.gnome.Mutter.IdleMonitor on the session bus: an idle watch at
// IdleTransitionClock's threshold says when the user stops, a user-active watch (which
// mutter drops once it fires) when they come back. The idle time is asked for once at
// the start and whenever a return might have been missed. Lives on the main thread; the
// watches fire through its event loop.
class MutterIdleMonitorSource final : public QObject, public InputIdleSource {
    Q_OBJECT
public:
    // Null when nobody answers for the idle monitor on the session bus.
    static std::shared_ptr<MutterIdleMonitorSource> connectToSession(const QDBusConnection& session);
    ~MutterIdleMonitorSource() override;

    double secondsSinceLastInput() override;

private Q_SLOTS:
    void onWatchFired(uint id);

private:
    explicit MutterIdleMonitorSource(QDBusConnection session);
    // Asks for a user-active watch, then for the idle time, in case input came back
    // before the watch was in place.
    void watchForReturn();
    void readIdleTime();

    QDBusConnection session_;
    IdleTransitionClock clock_;
    uint idleWatch_{0};
    uint activeWatch_{0};
    bool askingForReturn_{false};
    // Watches that fired while a user-active watch was being asked for, before its id came.
    QList<uint> firedEarly_;
};

} // namespace plovane
