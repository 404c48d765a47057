#pragma once

#include <QHash>
#include <QPixmap>
#include <QProxyStyle>
#include <QSet>
#include <QStyleOptionMenuItem>

namespace plovane {

// The application's style with colour emoji in menus. A menu draws each row's text in
// one font, where the desktop's text face (DejaVu Sans has ☕ ⚙ ⚔) or font fallback
// (Noto Sans Symbols2 has 📊 🖥, a platform theme's font 📦) may give an emoji as a black
// outline. In a menu with emoji, a row's leading emoji is drawn in colour in the icon
// column instead, so every row's text starts at the same place. A menu taller than the
// screen scrolls, so every row of it can be reached.
//
// It stands on the style the application would have without it (the desktop's, or the
// one the user asks for): a style of our own for some menus stands on an EmojiStyle of
// its own, so those menus draw their emoji in colour too.
class EmojiStyle final : public QProxyStyle {
public:
    EmojiStyle();

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    void polish(QWidget* widget) override;
    void unpolish(QWidget* widget) override;
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;

    // `option` with a leading emoji moved into the icon, when `widget` is a menu with emoji
    // (for a style on top that lays out rows with icons itself).
    bool withEmojiIcon(const QStyleOption* option, const QWidget* widget, QStyleOptionMenuItem& out) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether a row of `menu` starts with an emoji; asked for every row drawn or measured,
    // so kept until the menu's rows change (a thousand rows would otherwise read each
    // other's texts a million times a layout).
    bool hasLeadingEmoji(const QMenu& menu) const;
    QPixmap emojiPixmap(const QString& emoji, const QFont& font, int size, qreal ratio) const;

    mutable QHash<QString, QPixmap> pixmaps_;
    mutable QHash<const QMenu*, bool> menusWithEmoji_;
    // The menus that tell this style when their rows change.
    QSet<const QObject*> watched_;
};

} // namespace plovane
