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
// they are `now`. On a screen that did not change it stays, only kept clear of panels that
// grew over it if it was clear of them. Where its screen shrank, it keeps its distance to
// the screen's nearer edges (a window at the bottom right stays at the bottom right), so
// several changes in a row put it where one would; where the screen grew, it keeps its
// place; where its screen went, it goes to the one nearest it, at the same distances to
// that one's nearer edges. Then it moves in as far as it must to be whole and clear of
// panels. With nothing in `before`, a window not whole on a screen goes into the nearest.
QRect placedOnScreens(const QRect& frame, const ScreenLayout& before, const ScreenLayout& now);

// `frame` moved in as far as it must to lie whole and clear of panels on the screen of
// `layout` that holds most of it, or the nearest one.
QRect movedOnScreens(const QRect& frame, const ScreenLayout& layout);

} // namespace plovane
