#pragma once

#include "hud/FadeSnapshots.h"
#include "hud/HUDPainter.h"
#include "hud/HUDRegions.h"
#include "hud/HUDScene.h"

#include <QRect>
#include <QRectF>
#include <QRegion>

class QWidget;

namespace plovane {

// A new tip's cross-fade on the card or in compact mode's pill. While that part stays in
// place, the frames are mixed in the X server from the view as the fade starts and ends;
// the last one, and any the server cannot mix, are repainted.
class TipFades {
public:
    TipFades(QWidget& view, const HUDScene& scene, const HUDRegions& regions, const HUDPainter& painter);

    // A frame of the card's tip fade over `inCard` (the card's coordinates).
    void cardFrame(const QRectF& inCard);
    // A frame of the pill's tip fade.
    void pillFrame();
    // How far a fade is, on the card or in the pill (1 when none runs).
    double progress() const;

    // What the view tells the server's mix: its paints, and the pet's frames.
    void painted(const QRegion& region) { fade_.painted(region); }
    void petChanged(const QRect& area, bool copied) { fade_.frameChanged(area, copied); }
    // The view went out of sight: the next fade starts afresh.
    void finish() { fade_.finish(); }

private:
    void frame(bool mixable, const QRect& changed, double progress);

    QWidget& view_;
    const HUDScene& scene_;
    const HUDRegions& regions_;
    FadeSnapshots fade_;
};

} // namespace plovane
