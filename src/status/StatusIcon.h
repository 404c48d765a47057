#pragma once

#include <QIcon>
#include <QImage>

namespace plovane {

// Draws the status icon from a sprite: the square of statusIconCrop() stretched over the
// lower 28 × 22 of a 28 × 28 icon, top 6 left empty, with hard pixel edges.
class StatusIcon {
public:
    // One rendering at `side` × `side` pixels (the 28-point layout scaled to it).
    static QImage render(const QImage& sprite, int side);
    // Renderings at the sizes panels ask for, so no panel scales (and blurs) them.
    static QIcon make(const QImage& sprite);
    // A transparent icon: the item stays in the panel and clickable, but shows nothing.
    static QIcon blank();
};

} // namespace plovane
