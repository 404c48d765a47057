#pragma once

#include "platform/qt/ScreenPlacement.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

class QScreen;

namespace plovane {

// Keeps our open windows (the HUD, the secondary windows, dialogs) whole on a screen that
// exists whenever the screens change: a screen shrinking or growing, a monitor plugged in or
// taken away, panels taking more room. A window goes to its own screen, or the nearest one
// left, keeping its distances to that screen's nearer edges where the screen shrank, and
// within what panels leave free; windows on screens that did not change stay where they
// are. Open menus close, as they would be left where no screen is. A window the user is
// dragging while the screens change is looked at again where they let go of it. Tool tips,
// which close anyway, and windows other programs hold (the status icon inside an XEmbed
// tray) are left alone.
class OwnWindowPlacement final : public QObject {
    Q_OBJECT
public:
    // Follows the screens from now on; once per application.
    static void install();

    // Whether this placement looks after `window`.
    static bool keepsOnScreen(const QWidget& window);

private:
    enum class Change { screens, panels };

    explicit OwnWindowPlacement(QObject* parent);
    void follow(QScreen* screen);
    void screensChanging(Change change);
    void placeWindows();
    void checkDragEnded();

    // The screens as they were when the windows were last placed.
    ScreenLayout layout_;
    struct Frame {
        QPointer<QWidget> window;
        QRect frame;
    };
    // Our windows' frames when the screens began to change, before any window manager
    // moved them; empty while no change is pending.
    QList<Frame> frames_;
    // Windows placed while a pointer button was held, so perhaps in the middle of a drag
    // that goes on against the new screens; looked at again once it is let go.
    QList<QPointer<QWidget>> dragged_;
    QTimer dragEnd_;
    bool released_{false};
};

} // namespace plovane
