#pragma once

#include "settings/DiveState.h"

namespace plovane {

class AnimatedValue;
class BadgeView;
class CompactAdviceLabel;
class DataPanelView;
class HealthColumn;
class SpriteStage;
class WelcomeBubbleView;
struct HUDLayout;

// The HUD's parts as the view keeps them, read by its painter and its regions: each
// part, where the layout put it, how far it has come in or out, and the gauge as the
// view last took it from the engine.
struct HUDScene {
    const HUDLayout& layout;
    const SpriteStage& sprite;
    const HealthColumn& health;
    const DataPanelView& card;
    const CompactAdviceLabel& pill;
    const BadgeView& knockBadge;
    const BadgeView& musicBadge;
    const WelcomeBubbleView& welcome;

    const AnimatedValue& opacity;
    const AnimatedValue& panelPresence; // 1 expanded, 0 compact
    const AnimatedValue& spriteZoom;
    const AnimatedValue& pulse;         // the critical blink, 0 … 1
    const AnimatedValue& knockPresence;
    const AnimatedValue& musicPresence;
    const AnimatedValue& welcomePresence;

    const DiveState& state;
    const double& o2;
    const bool& criticalPulse;
    const bool& welcomeShown;
};

} // namespace plovane
