#include "hud/CompactAdviceLabel.h"

#include <QPainter>

#include <algorithm>

namespace plovane {

namespace {
constexpr double kTextWidth = 140.0; // the 160-point sprite less the pill's padding
constexpr double kPadH = 10.0;
constexpr double kPadV = 5.0;
constexpr double kShade = 3.0;

QFont labelFont() { return hud::systemFont(9.5, QFont::DemiBold); }
} // namespace

CompactAdviceLabel::CompactAdviceLabel(AnimationDriver& driver, ImageStore& images, std::function<void()> onFrame)
    : images_(images), advice_(driver, QString(), Animation::easeInOut(0.5).atFrameRate(30), std::move(onFrame))
{
}

bool CompactAdviceLabel::setText(const QString& text, bool fade) { return advice_.set(text, fade); }

const hud::WrappedText& CompactAdviceLabel::wrapped() const
{
    if (!wrappedValid_ || wrappedFor_ != advice_.current()) {
        wrapped_ = hud::wrapText(advice_.current(), labelFont(), kTextWidth, 2);
        wrappedFor_ = advice_.current();
        wrappedValid_ = true;
    }
    return wrapped_;
}

QSizeF CompactAdviceLabel::size() const
{
    const hud::WrappedText& w = wrapped();
    return {w.width + 2 * kPadH, w.height() + 2 * kPadV};
}

void CompactAdviceLabel::paint(QPainter& p, const QRectF& r, double presence, std::optional<double> fadeAt) const
{
    if (presence <= 0.001)
        return;
    const double base = p.opacity();
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const QString size = QString::number(r.width()) + QLatin1Char('x') + QString::number(r.height()) +
                         QLatin1Char('@') + QString::number(dpr);
    const QImage pill = images_.named(QStringLiteral("compact-pill ") + size, [&] {
        QImage layer = hud::makeLayer(r.size() + QSizeF(2 * kShade, 2 * kShade + 2), dpr);
        hud::paintInBands(layer, [&](QPainter& lp) {
            lp.setRenderHint(QPainter::Antialiasing, true);
            const QRectF at(QPointF(kShade, kShade), r.size());
            // A soft shadow under a frosted dark pill.
            lp.setPen(Qt::NoPen);
            for (int i = 3; i >= 1; --i) {
                lp.setBrush(QColor(0, 0, 0, 18));
                lp.drawRoundedRect(at.translated(0, 2).adjusted(-i, -i + 1, i, i), 8 + i, 8 + i);
            }
            lp.setBrush(hud::ultraThinMaterial(0.55));
            lp.drawRoundedRect(at, 8, 8);
            lp.setBrush(Qt::NoBrush);
            lp.setPen(QPen(hud::color(hud::Hue::white, 0.1), 0.5));
            lp.drawRoundedRect(at, 8, 8);
        });
        return layer;
    });
    const QPointF at = r.topLeft() + QPointF(0.0, -6.0 * (1.0 - presence));
    p.setOpacity(base * presence);
    p.drawImage(at - QPointF(kShade, kShade), pill);
    advice_.paint([&](const QString& text, double opacity) {
        if (text.isEmpty() || opacity <= 0.0)
            return;
        const QImage lines = images_.named(QStringLiteral("compact-text ") + size + QLatin1Char(' ') + text, [&] {
            const hud::WrappedText w = text == advice_.current() ? wrapped() : hud::wrapText(text, labelFont(), kTextWidth, 2);
            QImage layer = hud::makeLayer(QSizeF(r.width() - 2 * kPadH, std::max(1.0, w.height())), dpr);
            QPainter lp(&layer);
            lp.setRenderHint(QPainter::TextAntialiasing, true);
            lp.setPen(hud::color(hud::Hue::white, 0.85));
            hud::paintWrapped(lp, w, labelFont(), QPointF(0, 0), r.width() - 2 * kPadH, Qt::AlignHCenter);
            return layer;
        });
        p.setOpacity(base * presence * opacity);
        p.drawImage(at + QPointF(kPadH, kPadV), lines);
    }, fadeAt);
    p.setOpacity(base);
}

} // namespace plovane
