#include "hud/HUDView.h"

#include "engine/DiveEngine.h"
#include "hud/HUDRules.h"
#include "hud/HUDStyle.h"
#include "hud/HUDTexts.h"
#include "hud/RightClickOverlay.h"
#include "hud/SpriteHealthBar.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/SymbolImage.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "settings/Strings.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QPaintEngine>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace plovane {

namespace {

constexpr double kSpriteZoom = 1.12;
constexpr double kWelcomeDelay = 1.2;

// Decorative loops (the critical blink) need no more frames than this.
constexpr double kLoopFrameRate = 30.0;

double lerp(double a, double b, double t) { return a + (b - a) * t; }
} // namespace

HUDView::HUDView(DiveEngine& engine, QWidget* parent) : HUDView(engine, Environment{}, parent) {}

HUDView::HUDView(DiveEngine& engine, Environment env, QWidget* parent)
    : QWidget(parent),
      engine_(engine),
      appLanguage_(env.appLanguage ? *env.appLanguage : AppLanguage::shared()),
      hudSettings_(env.hudSettings ? *env.hudSettings : HUDSettings::shared()),
      ownScheduler_(env.scheduler ? nullptr : std::make_unique<QtScheduler>(this)),
      scheduler_(env.scheduler ? *env.scheduler : *ownScheduler_),
      driver_(this),
      opacity_(driver_, 1.0, [this] { update(); }),
      panelPresence_(driver_, 1.0, [this] { relayout(); update(); }),
      spriteZoom_(driver_, 1.0,
                  [this] {
                      updateWindowMask();
                      update(layout_.sprite.adjusted(-30, -30, 30, 30).toAlignedRect());
                  }),
      pulse_(driver_, 0.0, [this] { update(); }),
      health_(driver_,
              [this](bool reshaped) {
                  if (reshaped)
                      updateWindowMask();
                  update((reshaped ? healthBarRect().united(batterySymbolRect()) : healthBarRect())
                             .adjusted(-2, -2, 2, 2)
                             .toAlignedRect());
              }),
      knockPresence_(driver_, 0.0, [this] { relayout(); update(); }),
      musicPresence_(driver_, 0.0, [this] { relayout(); update(); }),
      welcomePresence_(driver_, 0.0, [this] { updateWindowMask(); update(); }),
      compactLabel_(driver_, env.images ? *env.images : ImageStore::shared(), [this] { compactTipFaded(); }),
      sprite_(scheduler_, driver_, env.images ? *env.images : ImageStore::shared(),
              [this](const QRectF& area, bool step) { spriteChanged(area, step); }),
      snapshots_(*this, [this](QPainter& p, const QRect& area) { paintClipped(p, area); }),
      tipFade_(*this, [this](QPainter& p, const QRect& area, bool end) { paintClipped(p, area, end ? 1.0 : 0.0); }),
      menu_(std::move(env.menuActions)),
      dataPanel_(driver_, [this](const QRectF& area) {
          // While the card itself moves in or out, its parts are not where they rest.
          const QRectF changed = panelPresence_.value() < 1.0 ? layout_.card : area.translated(layout_.card.topLeft());
          update(changed.adjusted(-2, -2, 2, 2).toAlignedRect());
      }, [this](const QRectF& area) { adviceFaded(area); })
{
    if (env.animationTime)
        driver_.setTimeSource(env.animationTime);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);

    knockBadge_ = makeKnockBadgeView(driver_, [this] { update(layout_.knockBadge.adjusted(-4, -6, 4, 6).toAlignedRect()); });
    musicBadge_ = makeMusicBadgeView(driver_, [this] { update(layout_.musicBadge.adjusted(-4, -6, 4, 6).toAlignedRect()); });

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
    health_.show(last_.state, last_.o2, false);
    if (last_.knock) {
        knockPresence_.set(1.0);
        knockBadge_->appear();
    }
    if (last_.music) {
        musicPresence_.set(1.0);
        musicBadge_->appear();
    }
    compactLabel_.setText(hud::qs(engine_.adviceText.get()), false);
    updateSpriteLook(false);
    opacity_.set(viewOpacity());
    updateContent();
    resize(392, 220);
    relayout();
}

HUDView::~HUDView() { observers_.clear(); }

QImage HUDView::getSpriteImage(const std::string& path) const
{
    return sprite_.images().image(sprite_.filePath(path));
}

void HUDView::updateSpriteLook(bool fade)
{
    sprite_.setLook(hudSettings_.characterID.get(), hud::floatingStateKey(engine_.state.get()), fade);
}

void HUDView::spriteChanged(const QRectF& area, bool step)
{
    // Room for the shadow or glow that follows what changed (the glow only shows on low
    // oxygen), scaled with the pet's zoom. Only that much: hovering frames change most of
    // the square, and every pixel repainted travels to the X server.
    const double zoom = spriteZoom_.value();
    const QPointF c = layout_.sprite.center();
    const QRectF changed = area.translated(layout_.sprite.topLeft()) +
                           SpriteStage::spill(hud::lowO2PulseEnabled(engine_.o2.get()));
    const QRectF zoomed(c + (changed.topLeft() - c) * zoom, changed.size() * zoom);
    const QRect dirty = zoomed.adjusted(-2, -2, 2, 2).toAlignedRect();
    // A frame step to a frame already composed is copied in the X server. Anything else
    // (another look, a rewritten file, a cross-fade) leaves the kept frames behind.
    if (!step)
        snapshots_.drop();
    const bool copied = step && !sprite_.isFading() && snapshots_.show(sprite_.shownKey(), dirty);
    if (!copied)
        update(dirty);
    tipFade_.frameChanged(dirty, copied);
    // A new look may take another part of the square; frames of a look shown once keep it.
    if (sprite_.drawnShape() != maskedSpriteShape_)
        updateWindowMask();
}

void HUDView::adviceFaded(const QRectF& area)
{
    if (panelPresence_.value() <= 0.0)
        return; // compact mode: the card is not drawn
    const bool cardInPlace = panelPresence_.value() >= 1.0;
    const QRectF part = cardInPlace ? area.translated(layout_.card.topLeft()) : layout_.card;
    tipFadeFrame(cardInPlace && dataPanel_.isAdviceFading(), part.adjusted(-2, -2, 2, 2).toAlignedRect(),
                 dataPanel_.adviceProgress());
}

void HUDView::compactTipFaded()
{
    if (panelPresence_.value() >= 1.0)
        return; // the card shows the tip; the pill is not drawn
    tipFadeFrame(panelPresence_.value() <= 0.0 && compactLabel_.isFading(),
                 layout_.compactLabel.adjusted(-6, -12, 6, 6).toAlignedRect(), compactLabel_.progress());
}

void HUDView::tipFadeFrame(bool mixable, const QRect& changed, double progress)
{
    // While the card (or compact mode's pill) stays in place, a new tip's frames are mixed
    // in the X server; the last one, and any the server cannot mix, are painted.
    if (mixable) {
        if (tipFade_.frame(changed, progress))
            return;
    } else {
        tipFade_.finish();
    }
    update(changed);
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
    // A new look fades in over the old one; the same look has its file looked at again.
    updateSpriteLook(true);
    sprite_.recheck();

    health_.show(now.state, now.o2, true);

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
    compactLabel_.setText(hud::qs(engine_.adviceText.get()), !showDataPanel() || panelPresence_.isAnimating());
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
    if (sameLook && !compactLabel_.isFading()) {
        if (now.o2 != before.o2)
            update(healthBarRect().adjusted(-2, -2, 2, 2).toAlignedRect());
        if (panelChange_ == DataPanelView::Change::metrics && showDataPanel())
            update(dataPanel_.metricsChange().translated(layout_.card.topLeft()).toAlignedRect());
        else if (panelChange_ == DataPanelView::Change::card) {
            // Each on its own: the box around both would take in the pet between them.
            update(layout_.card.adjusted(-2, -2, 2, 2).toAlignedRect());
            if (panelPresence_.value() < 1.0)
                update(layout_.compactLabel.adjusted(-2, -2, 2, 2).toAlignedRect());
        }
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

void HUDView::appear()
{
    criticalPulse_ = !(engine_.state.get() == DiveState::critical);
    onStateChanged(engine_.state.get());
    sprite_.setShown(true);
    if (!hudSettings_.hasShownWelcome.get()) {
        welcomeTask_ = scheduler_.postAfter(kWelcomeDelay, [this] {
            showWelcomeBubble_ = true;
            welcomePresence_.animateTo(1.0, Animation::spring(0.5, 0.75));
            relayout();
            update();
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
    panelChange_ = dataPanel_.setContent(c, HUDLayout::kCardWidth);

    welcome_.setContent(hud::qs(hud::welcomeMessage(lang, hudSettings_.sessionMinutes.get())),
                        hud::qs(hud::welcomeButtonTitle(lang)), HUDLayout::kWelcomeWidth);
}

void HUDView::relayout()
{
    layout_ = HUDLayout::compute({QSizeF(size()), panelPresence_.value(), dataPanel_.size(), compactLabel_.size(),
                                  knockBadge_->size(), musicBadge_->size(), knockPresence_.value(), welcome_.size()});
    if (overlay_)
        overlay_->setGeometry(layout_.sprite.toAlignedRect());
    updateWindowMask();
}

QRegion HUDView::interactiveRegion() const
{
    // What is drawn now, with the shadows and glows around it, and nothing else. The
    // region follows every animation frame that moves, grows or fades a part in or out.
    auto grow = [](const QRectF& r, double by) { return r.adjusted(-by, -by, by, by).toAlignedRect(); };
    // The pet's outline row by row, with the drop shadow below or the red glow around.
    // Asked for at every refresh, and the same until the pet's outline, zoom or place or
    // the glow changes.
    const int halo = hud::lowO2PulseEnabled(engine_.o2.get()) ? 20 : 8;
    const QRegion shape = sprite_.drawnShape();
    const double zoom = spriteZoom_.value();
    if (!(petHalo_.halo == halo && petHalo_.zoom == zoom && petHalo_.square == layout_.sprite &&
          petHalo_.shape == shape)) {
        QRegion halos;
        for (const QRect& row : petShape())
            halos += row.adjusted(-halo, -halo, halo, halo + 6);
        petHalo_ = {shape, zoom, layout_.sprite, halo, halos};
    }
    QRegion region = petHalo_.region;
    if (health_.barShown())
        region += grow(healthBarRect(), 2);
    if (health_.batteryShown())
        region += grow(batterySymbolRect(), 1);
    const double panel = panelPresence_.value();
    if (panel > 0.001)
        region += layout_.card.adjusted(-2, -2 - 8.0 * (1.0 - panel), 2, 2).toAlignedRect();
    if (panel < 0.999)
        region += layout_.compactLabel.adjusted(-4, -4 - 6.0, 4, 6).toAlignedRect();
    if (knockPresence_.value() > 0.001)
        region += grow(layout_.knockBadge, 8);
    if (musicPresence_.value() > 0.001)
        region += grow(layout_.musicBadge, 8);
    if (welcomePresence_.value() > 0.001)
        region += grow(layout_.welcome, 14);
    return region & rect();
}

void HUDView::updateWindowMask()
{
    // The welcome bubble lies over the pet in compact mode: it is the top layer for the
    // pointer too, so the pet's click catcher leaves its area alone.
    if (overlay_) {
        const QRect bubble = welcomePresence_.value() > 0.001 || showWelcomeBubble_
                                 ? layout_.welcome.toAlignedRect().translated(-overlay_->pos())
                                 : QRect();
        const QRegion reach = QRegion(overlay_->rect()) - bubble;
        if (reach != overlay_->mask())
            overlay_->setMask(reach);
    }
    maskedSpriteShape_ = sprite_.drawnShape();
    QWidget* top = window();
    if (top == this || !top->isWindow())
        return;
    // Set on the native window, not the widget: the X server clips drawing and the pointer
    // to it all the same, while a widget mask would also cut each repaint into one piece
    // per row of the pet's outline, each painted and sent on its own.
    QWindow* native = top->windowHandle();
    if (!native)
        return; // applied when shown
    QRegion region = interactiveRegion().translated(mapTo(top, QPoint(0, 0)));
    if (region == appliedMask_ && native->mask() == region)
        return;
    appliedMask_ = region;
    native->setMask(region);
}

QRectF HUDView::batterySymbolRect() const { return health_.batteryRect().translated(layout_.sprite.topLeft()); }

QRectF HUDView::healthBarRect() const { return health_.barRect().translated(layout_.sprite.topLeft()); }

QRectF HUDView::welcomeButtonRect() const
{
    if (!showWelcomeBubble_)
        return {};
    return welcome_.buttonRect().translated(layout_.welcome.topLeft());
}

QRectF HUDView::actionButtonRect() const
{
    if (!showDataPanel() || dataPanel_.actionButtonRect().isEmpty())
        return {};
    return dataPanel_.actionButtonRect().translated(layout_.card.topLeft());
}

QRectF HUDView::adviceTextRect() const
{
    if (!showDataPanel())
        return {};
    return dataPanel_.adviceTextRect().translated(layout_.card.topLeft());
}

QRegion HUDView::petShape() const
{
    // The stage's shape, zoomed about the square's centre.
    const QPointF c = layout_.sprite.center();
    const double zoom = spriteZoom_.value();
    QTransform t;
    t.translate(c.x(), c.y());
    t.scale(zoom, zoom);
    t.translate(-c.x() + layout_.sprite.left(), -c.y() + layout_.sprite.top());
    return t.map(sprite_.drawnShape());
}

QRectF HUDView::petRect() const { return petShape().boundingRect(); }

void HUDView::showContextMenu(QPoint globalPos)
{
    menu_.exec({appLanguage_.language.get(), engine_.state.get(), hudSettings_.chaosEnabled.get(),
                hudSettings_.compactMode.get(), hudSettings_.knockHintEnabled.get()},
               globalPos);
}

void HUDView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateWindowMask();
    driver_.setSuspended(false);
    appear();
}

void HUDView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Nobody sees a hidden HUD bob or blink: no frames until it is back.
    driver_.setSuspended(true);
    sprite_.setShown(false);
    snapshots_.drop();
    tipFade_.finish();
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
    QPainter p(this);
    // Renders into images (screenshots, tests) leave the screen as it is.
    QBackingStore* store = backingStore();
    if (store && p.paintEngine() && p.paintEngine()->paintDevice() == store->paintDevice()) {
        snapshots_.painted(event->region());
        tipFade_.painted(event->region());
    }
    // The backing store of a translucent window hands us the dirty area already cleared.
    // Most repaints are one part changing (the clock, a sprite frame, a bob): each dirty
    // rectangle is painted on its own, with only the parts it touches. Clipped to one
    // rectangle, the kept images are drawn with plain blends; a clip of several sends
    // them through Qt's span fillers, which wake a pool of threads for large areas.
    for (const QRect& area : event->region())
        paintClipped(p, area);
}

void HUDView::paintClipped(QPainter& p, const QRect& area, std::optional<double> adviceAt) const
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setClipRect(area);
    paintArea(p, area, adviceAt);
}

void HUDView::paintArea(QPainter& p, const QRect& area, std::optional<double> adviceAt) const
{
    auto touches = [&](const QRectF& r, double margin) {
        return area.intersects(r.adjusted(-margin, -margin, margin, margin).toAlignedRect());
    };
    p.setOpacity(std::clamp(opacity_.value(), 0.0, 1.0));
    const double panel = panelPresence_.value();
    if (panel > 0.001 && touches(layout_.card, 12.0)) {
        const double base = p.opacity();
        p.save();
        if (panel < 1.0) {
            // Enters and leaves fading, growing from 95 % at its top centre, dropping 8 points.
            const QPointF anchor(layout_.card.center().x(), layout_.card.top());
            const double scale = 0.95 + 0.05 * panel;
            p.translate(anchor + QPointF(0.0, -8.0 * (1.0 - panel)));
            p.scale(scale, scale);
            p.translate(-anchor);
            p.setOpacity(base * std::clamp(panel, 0.0, 1.0));
        }
        dataPanel_.paint(p, layout_.card.topLeft(), adviceAt);
        p.restore();
    }
    if (touches(layout_.sprite, 40.0) || touches(layout_.compactLabel, 10.0))
        paintSpriteBlock(p, adviceAt);
    if (touches(layout_.knockBadge, 10.0) || touches(layout_.musicBadge, 10.0))
        paintBadges(p);
    if (touches(layout_.welcome, 20.0))
        paintWelcome(p);
}

void HUDView::paintSpriteBlock(QPainter& p, std::optional<double> adviceAt) const
{
    p.save();
    if (const double zoom = spriteZoom_.value(); zoom != 1.0) {
        p.translate(layout_.sprite.center());
        p.scale(zoom, zoom);
        p.translate(-layout_.sprite.center());
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    double glow = 0.0;
    if (hud::lowO2PulseEnabled(engine_.o2.get()))
        glow = criticalPulse_ ? lerp(0.25, 0.85, pulse_.value()) : 0.25;
    sprite_.paint(p, layout_.sprite, glow);
    p.restore();

    const bool critical = engine_.state.get() == DiveState::critical;
    const double blink = critical && criticalPulse_ ? lerp(0.25, 1.0, pulse_.value()) : (critical ? 0.25 : 1.0);
    health_.paint(p, layout_.sprite.topLeft(), critical, blink);
    compactLabel_.paint(p, layout_.compactLabel, std::clamp(1.0 - panelPresence_.value(), 0.0, 1.0), adviceAt);
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
    badge(*knockBadge_, layout_.knockBadge, knockPresence_.value());
    badge(*musicBadge_, layout_.musicBadge, musicPresence_.value());
}

void HUDView::paintWelcome(QPainter& p) const
{
    const double presence = welcomePresence_.value();
    if (presence <= 0.001)
        return;
    const double base = p.opacity();
    p.save();
    // Grows out of its tail: scaled from 85 % about the trailing edge.
    const QPointF anchor(layout_.welcome.right(), layout_.welcome.center().y());
    const double scale = 0.85 + 0.15 * presence;
    p.translate(anchor);
    p.scale(scale, scale);
    p.translate(-anchor);
    p.setOpacity(base * std::clamp(presence, 0.0, 1.0));
    welcome_.paint(p, layout_.welcome.topLeft());
    p.restore();
}

} // namespace plovane
