#include "windows/FirstRunSetupView.h"

#include "settings/AppLanguage.h"
#include "settings/Strings.h"
#include "windows/Controls.h"
#include "windows/WindowStyle.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace plovane {

using namespace windows;

namespace {

constexpr double kPadding = 20.0;
constexpr double kSpacing = 18.0;
constexpr double kLeastPadding = 10.0;
constexpr double kLeastSpacing = 8.0;
constexpr double kDimmed = 0.55;

Language languageOf(bool zh) { return zh ? Language::zh : Language::en; }

// One catalogue text in the window's language.
QString text(std::string (*entry)(Language), bool zh) { return QString::fromStdString(entry(languageOf(zh))); }

QFont titleFont() { return textFont(TextStyle::title2, QFont::Bold); }
QFont subtitleFont() { return textFont(TextStyle::subheadline); }
QFont notesHeadingFont() { return textFont(TextStyle::headline); }
QFont notesFont() { return textFont(TextStyle::footnote); }

QString subtitle(bool zh) { return text(Strings::firstRunSubtitle, zh); }

QString notes(bool zh) { return text(Strings::firstRunNotes, zh); }

} // namespace

FirstRunSetupView::FirstRunSetupView(bool initialAiIdeSensing, bool initialScreenIntelligence,
                                     bool initialKnockInteraction, Confirm onConfirm, std::function<void()> onSkip,
                                     WindowEnvironment env, QWidget* parent)
    : QWidget(parent),
      language_(env.language ? *env.language : AppLanguage::shared()),
      driver_(this),
      onConfirm_(std::move(onConfirm)),
      onSkip_(std::move(onSkip))
{
    if (env.animationTime)
        driver_.setTimeSource(env.animationTime);
    ai_ = new FeatureToggle(driver_, this);
    screen_ = new FeatureToggle(driver_, this);
    knock_ = new FeatureToggle(driver_, this);
    skip_ = new PushButton(PushButton::Look::borderless, this);
    continue_ = new PushButton(PushButton::Look::prominent, this);
    ai_->setChecked(initialAiIdeSensing);
    screen_->setChecked(initialScreenIntelligence);
    knock_->setChecked(initialKnockInteraction);
    applyDependency();

    connect(ai_, &QAbstractButton::toggled, this, [this](bool) { applyDependency(); });
    connect(skip_, &QAbstractButton::clicked, this, [this] {
        if (onSkip_)
            onSkip_();
    });
    connect(continue_, &QAbstractButton::clicked, this, [this] {
        if (onConfirm_)
            onConfirm_(enableAiIdeSensing(), enableScreenIntelligence(), enableKnockInteraction());
    });
    setTabOrder(ai_, screen_);
    setTabOrder(screen_, knock_);
    setTabOrder(knock_, skip_);
    setTabOrder(skip_, continue_);

    observers_.push_back(language_.objectWillChange.connect([this] {
        if (refreshQueued_)
            return;
        refreshQueued_ = true;
        QMetaObject::invokeMethod(this, [this] { refreshNow(); }, Qt::QueuedConnection);
    }));
    applyTexts();
    relayout();
}

FirstRunSetupView::~FirstRunSetupView() { observers_.clear(); }

bool FirstRunSetupView::zh() const { return language_.language.get() == Language::zh; }
bool FirstRunSetupView::enableAiIdeSensing() const { return ai_->isChecked(); }
bool FirstRunSetupView::enableScreenIntelligence() const { return screen_->isChecked(); }
bool FirstRunSetupView::enableKnockInteraction() const { return knock_->isChecked(); }

void FirstRunSetupView::applyDependency()
{
    // Screen intelligence builds on AI IDE sensing: off with it, and only then available.
    const bool ai = ai_->isChecked();
    if (!ai && screen_->isChecked())
        screen_->setChecked(false);
    screen_->setEnabled(ai);
    screen_->setRowOpacity(ai ? 1.0 : kDimmed);
}

void FirstRunSetupView::refreshNow()
{
    refreshQueued_ = false;
    applyTexts();
    relayout();
    update();
}

void FirstRunSetupView::applyTexts()
{
    const bool z = zh();
    ai_->setTexts(text(Strings::firstRunAiTitle, z), text(Strings::firstRunAiDescription, z));
    screen_->setTexts(text(Strings::firstRunScreenTitle, z), text(Strings::firstRunScreenDescription, z));
    knock_->setTexts(text(Strings::firstRunKnockTitle, z), text(Strings::firstRunKnockDescription, z));
    skip_->setText(text(Strings::firstRunSkip, z));
    continue_->setText(text(Strings::firstRunContinue, z));
}

namespace {
struct Heights {
    double heading, ai, screen, knock, notes, buttons;
    double blocks() const { return heading + ai + screen + knock + notes + buttons; }
};
} // namespace

FirstRunSetupView::Spacing FirstRunSetupView::spacing() const
{
    // The desktop's fonts can make the content taller than the window (English with a
    // wide face such as DejaVu Sans). Then the padding above and below gives way first,
    // and only then the gaps between the blocks, evenly.
    const double designed = 2 * kPadding + 5 * kSpacing;
    const double spare = height() - (contentHeight() - designed);
    if (height() <= 0 || spare >= designed)
        return {kPadding, kSpacing};
    // Whole points, so every block starts on a pixel; what is left over centres the content.
    const double padding = std::clamp(std::floor((spare - 5 * kSpacing) / 2.0), kLeastPadding, kPadding);
    return {padding, std::max(kLeastSpacing, std::floor((spare - 2 * padding) / 5.0))};
}

double FirstRunSetupView::contentHeight() const
{
    const double w = kFrameWidth - 2 * kPadding;
    const double heading = lineHeight(titleFont()) + 8 + wrappedHeight(subtitleFont(), subtitle(zh()), w);
    const double notesH = 4 + lineHeight(notesHeadingFont()) + 6 + wrappedHeight(notesFont(), notes(zh()), w);
    const double buttons = std::max(skip_->sizeHint().height(), continue_->sizeHint().height());
    return 2 * kPadding + heading + kSpacing + ai_->heightForWidth(static_cast<int>(w)) + kSpacing +
           screen_->heightForWidth(static_cast<int>(w)) + kSpacing + knock_->heightForWidth(static_cast<int>(w)) +
           kSpacing + notesH + kSpacing + buttons;
}

void FirstRunSetupView::relayout()
{
    const double w = kFrameWidth - 2 * kPadding;
    const auto [padding, spacing] = this->spacing();
    const double needed = contentHeight() - 2 * kPadding - 5 * kSpacing + 2 * padding + 5 * spacing;
    const double left = std::floor((width() - kFrameWidth) / 2.0) + kPadding;
    double y = std::max(0.0, std::floor((height() - needed) / 2.0)) + padding;
    const bool z = zh();
    const double headingH = lineHeight(titleFont()) + 8 + wrappedHeight(subtitleFont(), subtitle(z), w);
    headingRect_ = QRectF(left, y, w, headingH);
    y += headingH + spacing;
    for (FeatureToggle* t : {ai_.data(), screen_.data(), knock_.data()}) {
        const int h = t->heightForWidth(static_cast<int>(w));
        t->setGeometry(QRectF(left, y, w, h).toAlignedRect());
        y += h + spacing;
    }
    const double notesH = 4 + lineHeight(notesHeadingFont()) + 6 + wrappedHeight(notesFont(), notes(z), w);
    notesRect_ = QRectF(left, y, w, notesH);
    y += notesH + spacing;
    const QSize skip = skip_->sizeHint();
    const QSize cont = continue_->sizeHint();
    const int rowH = std::max(skip.height(), cont.height());
    skip_->setGeometry(QRect(static_cast<int>(left), static_cast<int>(y) + (rowH - skip.height()) / 2, skip.width(),
                             skip.height()));
    continue_->setGeometry(QRect(static_cast<int>(left + w) - cont.width(),
                                 static_cast<int>(y) + (rowH - cont.height()) / 2, cont.width(), cont.height()));
}

void FirstRunSetupView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void FirstRunSetupView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    driver_.setSuspended(false);
    continue_->setFocus();
}

void FirstRunSetupView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    driver_.setSuspended(true);
}

void FirstRunSetupView::paintEvent(QPaintEvent*)
{
    const Appearance a = paletteAppearance();
    const bool z = zh();
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    const QFont title = titleFont();
    p.setFont(title);
    p.setPen(labelColor(Level::primary, a));
    p.drawText(QRectF(headingRect_.left(), headingRect_.top(), headingRect_.width(), lineHeight(title)),
               Qt::AlignLeft | Qt::AlignVCenter, text(Strings::firstRunTitle, z));
    paintWrapped(p, headingRect_.adjusted(0, lineHeight(title) + 8, 0, 0), subtitleFont(), subtitle(z),
                 labelColor(Level::secondary, a));

    const QFont heading = notesHeadingFont();
    const double top = notesRect_.top() + 4;
    p.setFont(heading);
    p.setPen(labelColor(Level::primary, a));
    p.drawText(QRectF(notesRect_.left(), top, notesRect_.width(), lineHeight(heading)), Qt::AlignLeft | Qt::AlignVCenter,
               text(Strings::firstRunNotesHeading, z));
    paintWrapped(p, QRectF(notesRect_.left(), top + lineHeight(heading) + 6, notesRect_.width(), notesRect_.height()),
                 notesFont(), notes(z), labelColor(Level::secondary, a));
}

} // namespace plovane
