#include "windows/PFCDrainSettingsView.h"

#include "platform/qt/ImageLoader.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/SymbolImage.h"
#include "settings/AppLanguage.h"
#include "settings/AppResource.h"
#include "settings/HUDSettings.h"
#include "settings/Strings.h"
#include "windows/Controls.h"
#include "windows/DrainRules.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plovane {

using namespace windows;

namespace {

constexpr double kCardInset = 24.0;
constexpr double kCardPadding = 14.0;
constexpr double kSpriteSide = 80.0;
constexpr double kSliderHeight = 22.0;
constexpr int kSessionStep = 5;

QFont digitsFont() { return systemFont(42, QFont::Bold, Design::rounded); }
QFont minFont() { return systemFont(16, QFont::Medium, Design::rounded); }
QFont smallFont() { return systemFont(10); }
QFont emojiFont() { return textFont(TextStyle::title3); }
QFont restFigureFont() { return systemFont(13, QFont::Bold, Design::rounded); }

// One catalogue text in the view's language.
QString text(std::string (*entry)(Language), bool zh)
{
    return QString::fromStdString(entry(zh ? Language::zh : Language::en));
}

// Height of the row that holds the survival digits and "min" on one baseline.
double survivalRowHeight()
{
    const QFontMetricsF d(digitsFont());
    const QFontMetricsF m(minFont());
    return std::max(d.ascent(), m.ascent()) + std::max(d.descent(), m.descent());
}

double difficultyRowHeight()
{
    return std::max({lineHeight(emojiFont()), kSliderHeight, lineHeight(textFont(TextStyle::caption))});
}

double restRow1Height()
{
    return std::max({lineHeight(textFont(TextStyle::subheadline, QFont::Bold)), lineHeight(restFigureFont()), 16.0});
}

double restRow2Height() { return std::max(lineHeight(emojiFont()), kSliderHeight); }

} // namespace

PFCDrainSettingsView::PFCDrainSettingsView(WindowEnvironment env, QWidget* parent)
    : QWidget(parent),
      settings_(env.settings ? *env.settings : HUDSettings::shared()),
      language_(env.language ? *env.language : AppLanguage::shared()),
      ownScheduler_(env.scheduler ? nullptr : std::make_unique<QtScheduler>(this)),
      scheduler_(env.scheduler ? *env.scheduler : *ownScheduler_),
      driver_(this),
      barLevel_(driver_, 100.0, [this] { update(barRect_.adjusted(-2, -2, 2, 2).toAlignedRect()); }),
      barTint_(driver_, 1.0, [this] { update(barRect_.adjusted(-2, -2, 2, 2).toAlignedRect()); }),
      barHue_(barColor(100.0)),
      survival_(driver_, QString::number(estimatedMinutes(settings_.sessionMinutes.get())), 0.35,
                [this] { update(survivalRect_.toAlignedRect()); }),
      rest_(driver_, QString::number(wholeRestMinutes(settings_.restMinutes.get())), 0.3,
            [this] { update(restRect_.toAlignedRect()); }),
      lastSessionMinutes_(settings_.sessionMinutes.get()),
      alive_(std::make_shared<PFCDrainSettingsView*>(this))
{
    if (env.animationTime)
        driver_.setTimeSource(env.animationTime);
    setAutoFillBackground(false);

    sessionSlider_ = new StepSlider(this);
    sessionSlider_->setRange(20 / kSessionStep, 120 / kSessionStep);
    sessionSlider_->setPageStep(2);
    restSlider_ = new StepSlider(this);
    restSlider_->setRange(3, 30);
    restSlider_->setPageStep(3);
    syncSliders();
    // The sliders write through to the settings, which store each new value at once.
    connect(sessionSlider_, &QSlider::valueChanged, this,
            [this](int v) { settings_.sessionMinutes.setIfChanged(static_cast<double>(v * kSessionStep)); });
    connect(restSlider_, &QSlider::valueChanged, this,
            [this](int v) { settings_.restMinutes.setIfChanged(static_cast<double>(v)); });

    auto queue = [this] { scheduleRefresh(); };
    observers_.push_back(settings_.objectWillChange.connect(queue));
    observers_.push_back(language_.objectWillChange.connect(queue));
    observers_.push_back(settings_.sessionMinutes.didSet.connect([this](const double& minutes) {
        if (minutes == lastSessionMinutes_)
            return;
        lastSessionMinutes_ = minutes;
        if (isVisible())
            triggerPreviewAnimation();
    }));

    loadSprite();
    relayout();
}

PFCDrainSettingsView::~PFCDrainSettingsView()
{
    previewStep_.cancel();
    for (TaskHandle& t : refills_)
        t.cancel();
    observers_.clear();
}

bool PFCDrainSettingsView::zh() const { return language_.language.get() == Language::zh; }

QColor PFCDrainSettingsView::presentedBarColor() const
{
    const QColor to = systemColor(barHue_, paletteAppearance());
    const double t = std::clamp(barTint_.value(), 0.0, 1.0);
    if (t >= 1.0 || !barColorFrom_.isValid())
        return to;
    QColor c;
    c.setRgbF(barColorFrom_.redF() + (to.redF() - barColorFrom_.redF()) * t,
              barColorFrom_.greenF() + (to.greenF() - barColorFrom_.greenF()) * t,
              barColorFrom_.blueF() + (to.blueF() - barColorFrom_.blueF()) * t);
    return c;
}

QColor PFCDrainSettingsView::survivalColor() const
{
    return systemColor(timeColor(survival_.text().toInt()), paletteAppearance());
}

QString PFCDrainSettingsView::restText() const { return rest_.text() + QStringLiteral(" min"); }

void PFCDrainSettingsView::scheduleRefresh()
{
    // objectWillChange comes before the new value is stored: look once the change is done.
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { refreshNow(); }, Qt::QueuedConnection);
}

void PFCDrainSettingsView::refreshNow()
{
    refreshQueued_ = false;
    const bool shown = isVisible();
    survival_.set(QString::number(estimatedMinutes(settings_.sessionMinutes.get())), shown);
    rest_.set(QString::number(wholeRestMinutes(settings_.restMinutes.get())), shown);
    syncSliders();
    if (spriteFor_ != settings_.characterID.get().rawValue())
        loadSprite();
    sessionSlider_->setAccessibleName(text(Strings::drainSessionSliderName, zh()));
    restSlider_->setAccessibleName(text(Strings::drainRecoveryTime, zh()));
    relayout();
    update();
}

void PFCDrainSettingsView::syncSliders()
{
    // Show the stored values without writing them back: a value off the slider's grid
    // stays as stored until the user moves the slider.
    const QSignalBlocker a(sessionSlider_.data());
    const QSignalBlocker b(restSlider_.data());
    const double session = settings_.sessionMinutes.get();
    const double rest = settings_.restMinutes.get();
    if (std::isfinite(session))
        sessionSlider_->setValue(static_cast<int>(std::lround(std::clamp(session, 20.0, 120.0) / kSessionStep)));
    if (std::isfinite(rest))
        restSlider_->setValue(static_cast<int>(std::lround(std::clamp(rest, 3.0, 30.0))));
}

void PFCDrainSettingsView::loadSprite()
{
    const CharacterID c = settings_.characterID.get();
    spriteFor_ = c.rawValue();
    const std::string base = c.spritePath("deep_dive");
    const std::string path = c.spriteExists(base) ? base : c.spriteFramePath("deep_dive", 2);
    const std::string full = c.isCustom() ? path : AppResource::path(path);
    sprite_ = {};
    const QPixmap pm = ImageLoader::loadFile(QString::fromStdString(full));
    if (pm.isNull())
        return;
    // Hard pixel edges, fitted into the square once rather than at every paint.
    const qreal dpr = std::max<qreal>(1.0, devicePixelRatioF());
    const int side = static_cast<int>(std::ceil(kSpriteSide * dpr));
    sprite_ = pm.scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation);
    sprite_.setDevicePixelRatio(dpr);
}

void PFCDrainSettingsView::triggerPreviewAnimation()
{
    previewStep_.cancel();
    setPreviewO2(100.0);
    std::weak_ptr<PFCDrainSettingsView*> weak = alive_;
    previewStep_ = scheduler_.postAfter(kPreviewInterval, [weak] {
        if (auto self = weak.lock())
            (*self)->previewStep(1);
    });
}

void PFCDrainSettingsView::previewStep(int n)
{
    setPreviewO2(previewLevelAfter(n));
    std::weak_ptr<PFCDrainSettingsView*> weak = alive_;
    if (n < kPreviewSteps) {
        previewStep_ = scheduler_.postAfter(kPreviewInterval, [weak, n] {
            if (auto self = weak.lock())
                (*self)->previewStep(n + 1);
        });
        return;
    }
    previewStep_ = {};
    // The refill is not called off by a newer run or by closing: it always comes.
    std::erase_if(refills_, [](const TaskHandle& t) { return !t.isPending(); });
    refills_.push_back(scheduler_.postAfter(kPreviewRefillDelay, [weak] {
        if (auto self = weak.lock())
            (*self)->setPreviewO2(100.0);
    }));
}

void PFCDrainSettingsView::setPreviewO2(double level)
{
    previewO2_ = level;
    // The bar eases to every new level over half a second, and its colour with it: the
    // colour of the new level, not of the width on its way there.
    barLevel_.animateTo(level, Animation::easeInOut(0.5));
    if (barColor(level) != barHue_) {
        barColorFrom_ = presentedBarColor();
        barHue_ = barColor(level);
        barTint_.set(0.0);
        barTint_.animateTo(1.0, Animation::easeInOut(0.5));
    }
    update(barRect_.adjusted(-2, -2, 2, 2).toAlignedRect());
}

void PFCDrainSettingsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    driver_.setSuspended(false);
}

void PFCDrainSettingsView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Closing stops a preview run; nothing moves while the window is away.
    previewStep_.cancel();
    driver_.setSuspended(true);
}

void PFCDrainSettingsView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void PFCDrainSettingsView::relayout()
{
    const double captionH = lineHeight(textFont(TextStyle::caption));
    const double smallH = lineHeight(smallFont());
    const double previewH = 20 + kPreviewBarHeight + 6 + kSpriteSide + 16;
    const double survivalH = captionH + 4 + survivalRowHeight() + 4 + smallH + 20;
    const double difficultyH = difficultyRowHeight() + 2 * kCardPadding;
    const double restH = restRow1Height() + 8 + restRow2Height() + 8 + smallH + 2 * kCardPadding;
    const double footnoteH = captionH + 6 + 2 * smallH + 2;
    const double total = previewH + survivalH + difficultyH + 12 + restH + 20 + footnoteH + 20;

    // The column is centred in the window, as the window centres its content.
    columnLeft_ = std::floor((width() - kColumnWidth) / 2.0);
    double y = std::max(0.0, std::floor((height() - total) / 2.0));
    const double cx = columnLeft_ + kColumnWidth / 2.0;

    y += 20;
    barRect_ = QRectF(cx - kPreviewBarWidth / 2, y, kPreviewBarWidth, kPreviewBarHeight);
    y += kPreviewBarHeight + 6;
    spriteRect_ = QRectF(cx - kSpriteSide / 2, y, kSpriteSide, kSpriteSide);
    y += kSpriteSide + 16;
    survivalRect_ = QRectF(columnLeft_, y, kColumnWidth, survivalH - 20);
    y += survivalH;
    const double cardLeft = columnLeft_ + kCardInset;
    const double cardWidth = kColumnWidth - 2 * kCardInset;
    difficultyRect_ = QRectF(cardLeft, y, cardWidth, difficultyH);
    y += difficultyH + 12;
    restRect_ = QRectF(cardLeft, y, cardWidth, restH);
    y += restH + 20;
    footnoteRect_ = QRectF(cardLeft, y, cardWidth, footnoteH);

    // The difficulty slider sits between its two end labels.
    const bool z = zh();
    const QFont caption = textFont(TextStyle::caption);
    const double inner = difficultyRect_.left() + kCardPadding;
    const double innerRight = difficultyRect_.right() - kCardPadding;
    const double left = inner + richTextWidth(emojiFont(), QStringLiteral("🧊")) + 10 +
                        textWidth(caption, text(Strings::drainGlassBrain, z)) + 10;
    const double right = innerRight - richTextWidth(emojiFont(), QStringLiteral("🪨")) - 10 -
                         textWidth(caption, text(Strings::drainIronWill, z)) - 10;
    const double rowTop = difficultyRect_.top() + kCardPadding;
    sessionSlider_->setGeometry(QRectF(left, rowTop + (difficultyRowHeight() - kSliderHeight) / 2, right - left,
                                       kSliderHeight).toAlignedRect());

    const double r2Top = restRect_.top() + kCardPadding + restRow1Height() + 8;
    const double rLeft = restRect_.left() + kCardPadding + richTextWidth(emojiFont(), QStringLiteral("⚡️")) + 10;
    const double rRight = restRect_.right() - kCardPadding - richTextWidth(emojiFont(), QStringLiteral("🧘")) - 10;
    restSlider_->setGeometry(
        QRectF(rLeft, r2Top + (restRow2Height() - kSliderHeight) / 2, rRight - rLeft, kSliderHeight).toAlignedRect());
}

void PFCDrainSettingsView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    paintPreview(p);
    paintSurvival(p);
    paintDifficultyCard(p);
    paintRestCard(p);
    paintFootnote(p);
}

void PFCDrainSettingsView::paintPreview(QPainter& p) const
{
    const Appearance a = paletteAppearance();
    const QColor primary = a == Appearance::dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
    auto withAlpha = [](QColor c, double alpha) {
        c.setAlphaF(static_cast<float>(alpha));
        return c;
    };
    const double level = barLevel_.value();
    const QRectF& r = barRect_;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, static_cast<int>(std::lround(0.15 * 255))));
    p.drawRoundedRect(r, 4, 4);
    p.setBrush(presentedBarColor());
    p.drawRoundedRect(QRectF(r.left(), r.top(), previewFillWidth(level), r.height()), 4, 4);
    p.setBrush(withAlpha(primary, 0.2));
    for (double f : {0.25, 0.5, 0.75})
        p.drawRect(QRectF(r.left() + kPreviewBarWidth * f, r.top() + 1, 1, kPreviewBarHeight - 2));
    p.setPen(QPen(withAlpha(primary, 0.12), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 4, 4);

    if (!sprite_.isNull()) {
        const QSizeF size = QSizeF(sprite_.size()) / sprite_.devicePixelRatio();
        p.drawPixmap(QPointF(spriteRect_.center().x() - size.width() / 2, spriteRect_.center().y() - size.height() / 2),
                     sprite_);
    } else {
        const QRectF symbol(spriteRect_.center().x() - 20, spriteRect_.center().y() - 20, 40, 40);
        SymbolImage::paint(p, QStringLiteral("dog.fill"), symbol, labelColor(Level::secondary, a));
    }
}

void PFCDrainSettingsView::paintSurvival(QPainter& p) const
{
    const Appearance a = paletteAppearance();
    const bool z = zh();
    const QRectF& r = survivalRect_;
    const QFont caption = textFont(TextStyle::caption);
    double y = r.top();
    p.setFont(caption);
    p.setPen(labelColor(Level::secondary, a));
    p.drawText(QRectF(r.left(), y, r.width(), lineHeight(caption)), Qt::AlignCenter, text(Strings::drainFullHPLasts, z));
    y += lineHeight(caption) + 4;

    const QFont digits = digitsFont();
    const QFont min = minFont();
    const QString number = survival_.text();
    const double numberW = NumericText::width(digits, number);
    const double minW = textWidth(min, QStringLiteral("min"));
    const double rowW = numberW + 2 + minW;
    const QFontMetricsF dm(digits);
    const QFontMetricsF mm(min);
    const double baseline = y + std::max(dm.ascent(), mm.ascent());
    const double x = r.center().x() - rowW / 2;
    survival_.paint(p, QPointF(x, baseline), digits, survivalColor());
    p.setFont(min);
    p.setPen(labelColor(Level::secondary, a));
    p.drawText(QPointF(x + numberW + 2, baseline), QStringLiteral("min"));
    y += survivalRowHeight() + 4;

    const QFont small = smallFont();
    p.setFont(small);
    p.setPen(labelColor(Level::tertiary, a));
    p.drawText(QRectF(r.left(), y, r.width(), lineHeight(small)), Qt::AlignCenter,
               text(Strings::drainSurvivalCaption, z));
}

void PFCDrainSettingsView::paintCardBackground(QPainter& p, const QRectF& r) const
{
    const Appearance a = paletteAppearance();
    const QColor primary = a == Appearance::dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
    QColor fill = primary;
    fill.setAlphaF(0.03f);
    QColor stroke = primary;
    stroke.setAlphaF(0.06f);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r, 10, 10);
    // Stroked inside its edge.
    p.setPen(QPen(stroke, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 9.5, 9.5);
}

void PFCDrainSettingsView::paintDifficultyCard(QPainter& p) const
{
    const Appearance a = paletteAppearance();
    const bool z = zh();
    paintCardBackground(p, difficultyRect_);
    const QFont emoji = emojiFont();
    const QFont caption = textFont(TextStyle::caption);
    const double top = difficultyRect_.top() + kCardPadding;
    const double h = difficultyRowHeight();
    double x = difficultyRect_.left() + kCardPadding;
    auto draw = [&](const QFont& f, const QColor& c, const QString& s, double at) {
        drawRichText(p, QRectF(at, top, richTextWidth(f, s) + 1, h), Qt::AlignLeft | Qt::AlignVCenter, s, f, c);
        return richTextWidth(f, s);
    };
    x += draw(emoji, labelColor(Level::primary, a), QStringLiteral("🧊"), x) + 10;
    draw(caption, systemColor(Hue::orange, a), text(Strings::drainGlassBrain, z), x);
    double right = difficultyRect_.right() - kCardPadding;
    right -= richTextWidth(emoji, QStringLiteral("🪨"));
    draw(emoji, labelColor(Level::primary, a), QStringLiteral("🪨"), right);
    const QString iron = text(Strings::drainIronWill, z);
    right -= 10 + richTextWidth(caption, iron);
    draw(caption, systemColor(Hue::cyan, a), iron, right);
}

void PFCDrainSettingsView::paintRestCard(QPainter& p) const
{
    const Appearance a = paletteAppearance();
    const bool z = zh();
    paintCardBackground(p, restRect_);
    const double left = restRect_.left() + kCardPadding;
    const double right = restRect_.right() - kCardPadding;
    double y = restRect_.top() + kCardPadding;
    const double h1 = restRow1Height();
    const QColor green = systemColor(Hue::green, a);

    SymbolImage::paint(p, QStringLiteral("cross.vial.fill"), QRectF(left, y + (h1 - 15) / 2, 15, 15), green);
    const QFont title = textFont(TextStyle::subheadline, QFont::Bold);
    p.setFont(title);
    p.setPen(labelColor(Level::primary, a));
    p.drawText(QRectF(left + 15 + 8, y, 200, h1), Qt::AlignLeft | Qt::AlignVCenter, text(Strings::drainRecoveryTime, z));

    const QFont figure = restFigureFont();
    const QFontMetricsF fm(figure);
    const double suffixW = textWidth(figure, QStringLiteral(" min"));
    const double numberW = NumericText::width(figure, rest_.text());
    const double baseline = y + (h1 - fm.height()) / 2 + fm.ascent();
    rest_.paint(p, QPointF(right - suffixW - numberW, baseline), figure, green);
    p.setFont(figure);
    p.setPen(green);
    p.drawText(QPointF(right - suffixW, baseline), QStringLiteral(" min"));
    y += h1 + 8;

    const QFont emoji = emojiFont();
    const double h2 = restRow2Height();
    drawRichText(p, QRectF(left, y, 40, h2), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("⚡️"), emoji,
                 labelColor(Level::primary, a));
    drawRichText(p, QRectF(right - 40, y, 40, h2), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("🧘"), emoji,
                 labelColor(Level::primary, a));
    y += h2 + 8;

    const QFont small = smallFont();
    p.setFont(small);
    p.setPen(labelColor(Level::tertiary, a));
    p.drawText(QRectF(left, y, right - left, lineHeight(small)), Qt::AlignLeft | Qt::AlignVCenter,
               text(Strings::drainRecoveryCaption, z));
}

void PFCDrainSettingsView::paintFootnote(QPainter& p) const
{
    const Appearance a = paletteAppearance();
    const bool z = zh();
    const QRectF& r = footnoteRect_;
    const QFont caption = textFont(TextStyle::caption);
    const QString hint = text(Strings::drainDragHint, z);
    const double rowW = 10 + 4 + textWidth(caption, hint);
    const double ch = lineHeight(caption);
    const double x = r.center().x() - rowW / 2;
    const QColor secondary = labelColor(Level::secondary, a);
    SymbolImage::paint(p, QStringLiteral("info.circle"), QRectF(x, r.top() + (ch - 10) / 2, 10, 10), secondary);
    p.setFont(caption);
    p.setPen(secondary);
    p.drawText(QRectF(x + 14, r.top(), rowW, ch), Qt::AlignLeft | Qt::AlignVCenter, hint);

    const QString lines = text(Strings::drainTradeOff, z);
    paintWrapped(p, QRectF(r.left() - kCardInset, r.top() + ch + 6, r.width() + 2 * kCardInset, 100), smallFont(), lines,
                 labelColor(Level::tertiary, a), Qt::AlignHCenter, 2);
}

} // namespace plovane
