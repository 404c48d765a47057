#include "hud/HUDView.h"

#include "engine/DiveEngine.h"
#include "hud/HUDRules.h"
#include "hud/HUDTexts.h"
#include "hud/RightClickOverlay.h"
#include "platform/ScreenWatch.h"
#include "platform/qt/PointerPlace.h"
#include "platform/qt/QtScheduler.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "settings/Strings.h"

#include <QBackingStore>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>

namespace plovane {

namespace {

constexpr double kWelcomeDelay = 1.2;
// How often the pointer's place is confirmed while the hover look shows: soon enough for
// the look to be gone within a second of the pointer.
constexpr int kHoverCheckInterval = 250;

// Decorative loops (the critical blink) need no more frames than this.
constexpr double kLoopFrameRate = 30.0;
// How soon after it opened a menu closed by the application's losing the keyboard counts as
// closed by news that came late (see showContextMenu).
constexpr qint64 kLateDeactivationMs = 1000;

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
                      update(regions_.petReach());
                  }),
      pulse_(driver_, 0.0, [this] { update(); }),
      health_(driver_,
              [this](bool reshaped) {
                  if (reshaped)
                      updateWindowMask();
                  update(regions_.healthChange(reshaped));
              }),
      knockPresence_(driver_, 0.0, [this] { relayout(); update(); }),
      musicPresence_(driver_, 0.0, [this] { relayout(); update(); }),
      welcomePresence_(driver_, 0.0, [this] { updateWindowMask(); update(); }),
      compactLabel_(driver_, env.images ? *env.images : ImageStore::shared(), [this] { tipFades_.pillFrame(); }),
      sprite_(scheduler_, driver_, env.images ? *env.images : ImageStore::shared(),
              [this](const QRectF& area, bool step) { spriteChanged(area, step); }),
      snapshots_(*this, [this](QPainter& p, const QRect& area) { painter_.paint(p, area); }),
      menu_(std::move(env.menuActions)),
      knockBadge_(makeKnockBadgeView(driver_, [this] { update(regions_.areas().knockBadge); })),
      musicBadge_(makeMusicBadgeView(driver_, [this] { update(regions_.areas().musicBadge); })),
      dataPanel_(driver_, [this](const QRectF& area) { update(regions_.cardChange(area)); },
                 [this](const QRectF& area) { tipFades_.cardFrame(area); }),
      scene_{layout_,          sprite_,          health_,          dataPanel_,       compactLabel_,   *knockBadge_,
             *musicBadge_,     welcome_,         opacity_,         panelPresence_,   spriteZoom_,     pulse_,
             knockPresence_,   musicPresence_,   welcomePresence_, last_.state,      last_.o2,        criticalPulse_,
             showWelcomeBubble_},
      regions_(scene_),
      painter_(scene_, regions_),
      tipFades_(*this, scene_, regions_, painter_)
{
    if (env.animationTime)
        driver_.setTimeSource(env.animationTime);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);

    overlay_ = new RightClickOverlay(this);
    overlay_->onLeftClick = [this] { engine_.triggerManualSurface(); };
    overlay_->onRightClick = [this](QPoint at) { showContextMenu(at); };
    overlay_->onHoverChanged = [this](bool inside) { setSpriteHovering(inside); };
    pointerPosition_ = env.pointerPosition ? std::move(env.pointerPosition) : [] { return pointerPlace(); };
    hoverCheck_.setInterval(kHoverCheckInterval);
    connect(&hoverCheck_, &QTimer::timeout, this, [this] { checkHoverAgainstPointer(); });

    auto queue = [this] { scheduleRefresh(); };
    observers_.push_back(engine_.objectWillChange.connect(queue));
    observers_.push_back(appLanguage_.objectWillChange.connect(queue));
    observers_.push_back(hudSettings_.objectWillChange.connect(queue));
    if (env.screenWatch) {
        screenWatch_ = env.screenWatch;
        observers_.push_back(screenWatch_->changed.connect([this] { updateSeen(); }));
    }

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
    const QRect dirty = regions_.petChange(area);
    // A frame step to a frame already composed is copied in the X server. Anything else
    // (another look, a rewritten file, a cross-fade) leaves the kept frames behind.
    if (!step)
        snapshots_.drop();
    const bool copied = step && !sprite_.isFading() && snapshots_.show(sprite_.shownKey(), dirty);
    if (!copied)
        update(dirty);
    tipFades_.petChanged(dirty, copied);
    // A new look may take another part of the square; frames of a look shown once keep it.
    if (regions_.shapeStale())
        updateWindowMask();
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
    const HUDRegions::Areas areasBefore = regions_.areas();
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
    const bool tipChanged =
        compactLabel_.setText(hud::qs(engine_.adviceText.get()), !showDataPanel() || panelPresence_.isAnimating());
    updateOpacityTarget();
    HUDRegions::Refresh changed = updateContent();
    relayout();

    // While working, the gauge drains a tenth every few seconds and the SHIFT clock ticks
    // every second: repaint the bar, that row or the card, not the whole HUD. A part whose
    // text changes (a new language, a new tip) is repainted where it was and where it is.
    changed.look = now.state != before.state || now.music != before.music || now.knock != before.knock ||
                   now.compact != before.compact || now.character != before.character ||
                   hud::lowO2PulseEnabled(now.o2) != hud::lowO2PulseEnabled(before.o2) ||
                   hud::showSpriteHealthBar(now.state, now.o2) != hud::showSpriteHealthBar(before.state, before.o2);
    changed.gauge = now.o2 != before.o2;
    changed.pill = tipChanged;
    update(regions_.refreshed(areasBefore, changed, rect()));
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
    watchPointer();
}

void HUDView::setSpriteHovering(bool hovering)
{
    if (hovering == isSpriteHovering_)
        return;
    isSpriteHovering_ = hovering;
    spriteZoom_.animateTo(hovering ? HUDRegions::kHoverZoom : 1.0, Animation::easeInOut(0.2));
    updateOpacityTarget();
    watchPointer();
}

bool HUDView::pointerWithin(const QWidget& widget, QPoint global) const
{
    // The window's shape bounds where the pointer can be over it, as the mask bounds the pet's
    // click catcher.
    const QWidget* top = widget.window();
    const QWindow* native = top->windowHandle();
    const QPoint inTop = top->mapFromGlobal(global);
    if (native && !native->mask().isEmpty() && !native->mask().contains(inTop))
        return false;
    const QPoint local = widget.mapFromGlobal(global);
    return widget.rect().contains(local) && (widget.mask().isEmpty() || widget.mask().contains(local));
}

void HUDView::checkHoverAgainstPointer()
{
    // Only ever ends the look; the enter events start it.
    if (isHovering_ || isSpriteHovering_) {
        const std::optional<QPoint> at = pointerPosition_();
        if (isSpriteHovering_ && (!isVisible() || !at || !pointerWithin(*overlay_, *at)))
            setSpriteHovering(false);
        if (isHovering_ && (!isVisible() || !at || !pointerWithin(*this, *at)))
            setHovering(false);
    }
    watchPointer();
}

void HUDView::watchPointer()
{
    if (!isHovering_ && !isSpriteHovering_)
        hoverCheck_.stop();
    else if (!hoverCheck_.isActive())
        hoverCheck_.start();
}

void HUDView::updateOpacityTarget() { opacity_.animateTo(viewOpacity(), Animation::easeInOut(0.6)); }

HUDRegions::Refresh HUDView::updateContent()
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
    HUDRegions::Refresh changed;
    updatePetReach();
    changed.card = dataPanel_.setContent(c, HUDLayout::kCardWidth);
    changed.welcome = welcome_.setContent(hud::qs(hud::welcomeMessage(lang, hudSettings_.sessionMinutes.get())),
                                          hud::qs(hud::welcomeButtonTitle(lang)), HUDLayout::kWelcomeWidth);
    return changed;
}

void HUDView::updatePetReach()
{
    // The look's ink with its shadow or glow, at its size and at the hover's zoom about
    // the square's centre: nothing laid beside the pet moves while the pointer is on it.
    // Worked out again only when the look's ink changes, not on every tick.
    const QRegion ink = sprite_.footprint(hud::lowO2PulseEnabled(engine_.o2.get()));
    if (ink == petInk_ && !petReach_.isEmpty())
        return;
    petInk_ = ink;
    QRegion reach = ink;
    const double zoom = HUDRegions::kHoverZoom;
    const double centre = SpriteStage::kSide / 2;
    for (const QRect& r : ink) {
        const QRectF box(r);
        reach += QRectF(QPointF(centre + (box.left() - centre) * zoom, centre + (box.top() - centre) * zoom),
                        box.size() * zoom)
                     .toAlignedRect();
    }
    petReach_ = reach;
    dataPanel_.setObstacle(petReach_.translated(HUDLayout::spriteOffsetFromCard().toPoint()));
}

void HUDView::relayout()
{
    layout_ = HUDLayout::compute({QSizeF(size()), panelPresence_.value(), dataPanel_.size(), compactLabel_.size(),
                                  knockBadge_->size(), musicBadge_->size(), knockPresence_.value(), welcome_.size(),
                                  petReach_.boundingRect()});
    if (overlay_)
        overlay_->setGeometry(layout_.sprite.toAlignedRect());
    updateWindowMask();
}

void HUDView::updateWindowMask()
{
    // The shape of a window nobody sees waits until it is seen.
    if (!seen_ && isVisible()) {
        maskPending_ = true;
        return;
    }
    maskPending_ = false;
    regions_.applyShape(*this, overlay_);
}

void HUDView::updateSeen()
{
    const bool seen = isVisible() && (!screenWatch_ || screenWatch_->screenSeen());
    // The first answer is applied whatever it is: a view shown while the screen is already
    // blanked or locked (started so, or shown from the menu then) must not animate either.
    if (seen == seen_ && seenApplied_)
        return;
    seen_ = seen;
    seenApplied_ = true;
    // Nobody sees the pet bob, a badge bounce or a tip fade: no frames and no paints
    // until the view is seen again. The engine's second goes on, and the view follows
    // it; animations keep to the clock, so the view comes back as it is now.
    driver_.setSuspended(!seen);
    sprite_.setShown(seen);
    if (!seen) {
        snapshots_.drop();
        tipFades_.finish();
    }
    // A hidden view paints nothing anyway, but may still be rendered into an image.
    setUpdatesEnabled(seen || !isVisible());
    if (seen) {
        if (maskPending_)
            updateWindowMask();
        update(); // as it is now, at once
    }
}

void HUDView::showContextMenu(QPoint globalPos)
{
    const auto run = [&] {
        return menu_.exec({appLanguage_.language.get(), engine_.state.get(), hudSettings_.chaosEnabled.get(),
                           hudSettings_.compactMode.get(), hudSettings_.knockHintEnabled.get()},
                          globalPos);
    };
    // Qt closes every open menu when it hears that the application lost the keyboard, and
    // it hears that a moment after the user left a window of ours (longer on a busy
    // machine). A right click on the pet in that moment opened a menu that went at once:
    // open it again, now that nothing is left to hear.
    const bool wasActive = QGuiApplication::applicationState() == Qt::ApplicationActive;
    bool deactivated = false;
    const auto watch = connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                               [&deactivated](Qt::ApplicationState state) {
                                   deactivated = deactivated || state != Qt::ApplicationActive;
                               });
    QElapsedTimer open;
    open.start();
    const bool chosen = run();
    disconnect(watch);
    if (!chosen && wasActive && deactivated && open.elapsed() < kLateDeactivationMs)
        run();
    // However the menu closed, the pointer may be far from the pet by now.
    checkHoverAgainstPointer();
}

void HUDView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateSeen();
    updateWindowMask();
    appear();
}

void HUDView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    updateSeen();
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
        tipFades_.painted(event->region());
    }
    // The backing store of a translucent window hands us the dirty area already cleared.
    // Most repaints are one part changing (the clock, a sprite frame, a bob): each dirty
    // rectangle is painted on its own, with only the parts it touches. Clipped to one
    // rectangle, the kept images are drawn with plain blends; a clip of several sends
    // them through Qt's span fillers, which wake a pool of threads for large areas.
    for (const QRect& area : event->region())
        painter_.paint(p, area);
}

} // namespace plovane
