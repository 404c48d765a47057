#include "status/StatusIcon.h"

#include "status/StatusIconSource.h"

#include <QPainter>
#include <QPixmap>

#include <array>
#include <cmath>

namespace plovane {

namespace {
constexpr std::array<int, 9> kIconSides{16, 22, 24, 28, 32, 44, 48, 56, 64};
}

QImage StatusIcon::render(const QImage& sprite, int side)
{
    QImage icon(side, side, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    if (sprite.isNull())
        return icon;

    const double w = sprite.width() / sprite.devicePixelRatio();
    const double h = sprite.height() / sprite.devicePixelRatio();
    const IconCrop crop = statusIconCrop(w, h);
    const double scale = side / kStatusIconSide;
    // The crop is measured from the sprite's lower-left corner; images count from the top.
    const double dpr = sprite.devicePixelRatio();
    const QRectF source(crop.x * dpr, (h - crop.y - crop.side) * dpr, crop.side * dpr, crop.side * dpr);
    // Whole pixels on the icon's side too: a fractional edge would be blended.
    const int gap = static_cast<int>(std::lround(kStatusIconTopGap * scale));
    const QRectF target(0, gap, side, side - gap);

    QPainter painter(&icon);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, sprite, source);
    return icon;
}

QIcon StatusIcon::make(const QImage& sprite)
{
    QIcon icon;
    for (int side : kIconSides)
        icon.addPixmap(QPixmap::fromImage(render(sprite, side)));
    return icon;
}

QIcon StatusIcon::blank()
{
    QPixmap empty(static_cast<int>(kStatusIconSide), static_cast<int>(kStatusIconSide));
    empty.fill(Qt::transparent);
    return QIcon(empty);
}

} // namespace plovane
