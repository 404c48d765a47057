#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <memory>

class QWindow;

namespace plovane {

// Pictures kept by the display server for one window and copied into it there: showing
// one again sends no pixels and paints nothing on our side. For pictures that come back
// often (the frames of an animation), not for one-off drawing.
//
// Drawing this way goes around the toolkit's own copy of the window, so whoever draws
// must repaint through the toolkit whenever the toolkit may show its copy (an expose).
class ServerPictures {
public:
    virtual ~ServerPictures() = default;

    // Keeps `image` (premultiplied ARGB in the window's pixels) as picture `slot`,
    // replacing what the slot held. False when it could not be kept.
    virtual bool put(int slot, const QImage& image) = 0;
    // Replaces the part of picture `slot` that `part` covers with its top-left at `at`.
    virtual void patch(int slot, const QImage& part, const QPoint& at) = 0;
    virtual bool has(int slot) const = 0;
    // Copies picture `slot`, placed with its top-left at `at` in the window, into the
    // window where it lies inside `area` (window pixels), and sends it on its way.
    virtual void draw(int slot, const QPoint& at, const QRect& area) = 0;
    // Draws the mix of pictures `from` and `to` (of one size), `to` weighing `t` (0 to 1)
    // and `from` the rest, placed with their top-left at `at`, into the window where it
    // lies inside `area`. False when the server cannot mix pictures: nothing was drawn.
    virtual bool blend(int from, int to, double t, const QPoint& at, const QRect& area) = 0;
    // Lets every picture go.
    virtual void clear() = 0;

    // For a shown window on X11 with a 32-bit ARGB visual and a pixel ratio of 1, whose
    // server takes our pixel layout as it is; null otherwise (the caller paints as usual).
    static std::unique_ptr<ServerPictures> forWindow(QWindow& window);
};

} // namespace plovane
