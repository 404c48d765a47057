#include "status/MenuDismissal.h"

#include "platform/qt/OpenPopups.h"
#include "platform/qt/PointerPlace.h"
#include "platform/qt/X11Connection.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace plovane {

namespace {

// How often an open menu looks whether the user went elsewhere.
constexpr int kCheckInterval = 250;
// The front application is sampled once a second: a change reported this soon after a
// menu opened happened before it did.
constexpr qint64 kFrontChangeGraceMs = 1200;
// Compositors report input by idle notifications a second apart at best: while the user
// goes on, the reading stays at or under a second, and it is exact once they paused. So
// the compositor saw input that never reached us when its reading is this much below the
// time since our own last input.
constexpr double kElsewhereMargin = 1.25;
// Less where the X server has the pointer over none of its windows, so over a native one:
// whatever the compositor saw since our last input went there.
constexpr double kOffDisplayMargin = 0.15;

bool isInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

bool isMenuWindow(const QObject* watched)
{
    return watched->isWidgetType() && qobject_cast<const QMenu*>(watched) &&
           static_cast<const QWidget*>(watched)->isWindow();
}

} // namespace

MenuDismissal::MenuDismissal(IdleReading compositorIdle) : compositorIdle_(std::move(compositorIdle))
{
    x_ = toolkitX11Connection();
    if (x_) {
        static constexpr char kName[] = "_NET_ACTIVE_WINDOW";
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(x_, xcb_intern_atom(x_, 0, std::strlen(kName), kName), nullptr);
        activeWindowAtom_ = reply ? reply->atom : 0;
        std::free(reply);
    }
    check_.setInterval(kCheckInterval);
    connect(&check_, &QTimer::timeout, this, [this] { check(); });
    if (qApp)
        qApp->installEventFilter(this);
}

MenuDismissal::~MenuDismissal()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void MenuDismissal::closeAll()
{
    closeOpenPopups();
}

void MenuDismissal::frontApplicationChanged()
{
    if (open_ && openFor_.elapsed() >= kFrontChangeGraceMs)
        closeAll();
}

bool MenuDismissal::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Show) {
        if (!open_ && isMenuWindow(watched))
            menuOpened();
    } else if (type == QEvent::Hide) {
        // Known as closed at once, not at the next look: a menu opened just after (the
        // pet's menu opened again) is a new one, with its own moment of grace.
        if (open_ && isMenuWindow(watched) && !QApplication::activePopupWidget())
            menuClosed();
    } else if (open_ && isInput(type)) {
        sinceOurInput_.restart();
    }
    return false;
}

void MenuDismissal::menuOpened()
{
    open_ = true;
    openFor_.start();
    sinceOurInput_.start();
    activeAtOpen_ = activeWindow();
    check_.start();
}

void MenuDismissal::menuClosed()
{
    open_ = false;
    check_.stop();
}

void MenuDismissal::check()
{
    if (!QApplication::activePopupWidget()) {
        menuClosed();
        return;
    }
    // The keyboard focus went to a window not ours.
    const std::uint32_t active = activeWindow();
    if (active != activeAtOpen_ && !isOurs(active)) {
        closeAll();
        return;
    }
    activeAtOpen_ = active;
    // The user clicked or typed where we never hear of it (a native window under Xwayland).
    if (compositorIdle_) {
        const double ours = static_cast<double>(sinceOurInput_.elapsed()) / 1000.0;
        const double margin = pointerPlace() ? kElsewhereMargin : kOffDisplayMargin;
        if (compositorIdle_() + margin < ours)
            closeAll();
    }
}

std::uint32_t MenuDismissal::activeWindow() const
{
    if (!x_ || !activeWindowAtom_)
        return 0;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x_)).data;
    if (!screen)
        return 0;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        x_, xcb_get_property(x_, 0, screen->root, activeWindowAtom_, XCB_ATOM_WINDOW, 0, 1), nullptr);
    std::uint32_t window = 0;
    if (reply && xcb_get_property_value_length(reply) >= 4)
        std::memcpy(&window, xcb_get_property_value(reply), sizeof window);
    std::free(reply);
    return window;
}

bool MenuDismissal::isOurs(std::uint32_t window) const
{
    if (!window)
        return false;
    for (const QWidget* top : QApplication::topLevelWidgets())
        if (top->internalWinId() == window)
            return true;
    return false;
}

} // namespace plovane
