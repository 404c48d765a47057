#include "hud/ViewPictures.h"

#include "platform/Log.h"

#include <QPainter>
#include <QWidget>

namespace plovane {

ServerPictures* ViewPictures::attach(bool& renewed)
{
    renewed = false;
    QWidget* top = view_.window();
    QWindow* window = top ? top->windowHandle() : nullptr;
    if (!window || !view_.isVisible())
        return nullptr;
    if (window == window_ && window->winId() == windowId_ && window->devicePixelRatio() == ratio_)
        return server_.get();
    renewed = true;
    window_ = window;
    windowId_ = window->winId();
    ratio_ = window->devicePixelRatio();
    server_ = ServerPictures::forWindow(*window);
    if (!server_)
        logDebug("The HUD repaints every frame: its window cannot keep pictures in the display server.");
    return server_.get();
}

QPoint ViewPictures::offset() const { return view_.mapTo(view_.window(), QPoint(0, 0)); }

QImage ViewPictures::compose(const QRect& area, const std::function<void(QPainter&)>& paint) const
{
    // As a paint event would: on a cleared, transparent area, with the widget's pen,
    // brush and font to start from, and where the view itself is. Moved to the area's
    // corner, whatever starts above or left of it would sit at negative coordinates,
    // and half-pixel positions there round the other way.
    QImage canvas(view_.size(), QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&canvas);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(area, Qt::transparent);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setPen(view_.palette().color(view_.foregroundRole()));
        p.setBrush(view_.palette().brush(view_.backgroundRole()));
        p.setFont(view_.font());
        paint(p);
    }
    return canvas.copy(area);
}

} // namespace plovane
