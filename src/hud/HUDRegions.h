#pragma once

#include "hud/DataPanelView.h"
#include "hud/HUDScene.h"

#include <QRect>
#include <QRectF>
#include <QRegion>

class QWidget;

namespace plovane {

// Where the HUD's parts take room in the view. Every repaint area of the view is worked
// out here: a part whose text, size or place changes is repainted where it was and
// where it is now, each part on its own. Here too are the pet's outline, the parts that
// take the pointer (the window's shape) and the places of the buttons.
class HUDRegions {
public:
    // The pet's zoom while the pointer rests on it.
    static constexpr double kHoverZoom = 1.12;

    explicit HUDRegions(const HUDScene& scene) : scene_(scene) {}

    // Where each part paints as laid out now, with room for its shadow or glow, its zoom
    // and its way in or out; empty while the part is not drawn.
    struct Areas {
        QRect pet; // the sprite with its shadow or glow, and the health column on it
        QRect pill;
        QRect card;
        QRect knockBadge;
        QRect musicBadge;
        QRect welcome;
        bool operator==(const Areas&) const = default;
    };
    Areas areas() const;

    // What a refresh of the observed values changed.
    struct Refresh {
        bool look{false};  // state, character, badges, compact mode, glow or bar: everything
        bool gauge{false}; // the bar's fill
        DataPanelView::Change card{DataPanelView::Change::none};
        bool pill{false};    // the pill's text
        bool welcome{false}; // the bubble's texts
    };
    // What to repaint after a refresh, given the areas from before it; `bounds` is the
    // whole view.
    QRegion refreshed(const Areas& before, const Refresh& changed, const QRect& bounds) const;

    // Repaint areas of single frames, in view coordinates.
    // A sprite change at `inSquare` (the square's coordinates), with its shadow or glow.
    QRect petChange(const QRectF& inSquare) const;
    // The pet at any zoom: what a frame of the hover zoom repaints.
    QRect petReach() const;
    QRect healthChange(bool reshaped) const;
    // A part of the card (the card's coordinates); the whole card while it moves in or out.
    QRect cardChange(const QRectF& inCard) const;

    // Places in view coordinates, as last laid out.
    QRectF healthBarRect() const;
    QRectF batterySymbolRect() const;
    QRectF welcomeButtonRect() const;
    // The card's Rest / Work button and advice text; empty in compact mode.
    QRectF actionButtonRect() const;
    QRectF adviceTextRect() const;
    // Where the pet's pictures have pixels (without shadow or glow), row by row.
    QRegion petShape() const;
    // What takes the pointer: what is drawn now, with room for the pet's zoom and glow,
    // within `bounds`. Elsewhere clicks go through to the windows below.
    QRegion interactiveRegion(const QRect& bounds) const;

    // Sets the shape on `view`'s native window and keeps the pet's click catcher
    // (`overlay`, may be null) out from under the welcome bubble. Cheap when nothing
    // changed.
    void applyShape(QWidget& view, QWidget* overlay);
    // The pet's drawn outline is no longer the one the shape was made from.
    bool shapeStale() const;

private:
    bool panelShown() const;

    const HUDScene& scene_;
    // The pet's outline with its shadow or glow, as last worked out for the shape.
    struct PetHalo {
        QRegion shape;
        double zoom{0};
        QRectF square;
        int halo{0};
        QRegion region;
    };
    mutable PetHalo petHalo_;
    QRegion appliedMask_;
    // The sprite's drawn shape the shape was last made from: most frames keep it.
    QRegion shapedSprite_;
};

} // namespace plovane
