#include "windows/NumericText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace plovane::windows {

NumericText::NumericText(AnimationDriver& driver, QString initial, double springDuration, std::function<void()> onFrame)
    : current_(std::move(initial)), progress_(driver, 1.0, std::move(onFrame)), springDuration_(springDuration)
{
}

void NumericText::set(const QString& text, bool animated)
{
    if (text == current_)
        return;
    previous_ = current_;
    current_ = text;
    if (!animated) {
        progress_.set(1.0);
        return;
    }
    progress_.set(0.0);
    // No extra bounce: the spring settles with the slight give of the platform's snappy one.
    progress_.animateTo(1.0, Animation::spring(springDuration_, 0.85));
}

double NumericText::width(const QFont& font, const QString& text) { return QFontMetricsF(font).horizontalAdvance(text); }

void NumericText::paint(QPainter& p, QPointF baselineLeft, const QFont& font, const QColor& color) const
{
    const QFontMetricsF fm(font);
    const double t = progress_.value();
    p.save();
    p.setFont(font);
    p.setPen(color);
    const double rise = fm.ascent() * 0.7;
    const double baseAlpha = p.opacity();
    // Digits are matched from the right, where units stay units as the number grows.
    const qsizetype n = current_.size();
    const qsizetype m = previous_.size();
    double x = baselineLeft.x();
    for (qsizetype i = 0; i < n; ++i) {
        const QString ch = current_.mid(i, 1);
        const qsizetype fromRight = n - 1 - i;
        const qsizetype j = m - 1 - fromRight;
        const bool same = t >= 1.0 || (j >= 0 && previous_[j] == current_[i]);
        const double w = fm.horizontalAdvance(ch);
        if (same) {
            p.setOpacity(baseAlpha);
            p.drawText(QPointF(x, baselineLeft.y()), ch);
        } else {
            p.setOpacity(baseAlpha * std::clamp(t, 0.0, 1.0));
            p.drawText(QPointF(x, baselineLeft.y() + (1.0 - t) * rise), ch);
            if (j >= 0) {
                p.setOpacity(baseAlpha * std::clamp(1.0 - t, 0.0, 1.0));
                p.drawText(QPointF(x, baselineLeft.y() - t * rise), previous_.mid(j, 1));
            }
        }
        x += w;
    }
    p.restore();
}

} // namespace plovane::windows
