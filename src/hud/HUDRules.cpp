#include "hud/HUDRules.h"

#include <algorithm>
#include <cstdio>

namespace plovane::hud {

std::string_view floatingStateKey(DiveState state)
{
    switch (state) {
    case DiveState::flow:
        return "deep_dive";
    case DiveState::research:
        return "reading";
    case DiveState::chaos:
    case DiveState::critical:
        return "critical";
    case DiveState::hovering:
        return "hovering";
    case DiveState::resting:
        return "resting";
    }
    return "deep_dive";
}

bool lowO2PulseEnabled(double o2) { return o2 < 20.0; }

bool showSpriteHealthBar(DiveState state, double o2) { return !(state == DiveState::hovering && o2 >= 100.0); }

Tint healthBarFill(DiveState state, double o2)
{
    if (state == DiveState::critical)
        return {Hue::red, 0.9};
    if (o2 > 60.0)
        return {Hue::green, 0.85};
    if (o2 > 25.0)
        return {Hue::orange, 0.9};
    return {Hue::red, 0.9};
}

double healthBarFillWidth(double o2) { return std::max(3.0, kBarWidth * o2 / 100.0); }

double viewOpacity(const OpacityInputs& in)
{
    if (in.state == DiveState::critical || in.state == DiveState::chaos || lowO2PulseEnabled(in.o2) ||
        in.isHovering || in.isSpriteHovering)
        return 1.0;
    if (in.state == DiveState::resting)
        return 0.85;
    return in.idleOpacity;
}

int pressureLevel(int focusSeconds) { return std::min(focusSeconds / 1200 + 1, 5); }

std::string focusClockString(int seconds)
{
    const int h = seconds / 3600;
    const int m = (seconds % 3600) / 60;
    const int s = seconds % 60;
    char buf[48];
    if (h <= 0)
        std::snprintf(buf, sizeof buf, "%02d:%02d", m, s);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, m, s);
    return buf;
}

} // namespace plovane::hud
