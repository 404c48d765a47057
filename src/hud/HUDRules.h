#pragma once

#include "settings/DiveState.h"

#include <string>
#include <string_view>

namespace plovane::hud {

// The sprite look of a state: chaos shares the exhausted look, there is no chaos sprite.
std::string_view floatingStateKey(DiveState state);

// Below 20 O2 (exactly 20 is not low) the pet glows red.
bool lowO2PulseEnabled(double o2);

// The bar steps aside only while hovering with a full gauge.
bool showSpriteHealthBar(DiveState state, double o2);

// Colour of the bar's fill: red whenever critical, else green above 60, orange above 25,
// red at 25 and below.
enum class Hue { red, green, orange, blue, white, black };
struct Tint {
    Hue hue;
    double opacity;
    bool operator==(const Tint&) const = default;
};
Tint healthBarFill(DiveState state, double o2);

inline constexpr double kBarWidth = 48.0;
inline constexpr double kBarHeight = 6.0;
inline constexpr double kTickFractions[] = {0.25, 0.5, 0.75};
// Never narrower than 3 points, so an empty gauge still shows a sliver of red.
double healthBarFillWidth(double o2);

// What the whole HUD's opacity depends on.
struct OpacityInputs {
    DiveState state;
    double o2;
    bool isHovering;
    bool isSpriteHovering;
    double idleOpacity;
};
// Full while anything asks for attention or the pointer is over the HUD, 0.85 while
// resting, otherwise the user's idle opacity, unchanged.
double viewOpacity(const OpacityInputs& in);

// WEAR: one level per 20 minutes of focus, 1 to 5.
int pressureLevel(int focusSeconds);
// SHIFT: "mm:ss", or "hh:mm:ss" from the first hour on (hours uncapped).
std::string focusClockString(int seconds);

} // namespace plovane::hud
