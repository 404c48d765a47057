#pragma once

#include "platform/qt/AnimationDriver.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>

#include <functional>

class QPainter;

namespace plovane::windows {

// A number shown as text whose changed digits roll: the old ones rise out and fade while
// the new ones rise in from below, on a snappy spring. Digits that stay are left alone.
class NumericText {
public:
    NumericText(AnimationDriver& driver, QString initial, double springDuration, std::function<void()> onFrame);

    // Shows `text` from now on; rolls the digits that differ unless `animated` is false.
    void set(const QString& text, bool animated = true);
    const QString& text() const { return current_; }
    bool isRolling() const { return progress_.isAnimating(); }

    // Width of the current text in `font`.
    static double width(const QFont& font, const QString& text);
    // Paints with the current text's left end at `baselineLeft` (on the baseline).
    void paint(QPainter& p, QPointF baselineLeft, const QFont& font, const QColor& color) const;

private:
    QString current_;
    QString previous_;
    AnimatedValue progress_;
    double springDuration_;
};

} // namespace plovane::windows
