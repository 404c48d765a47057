#include "platform/linux/wayland/MutterIdleMonitorSource.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace plovane {

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kInterface = QStringLiteral("org.gnome.Mutter.IdleMonitor");
constexpr int kCallTimeoutMs = 2000;

QDBusMessage monitorCall(const QString& method, const QVariantList& args = {})
{
    auto message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(args);
    return message;
}

} // namespace

MutterIdleMonitorSource::MutterIdleMonitorSource(QDBusConnection session)
    : session_(std::move(session)), clock_(std::chrono::steady_clock::now())
{
}

std::shared_ptr<MutterIdleMonitorSource> MutterIdleMonitorSource::connectToSession(const QDBusConnection& session)
{
    if (!session.isConnected())
        return nullptr;
    const QDBusMessage idle = session.call(monitorCall(QStringLiteral("GetIdletime")), QDBus::Block, kCallTimeoutMs);
    if (idle.type() != QDBusMessage::ReplyMessage || idle.arguments().isEmpty())
        return nullptr;
    std::shared_ptr<MutterIdleMonitorSource> self(new MutterIdleMonitorSource(session));
    self->clock_.idleFor(std::chrono::milliseconds(idle.arguments().constFirst().toULongLong()),
                         std::chrono::steady_clock::now());

    if (!self->session_.connect(kService, kPath, kInterface, QStringLiteral("WatchFired"), self.get(),
                                SLOT(onWatchFired(uint))))
        return nullptr;
    const QDBusMessage watch =
        session.call(monitorCall(QStringLiteral("AddIdleWatch"),
                                 {QVariant::fromValue<qulonglong>(IdleTransitionClock::kThreshold.count())}),
                     QDBus::Block, kCallTimeoutMs);
    if (watch.type() != QDBusMessage::ReplyMessage || watch.arguments().isEmpty())
        return nullptr;
    self->idleWatch_ = watch.arguments().constFirst().toUInt();
    if (self->clock_.paused())
        self->watchForReturn();
    return self;
}

MutterIdleMonitorSource::~MutterIdleMonitorSource()
{
    // Mutter drops a client's watches when it leaves the bus; until then they cost it.
    for (uint watch : {idleWatch_, activeWatch_})
        if (watch)
            session_.call(monitorCall(QStringLiteral("RemoveWatch"), {watch}), QDBus::NoBlock);
}

void MutterIdleMonitorSource::onWatchFired(uint id)
{
    const auto now = std::chrono::steady_clock::now();
    if (id == idleWatch_ && idleWatch_) {
        if (!clock_.paused()) {
            clock_.idled(now);
            watchForReturn();
            return;
        }
        // Already idle: either the watch fired at once because the session was idle when
        // it was added (the figure read then is the exact one), or the user came and went
        // without the user-active watch telling us. Ask instead of guessing, and put a
        // fresh user-active watch in place of one that may have fired unheard.
        if (askingForReturn_) {
            readIdleTime();
            return;
        }
        if (activeWatch_)
            session_.call(monitorCall(QStringLiteral("RemoveWatch"), {activeWatch_}), QDBus::NoBlock);
        activeWatch_ = 0;
        watchForReturn();
    } else if (id == activeWatch_ && activeWatch_) {
        activeWatch_ = 0;
        clock_.resumed(now);
    } else if (askingForReturn_) {
        // The watch being asked for may fire before its id is known to us: keep it.
        firedEarly_.push_back(id);
    }
}

void MutterIdleMonitorSource::watchForReturn()
{
    if (activeWatch_ || askingForReturn_)
        return;
    askingForReturn_ = true;
    firedEarly_.clear();
    auto* watcher = new QDBusPendingCallWatcher(session_.asyncCall(monitorCall(QStringLiteral("AddUserActiveWatch")),
                                                                   kCallTimeoutMs),
                                                this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        askingForReturn_ = false;
        const QDBusPendingReply<uint> reply = *call;
        const bool fired = !reply.isError() && firedEarly_.contains(reply.value());
        firedEarly_.clear();
        if (reply.isError())
            return;
        if (fired) {
            clock_.resumed(std::chrono::steady_clock::now());
            return;
        }
        activeWatch_ = reply.value();
        // Input that came back before the watch was in place fires nothing: look.
        readIdleTime();
    });
}

void MutterIdleMonitorSource::readIdleTime()
{
    auto* watcher = new QDBusPendingCallWatcher(
        session_.asyncCall(monitorCall(QStringLiteral("GetIdletime")), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<qulonglong> reply = *call;
        if (reply.isError())
            return;
        // Only while idle: once the user-active watch said the user is back, an answer
        // sent before that is stale.
        if (clock_.paused())
            clock_.idleFor(std::chrono::milliseconds(reply.value()), std::chrono::steady_clock::now());
    });
}

double MutterIdleMonitorSource::secondsSinceLastInput()
{
    return clock_.secondsSinceLastInput(std::chrono::steady_clock::now());
}

} // namespace plovane
