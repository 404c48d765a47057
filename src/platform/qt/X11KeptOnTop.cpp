#include "platform/qt/X11KeptOnTop.h"

#include "platform/qt/X11Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace plovane {

namespace {

std::uint32_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const std::uint32_t a = reply ? reply->atom : 0;
    std::free(reply);
    return a;
}

} // namespace

X11KeptOnTop::X11KeptOnTop(QWidget& window) : QObject(&window), window_(&window)
{
    xcb_connection_t* c = QGuiApplication::platformName() == QLatin1String("xcb") ? toolkitX11Connection() : nullptr;
    if (!c)
        return;
    // The toolkit hears of the root window's property changes itself.
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    clientList_ = atom(c, "_NET_CLIENT_LIST");
    clientListStacking_ = atom(c, "_NET_CLIENT_LIST_STACKING");
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11KeptOnTop::~X11KeptOnTop()
{
    if (root_ && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11KeptOnTop::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* changed = static_cast<const xcb_property_notify_event_t*>(message);
    if (changed->window != root_ || (changed->atom != clientList_ && changed->atom != clientListStacking_) ||
        raisePending_ || !window_ || !window_->windowFlags().testFlag(Qt::X11BypassWindowManagerHint))
        return false;
    // Once the toolkit is done with this batch of events; one raise for all of them.
    raisePending_ = true;
    QTimer::singleShot(0, this, [this] {
        raisePending_ = false;
        if (window_ && window_->isVisible())
            window_->raise();
    });
    return false;
}

} // namespace plovane
