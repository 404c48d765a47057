#pragma once

#include <QPoint>
#include <QWidget>

namespace plovane {

// The HUD's one window: frameless, transparent outside what the view paints, above
// ordinary windows, on every desktop, absent from the taskbar and the window switcher,
// and never given keyboard focus — a click on it leaves the user's window focused.
// Pressing its background and dragging moves it.
class HUDPanel final : public QWidget {
    Q_OBJECT
public:
    explicit HUDPanel(QWidget* parent = nullptr);

    // Shows (or raises) the panel without activating it.
    void orderFrontRegardless();
    // A new window manager took over the screen while the panel was shown: it is told
    // again what it was told at the first show, and mapped again in or out of the
    // manager's hands where the new one needs the other treatment.
    void windowManagerTookOver();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Checks a few times that the panel, out of the new manager's hands, stays on screen.
    void confirmShown(QPoint place, int checksLeft);

    // Set while we move the window ourselves (when the window manager cannot).
    bool dragging_{false};
    QPoint dragOffset_;
};

} // namespace plovane
