#include "platform/qt/EmojiStyle.h"

#include "platform/qt/EmojiText.h"

#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace plovane {

namespace {

bool hasLeadingEmoji(const QMenu& menu)
{
    for (const QAction* action : menu.actions())
        if (action->icon().isNull() && !emoji::leadingEmoji(action->text()).isEmpty())
            return true;
    return false;
}

} // namespace

EmojiStyle::EmojiStyle() = default;

bool EmojiStyle::withEmojiIcon(const QStyleOption* option, const QWidget* widget, QStyleOptionMenuItem& out) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const auto* menu = qobject_cast<const QMenu*>(widget);
    if (!item || !menu || emoji::colorFamily().isEmpty() || !hasLeadingEmoji(*menu))
        return false;
    out = *item;
    // Every row keeps the icon column, so the texts line up under each other.
    const int size = pixelMetric(PM_SmallIconSize, option, widget);
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
