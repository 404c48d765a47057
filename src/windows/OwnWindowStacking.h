#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWindow>

namespace plovane {

// The HUD floats above every window. While one of our own windows (the settings, the
// report, the first-run setup, a dialog or an alert) is the active window, it is lifted
// into the same layer and raised, so it stands above the HUD; once the user moves to
// another application or the window goes, it drops back to the ordinary layer and the
// floating windows are raised again. No window of ours stays above other applications.
class OwnWindowStacking final : public QObject {
    Q_OBJECT
public:
    // Watches the application's focus from now on; once per application.
    static void install();

    // The windows to lift while `focus` is active: it and the windows it is transient
    // for, leaving out pop-ups, tool tips, windows that never take the focus and those
    // that float above others by themselves.
    static QList<QWindow*> windowsToLift(QWindow* focus);

private:
    explicit OwnWindowStacking(QObject* parent);
    void focusChanged(QWindow* focus);

    QList<QPointer<QWindow>> lifted_;
};

// The program's icon, for the window manager's title bars, task lists and switchers.
QIcon programIcon();

} // namespace plovane
