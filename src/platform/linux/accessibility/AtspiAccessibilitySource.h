#pragma once

#include "platform/AccessibilitySource.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

class QDBusMessage;

namespace plovane {

// An accessible object on the accessibility bus: the bus name of its application and
// its object path.
struct AtspiRef {
    QString bus;
    QString path;
    bool operator==(const AtspiRef&) const = default;
};

// Focus context from AT-SPI 2. Follows focus and window-activation events on the
// accessibility bus and answers attribute reads from the object that has focus. Lives
// on the main thread; the events arrive through its event loop.
class AtspiAccessibilitySource final : public QObject, public AccessibilitySource {
    Q_OBJECT
public:
    // Joins the session's accessibility bus and subscribes to focus events; null when the
    // session has no accessibility bus.
    static std::unique_ptr<AtspiAccessibilitySource> connectToSession(const QDBusConnection& session);
    ~AtspiAccessibilitySource() override;

    bool isTrusted() override;
    std::shared_ptr<AccessibleApplication> focusedApplication() override;

    // The object that last gained focus, if any.
    std::optional<AtspiRef> focusedObject() const { return focused_; }
    // The process of the application that holds the focus; nothing when none does (or
    // the user left its windows) or the bus cannot tell. Asked of the bus once per
    // application.
    std::optional<int> focusedApplicationPid();

private Q_SLOTS:
    void onStateChanged(const QDBusMessage& message);
    void onWindowActivated(const QDBusMessage& message);
    void onWindowDeactivated(const QDBusMessage& message);
    void onApplicationJoined(const QDBusMessage& message);
    void onNameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void onStatusChanged(const QString& interface, const QVariantMap& changed, const QStringList& invalidated);
    void onEventRegistrationFailed(const QDBusError& error, const QDBusMessage& call);

private:
    AtspiAccessibilitySource(QDBusConnection session, QDBusConnection a11y, QString connectionName);
    void subscribe();
    void discoverFocus();
    bool readIsEnabled();
    // The process behind an application's bus name, from the bus; nothing when it cannot tell.
    std::optional<int> pidOf(const QString& bus);
    // Whether `bus` is a connection of this process: ours, or the toolkit's own
    // accessibility bridge, which cannot answer a blocking call from this thread.
    bool isOwnConnection(const QString& bus);

    QDBusConnection session_;
    QDBusConnection a11y_;
    QString connectionName_;
    std::optional<AtspiRef> focused_;
    std::optional<AtspiRef> activeWindow_;
    std::optional<QString> deactivatedBus_;
    // Counts the focus events, so a lookup after an activation knows whether one came.
    quint64 focusEvents_{0};
    // The session's accessibility switch, kept current by its change notifications.
    bool trusted_{false};
    // The process behind each application's bus name, while it is on the bus.
    QHash<QString, int> pids_;
};

} // namespace plovane
