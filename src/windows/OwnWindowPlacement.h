#pragma once

#include "platform/qt/ScreenPlacement.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QScreen;

namespace plovane {

// Keeps our open windows (the HUD, the secondary windows, dialogs) whole on a screen that
// exists whenever the screens change: a screen shrinking or growing, a monitor plugged in or
// taken away. A window no longer whole on a screen goes to its own screen, or the nearest
// one left, keeping its distances to that screen's nearer edges where it fits; the rest stay
// where they are. Menus and tool tips, which close anyway, and windows other programs hold
// (the status icon inside an XEmbed tray) are left alone.
class OwnWindowPlacement final : public QObject {
    Q_OBJECT
public:
    // Follows the screens from now on; once per application.
    static void install();

    // Whether this placement looks after `window`.
    static bool keepsOnScreen(const QWidget& window);

private:
    explicit OwnWindowPlacement(QObject* parent);
    void follow(QScreen* screen);
    void screensChanging();
    void placeWindows();

    // The screens as they were when the windows were last placed.
    ScreenLayout layout_;
    struct Frame {
        QPointer<QWidget> window;
        QRect frame;
    };
    // Our windows' frames when the screens began to change, before any window manager
    // moved them; empty while no change is pending.
    QList<Frame> frames_;
};

} // namespace plovane
