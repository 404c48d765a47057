#include "platform/qt/X11FramesAtScreenChange.h"

#include "platform/qt/X11Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace plovane {

namespace {

constexpr int kForgetMs = 500;
// A window manager that puts a window elsewhere than we asked has its word after this.
constexpr int kAnswerMs = 2000;
constexpr char kRandr[] = "RANDR";

std::uint32_t idOf(const QWidget& window) { return static_cast<std::uint32_t>(window.internalWinId()); }

} // namespace

X11FramesAtScreenChange::X11FramesAtScreenChange(QObject* parent) : QObject(parent)
{
    forget_.setSingleShot(true);
    forget_.setInterval(kForgetMs);
    connect(&forget_, &QTimer::timeout, this, [this] { beforeChange_.reset(); });
    xcb_connection_t* c = QGuiApplication::platformName() == QLatin1String("xcb") ? toolkitX11Connection() : nullptr;
    if (!c)
        return;
    if (auto* reply = xcb_query_extension_reply(c, xcb_query_extension(c, std::strlen(kRandr), kRandr), nullptr)) {
        if (reply->present)
            randrFirstEvent_ = reply->first_event;
        std::free(reply);
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11FramesAtScreenChange::~X11FramesAtScreenChange()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11FramesAtScreenChange::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const std::uint8_t type = event->response_type & ~0x80;
    if (type == XCB_CONFIGURE_NOTIFY) {
        const auto* e = static_cast<const xcb_configure_notify_event_t*>(message);
        // A window manager tells a client where it moved it in screen coordinates, in an
        // event it sends; the server's own events place a managed window in its frame. A
        // window out of any manager's hands lies on the root itself.
        if ((event->response_type & 0x80) || e->override_redirect) {
            const QPoint place(e->x, e->y);
            // Until the manager has answered our move, what it tells was meant before it.
            if (const auto asked = asked_.constFind(e->window); asked != asked_.cend()) {
                if (asked->place != place && !asked->until.hasExpired())
                    return false;
                asked_.erase(asked);
            }
            places_.insert(e->window, place);
        }
    } else if (type == XCB_UNMAP_NOTIFY) {
        // Shown again, it may come up elsewhere without a word.
        places_.remove(static_cast<const xcb_unmap_notify_event_t*>(message)->window);
        asked_.remove(static_cast<const xcb_unmap_notify_event_t*>(message)->window);
    } else if (type == XCB_DESTROY_NOTIFY) {
        places_.remove(static_cast<const xcb_destroy_notify_event_t*>(message)->window);
        asked_.remove(static_cast<const xcb_destroy_notify_event_t*>(message)->window);
    } else if (randrFirstEvent_ && changesScreens(message) && !beforeChange_) {
        beforeChange_ = places_;
        forget_.start();
    }
    return false;
}

bool X11FramesAtScreenChange::changesScreens(const void* message)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != randrFirstEvent_ + XCB_RANDR_NOTIFY)
        return false;
    const auto* e = static_cast<const xcb_randr_notify_event_t*>(message);
    if (e->subCode == XCB_RANDR_NOTIFY_CRTC_CHANGE) {
        // A monitor going, or showing what none of the screens we know shows yet.
        const xcb_randr_crtc_change_t& crtc = e->u.cc;
        if (!crtc.mode)
            return true;
        const QRect shown(crtc.x, crtc.y, crtc.width, crtc.height);
        const auto screens = QGuiApplication::screens();
        return std::none_of(screens.cbegin(), screens.cend(), [&shown](const QScreen* screen) {
            const qreal scale = screen->devicePixelRatio();
            const QRect g = screen->geometry();
            return QRect(qRound(g.x() * scale), qRound(g.y() * scale), qRound(g.width() * scale),
                         qRound(g.height() * scale)) == shown;
        });
    }
    if (e->subCode == XCB_RANDR_NOTIFY_OUTPUT_CHANGE) {
        // An output plugged in, taken away, switched on or off.
        const xcb_randr_output_change_t& output = e->u.oc;
        const std::array<std::uint32_t, 2> now{output.crtc, output.connection};
        const auto last = outputs_.constFind(output.output);
        const bool changed = last != outputs_.cend() && *last != now;
        outputs_.insert(output.output, now);
        return changed;
    }
    return false;
}

std::optional<QRect> X11FramesAtScreenChange::frameOf(const QWidget& window) const
{
    const QHash<std::uint32_t, QPoint>& places = beforeChange_ ? *beforeChange_ : places_;
    const auto found = places.constFind(idOf(window));
    if (found == places.cend())
        return std::nullopt;
    // The server speaks in device pixels, and of the window without its frame.
    const qreal scale = window.devicePixelRatioF();
    const QPoint client(qRound(found->x() / scale), qRound(found->y() / scale));
    QRect frame = window.frameGeometry();
    frame.moveTopLeft(client - (window.geometry().topLeft() - frame.topLeft()));
    return frame;
}

void X11FramesAtScreenChange::placed(const QWidget& window)
{
    if (!randrFirstEvent_)
        return;
    const qreal scale = window.devicePixelRatioF();
    const QPoint client = window.geometry().topLeft();
    const QPoint place(qRound(client.x() * scale), qRound(client.y() * scale));
    places_.insert(idOf(window), place);
    asked_.insert(idOf(window), {place, QDeadlineTimer(kAnswerMs)});
}

void X11FramesAtScreenChange::changeHandled()
{
    forget_.stop();
    if (!beforeChange_)
        return;
    // Where the window manager moved windows we left in place is forgotten.
    for (auto it = beforeChange_->cbegin(); it != beforeChange_->cend(); ++it)
        if (places_.contains(it.key()) && !asked_.contains(it.key()))
            places_.insert(it.key(), it.value());
    beforeChange_.reset();
}

} // namespace plovane
