#include "hud/RightClickOverlay.h"

#include <QMouseEvent>

namespace plovane {

RightClickOverlay::RightClickOverlay(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void RightClickOverlay::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton) {
        if (onLeftClick)
            onLeftClick();
    } else if (event->button() == Qt::RightButton) {
        // The press's own position, not wherever the pointer is by the time we run.
        const QPoint at = event->globalPosition().toPoint();
        if (onRightClick)
            onRightClick(at);
    }
}

void RightClickOverlay::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

// Qt turns the second press of a double click into a double-click event: it is a press
// like any other here.
void RightClickOverlay::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void RightClickOverlay::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (onHoverChanged)
        onHoverChanged(true);
}

void RightClickOverlay::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (onHoverChanged)
        onHoverChanged(false);
}

} // namespace plovane
