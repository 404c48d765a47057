#pragma once

#include <QRectF>
#include <QSizeF>

namespace plovane {

// Where the HUD's parts lie in the view, from the sizes of the parts and where the
// compact-mode switch stands. Laid from the view's leading edge within a 350-point
// layout width; the pet overhangs it on the right.
struct HUDLayout {
    struct Inputs {
        QSizeF view;
        double panelPresence{1.0}; // 1 expanded, 0 compact, between while switching
        QSizeF card;
        QSizeF compactLabel;
        QSizeF knockBadge;
        QSizeF musicBadge;
        double knockShare{0.0}; // how far the knock badge pushes the music badge down
        QSizeF welcome;
        // How far the pet's ink and shadow reach, in the sprite square's coordinates at
        // the largest zoom; empty: the square itself.
        QRectF spriteReach;
    };

    static constexpr double kRootWidth = 350.0;
    // The card's width: the layout width less the room the pet takes on its right.
    static constexpr double kCardWidth = kRootWidth - 28.0;
    static constexpr double kWelcomeWidth = kRootWidth - 4.0;

    QRectF root;
    QRectF sprite;
    QRectF card;
    QRectF compactLabel;
    QRectF knockBadge;
    QRectF musicBadge;
    QRectF welcome;

    static HUDLayout compute(const Inputs& in);
    // The sprite square's top-left relative to the card's, with the card shown.
    static QPointF spriteOffsetFromCard();
};

} // namespace plovane
