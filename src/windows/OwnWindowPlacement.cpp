#include "windows/OwnWindowPlacement.h"

#include "platform/qt/OpenPopups.h"
#include "platform/qt/PointerPlace.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <utility>

namespace plovane {

namespace {

// How often a drag that outlived a screen change is asked whether it ended.
constexpr int kDragPollMs = 100;

} // namespace

void OwnWindowPlacement::install()
{
    auto* app = QGuiApplication::instance();
    if (!app || app->findChild<OwnWindowPlacement*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new OwnWindowPlacement(app);
}

bool OwnWindowPlacement::keepsOnScreen(const QWidget& window)
{
    if (!window.isWindow() || !window.isVisible())
        return false;
    switch (window.windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Drawer:
    case Qt::Desktop:
        return false;
    default:
        break;
    }
    // A plain window out of the window manager's hands lives inside another program's
    // window (the tray's icon does), which places it.
    return !(window.windowType() == Qt::Window && window.windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
}

OwnWindowPlacement::OwnWindowPlacement(QObject* parent) : QObject(parent), layout_(currentScreenLayout())
{
    for (QScreen* screen : QGuiApplication::screens())
        follow(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        follow(screen);
        screensChanging(Change::screens);
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { screensChanging(Change::screens); });
    dragEnd_.setInterval(kDragPollMs);
    connect(&dragEnd_, &QTimer::timeout, this, &OwnWindowPlacement::checkDragEnded);
}

void OwnWindowPlacement::follow(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, [this] { screensChanging(Change::screens); });
    // A window manager tells the room its panels take once it has seen the new screens.
    connect(screen, &QScreen::availableGeometryChanged, this, [this] { screensChanging(Change::panels); });
}

void OwnWindowPlacement::screensChanging(Change change)
{
    if (change == Change::screens)
        closeOpenPopups();
    if (!frames_.isEmpty())
        return;
    // Taken as the change is announced: a window manager that moves windows in its own way
    // once the screens change does so after this, and what it does must not be the start.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (keepsOnScreen(*window))
            frames_.append({window, window->frameGeometry()});
    // One change comes as several announcements (a screen added, another removed): place
    // once they are all in.
    if (!frames_.isEmpty())
        QTimer::singleShot(0, this, &OwnWindowPlacement::placeWindows);
    else
        layout_ = currentScreenLayout();
}

void OwnWindowPlacement::placeWindows()
{
    const ScreenLayout now = currentScreenLayout();
    const bool held = pointerButtonHeld();
    for (const Frame& was : std::exchange(frames_, {})) {
        if (!was.window || !was.window->isVisible())
            continue;
        if (held && !dragged_.contains(was.window))
            dragged_.append(was.window);
        // Where nothing asks for a move, whatever the window manager did stands.
        const QRect placed = placedOnScreens(was.frame, layout_, now);
        if (placed != was.frame && placed.topLeft() != was.window->frameGeometry().topLeft())
            was.window->move(placed.topLeft());
    }
    layout_ = now;
    if (!dragged_.isEmpty() && !dragEnd_.isActive()) {
        released_ = false;
        dragEnd_.start();
    }
}

void OwnWindowPlacement::checkDragEnded()
{
    // Looked at one poll after the button went up, once the last move has come in.
    if (!released_) {
        released_ = !pointerButtonHeld();
        return;
    }
    dragEnd_.stop();
    const ScreenLayout now = currentScreenLayout();
    for (const QPointer<QWidget>& window : std::exchange(dragged_, {})) {
        if (!window || !window->isVisible())
            continue;
        const QRect frame = window->frameGeometry();
        if (!wholeOnScreens(frame, now))
            window->move(movedOnScreens(frame, now).topLeft());
    }
}

} // namespace plovane
