#pragma once

#include <QHash>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace plovane {

// The application's style with colour emoji in menus. A menu draws each row's text in
// one font, where the desktop's text face (DejaVu Sans has ☕ ⚙ ⚔) or font fallback
// (Noto Sans Symbols2 has 📊 🖥) may give an emoji as a black outline. In a menu with
// emoji, a row's leading emoji is drawn in colour in the icon column instead, so every
// row's text starts at the same place.
class EmojiStyle final : public QProxyStyle {
public:
    EmojiStyle();

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

private:
    // `option` with a leading emoji moved into the icon, when `widget` is a menu with emoji.
    bool withEmojiIcon(const QStyleOption* option, const QWidget* widget, QStyleOptionMenuItem& out) const;
    QPixmap emojiPixmap(const QString& emoji, const QFont& font, int size, qreal ratio) const;

    mutable QHash<QString, QPixmap> pixmaps_;
};

} // namespace plovane
