#include "hud/HUDLayout.h"

#include "hud/SpriteStage.h"

#include <algorithm>

namespace plovane {

namespace {
constexpr double kSide = SpriteStage::kSide;
const QPointF kSpriteBlockOffset{28.0, 10.0};
constexpr double kPanelTop = 70.0;
constexpr double kPillGap = 4.0;
} // namespace

QPointF HUDLayout::spriteOffsetFromCard()
{
    return QPointF(kRootWidth - kSide, -kPanelTop) + kSpriteBlockOffset;
}

HUDLayout HUDLayout::compute(const Inputs& in)
{
    HUDLayout out;
    const double p = in.panelPresence;
    const double expandedHeight = std::max(kSide, kPanelTop + in.card.height());
    const double contentHeight = kSide + (expandedHeight - kSide) * p;
    const double x0 = 0.0;
    const double y0 = (in.view.height() - contentHeight) / 2.0;
    out.root = QRectF(x0, y0, kRootWidth, contentHeight);

    // Compact, the pet sits at the leading edge; expanded, at the trailing one beside the card.
    const double blockX = x0 + (kRootWidth - kSide) * p;
    out.sprite = QRectF(QPointF(blockX, y0) + kSpriteBlockOffset, QSizeF(kSide, kSide));
    out.card = QRectF(QPointF(x0, y0 + kPanelTop), in.card);
    // Compact mode's tip sits beside the pet, level with its lower part, never over it.
    const QRectF reach = in.spriteReach.isEmpty() ? QRectF(0, 0, kSide, kSide) : in.spriteReach;
    out.compactLabel = QRectF(QPointF(out.sprite.left() + std::max(reach.right(), kSide / 2) + kPillGap,
                                      out.sprite.bottom() - 10.0 - in.compactLabel.height()),
                              in.compactLabel);

    // Badges stack at the top right, knock above music.
    const double right = x0 + kRootWidth - 32.0;
    const double top = y0 + 8.0;
    out.knockBadge = QRectF(QPointF(right - in.knockBadge.width(), top), in.knockBadge);
    const double share = std::clamp(in.knockShare, 0.0, 1.0);
    out.musicBadge =
        QRectF(QPointF(right - in.musicBadge.width(), top + share * (in.knockBadge.height() + 4.0)), in.musicBadge);

    out.welcome = QRectF(QPointF(x0 + 4.0, y0 + 18.0), in.welcome);
    return out;
}

} // namespace plovane
