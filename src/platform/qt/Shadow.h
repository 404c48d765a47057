#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>

namespace plovane {

// Soft shadows and glows for painted views: the blurred silhouette of an image, tinted
// one colour. Blurring costs a few milliseconds, so callers keep the result and repaint
// it with a painter opacity.
struct Shadow {
    QImage image;   // tinted, blurred silhouette; larger than the source by `margin` each side
    double margin;  // in logical pixels
    qreal dpr{1.0};

    bool isNull() const { return image.isNull(); }
    // Where to draw the shadow of a source whose top-left corner is at `sourceTopLeft`.
    QPointF drawOrigin(QPointF sourceTopLeft, QPointF offset) const
    {
        return sourceTopLeft + offset - QPointF(margin, margin);
    }

    // `radius` is the blur radius in logical pixels (roughly twice the Gaussian sigma).
    static Shadow make(const QImage& source, double radius, const QColor& color);
};

} // namespace plovane
