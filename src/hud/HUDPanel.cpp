#include "hud/HUDPanel.h"

#include "platform/qt/X11KeptOnTop.h"
#include "platform/qt/X11WindowHints.h"

#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

namespace plovane {

HUDPanel::HUDPanel(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::NoDropShadowWindowHint)
{
    setObjectName(QStringLiteral("PlovaneHUDPanel"));
    setWindowTitle(QStringLiteral("Plovane HUD"));
    setAttribute(Qt::WA_TranslucentBackground);
    // Not "shown without activating": Qt would say so with a user time of 0, which tells
    // KWin and mutter that the window wanted the focus and was refused it, so they mark it
    // as demanding attention. It can take no focus anyway (no input, no WM_TAKE_FOCUS).
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    // Closing is not the user's to do: the panel is hidden and shown by the app.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    // Out of a tiling manager's hands, it must stay above the windows the manager brings in.
    new X11KeptOnTop(*this);
}

void HUDPanel::orderFrontRegardless()
{
    if (!isVisible()) {
        // Tiling managers focus a window on a click or when the pointer enters it, and place
        // it by their own rules; out of their hands the panel stands where it asks and the
        // focus stays where the user left it. Asked at each show: the manager may have changed.
        const bool unmanaged = windowManagerOverridesPanelHints();
        if (unmanaged != windowFlags().testFlag(Qt::X11BypassWindowManagerHint))
            setWindowFlag(Qt::X11BypassWindowManagerHint, unmanaged);
        // The window manager reads these when the window is mapped, so they go first.
        winId();
        refuseKeyboardFocus(*this);
        requestSkipTaskbarAndSticky(*this);
        leaveWindowGroup(*windowHandle());
        show();
        leaveWindowGroup(*windowHandle());
        // A window manager still finishing the last hide may drop what we set before
        // the map; ask again once it manages the window.
        QTimer::singleShot(250, this, [this] {
            if (isVisible()) {
                requestSkipTaskbarAndSticky(*this);
                withdrawAttentionRequest(*this);
            }
        });
    }
    raise();
}

void HUDPanel::windowManagerTookOver()
{
    if (!isVisible())
        return;
    if (windowManagerOverridesPanelHints() != windowFlags().testFlag(Qt::X11BypassWindowManagerHint)) {
        // The new manager wants the other treatment, which a window takes as it is mapped.
        const QPoint place = pos();
        hide();
        move(place);
        orderFrontRegardless();
        confirmShown(place, 4);
        return;
    }
    if (windowFlags().testFlag(Qt::X11BypassWindowManagerHint)) {
        raise();
        return;
    }
    refuseKeyboardFocus(*this);
    leaveWindowGroup(*windowHandle());
    restateSkipTaskbarAndSticky(*this);
    withdrawAttentionRequest(*this);
    raise();
}

void HUDPanel::confirmShown(QPoint place, int checksLeft)
{
    // A manager still taking over the windows it found at its start may take the panel
    // over after all and, seeing it leave, give it back unmapped.
    QTimer::singleShot(500, this, [this, place, checksLeft] {
        if (!isVisible() || !windowHandle())
            return;
        if (mapAgainIfLost(*windowHandle())) {
            move(place);
            raise();
        }
        if (checksLeft > 1)
            confirmShown(place, checksLeft - 1);
    });
}

void HUDPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    // The window manager moves the window itself where it can; that also keeps
    // moves smooth and snapping right. Otherwise (and when no window manager handles the
    // panel) follow the pointer ourselves.
    if (!windowFlags().testFlag(Qt::X11BypassWindowManagerHint) && windowHandle() && windowHandle()->startSystemMove())
        return;
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void HUDPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_) {
        event->ignore();
        return;
    }
    move(event->globalPosition().toPoint() - dragOffset_);
    event->accept();
}

void HUDPanel::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    event->accept();
}

} // namespace plovane
