#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWindow>

namespace plovane {

class X11ActiveWindowWatch;

// The HUD floats above every window. While one of our own windows (the settings, the
// report, the first-run setup, a dialog or an alert) is the active window, the floating
// windows step down into the ordinary layer and ours is raised over them, so it stands
// above the HUD; once the user moves to another application or the window goes, they
// float again above everything. Our windows never leave the ordinary layer, so the window
// manager orders them with the user's like any other: none stays above other applications.
// A floating window out of the window manager's hands (the HUD under a tiling manager),
// which no managed window can cover, steps out of sight instead meanwhile.
class OwnWindowStacking final : public QObject {
    Q_OBJECT
public:
    // Watches the application's focus from now on; once per application.
    static void install();

    // The windows to stand above the HUD while `focus` is active: it and the windows it
    // is transient for, leaving out pop-ups, tool tips, windows that never take the focus,
    // those that float above others by themselves and those no window manager handles.
    static QList<QWindow*> windowsOverHud(QWindow* focus);

private:
    explicit OwnWindowStacking(QObject* parent);
    void focusChanged(QWindow* focus);
    void visibilityChanged();

    // Floating windows stepped down while one of ours is active.
    QList<QPointer<QWindow>> lowered_;
    // Followed while they are stepped down.
    X11ActiveWindowWatch* windowManagerActive_{nullptr};
};

// The program's icon, for the window manager's title bars, task lists and switchers.
QIcon programIcon();

} // namespace plovane
