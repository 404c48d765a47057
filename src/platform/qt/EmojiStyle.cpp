#include "platform/qt/EmojiStyle.h"

#include "platform/qt/EmojiText.h"

#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace plovane {

EmojiStyle::EmojiStyle() = default;

bool EmojiStyle::hasLeadingEmoji(const QMenu& menu) const
{
    if (auto it = menusWithEmoji_.constFind(&menu); it != menusWithEmoji_.constEnd())
        return *it;
    bool found = false;
    for (const QAction* action : menu.actions())
        if (action->icon().isNull() && !emoji::leadingEmoji(action->text()).isEmpty()) {
            found = true;
            break;
        }
    if (watched_.contains(&menu))
        menusWithEmoji_.insert(&menu, found);
    return found;
}

void EmojiStyle::polish(QWidget* widget)
{
    QProxyStyle::polish(widget);
    auto* menu = qobject_cast<QMenu*>(widget);
    if (!menu || watched_.contains(menu))
        return;
    watched_.insert(menu);
    menu->installEventFilter(this);
    connect(menu, &QObject::destroyed, this, [this, menu] {
        watched_.remove(menu);
        menusWithEmoji_.remove(menu);
    });
}

void EmojiStyle::unpolish(QWidget* widget)
{
    if (auto* menu = qobject_cast<QMenu*>(widget); menu && watched_.remove(menu)) {
        menu->removeEventFilter(this);
        disconnect(menu, &QObject::destroyed, this, nullptr);
        menusWithEmoji_.remove(menu);
    }
    QProxyStyle::unpolish(widget);
}

bool EmojiStyle::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
    case QEvent::ActionChanged:
        menusWithEmoji_.remove(static_cast<QMenu*>(watched));
        break;
    default:
        break;
    }
    return QProxyStyle::eventFilter(watched, event);
}

int EmojiStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const
{
    // Past the screen's height a menu scrolls, rather than opening columns off the screen.
    if (hint == SH_Menu_Scrollable)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

bool EmojiStyle::withEmojiIcon(const QStyleOption* option, const QWidget* widget, QStyleOptionMenuItem& out) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const auto* menu = qobject_cast<const QMenu*>(widget);
    if (!item || !menu || emoji::colorFamily().isEmpty() || !hasLeadingEmoji(*menu))
        return false;
    out = *item;
    // Every row keeps the icon column, so the texts line up under each other.
    // The icon size of the style on top, where one stands on this.
    const int size = proxy()->pixelMetric(PM_SmallIconSize, option, widget);
    out.maxIconWidth = std::max(out.maxIconWidth, size);
    const QString lead = emoji::leadingEmoji(out.text);
    if (!lead.isEmpty() && out.icon.isNull()) {
        // Colour stays colour in a row that is shown but cannot be chosen, as it would in its text.
        const QPixmap pixmap = emojiPixmap(lead, out.font, size, widget->devicePixelRatioF());
        out.icon = QIcon();
        out.icon.addPixmap(pixmap, QIcon::Normal);
        out.icon.addPixmap(pixmap, QIcon::Disabled);
        out.text = out.text.mid(lead.size()).trimmed();
    }
    return true;
}

QSize EmojiStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                   const QWidget* widget) const
{
    QStyleOptionMenuItem item;
    if (type == CT_MenuItem && withEmojiIcon(option, widget, item))
        return QProxyStyle::sizeFromContents(type, &item, size, widget);
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void EmojiStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const
{
    QStyleOptionMenuItem item;
    if (element == CE_MenuItem && withEmojiIcon(option, widget, item)) {
        QProxyStyle::drawControl(element, &item, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QPixmap EmojiStyle::emojiPixmap(const QString& emoji, const QFont& font, int size, qreal ratio) const
{
    const QString key = emoji + QLatin1Char('/') + QString::number(size) + QLatin1Char('/') + QString::number(ratio);
    if (const auto it = pixmaps_.constFind(key); it != pixmaps_.constEnd())
        return *it;
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    QFont f = emoji::colorFont(font);
    // The colour face draws a little wider than its size: keep the picture inside the square.
    f.setPixelSize(std::max(1, size * 13 / 16));
    emoji::drawLine(p, QRectF(0, 0, size, size), Qt::AlignCenter, emoji, f);
    p.end();
    pixmaps_.insert(key, pixmap);
    return pixmap;
}

} // namespace plovane
