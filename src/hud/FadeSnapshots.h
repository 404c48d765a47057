#pragma once

#include "hud/ViewPictures.h"

#include <QRect>
#include <QRegion>

#include <functional>

class QPainter;
class QWidget;

namespace plovane {

// A cross-fade over one part of a view, mixed by the display server. The part is composed
// once as it shows at the fade's start and once as at its end; every frame between is the
// server's mix of the two, so nothing is painted and no pixels are sent.
//
// Anything else painted over the part, or copied into it in the server, makes the two
// stale there; they are composed again at the next frame that finds the view calm. While
// something keeps painting there, and where the server cannot mix, frames are left to the
// caller to repaint.
class FadeSnapshots {
public:
    // `compose(p, area, end)` paints the view's `area` as it shows at the fade's start
    // (`end` false) or at its end.
    FadeSnapshots(QWidget& view, std::function<void(QPainter&, const QRect&, bool end)> compose);

    // A frame of the fade over `area` (view coordinates) at `t`, 0 to 1. True when it is on
    // screen; false when the caller must repaint `area`.
    bool frame(const QRect& area, double t);
    // The fade is over (or the view was hidden): the next one starts afresh. The caller
    // repaints the area, so that the toolkit's own copy of the window shows the end too.
    void finish();

    // The view is painting `region` (view coordinates) on screen.
    void painted(const QRegion& region);
    // The pet's frame changed in `area`: copied there in the server (`copied`), else about
    // to be repainted there. The two pictures are composed again there; a copy is mixed
    // over at once.
    void frameChanged(const QRect& area, bool copied);

private:
    bool compose(ServerPictures& server, const QRect& part);
    bool fallBack(const QRect& area);

    QWidget& view_;
    ViewPictures windowPictures_;
    std::function<void(QPainter&, const QRect&, bool)> compose_;
    QRect area_;          // the part being mixed, empty between fades
    QRegion stale_;       // where the two pictures no longer show the view
    QRegion ownPaint_;    // frames left to the caller
    bool disturbed_{false}; // something else painted over the part since the last frame
    double t_{0};
};

} // namespace plovane
