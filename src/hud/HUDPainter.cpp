#include "hud/HUDPainter.h"

#include "hud/BadgeView.h"
#include "hud/CompactAdviceLabel.h"
#include "hud/DataPanelView.h"
#include "hud/HUDLayout.h"
#include "hud/HUDRules.h"
#include "hud/HealthColumn.h"
#include "hud/SpriteStage.h"
#include "hud/WelcomeBubbleView.h"
#include "platform/qt/AnimationDriver.h"

#include <QPainter>

#include <algorithm>

namespace plovane {

namespace {
double lerp(double a, double b, double t) { return a + (b - a) * t; }
double unit(double v) { return std::clamp(v, 0.0, 1.0); }
} // namespace

void HUDPainter::paint(QPainter& p, const QRect& area, std::optional<double> adviceAt) const
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setClipRect(area);
    p.setOpacity(unit(scene_.opacity.value()));
    const HUDRegions::Areas parts = regions_.areas();
    if (area.intersects(parts.card))
        paintCard(p, adviceAt);
    if (area.intersects(parts.pet) || area.intersects(parts.pill))
        paintPet(p, adviceAt);
    if (area.intersects(parts.knockBadge) || area.intersects(parts.musicBadge))
        paintBadges(p);
    if (area.intersects(parts.welcome))
        paintWelcome(p);
}

void HUDPainter::paintCard(QPainter& p, std::optional<double> adviceAt) const
{
    const QRectF& card = scene_.layout.card;
    const double panel = scene_.panelPresence.value();
    const double base = p.opacity();
    p.save();
    if (panel < 1.0) {
        // Enters and leaves fading, growing from 95 % at its top centre, dropping 8 points.
        const QPointF anchor(card.center().x(), card.top());
        const double scale = 0.95 + 0.05 * panel;
        p.translate(anchor + QPointF(0.0, -8.0 * (1.0 - panel)));
        p.scale(scale, scale);
        p.translate(-anchor);
        p.setOpacity(base * unit(panel));
    }
    scene_.card.paint(p, card.topLeft(), adviceAt);
    p.restore();
}

void HUDPainter::paintPet(QPainter& p, std::optional<double> adviceAt) const
{
    const QRectF& square = scene_.layout.sprite;
    p.save();
    if (const double zoom = scene_.spriteZoom.value(); zoom != 1.0) {
        p.translate(square.center());
        p.scale(zoom, zoom);
        p.translate(-square.center());
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const double pulse = scene_.pulse.value();
    double glow = 0.0;
    if (hud::lowO2PulseEnabled(scene_.o2))
        glow = scene_.criticalPulse ? lerp(0.25, 0.85, pulse) : 0.25;
    scene_.sprite.paint(p, square, glow);
    p.restore();

    const bool critical = scene_.state == DiveState::critical;
    const double blink = critical && scene_.criticalPulse ? lerp(0.25, 1.0, pulse) : (critical ? 0.25 : 1.0);
    scene_.health.paint(p, square.topLeft(), critical, blink);
    scene_.pill.paint(p, scene_.layout.compactLabel, unit(1.0 - scene_.panelPresence.value()), adviceAt);
}

void HUDPainter::paintBadges(QPainter& p) const
{
    const double base = p.opacity();
    auto badge = [&](const BadgeView& view, const QRectF& rect, double presence) {
        if (presence <= 0.001)
            return;
        // In and out scaling from half size about its centre, fading with it.
        p.save();
        const double scale = 0.5 + 0.5 * presence;
        p.translate(rect.center());
        p.scale(scale, scale);
        p.translate(-rect.center());
        p.setOpacity(base * unit(presence));
        view.paint(p, rect.topLeft());
        p.restore();
    };
    badge(scene_.knockBadge, scene_.layout.knockBadge, scene_.knockPresence.value());
    badge(scene_.musicBadge, scene_.layout.musicBadge, scene_.musicPresence.value());
}

void HUDPainter::paintWelcome(QPainter& p) const
{
    const double presence = scene_.welcomePresence.value();
    const QRectF& bubble = scene_.layout.welcome;
    const double base = p.opacity();
    p.save();
    // Grows out of its tail: scaled from 85 % about the trailing edge.
    const QPointF anchor(bubble.right(), bubble.center().y());
    const double scale = 0.85 + 0.15 * presence;
    p.translate(anchor);
    p.scale(scale, scale);
    p.translate(-anchor);
    p.setOpacity(base * unit(presence));
    scene_.welcome.paint(p, bubble.topLeft());
    p.restore();
}

} // namespace plovane
