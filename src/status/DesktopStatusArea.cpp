#include "status/DesktopStatusArea.h"

#include "platform/Log.h"
#include "platform/qt/X11Connection.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QDBusVariant>
#include <QFile>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace plovane {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// Enough for a panel that is up; one that hangs must not hold up the launch.
constexpr int kStartupCallTimeoutMs = 1000;

QDBusMessage hostRegisteredQuery()
{
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get.setArguments({kWatcherService, QStringLiteral("IsStatusNotifierHostRegistered")});
    return get;
}

bool hostRegisteredIn(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return false;
    return reply.arguments().front().value<QDBusVariant>().variant().toBool();
}

xcb_atom_t internAtom(xcb_connection_t* c, const std::string& name)
{
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

} // namespace

DesktopStatusArea::DesktopStatusArea()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        serviceWatcher_.setConnection(bus);
        serviceWatcher_.addWatchedService(kWatcherService);
        connect(&serviceWatcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] { watcherAppeared(); });
        connect(&serviceWatcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] { watcherGone(); });
        for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
            bus.connect(kWatcherService, kWatcherPath, kWatcherService, QString::fromLatin1(signal), this,
                        SLOT(watcherHostsChanged()));
        if (bus.interface() && bus.interface()->isServiceRegistered(kWatcherService)) {
            watcherPresent_ = true;
            readWatcherKind();
            hostRegistered_ = hostRegisteredIn(bus.call(hostRegisteredQuery(), QDBus::Block, kStartupCallTimeoutMs));
        }
    }

    x_ = toolkitX11Connection();
    if (x_) {
        char* host = nullptr;
        int display = 0;
        int screen = 0;
        if (xcb_parse_display(nullptr, &host, &display, &screen))
            std::free(host);
        traySelection_ = internAtom(x_, "_NET_SYSTEM_TRAY_S" + std::to_string(screen));
        managerAtom_ = internAtom(x_, "MANAGER");
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(x_, xcb_get_selection_owner(x_, traySelection_), nullptr);
        if (owner && owner->owner != XCB_WINDOW_NONE)
            followTrayManager(owner->owner);
        std::free(owner);
        // A tray manager announces itself to the root window, and the toolkit already
        // listens there.
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    host_ = current();
    if (host_ == TrayHost::none)
        logWarning("No status area on this desktop: the settings stay reachable from the HUD's right-click menu.");
    else
        logLine("Status item shown by the " + std::string(describe(host_)));
}

DesktopStatusArea::~DesktopStatusArea()
{
    if (x_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void DesktopStatusArea::setItemService(const std::string& service)
{
    itemService_ = QString::fromStdString(service);
    if (watcherPresent_)
        registerItem();
}

void DesktopStatusArea::watcherAppeared()
{
    watcherPresent_ = true;
    hostRegistered_ = false;
    ++watcherGeneration_;
    readWatcherKind();
    if (!itemService_.isEmpty())
        registerItem();
    else
        readHostRegistered();
}

void DesktopStatusArea::watcherGone()
{
    watcherPresent_ = false;
    hostRegistered_ = false;
    ++watcherGeneration_;
    update();
}

void DesktopStatusArea::watcherHostsChanged()
{
    if (watcherPresent_)
        readHostRegistered();
}

void DesktopStatusArea::registerItem()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    call.setArguments({itemService_});
    auto* pending = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, pending, generation = watcherGeneration_] {
                pending->deleteLater();
                if (generation != watcherGeneration_)
                    return;
                if (pending->isError())
                    logWarning("The status notifier watcher refused our item: " +
                               pending->error().message().toStdString());
                // A panel registers its host right after its watcher: ask once ours is in.
                readHostRegistered();
            });
}

void DesktopStatusArea::readHostRegistered()
{
    auto* pending = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(hostRegisteredQuery()), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this, pending, generation = watcherGeneration_] {
                pending->deleteLater();
                if (generation != watcherGeneration_ || !watcherPresent_)
                    return;
                hostRegistered_ = hostRegisteredIn(pending->reply());
                update();
            });
}

void DesktopStatusArea::readWatcherKind()
{
    // The bus itself answers this, at once.
    watcherInline_ = false;
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    const QDBusReply<uint> pid = bus ? bus->servicePid(kWatcherService) : QDBusReply<uint>();
    if (!pid.isValid())
        return;
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.value()));
    if (comm.open(QIODevice::ReadOnly))
        watcherInline_ = comm.readLine().trimmed() == "gnome-shell";
}

void DesktopStatusArea::followTrayManager(std::uint32_t window)
{
    trayWindow_ = window;
    // Told when it goes: its window is destroyed with it.
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x_, window, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x_);
}

bool DesktopStatusArea::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
    case XCB_CLIENT_MESSAGE: {
        const auto* manager = static_cast<const xcb_client_message_event_t*>(message);
        if (manager->type == managerAtom_ && manager->format == 32 && manager->data.data32[1] == traySelection_) {
            followTrayManager(manager->data.data32[2]);
            update();
        }
        break;
    }
    case XCB_DESTROY_NOTIFY:
        if (trayWindow_ && static_cast<const xcb_destroy_notify_event_t*>(message)->window == trayWindow_) {
            trayWindow_ = 0;
            update();
        }
        break;
    default:
        break;
    }
    return false;
}

TrayHost DesktopStatusArea::current() const
{
    if (watcherPresent_ && hostRegistered_)
        return watcherInline_ ? TrayHost::inlineStatusNotifier : TrayHost::statusNotifier;
    return trayWindow_ ? TrayHost::xembed : TrayHost::none;
}

void DesktopStatusArea::update()
{
    const TrayHost host = current();
    if (host == host_)
        return;
    host_ = host;
    if (host == TrayHost::none)
        logDebug("No status area any more: the status item comes back when a panel does");
    else
        logLine("Status item shown by the " + std::string(describe(host)));
    changed(host);
}

} // namespace plovane
