#include "platform/qt/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace plovane {

namespace {

qint64 overlap(const QRect& a, const QRect& b)
{
    const QRect common = a & b;
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

// How far apart two areas are (squared); 0 when they touch or overlap.
qint64 gap(const QRect& a, const QRect& b)
{
    const qint64 dx = std::max({0, b.left() - (a.left() + a.width()), a.left() - (b.left() + b.width())});
    const qint64 dy = std::max({0, b.top() - (a.top() + a.height()), a.top() - (b.top() + b.height())});
    return dx * dx + dy * dy;
}

// The screen of `layout` holding most of `area`, or when none holds any, the nearest.
const ScreenArea* screenFor(const QRect& area, const ScreenLayout& layout)
{
    const ScreenArea* best = nullptr;
    qint64 bestOverlap = 0;
    qint64 bestGap = std::numeric_limits<qint64>::max();
    for (const ScreenArea& screen : layout) {
        const qint64 shared = overlap(area, screen.geometry);
        const qint64 apart = shared > 0 ? 0 : gap(area, screen.geometry);
        if (shared > bestOverlap || (bestOverlap == 0 && shared == 0 && apart < bestGap)) {
            best = &screen;
            bestOverlap = shared;
            bestGap = apart;
        }
    }
    return best;
}

// Along one axis: the same distance to the nearer edge of the new span as to that edge
// of the old one.
int anchored(int start, int length, int oldStart, int oldLength, int newStart, int newLength)
{
    const int fromStart = start - oldStart;
    const int fromEnd = oldStart + oldLength - (start + length);
    return fromStart <= fromEnd ? newStart + fromStart : newStart + newLength - fromEnd - length;
}

// Along one axis: moved in as far as needed to lie within the span; one longer than the
// span starts where it does.
int within(int start, int length, int spanStart, int spanLength)
{
    if (length >= spanLength)
        return spanStart;
    return std::clamp(start, spanStart, spanStart + spanLength - length);
}

} // namespace

ScreenLayout currentScreenLayout()
{
    ScreenLayout layout;
    for (const QScreen* screen : QGuiApplication::screens())
        layout.append({screen->name(), screen->geometry(), screen->availableGeometry()});
    return layout;
}

bool wholeOnScreens(const QRect& frame, const ScreenLayout& layout)
{
    return std::any_of(layout.cbegin(), layout.cend(), [&frame](const ScreenArea& s) { return s.geometry.contains(frame); });
}

QRect placedOnScreens(const QRect& frame, const ScreenLayout& before, const ScreenLayout& now)
{
    if (wholeOnScreens(frame, now))
        return frame;
    const ScreenArea* was = screenFor(frame, before);
    const ScreenArea* target = nullptr;
    if (was) {
        const auto same = std::find_if(now.cbegin(), now.cend(), [was](const ScreenArea& s) { return s.name == was->name; });
        target = same != now.cend() ? &*same : screenFor(was->geometry, now);
    } else {
        target = screenFor(frame, now);
    }
    if (!target)
        return frame;

    QRect placed = frame;
    if (was) {
        const QRect& from = was->geometry;
        const QRect& to = target->geometry;
        placed.moveTo(anchored(frame.x(), frame.width(), from.x(), from.width(), to.x(), to.width()),
                      anchored(frame.y(), frame.height(), from.y(), from.height(), to.y(), to.height()));
    }
    const QRect area = target->available.isEmpty() ? target->geometry : target->available;
    placed.moveTo(within(placed.x(), placed.width(), area.x(), area.width()),
                  within(placed.y(), placed.height(), area.y(), area.height()));
    return placed;
}

} // namespace plovane
