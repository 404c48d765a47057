#include "platform/qt/X11ActiveWindowWatch.h"

#include "platform/qt/X11Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace plovane {

namespace {

constexpr char kActiveWindow[] = "_NET_ACTIVE_WINDOW";

} // namespace

X11ActiveWindowWatch::X11ActiveWindowWatch(QObject* parent) : QObject(parent)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    xcb_connection_t* c = toolkitX11Connection();
    if (!c)
        return;
    if (auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(kActiveWindow), kActiveWindow), nullptr)) {
        activeAtom_ = reply->atom;
        std::free(reply);
    }
    // The toolkit hears of the root window's property changes itself.
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

X11ActiveWindowWatch::~X11ActiveWindowWatch() { setFollowing(false); }

void X11ActiveWindowWatch::setFollowing(bool on)
{
    if (on == following_ || !activeAtom_ || !QCoreApplication::instance())
        return;
    following_ = on;
    if (on) {
        lastActive_.reset();
        QCoreApplication::instance()->installNativeEventFilter(this);
    } else {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool X11ActiveWindowWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* changed = static_cast<const xcb_property_notify_event_t*>(message);
    if (changed->window == root_ && changed->atom == activeAtom_ && !readPending_) {
        // Read once the toolkit is done with this batch of events (which may hold the
        // focus change it does hear of).
        readPending_ = true;
        QTimer::singleShot(0, this, &X11ActiveWindowWatch::readActive);
    }
    return false;
}

void X11ActiveWindowWatch::readActive()
{
    readPending_ = false;
    xcb_connection_t* c = toolkitX11Connection();
    if (!following_ || !c)
        return;
    std::uint32_t active = 0;
    if (auto* reply = xcb_get_property_reply(c, xcb_get_property(c, 0, root_, activeAtom_, XCB_ATOM_WINDOW, 0, 1), nullptr)) {
        if (xcb_get_property_value_length(reply) >= 4)
            std::memcpy(&active, xcb_get_property_value(reply), sizeof active);
        std::free(reply);
    }
    if (active == lastActive_)
        return;
    QWindow* ours = ownWindow(active);
    if (!ours) {
        // On the way from one window to the next a window manager may name no window, or
        // still the old one, for a moment. While the keyboard is still ours it is not the
        // user going elsewhere; the next change is read again.
        xcb_window_t focus = XCB_NONE;
        if (auto* reply = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)) {
            focus = reply->focus;
            std::free(reply);
        }
        if (ownWindow(focus))
            return;
    }
    lastActive_ = active;
    Q_EMIT activeChanged(ours);
}

QWindow* X11ActiveWindowWatch::ownWindow(std::uint32_t id)
{
    if (id == XCB_NONE || id == XCB_INPUT_FOCUS_POINTER_ROOT)
        return nullptr;
    for (QWindow* window : QGuiApplication::allWindows())
        if (window->handle() && window->winId() == id)
            return window;
    return nullptr;
}

} // namespace plovane
