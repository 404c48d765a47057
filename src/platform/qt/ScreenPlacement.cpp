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

// What panels leave free of a screen; the whole screen where that is not known.
QRect workArea(const ScreenArea& screen) { return screen.available.isEmpty() ? screen.geometry : screen.available; }

// Moved in as far as needed to lie within `area` (its top left corner where it is larger).
QRect movedWithin(const QRect& frame, const QRect& area)
{
    return {within(frame.x(), frame.width(), area.x(), area.width()),
            within(frame.y(), frame.height(), area.y(), area.height()), frame.width(), frame.height()};
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
    const ScreenArea* was = screenFor(frame, before);
    if (!was)
        return wholeOnScreens(frame, now) ? frame : movedOnScreens(frame, now);
    const auto same = std::find_if(now.cbegin(), now.cend(), [was](const ScreenArea& s) { return s.name == was->name; });
    const ScreenArea* target = same != now.cend() ? &*same : screenFor(was->geometry, now);
    if (!target)
        return frame;
    const QRect& from = was->geometry;
    const QRect& to = target->geometry;
    const QRect area = workArea(*target);
    if (same != now.cend() && from == to) {
        // Its screen is as it was. A window clear of the panels stays clear of them when
        // they grow; the rest keep their place where the user left them.
        if (workArea(*was).contains(frame) && !area.contains(frame))
            return movedWithin(frame, area);
        return frame;
    }
    // Its screen changed or went. Along an axis where the screen shrank (and on another
    // screen along both) the window keeps its distance to the nearer edge, so successive
    // changes put it where one change to the same screen would; along one that did not,
    // it keeps its place on the screen.
    const bool sameScreen = same != now.cend();
    QRect placed = frame;
    placed.moveTo(sameScreen && to.width() >= from.width()
                      ? to.x() + frame.x() - from.x()
                      : anchored(frame.x(), frame.width(), from.x(), from.width(), to.x(), to.width()),
                  sameScreen && to.height() >= from.height()
                      ? to.y() + frame.y() - from.y()
                      : anchored(frame.y(), frame.height(), from.y(), from.height(), to.y(), to.height()));
    return movedWithin(placed, area);
}

QRect movedOnScreens(const QRect& frame, const ScreenLayout& layout)
{
    const ScreenArea* screen = screenFor(frame, layout);
    return screen ? movedWithin(frame, workArea(*screen)) : frame;
}

} // namespace plovane
