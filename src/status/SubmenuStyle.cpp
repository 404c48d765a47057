#include "status/SubmenuStyle.h"

#include "platform/qt/EmojiStyle.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace plovane {

namespace {

constexpr int kLineGap = 1;
constexpr int kVerticalPadding = 4;
// Where the base style starts an item's text: after the check column and its margins.
constexpr int kTextIndent = 28;
constexpr int kIconGap = 6;
constexpr int kRightPadding = 16;

enum class Layout { base, twoLines, markAndIcon };

const QStyleOptionMenuItem* menuItem(const QStyleOption* option)
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    return item && item->menuItemType == QStyleOptionMenuItem::Normal ? item : nullptr;
}

Layout layoutOf(const QStyleOptionMenuItem* item)
{
    if (!item)
        return Layout::base;
    if (item->text.contains(QLatin1Char('\n')))
        return Layout::twoLines;
    if (!item->icon.isNull())
        return Layout::markAndIcon;
    return Layout::base;
}

struct Lines {
    QString title;
    QString subtitle;
};

Lines split(const QString& text)
{
    const auto at = text.indexOf(QLatin1Char('\n'));
    return Lines{text.left(at), text.mid(at + 1)};
}

QFont sized(QFont font, int pixels)
{
    font.setPixelSize(pixels);
    return font;
}

QColor textColour(const QStyleOptionMenuItem& item)
{
    const bool selected = item.state & QStyle::State_Selected;
    const bool enabled = item.state & QStyle::State_Enabled;
    return item.palette.color(enabled ? QPalette::Normal : QPalette::Disabled,
                              selected ? QPalette::HighlightedText : QPalette::Text);
}

} // namespace

// A style of its own, of the application's kind with its colour emoji: the proxy owns its base.
SubmenuStyle::SubmenuStyle(int iconSide) : SubmenuStyle(new EmojiStyle, iconSide) {}

SubmenuStyle::SubmenuStyle(EmojiStyle* emoji, int iconSide) : QProxyStyle(emoji), emoji_(emoji), iconSide_(iconSide) {}

const QStyleOptionMenuItem* SubmenuStyle::shown(const QStyleOption* option, const QWidget* widget,
                                                QStyleOptionMenuItem& storage) const
{
    const QStyleOptionMenuItem* item = menuItem(option);
    if (item && emoji_->withEmojiIcon(item, widget, storage))
        return &storage;
    return item;
}

int SubmenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_SmallIconSize)
        return iconSide_;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize SubmenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                     const QWidget* widget) const
{
    QStyleOptionMenuItem storage;
    const QStyleOptionMenuItem* item = type == CT_MenuItem ? shown(option, widget, storage) : nullptr;
    switch (layoutOf(item)) {
    case Layout::base:
        break;
    case Layout::twoLines: {
        const Lines lines = split(item->text);
        const QFontMetrics title(sized(item->font, kTitlePixels));
        const QFontMetrics subtitle(sized(item->font, kSubtitlePixels));
        const int width = kTextIndent +
                          std::max(title.horizontalAdvance(lines.title), subtitle.horizontalAdvance(lines.subtitle)) +
                          kRightPadding;
        return QSize(width, 2 * kVerticalPadding + title.height() + kLineGap + subtitle.height());
    }
    case Layout::markAndIcon: {
        const QSize base = QProxyStyle::sizeFromContents(type, item, size, widget);
        return QSize(base.width() + iconSide_ + kIconGap, std::max(base.height(), iconSide_ + 4));
    }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void SubmenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const
{
    QStyleOptionMenuItem storage;
    const QStyleOptionMenuItem* item = element == CE_MenuItem ? shown(option, widget, storage) : nullptr;
    const Layout layout = layoutOf(item);
    if (layout == Layout::base) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }

    // The base style draws the row without words or icon: first its background and
    // highlight, then the check mark in a strip of one ordinary item's height beside the
    // first line, so the mark keeps its usual size and place.
    QStyleOptionMenuItem bare = *item;
    bare.text.clear();
    bare.icon = QIcon();
    bare.checkType = QStyleOptionMenuItem::NotCheckable;
    QProxyStyle::drawControl(element, &bare, painter, widget);
    const QFontMetrics titleMetrics(layout == Layout::twoLines ? sized(item->font, kTitlePixels) : item->font);
    const int lineCentre = layout == Layout::twoLines ? item->rect.top() + kVerticalPadding + titleMetrics.height() / 2
                                                      : item->rect.center().y();
    if (item->checkType != QStyleOptionMenuItem::NotCheckable) {
        QStyleOptionMenuItem mark = *item;
        mark.text.clear();
        mark.icon = QIcon();
        mark.maxIconWidth = 0;
        const int height =
            QProxyStyle::sizeFromContents(CT_MenuItem, &mark, QSize(0, QFontMetrics(item->font).height()), widget)
                .height();
        mark.rect = QRect(item->rect.left(), lineCentre - height / 2, item->rect.width(), height);
        QProxyStyle::drawControl(element, &mark, painter, widget);
    }

    QColor colour = textColour(*item);
    int x = item->rect.left() + kTextIndent;
    painter->save();
    if (layout == Layout::markAndIcon) {
        const QPixmap icon = item->icon.pixmap(QSize(iconSide_, iconSide_), painter->device()->devicePixelRatioF());
        painter->drawPixmap(QRect(x, lineCentre - iconSide_ / 2, iconSide_, iconSide_), icon);
        x += iconSide_ + kIconGap;
        painter->setFont(item->font);
        painter->setPen(colour);
        painter->drawText(QRect(x, item->rect.top(), item->rect.right() - x, item->rect.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, item->text);
    } else {
        const Lines lines = split(item->text);
        const QRect rect = item->rect.adjusted(kTextIndent, kVerticalPadding, -kRightPadding / 2, -kVerticalPadding);
        painter->setFont(sized(item->font, kTitlePixels));
        painter->setPen(colour);
        painter->drawText(QRect(rect.left(), rect.top(), rect.width(), titleMetrics.height()),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, lines.title);
        colour.setAlphaF(colour.alphaF() * 0.6f);
        painter->setFont(sized(item->font, kSubtitlePixels));
        painter->setPen(colour);
        painter->drawText(QRect(rect.left(), rect.top() + titleMetrics.height() + kLineGap, rect.width(),
                                rect.height() - titleMetrics.height() - kLineGap),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic, lines.subtitle);
    }
    painter->restore();
}

} // namespace plovane
