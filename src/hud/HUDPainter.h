#pragma once

#include "hud/HUDRegions.h"
#include "hud/HUDScene.h"

#include <QRect>

#include <optional>

class QPainter;

namespace plovane {

// Paints the HUD back to front: the card, the pet with its health column and compact
// mode's pill, the badges and the welcome bubble, each only where the area being painted
// reaches it, and the whole faded by the HUD's opacity.
class HUDPainter {
public:
    HUDPainter(const HUDScene& scene, const HUDRegions& regions) : scene_(scene), regions_(regions) {}

    // Paints `area` (view coordinates) alone, clipped to it, with the hints every paint
    // of the view uses; `adviceAt` shows a new tip's cross-fade at that point instead of
    // where it is.
    void paint(QPainter& p, const QRect& area, std::optional<double> adviceAt = std::nullopt) const;

private:
    void paintCard(QPainter& p, std::optional<double> adviceAt) const;
    void paintPet(QPainter& p, std::optional<double> adviceAt) const;
    void paintBadges(QPainter& p) const;
    void paintWelcome(QPainter& p) const;

    const HUDScene& scene_;
    const HUDRegions& regions_;
};

} // namespace plovane
