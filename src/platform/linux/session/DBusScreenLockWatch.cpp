#include "platform/linux/session/DBusScreenLockWatch.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <unistd.h>

namespace plovane {

namespace {
const QString kActiveChanged = QStringLiteral("ActiveChanged");
// Where screen savers and lockers answer: the freedesktop name (KDE, Xfce, light-locker
// and others, some at the short path) and GNOME's own.
struct Saver {
    const char* service;
    const char* path;
    const char* interface;
};
constexpr Saver kSavers[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver"},
    {"org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver"},
};

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kLockedHint = QStringLiteral("LockedHint");

// Calls `then(reply)` with the reply of `call` once it comes; errors are dropped.
template <typename Then>
void whenAnswered(QObject* owner, const QDBusConnection& bus, const QDBusMessage& call, Then then)
{
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner, [watcher, then] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            then(reply.arguments().first());
    });
}
} // namespace

DBusScreenLockWatch::DBusScreenLockWatch(QDBusConnection session, QDBusConnection system)
    : session_(std::move(session)), system_(std::move(system))
{
    if (session_.isConnected()) {
        for (const Saver& saver : kSavers) {
            // Any sender: a locker may own the name under another one too.
            session_.connect(QString(), QString::fromLatin1(saver.path), QString::fromLatin1(saver.interface),
                             kActiveChanged, this, SLOT(onSaverActiveChanged(bool)));
            askSaver(QString::fromLatin1(saver.service), QString::fromLatin1(saver.path),
                     QString::fromLatin1(saver.interface));
        }
    }
    if (system_.isConnected())
        findSession();
}

DBusScreenLockWatch::~DBusScreenLockWatch()
{
    if (session_.isConnected())
        for (const Saver& saver : kSavers)
            session_.disconnect(QString(), QString::fromLatin1(saver.path), QString::fromLatin1(saver.interface),
                                kActiveChanged, this, SLOT(onSaverActiveChanged(bool)));
    if (!sessionPath_.isEmpty())
        system_.disconnect(kLogin, sessionPath_, kProperties, QStringLiteral("PropertiesChanged"), this,
                           SLOT(onSessionPropertiesChanged(QString, QVariantMap, QStringList)));
}

void DBusScreenLockWatch::askSaver(const QString& service, const QString& path, const QString& interface)
{
    // Never started for the question: a saver that is not running is not active.
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetActive"));
    call.setAutoStartService(false);
    whenAnswered(this, session_, call, [this](const QVariant& active) {
        if (active.toBool())
            onSaverActiveChanged(true);
    });
}

void DBusScreenLockWatch::findSession()
{
    // Our own session: the one logind puts this process in.
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin, kLoginPath, kManager, QStringLiteral("GetSessionByPID"));
    call << static_cast<uint>(::getpid());
    call.setAutoStartService(false);
    whenAnswered(this, system_, call, [this](const QVariant& path) {
        followSession(qvariant_cast<QDBusObjectPath>(path).path());
    });
}

void DBusScreenLockWatch::followSession(const QString& path)
{
    if (path.isEmpty() || !sessionPath_.isEmpty())
        return;
    sessionPath_ = path;
    system_.connect(kLogin, sessionPath_, kProperties, QStringLiteral("PropertiesChanged"), this,
                    SLOT(onSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    askLocked();
}

void DBusScreenLockWatch::askLocked()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin, sessionPath_, kProperties, QStringLiteral("Get"));
    call << kSession << kLockedHint;
    whenAnswered(this, system_, call, [this](const QVariant& value) {
        set(saverActive_, qvariant_cast<QDBusVariant>(value).variant().toBool());
    });
}

void DBusScreenLockWatch::onSaverActiveChanged(bool active) { set(active, locked_); }

void DBusScreenLockWatch::onSessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                                     const QStringList& invalidated)
{
    if (interface != kSession)
        return;
    if (auto it = changed.find(kLockedHint); it != changed.end())
        set(saverActive_, it->toBool());
    else if (invalidated.contains(kLockedHint))
        askLocked();
}

void DBusScreenLockWatch::set(bool saverActive, bool locked)
{
    const bool seen = screenSeen();
    saverActive_ = saverActive;
    locked_ = locked;
    if (screenSeen() != seen)
        changed.emit();
}

} // namespace plovane
