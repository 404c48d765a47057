#pragma once

#include "windows/WindowStyle.h"

namespace plovane::windows {

// The survival figure: the session length rounded to whole minutes (halves away from
// zero), at least 1. A stored value with no whole-minute form shows the default 45;
// anything beyond four digits shows 9999.
int estimatedMinutes(double sessionMinutes);
// The recovery figure: whole minutes, cut toward zero, in 0...9999 (10 when unreadable).
int wholeRestMinutes(double restMinutes);

// Colour of the survival figure: green above 35, orange above 20, red at 20 and below.
Hue timeColor(int estimatedMinutes);
// Colour of the preview bar's fill: green above 60, orange above 25, red at 25 and below.
Hue barColor(double level);

inline constexpr double kPreviewBarWidth = 64.0;
inline constexpr double kPreviewBarHeight = 8.0;
// Never narrower than 4 points, so an empty preview still shows its red end.
double previewFillWidth(double level);

// One preview run drains in twelve equal steps, 0.15 s apart, then refills 0.4 s later.
inline constexpr int kPreviewSteps = 12;
inline constexpr double kPreviewStep = 100.0 / 12.0;
inline constexpr double kPreviewInterval = 0.15;
inline constexpr double kPreviewRefillDelay = 0.4;
// Level after step `n` of a run.
double previewLevelAfter(int n);

} // namespace plovane::windows
