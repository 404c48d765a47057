#pragma once

#include <QList>
#include <QRect>
#include <QString>

namespace plovane {

// One screen as window placement sees it: its name, its whole area and the part of it
// that panels leave free (screen coordinates).
struct ScreenArea {
    QString name;
    QRect geometry;
    QRect available;

    bool operator==(const ScreenArea&) const = default;
};
using ScreenLayout = QList<ScreenArea>;

// The application's screens as they are now.
ScreenLayout currentScreenLayout();

// Whether `frame` lies whole on one of the screens.
bool wholeOnScreens(const QRect& frame, const ScreenLayout& layout);

// Where a window goes whose frame was `frame` while the screens were `before`, now that
// they are `now`. A frame whole on a screen of `now` stays where it is. Any other goes to
// the screen it was on, or where that screen is gone to the one nearest it, at the same
// distance to that screen's nearer edges as before (a window at the bottom right stays at
// the bottom right), then moves in as far as it must to be whole and clear of panels.
// With nothing in `before` it goes to the screen of `now` nearest it.
QRect placedOnScreens(const QRect& frame, const ScreenLayout& before, const ScreenLayout& now);

} // namespace plovane
