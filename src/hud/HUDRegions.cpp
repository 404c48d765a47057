#include "hud/HUDRegions.h"

#include "hud/BadgeView.h"
#include "hud/CompactAdviceLabel.h"
#include "hud/HUDLayout.h"
#include "hud/HUDRules.h"
#include "hud/HealthColumn.h"
#include "hud/SpriteStage.h"
#include "hud/WelcomeBubbleView.h"
#include "platform/qt/AnimationDriver.h"

#include <QTransform>
#include <QWidget>
#include <QWindow>

namespace plovane {

namespace {

// Below this a part that comes and goes is not drawn.
constexpr double kPresent = 0.001;

QRect grown(const QRectF& r, double by) { return r.adjusted(-by, -by, by, by).toAlignedRect(); }

// `r` scaled by `zoom` about `centre`.
QRectF zoomed(const QRectF& r, QPointF centre, double zoom)
{
    return {centre + (r.topLeft() - centre) * zoom, r.size() * zoom};
}

} // namespace

HUDRegions::Areas HUDRegions::areas() const
{
    const HUDLayout& l = scene_.layout;
    Areas a;
    const QRectF square = l.sprite + SpriteStage::spill(hud::lowO2PulseEnabled(scene_.o2));
    a.pet = grown(zoomed(square, l.sprite.center(), scene_.spriteZoom.value()), 2);
    const double panel = scene_.panelPresence.value();
    // The pill drops 6 points as it leaves and carries a soft shade; the card rises 8.
    if (panel < 1.0 - kPresent)
        a.pill = l.compactLabel.adjusted(-4, -10, 4, 6).toAlignedRect();
    if (panel > kPresent)
        a.card = l.card.adjusted(-2, -2 - 8.0 * (1.0 - panel), 2, 2).toAlignedRect();
    // Badges bob a few points and cast a small shadow; the bubble a larger one.
    if (scene_.knockPresence.value() > kPresent)
        a.knockBadge = grown(l.knockBadge, 8);
    if (scene_.musicPresence.value() > kPresent)
        a.musicBadge = grown(l.musicBadge, 8);
    if (scene_.welcomePresence.value() > kPresent)
        a.welcome = grown(l.welcome, 14);
    return a;
}

QRegion HUDRegions::refreshed(const Areas& before, const Refresh& changed, const QRect& bounds) const
{
    if (changed.look)
        return bounds;
    const Areas now = areas();
    QRegion dirty;
    // Each part on its own: the box around two parts would take in what lies between.
    auto part = [&](QRect Areas::*area, bool changedInPlace) {
        if (changedInPlace || before.*area != now.*area) {
            dirty += before.*area;
            dirty += now.*area;
        }
    };
    part(&Areas::pet, false);
    part(&Areas::pill, changed.pill);
    part(&Areas::card, changed.card == DataPanelView::Change::card);
    part(&Areas::knockBadge, false);
    part(&Areas::musicBadge, false);
    part(&Areas::welcome, changed.welcome);
    if (changed.gauge)
        dirty += healthChange(false);
    if (changed.card == DataPanelView::Change::metrics && !now.card.isEmpty())
        dirty += cardChange(scene_.card.metricsChange());
    return dirty & bounds;
}

QRect HUDRegions::petChange(const QRectF& inSquare) const
{
    // Room for the shadow or glow that follows what changed (the glow only shows on low
    // oxygen), scaled with the pet's zoom. Only that much: hovering frames change most of
    // the square, and every pixel repainted travels to the X server.
    const QRectF& square = scene_.layout.sprite;
    const QRectF changed = inSquare.translated(square.topLeft()) + SpriteStage::spill(hud::lowO2PulseEnabled(scene_.o2));
    return grown(zoomed(changed, square.center(), scene_.spriteZoom.value()), 2);
}

QRect HUDRegions::petReach() const
{
    const QRectF& square = scene_.layout.sprite;
    const QRectF spilled = square + SpriteStage::spill(hud::lowO2PulseEnabled(scene_.o2));
    return grown(zoomed(spilled, square.center(), std::max(kHoverZoom, scene_.spriteZoom.value())), 2);
}

QRect HUDRegions::healthChange(bool reshaped) const
{
    return grown(reshaped ? healthBarRect().united(batterySymbolRect()) : healthBarRect(), 2);
}

QRect HUDRegions::cardChange(const QRectF& inCard) const
{
    // While the card itself moves in or out, its parts are not where they rest.
    const QRectF& card = scene_.layout.card;
    return grown(scene_.panelPresence.value() < 1.0 ? card : inCard.translated(card.topLeft()), 2);
}

QRectF HUDRegions::healthBarRect() const
{
    return scene_.health.barRect().translated(scene_.layout.sprite.topLeft());
}

QRectF HUDRegions::batterySymbolRect() const
{
    return scene_.health.batteryRect().translated(scene_.layout.sprite.topLeft());
}

QRectF HUDRegions::welcomeButtonRect() const
{
    if (!scene_.welcomeShown)
        return {};
    return scene_.welcome.buttonRect().translated(scene_.layout.welcome.topLeft());
}

bool HUDRegions::panelShown() const { return scene_.panelPresence.target() > 0.5; }

QRectF HUDRegions::actionButtonRect() const
{
    if (!panelShown() || scene_.card.actionButtonRect().isEmpty())
        return {};
    return scene_.card.actionButtonRect().translated(scene_.layout.card.topLeft());
}

QRectF HUDRegions::adviceTextRect() const
{
    if (!panelShown())
        return {};
    return scene_.card.adviceTextRect().translated(scene_.layout.card.topLeft());
}

QRegion HUDRegions::petShape() const
{
    // The stage's shape, zoomed about the square's centre.
    const QRectF& square = scene_.layout.sprite;
    const QPointF c = square.center();
    const double zoom = scene_.spriteZoom.value();
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale(zoom, zoom);
    t.translate(-c.x() + square.left(), -c.y() + square.top());
    return t.map(scene_.sprite.drawnShape());
}

QRegion HUDRegions::interactiveRegion(const QRect& bounds) const
{
    // What is drawn now, with the shadows and glows around it, and nothing else. The
    // region follows every animation frame that moves, grows or fades a part in or out.
    // The pet's outline row by row, with the drop shadow below or the red glow around.
    // Asked for at every refresh, and the same until the pet's outline, zoom or place or
    // the glow changes.
    const int halo = hud::lowO2PulseEnabled(scene_.o2) ? 20 : 8;
    const QRegion shape = scene_.sprite.drawnShape();
    const double zoom = scene_.spriteZoom.value();
    if (!(petHalo_.halo == halo && petHalo_.zoom == zoom && petHalo_.square == scene_.layout.sprite &&
          petHalo_.shape == shape)) {
        QRegion halos;
        for (const QRect& row : petShape())
            halos += row.adjusted(-halo, -halo, halo, halo + 6);
        petHalo_ = {shape, zoom, scene_.layout.sprite, halo, halos};
    }
    QRegion region = petHalo_.region;
    if (scene_.health.barShown())
        region += grown(healthBarRect(), 2);
    if (scene_.health.batteryShown())
        region += grown(batterySymbolRect(), 1);
    const Areas a = areas();
    // The card takes the pointer as drawn, the pill and the badges with their shades.
    for (const QRect& part : {a.card, a.pill, a.knockBadge, a.musicBadge, a.welcome})
        region += part;
    return region & bounds;
}

void HUDRegions::applyShape(QWidget& view, QWidget* overlay)
{
    // The welcome bubble lies over the pet in compact mode: it is the top layer for the
    // pointer too, so the pet's click catcher leaves its area alone.
    if (overlay) {
        const QRect bubble = scene_.welcomePresence.value() > kPresent || scene_.welcomeShown
                                 ? scene_.layout.welcome.toAlignedRect().translated(-overlay->pos())
                                 : QRect();
        const QRegion reach = QRegion(overlay->rect()) - bubble;
        if (reach != overlay->mask())
            overlay->setMask(reach);
    }
    shapedSprite_ = scene_.sprite.drawnShape();
    QWidget* top = view.window();
    if (top == &view || !top->isWindow())
        return;
    // Set on the native window, not the widget: the X server clips drawing and the pointer
    // to it all the same, while a widget mask would also cut each repaint into one piece
    // per row of the pet's outline, each painted and sent on its own.
    QWindow* native = top->windowHandle();
    if (!native)
        return; // applied when shown
    const QRegion region = interactiveRegion(view.rect()).translated(view.mapTo(top, QPoint(0, 0)));
    if (region == appliedMask_ && native->mask() == region)
        return;
    appliedMask_ = region;
    native->setMask(region);
}

bool HUDRegions::shapeStale() const { return scene_.sprite.drawnShape() != shapedSprite_; }

} // namespace plovane
