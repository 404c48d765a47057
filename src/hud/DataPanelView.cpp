#include "hud/DataPanelView.h"

#include "hud/HUDRules.h"
#include "hud/HUDStyle.h"
#include "platform/qt/ImageLoader.h"
#include "platform/qt/SymbolImage.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace plovane {

namespace {
constexpr double kPadH = 10.0;
constexpr double kPadV = 8.0;
constexpr double kRowSpacing = 6.0;
constexpr double kMetricsHeight = 38.0;
constexpr double kStripSpacing = 4.0;
constexpr double kIconSide = 18.0;
constexpr double kAdviceSpacing = 4.0;
constexpr double kAdviceMinGap = 4.0;
constexpr double kBottomRadius = 14.0;
constexpr double kButtonPadH = 8.0;
constexpr double kButtonPadV = 4.0;
constexpr double kButtonSymbol = 11.0;
constexpr double kButtonIconGap = 3.0;
constexpr double kObstacleGap = 4.0;
constexpr double kLeastTextWidth = 120.0;
constexpr int kAdviceLines = 3; // at most, and only beside the pet

QFont headerFont() { return hud::systemFont(11.0, QFont::Bold); }
QFont labelFont() { return hud::systemFont(8.0, QFont::DemiBold); }
QFont valueFont() { return hud::systemFont(12.0, QFont::Bold); }
QFont adviceFont() { return hud::systemFont(10.0, QFont::Bold); }
QFont buttonFont() { return hud::systemFont(10.0, QFont::Bold); }

QPainterPath cardShape(const QRectF& r)
{
    // Square top corners, round bottom ones.
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.topRight());
    path.lineTo(r.right(), r.bottom() - kBottomRadius);
    path.arcTo(QRectF(r.right() - 2 * kBottomRadius, r.bottom() - 2 * kBottomRadius, 2 * kBottomRadius,
                      2 * kBottomRadius),
               0, -90);
    path.lineTo(r.left() + kBottomRadius, r.bottom());
    path.arcTo(QRectF(r.left(), r.bottom() - 2 * kBottomRadius, 2 * kBottomRadius, 2 * kBottomRadius), -90, -90);
    path.closeSubpath();
    return path;
}

// An app's icon, in colour or greyed for the apps that are not frontmost.
QImage iconImage(const std::string& name, bool grey)
{
    const qreal dpr = std::max<qreal>(1.0, qApp ? qApp->devicePixelRatio() : 1.0);
    // Room for the 1.15 zoom of the active icon.
    const int side = static_cast<int>(std::ceil(kIconSide * 1.15 * dpr));
    return ImageLoader::appIconImage(QString::fromStdString(name), side,
                                     grey ? ImageLoader::IconTone::grey : ImageLoader::IconTone::colour, dpr);
}

} // namespace

DataPanelView::DataPanelView(AnimationDriver& driver, std::function<void(const QRectF&)> onFrame,
                             std::function<void(const QRectF&)> onAdviceFrame)
    // Text cross-fades are gentle: thirty frames a second carry them. Each repaints only
    // its own text; the button and the icons change the card's chrome.
    : title_(driver, QString(), Animation::easeInOut(0.3).atFrameRate(30), [this, onFrame] { onFrame(headerRect()); }),
      advice_(driver, QString(), Animation::easeInOut(0.5).atFrameRate(30),
              [this, frame = onAdviceFrame ? onAdviceFrame : onFrame] { frame(adviceFadeRect()); }),
      buttonPresence_(driver, 0.0, [this, onFrame] { onFrame(QRectF(QPointF(0, 0), size_)); })
{
    for (auto& v : iconActive_)
        v = std::make_unique<AnimatedValue>(driver, 0.0, [this, onFrame] { onFrame(QRectF(QPointF(0, 0), size_)); });
}

QString DataPanelView::wearText(long long focusSeconds)
{
    return QStringLiteral("Lv.%1/5").arg(hud::pressureLevel(static_cast<int>(std::min<long long>(focusSeconds, 1 << 30))));
}

DataPanelView::Change DataPanelView::setContent(const Content& incoming, double width)
{
    // A hidden button keeps its look, so it fades out as it was.
    Content content = incoming;
    if (!content.showActionButton && !content_.actionButton.title.empty())
        content.actionButton = content_.actionButton;

    auto sameApps = [](const std::vector<AppIcon>& a, const std::vector<AppIcon>& b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (a[i].id != b[i].id || a[i].icon != b[i].icon || a[i].isActive != b[i].isActive ||
                a[i].isNitrogen != b[i].isNitrogen)
                return false;
        return true;
    };
    const bool sameChrome = content.decompression == content_.decompression &&
                            content.showActionButton == content_.showActionButton &&
                            content.actionButton.title == content_.actionButton.title &&
                            sameApps(content.apps, content_.apps) && width == width_ &&
                            obstacle_ == laidOutObstacle_;
    const bool sameCard = sameChrome && content.statusTitle == content_.statusTitle && content.advice == content_.advice;
    const bool sameMetrics = content.focusSeconds == content_.focusSeconds && content.noiseText == content_.noiseText;

    const bool first = content_.statusTitle.isEmpty() && title_.current().isEmpty();
    title_.set(content.statusTitle, !first);
    advice_.set(content.advice, !first);
    const double buttonTarget = content.showActionButton ? 1.0 : 0.0;
    if (first)
        buttonPresence_.set(buttonTarget);
    else
        buttonPresence_.animateTo(buttonTarget, Animation::easeInOut(0.3));
    for (std::size_t i = 0; i < iconActive_.size(); ++i) {
        const bool present = i < content.apps.size();
        const std::string id = present ? content.apps[i].id : std::string();
        const double target = present && content.apps[i].isActive ? 1.0 : 0.0;
        if (id != iconSlotIds_[i] || first)
            iconActive_[i]->set(target); // another app in this place: no glide from the old one
        else
            iconActive_[i]->animateTo(target, Animation::easeInOut(0.2));
        iconSlotIds_[i] = id;
    }

    // What the card's size and the places of its texts depend on.
    auto sameLayout = [](const Content& a, const Content& b) {
        if (a.advice != b.advice || a.actionButton.title != b.actionButton.title ||
            a.showActionButton != b.showActionButton || a.apps.size() != b.apps.size())
            return false;
        for (std::size_t i = 0; i < a.apps.size(); ++i)
            if (a.apps[i].icon.empty() != b.apps[i].icon.empty())
                return false;
        return true;
    };
    const bool relayout = first || width != width_ || obstacle_ != laidOutObstacle_ || !sameLayout(content, content_);
    content_ = std::move(content);
    if (!sameChrome)
        cacheValid_ = false;
    // Most updates are the SHIFT clock: nothing moves, so the text is not laid out again.
    const QSizeF sizeBefore = size_;
    if (relayout)
        layout(width);
    metricsChange_ = QRectF();
    if (!sameMetrics || relayout) {
        const int clock = static_cast<int>(std::min<long long>(content_.focusSeconds, 1LL << 30));
        metricsChange_ = metrics_.set({wearText(content_.focusSeconds), QString::fromStdString(hud::focusClockString(clock)),
                                       content_.noiseText},
                                      metricsRect().size());
    }
    if (first || !sameChrome || size_ != sizeBefore)
        return Change::card;
    if (!metricsChange_.isEmpty())
        return Change::metrics;
    // A new tip or title of the same card: the cross-fade repaints just that text.
    return sameCard ? Change::none : Change::texts;
}

void DataPanelView::setObstacle(const QRegion& obstacle) { obstacle_ = obstacle; }

int DataPanelView::adviceLines() const { return adviceRight_ < width_ - kPadH ? kAdviceLines : 2; }

QRectF DataPanelView::metricsRect() const
{
    return {kPadH, kPadV + headerHeight_ + kRowSpacing, metricsRight_ - kPadH, kMetricsHeight};
}

double DataPanelView::rightLimit(double top, double bottom) const
{
    const double padded = width_ - kPadH;
    const QRect band(-1, static_cast<int>(std::floor(top)), static_cast<int>(std::ceil(width_)) + 2,
                     std::max(1, static_cast<int>(std::ceil(bottom - top))));
    const QRegion reach = obstacle_.intersected(band);
    if (reach.isEmpty())
        return padded;
    // Some room is always left, even beside a pet that spreads far over the card.
    return std::clamp(reach.boundingRect().left() - kObstacleGap, kPadH + kLeastTextWidth, padded);
}

void DataPanelView::layout(double width)
{
    width_ = width;
    laidOutObstacle_ = obstacle_;
    cacheValid_ = false;
    adviceImages_.clear();
    headerHeight_ = std::ceil(QFontMetricsF(headerFont()).height());
    headerRight_ = rightLimit(kPadV, kPadV + headerHeight_);
    const double metricsTop = kPadV + headerHeight_ + kRowSpacing;
    metricsRight_ = rightLimit(metricsTop, metricsTop + kMetricsHeight);
    metrics_.setFonts(labelFont(), valueFont());
    // The icon row keeps its place when no app has an icon: the advice line and its
    // button stay below the pet instead of rising under it.
    stripHeight_ = kIconSide;

    const QFontMetricsF bfm(buttonFont());
    const double buttonWidth = kButtonPadH + kButtonSymbol + kButtonIconGap +
                               std::ceil(bfm.horizontalAdvance(hud::qs(content_.actionButton.title))) + kButtonPadH;
    buttonSize_ = QSizeF(buttonWidth, std::ceil(bfm.height()) + 2 * kButtonPadV);
    // The tip and its button end before the pet, over the height the tip's lines take;
    // beside the pet the tip may take a third line, so it still shows whole.
    const double lineTop = metricsTop + kMetricsHeight + kRowSpacing + stripHeight_ + kAdviceSpacing;
    const double allLines = std::max(kAdviceLines * hud::wrapText(QStringLiteral("M"), adviceFont(), 100.0, 1).lineHeight,
                                     content_.showActionButton ? buttonSize_.height() : 0.0);
    adviceRight_ = rightLimit(lineTop, lineTop + allLines);
    const double inner = adviceRight_ - kPadH;
    const double textWidth = inner - kAdviceMinGap - (content_.showActionButton ? buttonSize_.width() : 0.0);
    wrappedAdvice_ = hud::wrapText(content_.advice, adviceFont(), std::max(20.0, textWidth), adviceLines());
    adviceHeight_ = std::max(wrappedAdvice_.height(), content_.showActionButton ? buttonSize_.height() : 0.0);

    const double height = kPadV + headerHeight_ + kRowSpacing + kMetricsHeight + kRowSpacing + stripHeight_ +
                          kAdviceSpacing + adviceHeight_ + kPadV;
    size_ = QSizeF(width, std::ceil(height));
}

QRectF DataPanelView::actionButtonRect() const
{
    if (!content_.showActionButton)
        return {};
    const double lineTop = kPadV + headerHeight_ + kRowSpacing + kMetricsHeight + kRowSpacing + stripHeight_ + kAdviceSpacing;
    return {QPointF(adviceRight_ - buttonSize_.width(), lineTop + (adviceHeight_ - buttonSize_.height()) / 2),
            buttonSize_};
}


void DataPanelView::paint(QPainter& p, QPointF topLeft, std::optional<double> adviceAt) const
{
    // The card is drawn from kept images: the chrome (fill, border, icons, button), the
    // metrics row and each advice text. Sprite frames and badge bobs repaint over it
    // many times a second, and a new tip cross-fades as two images.
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const double base = p.opacity();
    // Only the parts inside the area being repainted (a sprite frame often touches the
    // card's corner and nothing else of it).
    const QRectF clip = p.hasClipping() ? p.clipBoundingRect() : QRectF(topLeft, size_);
    auto visible = [&](const QRectF& r) { return clip.intersects(r.translated(topLeft)); };
    if (chromeMoving()) {
        cacheValid_ = false;
        hud::paintInBands(p, QRectF(topLeft, size_), [&](QPainter& bp) { paintChrome(bp, topLeft); });
    } else {
        if (!cacheValid_ || cacheDpr_ != dpr) {
            cache_ = hud::makeLayer(size_, dpr);
            hud::paintInBands(cache_, [this](QPainter& cp) { paintChrome(cp, QPointF(0, 0)); });
            cacheValid_ = true;
            cacheDpr_ = dpr;
        }
        p.drawImage(topLeft, cache_);
    }

    const double inner = headerRight_ - kPadH;
    if (visible(headerRect())) {
        title_.paint([&](const QString& text, double opacity) {
            if (text.isEmpty() || opacity <= 0.0)
                return;
            p.setOpacity(base * opacity);
            hud::drawCachedText(p, QRectF(topLeft + QPointF(kPadH, kPadV), QSizeF(inner, headerHeight_)),
                                Qt::AlignLeft, text, headerFont(), Qt::white);
        });
        p.setOpacity(base);
    }

    const QRectF row = metricsRect();
    if (visible(row))
        metrics_.paint(p, row.topLeft() + topLeft);

    const QRectF line = adviceLineRect();
    if (visible(line)) {
        advice_.paint([&](const QString& text, double opacity) {
            if (text.isEmpty() || opacity <= 0.0)
                return;
            const QImage& image = adviceImage(text, dpr);
            p.setOpacity(base * opacity);
            const double h = image.height() / dpr;
            p.drawImage(QPointF(line.left(), line.top() + (line.height() - h) / 2) + topLeft, image);
        }, adviceAt);
        p.setOpacity(base);
    }
}

bool DataPanelView::chromeMoving() const
{
    if (buttonPresence_.isAnimating())
        return true;
    for (const auto& v : iconActive_)
        if (v->isAnimating())
            return true;
    return false;
}

QRectF DataPanelView::adviceTextRect() const
{
    const QRectF line = adviceLineRect();
    const double h = wrappedAdvice_.height();
    return {line.left(), line.top() + (line.height() - h) / 2, wrappedAdvice_.width, h};
}

QRectF DataPanelView::headerRect() const { return {kPadH, kPadV, width_ - 2 * kPadH, headerHeight_}; }

QRectF DataPanelView::adviceFadeRect() const
{
    // Each text is centred on the line; the one fading out may be a line taller.
    const QRectF line = adviceLineRect();
    double tallest = line.height();
    for (const auto& kept : adviceImages_)
        tallest = std::max(tallest, kept.image.height() / std::max<qreal>(1.0, kept.image.devicePixelRatio()));
    const double grow = (tallest - line.height()) / 2 + 1;
    return line.adjusted(-1, -grow, 1, grow);
}

QRectF DataPanelView::adviceLineRect() const
{
    const double top = kPadV + headerHeight_ + kRowSpacing + kMetricsHeight + kRowSpacing + stripHeight_ + kAdviceSpacing;
    return {kPadH, top, adviceRight_ - kPadH, adviceHeight_};
}

const QImage& DataPanelView::adviceImage(const QString& text, qreal dpr) const
{
    const double textWidth = std::max(20.0, adviceLineRect().width() - kAdviceMinGap -
                                                (content_.showActionButton ? buttonSize_.width() : 0.0));
    // Looked up on every repaint that reaches the tip (sprite frames do): no key to build.
    for (const auto& kept : adviceImages_)
        if (kept.width == textWidth && kept.dpr == dpr && kept.text == text)
            return kept.image;
    const hud::WrappedText wrapped =
        text == content_.advice ? wrappedAdvice_ : hud::wrapText(text, adviceFont(), textWidth, adviceLines());
    QImage image = hud::makeLayer(QSizeF(textWidth, std::max(1.0, wrapped.height())), dpr);
    QPainter ip(&image);
    ip.setRenderHint(QPainter::TextAntialiasing, true);
    ip.setPen(Qt::white);
    hud::paintWrapped(ip, wrapped, adviceFont(), QPointF(0, 0), textWidth, Qt::AlignLeft);
    ip.end();
    // The one showing and the one fading out are all that is ever needed.
    if (adviceImages_.size() >= 3)
        adviceImages_.erase(adviceImages_.begin());
    adviceImages_.push_back({text, textWidth, dpr, std::move(image)});
    return adviceImages_.back().image;
}

void DataPanelView::paintChrome(QPainter& p, QPointF topLeft) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.translate(topLeft);
    const QRectF card(QPointF(0, 0), size_);
    const QPainterPath shape = cardShape(card);
    p.fillPath(shape, hud::ultraThinMaterial(0.65));
    p.setPen(QPen(content_.decompression ? hud::color(hud::Hue::red, 0.8) : hud::color(hud::Hue::white, 0.25), 0.3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    paintIcons(p, QPointF(kPadH, kPadV + headerHeight_ + kRowSpacing + kMetricsHeight + kRowSpacing));
    paintActionButton(p, adviceLineRect());
    p.restore();
}

void DataPanelView::paintIcons(QPainter& p, QPointF origin) const
{
    double x = origin.x();
    for (std::size_t i = 0; i < content_.apps.size() && i < iconActive_.size(); ++i) {
        const AppIcon& app = content_.apps[i];
        if (app.icon.empty())
            continue;
        const double t = std::clamp(iconActive_[i]->value(), 0.0, 1.0);
        const QRectF frame(x, origin.y(), kIconSide, kIconSide);
        x += kIconSide + kStripSpacing;
        const double scale = 1.0 + 0.15 * t;
        p.save();
        p.translate(frame.center());
        p.scale(scale, scale);
        p.translate(-frame.center());
        QPainterPath clip;
        clip.addRoundedRect(frame, 4.0, 4.0);
        const QImage colour = iconImage(app.icon, false);
        const QImage grey = iconImage(app.icon, true);
        p.save();
        p.setClipPath(clip);
        if (!grey.isNull() && t < 1.0) {
            p.setOpacity(0.35 * (1.0 - t) + t * 0.0);
            p.drawImage(frame, grey, QRectF(grey.rect()));
        }
        if (!colour.isNull() && t > 0.0) {
            p.setOpacity(t);
            p.drawImage(frame, colour, QRectF(colour.rect()));
        }
        p.restore();
        const QColor activeBorder = app.isNitrogen ? hud::color(hud::Hue::orange) : hud::color(hud::Hue::white, 0.6);
        const QColor border = hud::mix(hud::color(hud::Hue::white, 0.08), activeBorder, t);
        p.setPen(QPen(border, 0.5 + t * 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(frame, 4.0, 4.0);
        p.restore();
    }
}

void DataPanelView::paintActionButton(QPainter& p, const QRectF& line) const
{
    const double presence = buttonPresence_.value();
    if (presence <= 0.001 || content_.actionButton.title.empty())
        return;
    const QRectF button(QPointF(line.right() - buttonSize_.width(), line.top() + (line.height() - buttonSize_.height()) / 2),
                        buttonSize_);
    p.save();
    const double scale = 0.8 + 0.2 * presence;
    p.translate(button.center());
    p.scale(scale, scale);
    p.translate(-button.center());
    p.setOpacity(p.opacity() * std::clamp(presence, 0.0, 1.0));
    p.setPen(Qt::NoPen);
    p.setBrush(hud::color(content_.actionButton.hue, 0.75));
    p.drawRoundedRect(button, button.height() / 2, button.height() / 2);
    const QRectF symbol(button.left() + kButtonPadH, button.center().y() - kButtonSymbol / 2, kButtonSymbol, kButtonSymbol);
    SymbolImage::paint(p, QString::fromLatin1(content_.actionButton.symbol), symbol, Qt::white);
    p.setFont(buttonFont());
    p.setPen(Qt::white);
    p.drawText(QRectF(symbol.right() + kButtonIconGap, button.top(), button.right() - kButtonPadH - symbol.right() - kButtonIconGap + 1,
                      button.height()),
               Qt::AlignLeft | Qt::AlignVCenter, hud::qs(content_.actionButton.title));
    p.restore();
}

} // namespace plovane
