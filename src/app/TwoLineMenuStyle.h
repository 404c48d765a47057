#pragma once

#include <QProxyStyle>

namespace plovane {

// Draws a menu item whose text holds a line feed as two lines: the title in the menu's
// font at 13 px, and below it the rest at 10 px, fainter. The base style still draws the
// panel, the highlight and the check mark, so such items behave like any other. Item
// icons are drawn at `iconSide` pixels.
class TwoLineMenuStyle final : public QProxyStyle {
public:
    explicit TwoLineMenuStyle(int iconSide = 16);

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

    static constexpr int kTitlePixels = 13;
    static constexpr int kSubtitlePixels = 10;

private:
    int iconSide_;
};

} // namespace plovane
