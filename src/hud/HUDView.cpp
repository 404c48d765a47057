#include "hud/HUDView.h"

#include "engine/DiveEngine.h"
#include "hud/HUDRules.h"
#include "hud/HUDStyle.h"
#include "hud/HUDTexts.h"
#include "hud/RightClickOverlay.h"
#include "hud/SpriteHealthBar.h"
#include "platform/qt/ImageLoader.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/Shadow.h"
#include "platform/qt/SymbolImage.h"
#include "settings/AppLanguage.h"
#include "settings/AppResource.h"
#include "settings/HUDSettings.h"
#include "settings/Strings.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace plovane {

namespace {

constexpr double kRootWidth = 350.0;
constexpr double kSpriteSide = 160.0;
const QPointF kSpriteBlockOffset{28.0, 10.0};
constexpr double kPanelTop = 70.0;
constexpr double kPanelTrailing = 28.0;
constexpr double kSpriteZoom = 1.12;
constexpr double kColumnLeading = 20.0;
constexpr double kColumnSpacing = 3.0;
constexpr double kBatteryFont = 11.0;
constexpr double kCompactFont = 9.5;
constexpr double kFramePeriod = 0.25;
constexpr double kWelcomeDelay = 1.2;

// Decorative loops (the critical blink) need no more frames than this.
constexpr double kLoopFrameRate = 30.0;

double lerp(double a, double b, double t) { return a + (b - a) * t; }

QColor tintColor(const hud::Tint& t) { return hud::color(t); }

// Scaled sprite and its shadows, per full path: scaling and blurring happen once.
struct SpriteArt {
    QImage scaled;
    Shadow dropShadow;
    Shadow redGlow;
    // The sprite over its drop shadow in one image (the common case: one draw per frame);
    // its top-left corner lies `margin` up and left of the sprite's.
    QImage withShadow;
    double margin{0};
};

SpriteArt& spriteArt(const std::string& key, const QPixmap& source)
{
    static std::unordered_map<std::string, SpriteArt> cache;
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    SpriteArt art;
    const qreal dpr = std::max<qreal>(1.0, qApp ? qApp->devicePixelRatio() : 1.0);
    const int side = static_cast<int>(std::ceil(kSpriteSide * dpr));
    // Hard pixel edges: nearest-neighbour scaling to fit, centred.
    QImage img = source.toImage().scaled(side, side, Qt::KeepAspectRatio, Qt::FastTransformation);
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        p.drawImage((side - img.width()) / 2, (side - img.height()) / 2, img);
    }
    canvas.setDevicePixelRatio(dpr);
    art.scaled = canvas;
    art.dropShadow = Shadow::make(canvas, 6.0, QColor(0, 0, 0));
    art.redGlow = Shadow::make(canvas, 14.0, hud::color(hud::Hue::red));
    art.margin = art.dropShadow.margin;
    const QSize full = art.dropShadow.image.size() + QSize(0, static_cast<int>(std::ceil(6 * dpr)));
    art.withShadow = QImage(full, QImage::Format_ARGB32_Premultiplied);
    art.withShadow.setDevicePixelRatio(dpr);
    art.withShadow.fill(Qt::transparent);
    {
        QPainter p(&art.withShadow);
        p.setOpacity(0.35);
        p.drawImage(QPointF(0, 6), art.dropShadow.image);
        p.setOpacity(1.0);
        p.drawImage(QPointF(art.margin, art.margin), canvas);
    }
    return cache.emplace(key, std::move(art)).first->second;
}

QFont batteryFont() { return hud::systemFont(kBatteryFont, QFont::Bold); }
QFont compactFont() { return hud::systemFont(kCompactFont, QFont::DemiBold); }

} // namespace

HUDView::HUDView(DiveEngine& engine, QWidget* parent) : HUDView(engine, Environment{}, parent) {}

HUDView::HUDView(DiveEngine& engine, Environment env, QWidget* parent)
    : QWidget(parent),
      engine_(engine),
      menuActions_(std::move(env.menuActions)),
      appLanguage_(env.appLanguage ? *env.appLanguage : AppLanguage::shared()),
      hudSettings_(env.hudSettings ? *env.hudSettings : HUDSettings::shared()),
      ownScheduler_(env.scheduler ? nullptr : std::make_unique<QtScheduler>(this)),
      scheduler_(env.scheduler ? *env.scheduler : *ownScheduler_),
      driver_(this),
      alive_(std::make_shared<HUDView*>(this)),
      opacity_(driver_, 1.0, [this] { update(); }),
      panelPresence_(driver_, 1.0, [this] { relayout(); update(); }),
      spriteZoom_(driver_, 1.0, [this] { update(spriteRect_.adjusted(-30, -30, 30, 30).toAlignedRect()); }),
      pulse_(driver_, 0.0, [this] { update(); }),
      fillWidth_(driver_, hud::kBarWidth, [this] { update(healthBarRect().adjusted(-2, -2, 2, 2).toAlignedRect()); }),
      fillColor_(driver_, QColor(), Animation::easeInOut(0.6), [this] { update(healthBarRect().adjusted(-2, -2, 2, 2).toAlignedRect()); }),
      barVisible_(driver_, 1.0, [this] { update(); }),
      batteryPresence_(driver_, 0.0, [this] { update(); }),
      knockPresence_(driver_, 0.0, [this] { relayout(); update(); }),
      musicPresence_(driver_, 0.0, [this] { relayout(); update(); }),
      welcomePresence_(driver_, 0.0, [this] { updateWindowMask(); update(); }),
      compactAdvice_(driver_, QString(), Animation::easeInOut(0.5).atFrameRate(30),
                     [this] { update(compactLabelRect_.adjusted(-6, -12, 6, 6).toAlignedRect()); }),
      spriteLook_(driver_, std::string(), Animation::easeInOut(0.45).atFrameRate(30),
                  [this] { update(spriteRect_.adjusted(-40, -40, 40, 40).toAlignedRect()); }),
      dataPanel_(driver_, [this] { update(cardRect_.adjusted(-2, -2, 2, 2).toAlignedRect()); })
{
    if (env.animationTime)
        driver_.setTimeSource(env.animationTime);
    if (!menuActions_.quit)
        menuActions_.quit = [] { QCoreApplication::quit(); };
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);

    knockBadge_ = makeKnockBadgeView(driver_, [this] { update(knockRect_.adjusted(-4, -6, 4, 6).toAlignedRect()); });
    musicBadge_ = makeMusicBadgeView(driver_, [this] { update(musicRect_.adjusted(-4, -6, 4, 6).toAlignedRect()); });

    overlay_ = new RightClickOverlay(this);
    overlay_->onLeftClick = [this] { engine_.triggerManualSurface(); };
    overlay_->onRightClick = [this](QPoint at) { showContextMenu(at); };
    overlay_->onHoverChanged = [this](bool inside) { setSpriteHovering(inside); };

    auto queue = [this] { scheduleRefresh(); };
    observers_.push_back(engine_.objectWillChange.connect(queue));
    observers_.push_back(appLanguage_.objectWillChange.connect(queue));
    observers_.push_back(hudSettings_.objectWillChange.connect(queue));

    // Start from the present values without animating into them.
    last_.state = engine_.state.get();
    last_.o2 = engine_.o2.get();
    last_.music = engine_.isMusicPlaying.get();
    last_.knock = engine_.knockHintVisible.get();
    last_.compact = hudSettings_.compactMode.get();
    last_.spriteKey = std::string(hud::floatingStateKey(last_.state));
    last_.character = hudSettings_.characterID.get().rawValue();
    panelPresence_.set(last_.compact ? 0.0 : 1.0);
    fillWidth_.set(hud::healthBarFillWidth(last_.o2));
    fillColor_.set(tintColor(hud::healthBarFill(last_.state, last_.o2)), false);
    barVisible_.set(hud::showSpriteHealthBar(last_.state, last_.o2) ? 1.0 : 0.0);
    batteryPresence_.set(last_.state == DiveState::critical ? 1.0 : 0.0);
    if (last_.knock) {
        knockPresence_.set(1.0);
        knockBadge_->appear();
    }
    if (last_.music) {
        musicPresence_.set(1.0);
        musicBadge_->appear();
    }
    compactAdvice_.set(hud::qs(engine_.adviceText.get()), false);
    spriteLook_.set(spriteIdentity(), false);
    opacity_.set(viewOpacity());
    updateShownSprite();
    updateContent();
    resize(392, 220);
    relayout();
}

HUDView::~HUDView()
{
    frameClock_.cancel();
    observers_.clear();
}

std::unordered_map<std::string, QPixmap>& HUDView::spriteCache()
{
    static std::unordered_map<std::string, QPixmap> cache;
    return cache;
}

QPixmap HUDView::getSpriteImage(const std::string& path) const { return loadSprite(fullSpritePath(path)); }

std::string HUDView::fullSpritePath(const std::string& path) const
{
    return hudSettings_.characterID.get().isCustom() ? path : AppResource::path(path);
}

QPixmap HUDView::loadSprite(const std::string& full)
{
    auto& cache = spriteCache();
    if (auto it = cache.find(full); it != cache.end())
        return it->second;
    QPixmap pm = ImageLoader::loadFile(QString::fromStdString(full));
    if (!pm.isNull())
        cache.emplace(full, pm);
    return pm;
}

std::string HUDView::floatingSpritePath() const
{
    const CharacterID c = hudSettings_.characterID.get();
    const std::string key(hud::floatingStateKey(engine_.state.get()));
    if (spriteFrameCount_ > 1) {
        const std::string frame = c.spriteFramePath(key, spriteFrame_ + 1);
        if (c.spriteExists(frame))
            return frame;
    }
    const std::string still = c.spritePath(key);
    if (c.spriteExists(still))
        return still;
    return c.spritePath("deep_dive");
}

void HUDView::updateShownSprite()
{
    // Each frame of a look is looked up on disk once, when the state or the character
    // changes; advancing the frame after that is an index.
    const std::string look = spriteIdentity();
    const std::size_t frames = static_cast<std::size_t>(std::max(spriteFrameCount_, 1));
    if (look != resolvedLook_ || resolvedSprites_.size() != frames) {
        resolvedLook_ = look;
        resolvedSprites_.assign(frames, std::string());
    }
    std::string& resolved = resolvedSprites_[spriteFrameCount_ > 1 ? static_cast<std::size_t>(spriteFrame_) % frames : 0];
    if (resolved.empty())
        resolved = fullSpritePath(floatingSpritePath());
    shownSpritePath_ = resolved;
}

std::string HUDView::spriteIdentity() const
{
    return std::string(hud::floatingStateKey(engine_.state.get())) + "-" + hudSettings_.characterID.get().rawValue();
}

bool HUDView::showDataPanel() const { return !hudSettings_.compactMode.get(); }

double HUDView::viewOpacity() const
{
    return hud::viewOpacity({engine_.state.get(), engine_.o2.get(), isHovering_, isSpriteHovering_,
                             hudSettings_.idleOpacity.get()});
}

double HUDView::presentedOpacity() const { return opacity_.value(); }

void HUDView::scheduleRefresh()
{
    // objectWillChange comes before the new value is stored: look once the change is done.
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(this, [this] { refreshNow(); }, Qt::QueuedConnection);
}

void HUDView::refreshNow()
{
    refreshQueued_ = false;
    Observed now;
    now.state = engine_.state.get();
    now.o2 = engine_.o2.get();
    now.music = engine_.isMusicPlaying.get();
    now.knock = engine_.knockHintVisible.get();
    now.compact = hudSettings_.compactMode.get();
    now.spriteKey = std::string(hud::floatingStateKey(now.state));
    now.character = hudSettings_.characterID.get().rawValue();
    const Observed before = last_;
    last_ = now;

    const bool stateChanged = now.state != before.state;
    if (stateChanged)
        onStateChanged(now.state);
    if (now.spriteKey != before.spriteKey || now.character != before.character) {
        spriteFrame_ = 0;
        updateFrameCount();
    }
    const std::string identity = spriteIdentity();
    if (identity != spriteLook_.current()) {
        // The old look fades out under the new one.
        const CharacterID old = CharacterID::from(before.character);
        const std::string oldPath = old.spritePath(before.spriteKey);
        previousSpritePath_ = old.isCustom() ? oldPath : AppResource::path(oldPath);
        spriteLook_.set(identity);
    }

    if (now.o2 != before.o2) {
        // The gauge moves a tenth at a time while draining: a twentieth of a point, which
        // no one can see glide. Only steps of a point or more are animated.
        const double width = hud::healthBarFillWidth(now.o2);
        if (std::abs(width - fillWidth_.target()) >= 1.0 || fillWidth_.isAnimating())
            fillWidth_.animateTo(width, Animation::easeInOut(0.6));
        else
            fillWidth_.set(width);
    }
    fillColor_.set(tintColor(hud::healthBarFill(now.state, now.o2)));
    barVisible_.animateTo(hud::showSpriteHealthBar(now.state, now.o2) ? 1.0 : 0.0, Animation::easeInOut(0.5));
    batteryPresence_.animateTo(now.state == DiveState::critical ? 1.0 : 0.0, Animation::easeInOut(0.3));

    if (now.compact != before.compact)
        panelPresence_.animateTo(now.compact ? 0.0 : 1.0, Animation::spring(0.4, 0.85));
    if (now.knock != before.knock) {
        knockPresence_.animateTo(now.knock ? 1.0 : 0.0, Animation::spring(0.3, 0.7));
        if (now.knock)
            knockBadge_->appear();
        else
            knockBadge_->disappear(); // shrinks away still; no loop left running behind it
    }
    if (now.music != before.music) {
        musicPresence_.animateTo(now.music ? 1.0 : 0.0, Animation::spring(0.35, 0.7));
        if (now.music)
            musicBadge_->appear();
        else
            musicBadge_->disappear();
    }
    // The label is only seen in compact mode; elsewhere a new tip just replaces the old.
    compactAdvice_.set(hud::qs(engine_.adviceText.get()), !showDataPanel() || panelPresence_.isAnimating());
    updateShownSprite();
    updateOpacityTarget();
    updateContent();
    relayout();

    // While working, the gauge drains a tenth every few seconds and the SHIFT clock ticks
    // every second: repaint the bar, that row or the card, not the whole HUD.
    const bool sameLook = now.state == before.state && now.music == before.music && now.knock == before.knock &&
                          now.compact == before.compact && now.character == before.character &&
                          hud::lowO2PulseEnabled(now.o2) == hud::lowO2PulseEnabled(before.o2) &&
                          hud::showSpriteHealthBar(now.state, now.o2) ==
                              hud::showSpriteHealthBar(before.state, before.o2);
    if (sameLook && !compactAdvice_.isFading()) {
        if (now.o2 != before.o2)
            update(healthBarRect().adjusted(-2, -2, 2, 2).toAlignedRect());
        if (panelChange_ == DataPanelView::Change::metrics && showDataPanel())
            update(dataPanel_.metricsRect().translated(cardRect_.topLeft()).toAlignedRect());
        else if (panelChange_ == DataPanelView::Change::card)
            update(cardRect_.united(compactLabelRect_).adjusted(-2, -2, 2, 2).toAlignedRect());
    } else {
        update();
    }
}

void HUDView::onStateChanged(DiveState state)
{
    const bool critical = state == DiveState::critical;
    if (critical == criticalPulse_)
        return;
    criticalPulse_ = critical;
    if (criticalPulse_) {
        // Blink from dim to full and back, for as long as the state lasts.
        pulse_.set(0.0);
        pulse_.animateTo(1.0, Animation::easeInOut(0.8).repeatForever().atFrameRate(kLoopFrameRate));
    } else {
        pulse_.set(0.0);
    }
}

void HUDView::updateFrameCount()
{
    resolvedSprites_.clear();
    spriteFrameCount_ = hudSettings_.characterID.get().frameCount(hud::floatingStateKey(engine_.state.get()));
    updateShownSprite();
    runFrameClock();
}

void HUDView::runFrameClock()
{
    // Still sprites never change frame, so the clock sleeps while there is nothing to
    // animate; ticks stay a quarter second apart while there is.
    const bool wanted = spriteFrameCount_ > 1 && isVisible();
    if (wanted == frameClock_.isPending())
        return;
    frameClock_.cancel();
    if (!wanted)
        return;
    std::weak_ptr<HUDView*> weak = alive_;
    frameClock_ = scheduler_.postAfter(kFramePeriod, [weak] {
        if (auto self = weak.lock()) {
            HUDView* v = *self;
            v->frameClock_ = {};
            v->advanceFrame();
            v->runFrameClock();
        }
    });
}

void HUDView::advanceFrame()
{
    if (spriteFrameCount_ <= 1)
        return;
    const std::string before = shownSpritePath_;
    spriteFrame_ = (spriteFrame_ + 1) % spriteFrameCount_;
    updateShownSprite();
    const std::string& after = shownSpritePath_;
    // Frames of one look differ in a few places (paws, a page): repaint only those,
    // with room for the shadow or glow that follows them.
    const QRectF changed = changedArea(before, after);
    if (changed.isEmpty())
        return;
    const double zoom = spriteZoom_.value();
    const QPointF c = spriteRect_.center();
    const QRectF zoomed(c + (changed.topLeft() - c) * zoom, changed.size() * zoom);
    update(zoomed.adjusted(-24, -24, 24, 24).toAlignedRect());
}

QRectF HUDView::changedArea(const std::string& fromPath, const std::string& toPath) const
{
    // Per pair of frame files: the box of source pixels that differ, in sprite points.
    static std::unordered_map<std::string, QRectF> boxes;
    const std::string key = fromPath + '\n' + toPath;
    auto it = boxes.find(key);
    if (it == boxes.end()) {
        const QImage a = loadSprite(fromPath).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage b = loadSprite(toPath).toImage().convertToFormat(QImage::Format_ARGB32);
        QRectF box(0, 0, kSpriteSide, kSpriteSide);
        if (!a.isNull() && a.size() == b.size()) {
            QRect diff;
            for (int y = 0; y < a.height(); ++y)
                for (int x = 0; x < a.width(); ++x)
                    if (a.pixel(x, y) != b.pixel(x, y))
                        diff |= QRect(x, y, 1, 1);
            // Both are scaled to fit the square and centred, pixel for pixel alike.
            const double scale = kSpriteSide / std::max(a.width(), a.height());
            const QPointF inset((kSpriteSide - a.width() * scale) / 2, (kSpriteSide - a.height() * scale) / 2);
            box = diff.isEmpty() ? QRectF()
                                 : QRectF(inset + QPointF(diff.x(), diff.y()) * scale, QSizeF(diff.size()) * scale);
        }
        it = boxes.emplace(key, box).first;
    }
    return it->second.isEmpty() ? QRectF() : it->second.translated(spriteRect_.topLeft());
}

void HUDView::appear()
{
    criticalPulse_ = !(engine_.state.get() == DiveState::critical);
    onStateChanged(engine_.state.get());
    updateFrameCount();
    if (!hudSettings_.hasShownWelcome.get()) {
        std::weak_ptr<HUDView*> weak = alive_;
        scheduler_.postAfter(kWelcomeDelay, [weak] {
            if (auto self = weak.lock()) {
                HUDView* v = *self;
                v->showWelcomeBubble_ = true;
                v->welcomePresence_.animateTo(1.0, Animation::spring(0.5, 0.75));
                v->relayout();
                v->update();
            }
        });
    }
}

void HUDView::dismissWelcome()
{
    if (!showWelcomeBubble_)
        return;
    showWelcomeBubble_ = false;
    welcomePresence_.animateTo(0.0, Animation::easeOut(0.3));
    hudSettings_.hasShownWelcome = true;
    update();
}

void HUDView::setHovering(bool hovering)
{
    if (hovering == isHovering_)
        return;
    isHovering_ = hovering;
    updateOpacityTarget();
}

void HUDView::setSpriteHovering(bool hovering)
{
    if (hovering == isSpriteHovering_)
        return;
    isSpriteHovering_ = hovering;
    spriteZoom_.animateTo(hovering ? kSpriteZoom : 1.0, Animation::easeInOut(0.2));
    updateOpacityTarget();
}

void HUDView::updateOpacityTarget() { opacity_.animateTo(viewOpacity(), Animation::easeInOut(0.6)); }

void HUDView::updateContent()
{
    const Language lang = appLanguage_.language.get();
    const DiveState state = engine_.state.get();
    DataPanelView::Content c;
    c.statusTitle = hud::qs(Strings::statusTitle(state, engine_.shouldEnterDecompressionLayout(), lang));
    c.decompression = engine_.shouldEnterDecompressionLayout();
    c.focusSeconds = engine_.focusSeconds.get();
    c.noiseText = hud::qs(state == DiveState::chaos ? Strings::noiseLoud(lang) : Strings::noiseZen(lang));
    const auto& apps = engine_.recentApps.get();
    const std::string& active = engine_.activeBundleID.get();
    for (std::size_t i = 0; i < apps.size() && i < 5; ++i)
        c.apps.push_back({apps[i].id, apps[i].icon, apps[i].bundleID == active, apps[i].isNitrogen});
    c.advice = hud::qs(engine_.adviceText.get());
    c.showActionButton = state == DiveState::critical || state == DiveState::resting;
    c.actionButton = hud::stateActionButton(state, lang);
    panelChange_ = dataPanel_.setContent(c, kRootWidth - kPanelTrailing);

    welcome_.setContent(hud::qs(hud::welcomeMessage(lang, hudSettings_.sessionMinutes.get())),
                        hud::qs(hud::welcomeButtonTitle(lang)), kRootWidth - 4.0);
}

void HUDView::relayout()
{
    const double p = panelPresence_.value();
    const QSizeF card = dataPanel_.size();
    const double expandedHeight = std::max(kSpriteSide, kPanelTop + card.height());
    const double contentHeight = lerp(kSpriteSide, expandedHeight, p);
    // Laid from the panel's leading edge; the pet overhangs the layout width on the right.
    const double x0 = 0.0;
    const double y0 = (height() - contentHeight) / 2.0;
    rootRect_ = QRectF(x0, y0, kRootWidth, contentHeight);

    const double blockX = x0 + (kRootWidth - kSpriteSide) * p;
    spriteRect_ = QRectF(QPointF(blockX, y0) + kSpriteBlockOffset, QSizeF(kSpriteSide, kSpriteSide));
    cardRect_ = QRectF(QPointF(x0, y0 + kPanelTop), card);

    if (compactText_.lines.isEmpty() || compactTextFor_ != compactAdvice_.current()) {
        compactText_ = hud::wrapText(compactAdvice_.current(), compactFont(), kSpriteSide - 20.0, 2);
        compactTextFor_ = compactAdvice_.current();
    }
    const QSizeF labelSize(compactText_.width + 20.0, compactText_.height() + 10.0);
    compactLabelRect_ = QRectF(QPointF(spriteRect_.center().x() - 20.0 - labelSize.width() / 2,
                                       spriteRect_.bottom() - 10.0 - labelSize.height()),
                               labelSize);

    const double right = x0 + kRootWidth - 32.0;
    const double top = y0 + 8.0;
    const QSizeF ks = knockBadge_->size();
    const QSizeF ms = musicBadge_->size();
    knockRect_ = QRectF(QPointF(right - ks.width(), top), ks);
    const double knockShare = std::clamp(knockPresence_.value(), 0.0, 1.0);
    musicRect_ = QRectF(QPointF(right - ms.width(), top + knockShare * (ks.height() + 4.0)), ms);

    welcomeRect_ = QRectF(QPointF(x0 + 4.0, y0 + 18.0), welcome_.size());

    if (overlay_)
        overlay_->setGeometry(spriteRect_.toAlignedRect());
    updateWindowMask();
}

QRegion HUDView::interactiveRegion() const
{
    // Both places of the pet count, so a compact-mode switch never leaves it unclickable
    // mid-move; the pet's 12 % zoom and its glow get their margin.
    const double x0 = rootRect_.left();
    const double compactY0 = (height() - kSpriteSide) / 2.0;
    const double expandedY0 = (height() - std::max(kSpriteSide, kPanelTop + dataPanel_.size().height())) / 2.0;
    const QRectF compactPet(QPointF(x0, compactY0) + kSpriteBlockOffset, QSizeF(kSpriteSide, kSpriteSide));
    const QRectF expandedPet(QPointF(x0 + kRootWidth - kSpriteSide, expandedY0) + kSpriteBlockOffset,
                             QSizeF(kSpriteSide, kSpriteSide));
    auto grow = [](const QRectF& r, double by) { return r.adjusted(-by, -by, by, by).toAlignedRect(); };
    QRegion region;
    region += grow(compactPet, 30);
    region += grow(expandedPet, 30);
    if (panelPresence_.value() > 0.001 || showDataPanel())
        region += grow(cardRect_, 2);
    if (knockPresence_.value() > 0.001 || last_.knock)
        region += grow(knockRect_, 8);
    if (musicPresence_.value() > 0.001 || last_.music)
        region += grow(musicRect_, 8);
    if (showWelcomeBubble_ || welcomePresence_.value() > 0.001)
        region += grow(welcomeRect_, 14);
    return region & rect();
}

void HUDView::updateWindowMask()
{
    QWidget* top = window();
    if (top == this || !top->isWindow())
        return;
    QRegion region = interactiveRegion().translated(mapTo(top, QPoint(0, 0)));
    if (region == appliedMask_)
        return;
    appliedMask_ = region;
    top->setMask(region);
}

QRectF HUDView::batterySymbolRect() const
{
    const double h = std::ceil(QFontMetricsF(batteryFont()).height());
    return {spriteRect_.left() + kColumnLeading, spriteRect_.top(), 22.0, h};
}

QRectF HUDView::healthBarRect() const
{
    const double presence = std::clamp(batteryPresence_.value(), 0.0, 1.0);
    const QRectF battery = batterySymbolRect();
    // Off the critical state the column sits one point lower.
    const double top = spriteRect_.top() + (1.0 - presence) * 1.0 + presence * (battery.height() + kColumnSpacing);
    return {spriteRect_.left() + kColumnLeading, top, hud::kBarWidth, hud::kBarHeight};
}

QRectF HUDView::welcomeButtonRect() const
{
    if (!showWelcomeBubble_)
        return {};
    return welcome_.buttonRect().translated(welcomeRect_.topLeft());
}

QRectF HUDView::actionButtonRect() const
{
    if (!showDataPanel() || dataPanel_.actionButtonRect().isEmpty())
        return {};
    return dataPanel_.actionButtonRect().translated(cardRect_.topLeft());
}

void HUDView::showContextMenu(QPoint globalPos)
{
    const auto entries = hud::contextMenuEntries({appLanguage_.language.get(), engine_.state.get(),
                                                  hudSettings_.chaosEnabled.get(), hudSettings_.compactMode.get(),
                                                  hudSettings_.knockHintEnabled.get()});
    QMenu menu;
    for (const hud::MenuEntry& e : entries) {
        if (e.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* item = menu.addAction(hud::qs(e.title));
        if (e.action == &HUDMenuActions::quit)
            item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        QObject::connect(item, &QAction::triggered, this, [this, action = e.action] {
            if (const auto& run = menuActions_.*action)
                run();
        });
    }
    menu.exec(globalPos);
}

void HUDView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    driver_.setSuspended(false);
    appear();
}

void HUDView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Nobody sees a hidden HUD bob or blink: no frames until it is back.
    driver_.setSuspended(true);
    frameClock_.cancel();
}

void HUDView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void HUDView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    setHovering(true);
}

void HUDView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setHovering(false);
}

void HUDView::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = event->position();
    if (event->button() == Qt::LeftButton) {
        if (showWelcomeBubble_ && welcomeButtonRect().contains(at)) {
            event->accept();
            dismissWelcome();
            return;
        }
        if (actionButtonRect().contains(at)) {
            event->accept();
            engine_.triggerManualSurface();
            return;
        }
    }
    // Everything else is background: the panel takes it and moves.
    event->ignore();
}

void HUDView::paintEvent(QPaintEvent* event)
{
    // Most repaints are one part changing (the clock, a sprite frame, a bob): leave the
    // rest alone.
    const QRegion& dirty = event->region();
    auto touches = [&](const QRectF& r, double margin) {
        return dirty.intersects(r.adjusted(-margin, -margin, margin, margin).toAlignedRect());
    };
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // The backing store of a translucent window hands us the dirty area already cleared.
    p.setOpacity(std::clamp(opacity_.value(), 0.0, 1.0));

    const double panel = panelPresence_.value();
    if (panel > 0.001 && touches(cardRect_, 12.0)) {
        // Enters and leaves fading, growing from 95 % at its top centre, dropping 8 points.
        const double t = std::clamp(panel, 0.0, 1.0);
        const double base = p.opacity();
        p.save();
        const QPointF anchor(cardRect_.center().x(), cardRect_.top());
        const double scale = 0.95 + 0.05 * panel;
        p.translate(anchor + QPointF(0.0, -8.0 * (1.0 - panel)));
        p.scale(scale, scale);
        p.translate(-anchor);
        p.setOpacity(base * t);
        dataPanel_.paint(p, cardRect_.topLeft());
        p.restore();
    }
    if (touches(spriteRect_, 40.0) || touches(compactLabelRect_, 10.0))
        paintSpriteBlock(p);
    if (touches(knockRect_, 10.0) || touches(musicRect_, 10.0))
        paintBadges(p);
    if (touches(welcomeRect_, 20.0))
        paintWelcome(p);
}

void HUDView::paintSprite(QPainter& p, const std::string& full, double opacity) const
{
    if (opacity <= 0.001)
        return;
    const double base = p.opacity();
    const QPixmap source = loadSprite(full);
    if (source.isNull()) {
        p.setOpacity(base * opacity);
        SymbolImage::paint(p, QStringLiteral("questionmark.square.dashed"), spriteRect_.adjusted(50, 50, -50, -50),
                           QColor(255, 255, 255, 200));
        p.setOpacity(base);
        return;
    }
    SpriteArt& art = spriteArt(full, source);
    if (hud::lowO2PulseEnabled(engine_.o2.get())) {
        const double glow = criticalPulse_ ? lerp(0.25, 0.85, pulse_.value()) : 0.25;
        p.setOpacity(base * opacity * glow);
        p.drawImage(art.redGlow.drawOrigin(spriteRect_.topLeft(), QPointF(0, 0)), art.redGlow.image);
        p.setOpacity(base * opacity);
        p.drawImage(spriteRect_.topLeft(), art.scaled);
    } else {
        p.setOpacity(base * opacity);
        p.drawImage(spriteRect_.topLeft() - QPointF(art.margin, art.margin), art.withShadow);
    }
    p.setOpacity(base);
}

void HUDView::paintSpriteBlock(QPainter& p) const
{
    p.save();
    const double zoom = spriteZoom_.value();
    p.translate(spriteRect_.center());
    p.scale(zoom, zoom);
    p.translate(-spriteRect_.center());
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const double fade = spriteLook_.progress();
    if (fade < 1.0 && !previousSpritePath_.empty())
        paintSprite(p, previousSpritePath_, 1.0 - fade);
    paintSprite(p, shownSpritePath_, fade < 1.0 ? fade : 1.0);
    p.restore();

    paintHealthColumn(p);
    paintCompactLabel(p);
}

void HUDView::paintHealthColumn(QPainter& p) const
{
    const double base = p.opacity();
    const bool critical = engine_.state.get() == DiveState::critical;
    const double blink = critical && criticalPulse_ ? lerp(0.25, 1.0, pulse_.value()) : (critical ? 0.25 : 1.0);

    const double battery = std::clamp(batteryPresence_.value(), 0.0, 1.0);
    if (battery > 0.001) {
        p.setOpacity(base * battery * blink);
        SymbolImage::paint(p, QStringLiteral("battery.0percent"), batterySymbolRect(), hud::color(hud::Hue::red));
        p.setOpacity(base);
    }

    const double visible = std::clamp(barVisible_.value(), 0.0, 1.0);
    if (visible <= 0.001)
        return;
    p.setOpacity(base * visible);
    const QColor fill = hud::mix(fillColor_.previous().isValid() ? fillColor_.previous() : fillColor_.current(),
                                 fillColor_.current(), fillColor_.progress());
    const hud::SpriteHealthBarLook look{fillWidth_.value(), fill, critical ? blink : 1.0};
    // A still bar is one small image; a gliding or blinking one is drawn afresh.
    const qreal dpr = p.device() ? p.device()->devicePixelRatioF() : 1.0;
    const QString key = QString::number(look.fillWidth, 'f', 2) + fill.name(QColor::HexArgb) +
                        QString::number(look.fillOpacity, 'f', 3) + QLatin1Char('@') + QString::number(dpr);
    if (key != barKey_) {
        barImage_ = hud::makeLayer(QSizeF(hud::kBarWidth + 2, hud::kBarHeight + 2), dpr);
        QPainter bp(&barImage_);
        hud::paintSpriteHealthBar(bp, QPointF(1, 1), look);
        bp.end();
        barKey_ = key;
    }
    p.drawImage(healthBarRect().topLeft() - QPointF(1, 1), barImage_);
    p.setOpacity(base);
}

void HUDView::paintCompactLabel(QPainter& p) const
{
    const double presence = std::clamp(1.0 - panelPresence_.value(), 0.0, 1.0);
    if (presence <= 0.001)
        return;
    const double base = p.opacity();
    p.save();
    p.translate(0.0, -6.0 * (1.0 - presence));
    p.setOpacity(base * presence);
    const QRectF r = compactLabelRect_;
    // A soft shadow under a frosted dark pill.
    p.setPen(Qt::NoPen);
    for (int i = 3; i >= 1; --i) {
        p.setBrush(QColor(0, 0, 0, 18));
        p.drawRoundedRect(r.translated(0, 2).adjusted(-i, -i + 1, i, i), 8 + i, 8 + i);
    }
    p.setBrush(hud::ultraThinMaterial(0.55));
    p.drawRoundedRect(r, 8, 8);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(hud::color(hud::Hue::white, 0.1), 0.5));
    p.drawRoundedRect(r, 8, 8);
    compactAdvice_.paint([&](const QString& text, double opacity) {
        if (text.isEmpty() || opacity <= 0.0)
            return;
        const hud::WrappedText wrapped =
            text == compactAdvice_.current() ? compactText_ : hud::wrapText(text, compactFont(), kSpriteSide - 20.0, 2);
        p.setOpacity(base * presence * opacity);
        p.setPen(hud::color(hud::Hue::white, 0.85));
        hud::paintWrapped(p, wrapped, compactFont(), QPointF(r.left() + 10.0, r.top() + 5.0), r.width() - 20.0,
                          Qt::AlignHCenter);
    });
    p.restore();
}

void HUDView::paintBadges(QPainter& p) const
{
    const double base = p.opacity();
    auto badge = [&](const BadgeView& view, const QRectF& rect, double presence) {
        if (presence <= 0.001)
            return;
        // In and out scaling from half size about its centre, fading with it.
        p.save();
        const double scale = 0.5 + 0.5 * presence;
        p.translate(rect.center());
        p.scale(scale, scale);
        p.translate(-rect.center());
        p.setOpacity(base * std::clamp(presence, 0.0, 1.0));
        view.paint(p, rect.topLeft());
        p.restore();
    };
    badge(*knockBadge_, knockRect_, knockPresence_.value());
    badge(*musicBadge_, musicRect_, musicPresence_.value());
}

void HUDView::paintWelcome(QPainter& p) const
{
    const double presence = welcomePresence_.value();
    if (presence <= 0.001)
        return;
    const double base = p.opacity();
    p.save();
    // Grows out of its tail: scaled from 85 % about the trailing edge.
    const QPointF anchor(welcomeRect_.right(), welcomeRect_.center().y());
    const double scale = 0.85 + 0.15 * presence;
    p.translate(anchor);
    p.scale(scale, scale);
    p.translate(-anchor);
    p.setOpacity(base * std::clamp(presence, 0.0, 1.0));
    welcome_.paint(p, welcomeRect_.topLeft());
    p.restore();
}

} // namespace plovane
