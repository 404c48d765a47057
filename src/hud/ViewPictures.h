#pragma once

#include "platform/qt/ServerPictures.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QWindow>

#include <functional>
#include <memory>

class QPainter;
class QWidget;

namespace plovane {

// The display server's pictures for the native window a view is shown in, and the
// composing of the view's parts that go into them. Another native window, or one at
// another pixel ratio, gets pictures of its own: whatever was kept before is gone.
class ViewPictures {
public:
    explicit ViewPictures(QWidget& view) : view_(view) {}

    // The pictures for the view's window now; null while the view is hidden or where the
    // server cannot keep pictures. `renewed` is set when they are not the last call's.
    ServerPictures* attach(bool& renewed);
    // The window last attached to (null before).
    QWindow* window() const { return window_; }
    // Where the view's origin lies in its window.
    QPoint offset() const;
    // The view's `area` painted by `paint` as a paint event on screen would paint it.
    QImage compose(const QRect& area, const std::function<void(QPainter&)>& paint) const;

private:
    QWidget& view_;
    QPointer<QWindow> window_;
    WId windowId_{0};
    qreal ratio_{0};
    std::unique_ptr<ServerPictures> server_;
};

} // namespace plovane
