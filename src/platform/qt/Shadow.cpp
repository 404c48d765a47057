#include "platform/qt/Shadow.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace plovane {

namespace {

// One horizontal and one vertical box pass over an alpha plane.
void boxBlur(std::vector<float>& a, int w, int h, int r)
{
    if (r <= 0)
        return;
    std::vector<float> tmp(a.size());
    const float norm = 1.0f / static_cast<float>(2 * r + 1);
    for (int y = 0; y < h; ++y) {
        float sum = 0;
        for (int x = -r; x <= r; ++x)
            sum += a[y * w + std::clamp(x, 0, w - 1)];
        for (int x = 0; x < w; ++x) {
            tmp[y * w + x] = sum * norm;
            sum += a[y * w + std::min(x + r + 1, w - 1)] - a[y * w + std::max(x - r, 0)];
        }
    }
    for (int x = 0; x < w; ++x) {
        float sum = 0;
        for (int y = -r; y <= r; ++y)
            sum += tmp[std::clamp(y, 0, h - 1) * w + x];
        for (int y = 0; y < h; ++y) {
            a[y * w + x] = sum * norm;
            sum += tmp[std::min(y + r + 1, h - 1) * w + x] - tmp[std::max(y - r, 0) * w + x];
        }
    }
}

} // namespace

Shadow Shadow::make(const QImage& source, double radius, const QColor& color)
{
    if (source.isNull())
        return {};
    const qreal dpr = source.devicePixelRatio();
    const double margin = std::ceil(radius * 1.5) + 1;
    const int pad = static_cast<int>(std::ceil(margin * dpr));
    const int w = source.width() + 2 * pad;
    const int h = source.height() + 2 * pad;
    const QImage src = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<float> alpha(static_cast<std::size_t>(w) * h, 0.0f);
    for (int y = 0; y < src.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x)
            alpha[(y + pad) * w + x + pad] = static_cast<float>(qAlpha(line[x])) / 255.0f;
    }
    // Three box passes approximate a Gaussian of sigma = radius / 2.
    const double sigma = radius / 2.0 * dpr;
    const int box = std::max(0, static_cast<int>(std::lround(std::sqrt(4.0 * sigma * sigma / 3.0 + 1.0) - 0.5)));
    for (int i = 0; i < 3; ++i)
        boxBlur(alpha, w, h, box);
    QImage out(w, h, QImage::Format_ARGB32_Premultiplied);
    const QColor c = color.toRgb();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = std::clamp(static_cast<int>(alpha[y * w + x] * c.alphaF() * 255.0f + 0.5f), 0, 255);
            line[x] = qRgba(c.red() * a / 255, c.green() * a / 255, c.blue() * a / 255, a);
        }
    }
    out.setDevicePixelRatio(dpr);
    return {out, margin, dpr};
}

} // namespace plovane
