#include "app/TwoLineMenuStyle.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include <algorithm>

namespace plovane {

namespace {

constexpr int kLineGap = 1;
constexpr int kVerticalPadding = 4;
// Where the base style starts an item's text: after the check column and its margins.
constexpr int kTextIndent = 28;
constexpr int kRightPadding = 16;

struct Lines {
    QString title;
    QString subtitle;
};

const QStyleOptionMenuItem* twoLineItem(const QStyleOption* option)
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item || item->menuItemType != QStyleOptionMenuItem::Normal || !item->text.contains(QLatin1Char('\n')))
        return nullptr;
    return item;
}

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

} // namespace

// A style of its own, of the application's kind: the proxy owns its base.
TwoLineMenuStyle::TwoLineMenuStyle(int iconSide) : QProxyStyle(QApplication::style()->name()), iconSide_(iconSide) {}

int TwoLineMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    if (metric == PM_SmallIconSize)
        return iconSide_;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize TwoLineMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                         const QWidget* widget) const
{
    const auto* item = type == CT_MenuItem ? twoLineItem(option) : nullptr;
    if (!item)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    const Lines lines = split(item->text);
    const QFontMetrics title(sized(item->font, kTitlePixels));
    const QFontMetrics subtitle(sized(item->font, kSubtitlePixels));
    const int width = kTextIndent + std::max(title.horizontalAdvance(lines.title), subtitle.horizontalAdvance(lines.subtitle)) +
                      kRightPadding;
    const int height = 2 * kVerticalPadding + title.height() + kLineGap + subtitle.height();
    return QSize(width, height);
}

void TwoLineMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const
{
    const auto* item = element == CE_MenuItem ? twoLineItem(option) : nullptr;
    if (!item) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The base style draws the row without words: first its background and highlight,
    // then the check mark in a strip of one ordinary item's height beside the title, so
    // the mark keeps its usual size.
    QStyleOptionMenuItem bare = *item;
    bare.text.clear();
    bare.checkType = QStyleOptionMenuItem::NotCheckable;
    QProxyStyle::drawControl(element, &bare, painter, widget);
    if (item->checkType != QStyleOptionMenuItem::NotCheckable) {
        QStyleOptionMenuItem mark = *item;
        mark.text.clear();
        const int height = QProxyStyle::sizeFromContents(CT_MenuItem, &mark,
                                                         QSize(0, QFontMetrics(item->font).height()), widget)
                               .height();
        const int titleCentre = item->rect.top() + kVerticalPadding +
                                QFontMetrics(sized(item->font, kTitlePixels)).height() / 2;
        mark.rect = QRect(item->rect.left(), titleCentre - height / 2, item->rect.width(), height);
        QProxyStyle::drawControl(element, &mark, painter, widget);
    }

    const Lines lines = split(item->text);
    const bool selected = item->state & State_Selected;
    const bool enabled = item->state & State_Enabled;
    QColor colour = item->palette.color(enabled ? QPalette::Normal : QPalette::Disabled,
                                        selected ? QPalette::HighlightedText : QPalette::Text);
    const QFont titleFont = sized(item->font, kTitlePixels);
    const QFont subtitleFont = sized(item->font, kSubtitlePixels);
    const QFontMetrics titleMetrics(titleFont);
    const QRect rect = item->rect.adjusted(kTextIndent, kVerticalPadding, -kRightPadding / 2, -kVerticalPadding);

    painter->save();
    painter->setFont(titleFont);
    painter->setPen(colour);
    painter->drawText(QRect(rect.left(), rect.top(), rect.width(), titleMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, lines.title);
    colour.setAlphaF(colour.alphaF() * 0.6f);
    painter->setFont(subtitleFont);
    painter->setPen(colour);
    painter->drawText(QRect(rect.left(), rect.top() + titleMetrics.height() + kLineGap, rect.width(),
                            rect.height() - titleMetrics.height() - kLineGap),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, lines.subtitle);
    painter->restore();
}

} // namespace plovane
