#include "windows/DailyReportView.h"

#include "engine/DiveEngine.h"
#include "platform/qt/ImageLoader.h"
#include "platform/qt/Shadow.h"
#include "platform/qt/SymbolImage.h"
#include "settings/AppLanguage.h"
#include "settings/AppResource.h"
#include "settings/HUDSettings.h"
#include "settings/Strings.h"
#include "windows/ReportFormat.h"
#include "windows/WindowStyle.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace plovane {

using namespace windows;

namespace {

constexpr double kPagePadding = 16.0;
constexpr double kCardPadding = 14.0;
constexpr double kCardWidth = DailyReportView::kWidth - 2 * kPagePadding;
constexpr double kContentWidth = kCardWidth - 2 * kCardPadding;
constexpr double kSpriteSide = 96.0;

struct StateLine {
    DiveState state;
    const char* emoji;
    Hue hue;
};

// Display order, not the order the states are declared in.
constexpr StateLine kStateLines[] = {
    {DiveState::flow, "🔥", Hue::orange},     {DiveState::research, "📖", Hue::blue},
    {DiveState::hovering, "☕️", Hue::teal},   {DiveState::resting, "😎", Hue::green},
    {DiveState::chaos, "🤯", Hue::yellow},    {DiveState::critical, "💀", Hue::red},
};

QColor white(double opacity)
{
    QColor c(255, 255, 255);
    c.setAlphaF(static_cast<float>(opacity));
    return c;
}

Language languageOf(bool zh) { return zh ? Language::zh : Language::en; }

QString text(const std::string& s) { return QString::fromStdString(s); }

QFont tracked(QFont f, double spacing)
{
    f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return f;
}

QFont cardTitleFont() { return tracked(systemFont(11, QFont::ExtraBold), 0.8); }
QFont captionFont() { return textFont(TextStyle::caption); }

double stateBarWidth() { return kContentWidth - 20 - 8; }

} // namespace

// The scrolling page: everything but the background, painted by the report.
class DailyReportView::Page final : public QWidget {
public:
    explicit Page(DailyReportView& owner) : QWidget(&owner), owner_(owner)
    {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        owner_.paintPage(p);
    }

private:
    DailyReportView& owner_;
};

bool DailyReportView::Model::operator==(const Model& o) const
{
    return sameTexts(o) && stateFills == o.stateFills && appFills == o.appFills;
}

bool DailyReportView::Model::sameTexts(const Model& o) const
{
    if (zh != o.zh || date != o.date || total != o.total || character != o.character || (totalSeconds == 0) != (o.totalSeconds == 0) || states.size() != o.states.size() ||
        apps.size() != o.apps.size())
        return false;
    for (std::size_t i = 0; i < states.size(); ++i)
        if (states[i].label != o.states[i].label || states[i].duration != o.states[i].duration ||
            states[i].emoji != o.states[i].emoji)
            return false;
    // Applications show their name and their time in whole minutes (seconds below one).
    for (std::size_t i = 0; i < apps.size(); ++i)
        if (apps[i].bundleID != o.apps[i].bundleID || apps[i].name != o.apps[i].name ||
            formatDuration(apps[i].seconds) != formatDuration(o.apps[i].seconds))
            return false;
    return true;
}

DailyReportView::DailyReportView(DiveEngine& engine, WindowEnvironment env, QWidget* parent)
    : QWidget(parent),
      engine_(engine),
      env_(std::move(env)),
      language_(env_.language ? *env_.language : AppLanguage::shared()),
      settings_(env_.settings ? *env_.settings : HUDSettings::shared())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidgetResizable(false);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setAutoFillBackground(false);
    scroll_->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    auto* page = new Page(*this);
    page_ = page;
    scroll_->setWidget(page);
    page->setAutoFillBackground(false);
    rebuild(buildModel());
}

DailyReportView::~DailyReportView() { observers_.clear(); }

QString DailyReportView::stateCardTitle(bool zh) { return text(Strings::reportStateCardTitle(languageOf(zh))); }
QString DailyReportView::appsCardTitle(bool zh) { return text(Strings::reportAppsCardTitle(languageOf(zh))); }

DailyReportView::Model DailyReportView::buildModel() const
{
    const DailyStats& stats = engine_.dailyStats.get();
    Model m;
    m.zh = language_.language.get() == Language::zh;
    m.date = formattedDate(language_.language.get(), env_.now ? env_.now() : QDateTime::currentDateTime());
    m.totalSeconds = stats.totalTrackedSeconds();
    m.total = QString::fromStdString(formatDuration(m.totalSeconds));
    const double total = static_cast<double>(std::max(1LL, m.totalSeconds));
    for (const StateLine& line : kStateLines) {
        const auto it = stats.stateDurations.find(std::string(rawValue(line.state)));
        const long long seconds = it == stats.stateDurations.end() ? 0 : it->second;
        if (seconds <= 0)
            continue;
        StateBarRow row{QString::fromUtf8(line.emoji), text(Strings::reportStateLabel(line.state, languageOf(m.zh))),
                        QString::fromStdString(formatDuration(seconds)), static_cast<double>(seconds) / total,
                        systemColor(line.hue, Appearance::dark)};
        m.stateFills.push_back(static_cast<int>(std::lround(StateBarRow::fillWidth(stateBarWidth(), row.ratio))));
        m.states.push_back(std::move(row));
    }
    m.apps = stats.topApps();
    if (!m.apps.empty())
        m.maxSec = std::max(1LL, m.apps.front().seconds);
    for (const auto& app : m.apps) {
        const QString duration = QString::fromStdString(formatDuration(app.seconds));
        const double w = AppRankRow::barRect(QRectF(0, 0, kContentWidth, AppRankRow::height()), duration).width();
        m.appFills.push_back(static_cast<int>(std::lround(AppRankRow::fillWidth(w, app.seconds, m.maxSec))));
    }
    m.character = settings_.characterID.get().rawValue();
    return m;
}

void DailyReportView::rebuild(Model model)
{
    const bool characterChanged = rebuilds_ == 0 || model.character != model_.character;
    model_ = std::move(model);
    ++rebuilds_;
    // The stars keep their places; their sizes and brightness are drawn anew each time.
    std::uniform_real_distribution<double> opacity(0.1, 0.35);
    std::uniform_real_distribution<double> size(1.5, 3.5);
    for (Star& s : stars_) {
        s.opacity = opacity(random_);
        s.size = size(random_);
    }
    if (characterChanged)
        loadSprite(model_.character);
    for (const auto& app : model_.apps)
        iconFor(app.bundleID);
    if (page_) {
        page_->setFixedSize(static_cast<int>(kWidth), pageHeight());
        page_->update();
    }
}

void DailyReportView::loadSprite(const std::string& character)
{
    const CharacterID c = CharacterID::from(character);
    sprite_ = {};
    spriteShadow_ = {};
    for (const std::string& path :
         {c.spriteFramePath("deep_dive", 2), c.spriteFramePath("deep_dive", 1), c.spritePath("deep_dive")}) {
        const std::string full = c.isCustom() ? path : AppResource::path(path);
        const QPixmap pm = ImageLoader::loadFile(QString::fromStdString(full));
        if (pm.isNull())
            continue;
        ++imageLoads_;
        const qreal dpr = std::max<qreal>(1.0, devicePixelRatioF());
        const int side = static_cast<int>(std::ceil(kSpriteSide * dpr));
        // Fitted once with hard pixel edges, on a square canvas so it stays centred.
        const QImage scaled = pm.toImage().scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation);
        QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        {
            QPainter p(&canvas);
            p.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
        }
        canvas.setDevicePixelRatio(dpr);
        sprite_ = QPixmap::fromImage(canvas);
        const Shadow shadow = Shadow::make(canvas, 12.0, systemColor(Hue::purple, Appearance::dark, 0.6));
        spriteShadow_ = shadow.image;
        spriteShadowMargin_ = shadow.margin;
        return;
    }
}

QPixmap DailyReportView::iconFor(const std::string& bundleID)
{
    auto it = icons_.find(bundleID);
    if (it != icons_.end())
        return it->second;
    QPixmap pm;
    if (env_.appIcon) {
        const std::string icon = env_.appIcon(bundleID);
        if (!icon.empty()) {
            const int side = static_cast<int>(std::ceil(20 * std::max<qreal>(1.0, devicePixelRatioF()) * 2));
            pm = ImageLoader::appIcon(QString::fromStdString(icon), side);
            ++imageLoads_;
        }
    }
    return icons_.emplace(bundleID, pm).first->second;
}

void DailyReportView::observe(bool on)
{
    observers_.clear();
    if (!on)
        return;
    // The report follows the engine and the language only while it is on screen.
    auto queue = [this] { scheduleRefresh(); };
    observers_.push_back(engine_.objectWillChange.connect(queue));
    observers_.push_back(language_.objectWillChange.connect(queue));
}

void DailyReportView::scheduleRefresh()
{
    // objectWillChange comes before the new value is stored: look once the change is done.
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { refreshNow(); }, Qt::QueuedConnection);
}

void DailyReportView::refreshNow()
{
    refreshQueued_ = false;
    Model m = buildModel();
    if (m == model_)
        return;
    if (!m.sameTexts(model_)) {
        rebuild(std::move(m));
        return;
    }
    // Only a bar grew by a visible step: repaint the cards, keep the header and its stars.
    model_ = std::move(m);
    if (page_)
        page_->update(QRect(0, static_cast<int>(kHeaderHeight), static_cast<int>(kWidth), pageHeight()));
}

void DailyReportView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    observe(true);
    refreshNow();
}

void DailyReportView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    observe(false);
}

void DailyReportView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    scroll_->setGeometry(rect());
}

void DailyReportView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    // The background stays in place behind the scrolling page.
    QLinearGradient g(QPointF(0, 0), QPointF(width(), height()));
    g.setColorAt(0.0, QColor::fromRgbF(0.10f, 0.08f, 0.22f));
    g.setColorAt(0.5, QColor::fromRgbF(0.06f, 0.10f, 0.20f));
    g.setColorAt(1.0, QColor::fromRgbF(0.04f, 0.07f, 0.14f));
    fillInBands(p, QRectF(event->rect()), g);
}

double DailyReportView::stateContentHeight() const
{
    const double n = static_cast<double>(model_.states.size());
    double h = n > 0 ? n * StateBarRow::height() + (n - 1) * 8 : 0;
    if (model_.totalSeconds == 0)
        h += (n > 0 ? 8 : 0) + 8 + lineHeight(captionFont()) + 8;
    return h;
}

double DailyReportView::appsContentHeight() const
{
    if (model_.apps.empty())
        return 8 + lineHeight(captionFont()) + 8;
    const double n = static_cast<double>(model_.apps.size());
    return n * AppRankRow::height() + (n - 1) * 6;
}

int DailyReportView::pageHeight() const
{
    const double title = lineHeight(cardTitleFont());
    const double card = 2 * kCardPadding + title + 10;
    return static_cast<int>(std::ceil(kHeaderHeight + card + stateContentHeight() + 12 + card + appsContentHeight() + 20));
}

QImage DailyReportView::renderPage()
{
    QImage image(QSize(static_cast<int>(kWidth), std::max(pageHeight(), height())), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient g(QPointF(0, 0), QPointF(image.width(), image.height()));
    g.setColorAt(0.0, QColor::fromRgbF(0.10f, 0.08f, 0.22f));
    g.setColorAt(0.5, QColor::fromRgbF(0.06f, 0.10f, 0.20f));
    g.setColorAt(1.0, QColor::fromRgbF(0.04f, 0.07f, 0.14f));
    fillInBands(p, QRectF(image.rect()), g);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    paintPage(p);
    return image;
}

void DailyReportView::paintPage(QPainter& p) const
{
    paintHeader(p);
    const bool zh = model_.zh;
    double y = kHeaderHeight;
    y = paintCard(p, y, stateCardTitle(zh), stateContentHeight(), [&](const QRectF& r) {
        double top = r.top();
        for (const StateBarRow& row : model_.states) {
            row.paint(p, QRectF(r.left(), top, r.width(), StateBarRow::height()));
            top += StateBarRow::height() + 8;
        }
        if (model_.totalSeconds == 0) {
            const double t = model_.states.empty() ? r.top() : top;
            p.setFont(captionFont());
            p.setPen(labelColor(Level::secondary, Appearance::dark));
            p.drawText(QRectF(r.left(), t + 8, r.width(), lineHeight(captionFont())), Qt::AlignCenter,
                       text(Strings::reportCollectingData(languageOf(zh))));
        }
    });
    y += 12;
    paintCard(p, y, appsCardTitle(zh), appsContentHeight(), [&](const QRectF& r) {
        if (model_.apps.empty()) {
            p.setFont(captionFont());
            p.setPen(labelColor(Level::secondary, Appearance::dark));
            p.drawText(QRectF(r.left(), r.top() + 8, r.width(), lineHeight(captionFont())), Qt::AlignCenter,
                       text(Strings::reportNoData(languageOf(zh))));
            return;
        }
        double top = r.top();
        for (std::size_t i = 0; i < model_.apps.size(); ++i) {
            const auto it = icons_.find(model_.apps[i].bundleID);
            const AppRankRow row{static_cast<int>(i) + 1, model_.apps[i], model_.maxSec,
                                 it == icons_.end() ? QPixmap() : it->second};
            row.paint(p, QRectF(r.left(), top, r.width(), AppRankRow::height()));
            top += AppRankRow::height() + 6;
        }
    });
}

double DailyReportView::paintCard(QPainter& p, double top, const QString& title, double contentHeight,
                                  const std::function<void(const QRectF&)>& content) const
{
    const double titleH = lineHeight(cardTitleFont());
    const QRectF card(kPagePadding, top, kCardWidth, 2 * kCardPadding + titleH + 10 + contentHeight);
    p.setPen(Qt::NoPen);
    p.setBrush(white(0.06));
    p.drawRoundedRect(card, 14, 14);
    p.setPen(QPen(white(0.12), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(card.adjusted(0.25, 0.25, -0.25, -0.25), 14, 14);
    drawRichText(p, QRectF(card.left() + kCardPadding, card.top() + kCardPadding, kContentWidth, titleH),
                 Qt::AlignLeft | Qt::AlignVCenter, title, cardTitleFont(), white(0.85));
    content(QRectF(card.left() + kCardPadding, card.top() + kCardPadding + titleH + 10, kContentWidth, contentHeight));
    return card.bottom();
}

void DailyReportView::paintHeader(QPainter& p) const
{
    const QRectF header(0, 0, kWidth, kHeaderHeight);
    p.save();
    p.setClipRect(header);
    QLinearGradient g(header.topLeft(), header.bottomRight());
    g.setColorAt(0, QColor::fromRgbF(0.38f, 0.22f, 0.72f));
    g.setColorAt(1, QColor::fromRgbF(0.18f, 0.28f, 0.80f));
    fillInBands(p, header, g);

    p.setPen(Qt::NoPen);
    for (std::size_t i = 0; i < stars_.size(); ++i) {
        p.setBrush(white(stars_[i].opacity));
        const double d = stars_[i].size;
        p.drawEllipse(QRectF(kStarX[i] - d / 2, kStarY[i] - d / 2, d, d));
    }

    // The pet stands on the header's bottom edge, sunk 12 points below it.
    const QRectF spriteRect(kWidth / 2 - kSpriteSide / 2, kHeaderHeight - kSpriteSide + 12, kSpriteSide, kSpriteSide);
    if (!sprite_.isNull()) {
        if (!spriteShadow_.isNull())
            p.drawImage(spriteRect.topLeft() + QPointF(0, 4) - QPointF(spriteShadowMargin_, spriteShadowMargin_),
                        spriteShadow_);
        p.drawPixmap(spriteRect.topLeft(), sprite_);
    } else {
        SymbolImage::paint(p, QStringLiteral("person.fill"), spriteRect, labelColor(Level::primary, Appearance::dark));
    }
    p.restore();

    const bool zh = model_.zh;
    const QFont titleFont = tracked(systemFont(11, QFont::ExtraBold), 1.5);
    const QFont dateFont = systemFont(9);
    p.setFont(titleFont);
    p.setPen(white(0.9));
    p.drawText(QRectF(14, 12, 200, lineHeight(titleFont)), Qt::AlignLeft | Qt::AlignVCenter,
               text(Strings::reportTitle(languageOf(zh))));
    p.setFont(dateFont);
    p.setPen(white(0.55));
    p.drawText(QRectF(14, 12 + lineHeight(titleFont) + 2, 200, lineHeight(dateFont)), Qt::AlignLeft | Qt::AlignVCenter,
               model_.date);

    // The total badge, top right.
    const QFont labelFont = systemFont(8, QFont::DemiBold);
    const QFont valueFont = systemFont(13, QFont::Black, Design::rounded);
    const QString label = text(Strings::reportOnline(languageOf(zh)));
    const double w = std::ceil(std::max(textWidth(labelFont, label), textWidth(valueFont, model_.total))) + 20;
    const double h = lineHeight(labelFont) + 1 + lineHeight(valueFont) + 12;
    const QRectF badge(kWidth - 12 - w, 10, w, h);
    p.setPen(Qt::NoPen);
    p.setBrush(white(0.15));
    p.drawRoundedRect(badge, 8, 8);
    p.setPen(QPen(white(0.25), 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(badge.adjusted(0.25, 0.25, -0.25, -0.25), 8, 8);
    p.setFont(labelFont);
    p.setPen(white(0.6));
    p.drawText(QRectF(badge.left(), badge.top() + 6, w, lineHeight(labelFont)), Qt::AlignCenter, label);
    p.setFont(valueFont);
    p.setPen(Qt::white);
    p.drawText(QRectF(badge.left(), badge.top() + 6 + lineHeight(labelFont) + 1, w, lineHeight(valueFont)),
               Qt::AlignCenter, model_.total);
}

} // namespace plovane
