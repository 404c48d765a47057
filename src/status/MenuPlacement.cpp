#include "status/MenuPlacement.h"

#include <algorithm>

namespace plovane {
namespace {

// Half the side of a panel icon.
constexpr int kIconReach = 12;

int clampedStart(int preferred, int length, int low, int high)
{
    return std::max(low, std::min(preferred, high - length + 1));
}

} // namespace

QPoint menuPositionBeside(const QRect& anchor, const QSize& menu, const QRect& screen)
{
    const int toTop = anchor.top() - screen.top();
    const int toBottom = screen.bottom() - anchor.bottom();
    const int toLeft = anchor.left() - screen.left();
    const int toRight = screen.right() - anchor.right();
    const int nearest = std::min({toTop, toBottom, toLeft, toRight});

    if (nearest == toTop || nearest == toBottom) {
        const int x = clampedStart(anchor.left(), menu.width(), screen.left(), screen.right());
        return {x, nearest == toTop ? anchor.bottom() + 1 : anchor.top() - menu.height()};
    }
    const int y = clampedStart(anchor.top(), menu.height(), screen.top(), screen.bottom());
    return {nearest == toLeft ? anchor.right() + 1 : anchor.left() - menu.width(), y};
}

QRect iconAreaAround(const QPoint& point, const QRect& screen, const QRect& available)
{
    const QRect across(point.x() - kIconReach, point.y() - kIconReach, 2 * kIconReach, 2 * kIconReach);
    if (point.y() < available.top())
        return {across.left(), screen.top(), across.width(), available.top() - screen.top()};
    if (point.y() > available.bottom())
        return {across.left(), available.bottom() + 1, across.width(), screen.bottom() - available.bottom()};
    if (point.x() < available.left())
        return {screen.left(), across.top(), available.left() - screen.left(), across.height()};
    if (point.x() > available.right())
        return {available.right() + 1, across.top(), screen.right() - available.right(), across.height()};
    return across;
}

} // namespace plovane
