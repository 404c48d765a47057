#pragma once

#include <QProxyStyle>

namespace plovane {

// The look of the status menu's submenus, on top of the application's style:
//  - an item whose text holds a line feed shows two lines: the title at 13 px and below
//    it the rest at 10 px, fainter;
//  - a checkable item with an icon shows its check mark and its icon side by side (the
//    base style would show one or the other).
// The base style still draws the panel, the highlight and the check mark, so such items
// behave like any other. Item icons are drawn at `iconSide` pixels.
class SubmenuStyle final : public QProxyStyle {
public:
    explicit SubmenuStyle(int iconSide = 16);

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
