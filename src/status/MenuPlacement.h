#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace plovane {

// Where a menu of `menu` size opens for a status icon at `anchor` (screen coordinates) on
// a screen of `screen`: as panels open theirs, beside the icon on the side away from the
// screen edge it sits at (below an icon at the top, above one at the bottom, right of one
// at the left, left of one at the right), never over it, and shifted along that side to
// stay on the screen. So no row lies under the pointer that clicked the icon.
QPoint menuPositionBeside(const QRect& anchor, const QSize& menu, const QRect& screen);

// What a click at `point` stands for when a panel gives no icon geometry: the panel's
// strip of the screen (outside `available`, the area panels leave free) across a width
// of an icon, or an icon's square around the point when no panel is found there.
QRect iconAreaAround(const QPoint& point, const QRect& screen, const QRect& available);

} // namespace plovane
