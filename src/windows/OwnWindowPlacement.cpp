#include "windows/OwnWindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <utility>

namespace plovane {

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
        screensChanging();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &OwnWindowPlacement::screensChanging);
}

void OwnWindowPlacement::follow(QScreen* screen)
{
    connect(screen, &QScreen::geometryChanged, this, &OwnWindowPlacement::screensChanging);
}

void OwnWindowPlacement::screensChanging()
{
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
    for (const Frame& was : std::exchange(frames_, {})) {
        if (!was.window || !was.window->isVisible())
            continue;
        // Where the window manager has already put it whole on a screen, it stays.
        const QRect current = was.window->frameGeometry();
        if (wholeOnScreens(current, now))
            continue;
        const QRect placed = placedOnScreens(was.frame, layout_, now);
        if (placed.topLeft() != current.topLeft())
            was.window->move(placed.topLeft());
    }
    layout_ = now;
}

} // namespace plovane
