#pragma once

#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace plovane {

// The look of the status menu's submenus, on top of the application's style and its
// colour emoji:
//  - an item whose text holds a line feed shows two lines: the title at 13 px and below
//    it the rest at 10 px, fainter;
//  - an item with an icon, its leading emoji drawn as one among them, shows its icon after
//    the check column and its check mark in it (the base style would show one or the
//    other), so every item's text starts at the same place.
// The base style still draws the panel, the highlight and the check mark, so such items
// behave like any other. Item icons are drawn at `iconSide` pixels.
class EmojiStyle;

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
    SubmenuStyle(EmojiStyle* emoji, int iconSide);
    // The item as drawn: its leading emoji made its icon.
    const QStyleOptionMenuItem* shown(const QStyleOption* option, const QWidget* widget,
                                      QStyleOptionMenuItem& storage) const;

    EmojiStyle* emoji_;
    int iconSide_;
};

} // namespace plovane
