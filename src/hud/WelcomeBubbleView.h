#pragma once

#include "platform/qt/Shadow.h"

#include <QRectF>
#include <QString>

class QPainter;

namespace plovane {

// The one-time speech bubble beside the pet: a dark card holding the message and the
// "Got it" button, with a tail on its right edge pointing at the pet.
class WelcomeBubbleView {
public:
    // Lays the bubble out for a message and button title, wrapping the message so the
    // whole bubble (tail included) fits `maxWidth`. Returns whether anything changed.
    bool setContent(const QString& message, const QString& buttonTitle, double maxWidth);

    QSizeF size() const { return size_; }
    // The button, relative to the bubble's top-left corner.
    QRectF buttonRect() const { return button_; }
    QRectF cardRect() const { return card_; }
    const QString& message() const { return message_; }
    const QString& buttonTitle() const { return buttonTitle_; }

    void paint(QPainter& painter, QPointF topLeft) const;

    static constexpr double kTailWidth = 8.0;
    static constexpr double kTailHeight = 16.0;

private:
    void renderShadow() const;
    void paintBody(QPainter& painter, QPointF topLeft) const;

    QString message_;
    QString buttonTitle_;
    double maxWidth_{0};
    QSizeF size_;
    QRectF card_;
    QRectF text_;
    QRectF button_;
    mutable Shadow shadow_;
};

} // namespace plovane
