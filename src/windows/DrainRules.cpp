#include "windows/DrainRules.h"

#include <algorithm>
#include <cmath>

namespace plovane::windows {

namespace {
constexpr double kLargestShown = 9999.0;
}

int estimatedMinutes(double sessionMinutes)
{
    if (std::isnan(sessionMinutes))
        return 45;
    const double rounded = std::round(std::clamp(sessionMinutes, -kLargestShown, kLargestShown));
    return std::max(1, static_cast<int>(rounded));
}

int wholeRestMinutes(double restMinutes)
{
    if (std::isnan(restMinutes))
        return 10;
    return static_cast<int>(std::trunc(std::clamp(restMinutes, 0.0, kLargestShown)));
}

Hue timeColor(int minutes)
{
    if (minutes > 35)
        return Hue::green;
    if (minutes > 20)
        return Hue::orange;
    return Hue::red;
}

Hue barColor(double level)
{
    if (level > 60)
        return Hue::green;
    if (level > 25)
        return Hue::orange;
    return Hue::red;
}

double previewFillWidth(double level) { return std::max(4.0, kPreviewBarWidth * level / 100.0); }

double previewLevelAfter(int n) { return std::max(0.0, 100.0 - n * kPreviewStep); }

} // namespace plovane::windows
