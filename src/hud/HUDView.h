#pragma once

#include "hud/BadgeView.h"
#include "hud/CompactAdviceLabel.h"
#include "hud/CrossFade.h"
#include "hud/DataPanelView.h"
#include "hud/HUDContextMenu.h"
#include "hud/HUDLayout.h"
#include "hud/HUDMenuActions.h"
#include "hud/HUDPainter.h"
#include "hud/HUDRegions.h"
#include "hud/HUDScene.h"
#include "hud/HealthColumn.h"
#include "hud/RightClickOverlay.h"
#include "hud/SpriteStage.h"
#include "hud/StageSnapshots.h"
#include "hud/TipFades.h"
#include "hud/WelcomeBubbleView.h"
#include "platform/Scheduler.h"
#include "platform/Signal.h"
#include "platform/qt/AnimationDriver.h"
#include "platform/qt/ImageStore.h"
#include "settings/DiveState.h"

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plovane {

class AppLanguage;
class DiveEngine;
class HUDSettings;
class ScreenWatch;

// What a HUD view runs on; anything left null is the process-wide instance (and a
// scheduler on the Qt event loop).
struct HUDViewEnvironment {
    AppLanguage* appLanguage{nullptr};
    HUDSettings* hudSettings{nullptr};
    Scheduler* scheduler{nullptr};
    ImageStore* images{nullptr};
    AnimationDriver::TimeSource animationTime{};
    // Tells whether anyone can see the screen; null: the screen counts as seen.
    ScreenWatch* screenWatch{nullptr};
    // What the right-click menu's items do.
    HUDMenuActions menuActions{};
    // Where the pointer is on screen, asked of the display server, or nothing when it is
    // over no window of ours or others' (see pointerPlace()); empty: pointerPlace().
    std::function<std::optional<QPoint>()> pointerPosition{};
};

// The whole content of the floating HUD: the pet with its O2 bar, the data panel (or the
// compact advice label), the knock and music badges and the one-time welcome bubble,
// faded as one by the attention rule. It observes the engine, the language and the HUD
// settings and repaints the parts that change; its only actions on the engine are the
// work/rest switch (left click on the pet, the data panel's button) and its only setting
// written is the welcome flag.
class HUDView final : public QWidget {
    Q_OBJECT
public:
    using Environment = HUDViewEnvironment;

    explicit HUDView(DiveEngine& engine, QWidget* parent = nullptr);
    HUDView(DiveEngine& engine, Environment env, QWidget* parent = nullptr);
    ~HUDView() override;

    // Fades the welcome bubble out and remembers that it was seen. Does nothing while the
    // bubble is not showing.
    void dismissWelcome();
    // Builds the right-click menu afresh and runs it at `globalPos` (returns when it closes).
    void showContextMenu(QPoint globalPos);

    // Where the sprite images are kept (by file path, modification time and size).
    ImageStore& spriteImages() const { return sprite_.images(); }
    // The image for a sprite path (relative for built-in characters); null when the file
    // cannot be read, in which case nothing is kept and the next call tries again.
    QImage getSpriteImage(const std::string& path) const;
    // The path showing: the current animation frame, else the still of the state, else
    // the deep-dive still.
    std::string floatingSpritePath() const { return sprite_.spritePath(); }

    // View state, for the panel host and for tests.
    bool criticalPulse() const { return criticalPulse_; }
    bool isHovering() const { return isHovering_; }
    bool isSpriteHovering() const { return isSpriteHovering_; }
    int spriteFrame() const { return sprite_.frame(); }
    // Frames kept composed in the X server, and the part of the view they cover.
    int serverFrameCount() const { return snapshots_.pictureCount(); }
    QRect serverFrameArea() const { return snapshots_.area(); }
    // How far a new tip's cross-fade is, on the card or in compact mode's pill (1 when
    // none runs).
    double tipFadeProgress() const { return tipFades_.progress(); }
    int spriteFrameCount() const { return sprite_.frameCount(); }
    bool showWelcomeBubble() const { return showWelcomeBubble_; }
    bool showDataPanel() const;
    double viewOpacity() const;          // where the opacity is heading
    double presentedOpacity() const;     // where it is now
    bool frameClockRunning() const { return sprite_.clockRunning(); }
    AnimationDriver& animationDriver() { return driver_; }

    // Geometry of the painted parts in view coordinates, as last laid out.
    QRectF spriteFrameRect() const { return layout_.sprite; }
    QRectF healthBarRect() const { return regions_.healthBarRect(); }
    QRectF batterySymbolRect() const { return regions_.batterySymbolRect(); }
    bool batterySymbolShown() const { return health_.batteryShown(); }
    QRectF dataPanelRect() const { return layout_.card; }
    QRectF compactLabelRect() const { return layout_.compactLabel; }
    QRectF knockBadgeRect() const { return layout_.knockBadge; }
    QRectF musicBadgeRect() const { return layout_.musicBadge; }
    QRectF welcomeBubbleRect() const { return layout_.welcome; }
    QRectF welcomeButtonRect() const { return regions_.welcomeButtonRect(); }
    QRectF actionButtonRect() const { return regions_.actionButtonRect(); }
    // Where the data panel's advice text is drawn, or empty in compact mode.
    QRectF adviceTextRect() const { return regions_.adviceTextRect(); }
    // Where the pet's pictures have pixels (without shadow or glow), row by row, and
    // the bounds of that.
    QRegion petShape() const { return regions_.petShape(); }
    QRectF petRect() const { return petShape().boundingRect(); }
    // The card as laid out now (its texts keep out of its obstacle, where the pet reaches).
    const DataPanelView& dataPanel() const { return dataPanel_; }
    RightClickOverlay* clickOverlay() const { return overlay_; }

    // The parts of the view that take the pointer: what is painted, with room for the
    // pet's zoom and glow. Elsewhere clicks go through to the windows below.
    QRegion interactiveRegion() const { return regions_.interactiveRegion(rect()); }

    // Seen: shown, and on a screen someone can see (no screen saver, display on, session
    // unlocked). Out of sight nothing is animated or painted; the view keeps following
    // the engine and shows its present look at once when seen again.
    bool isSeen() const { return seen_; }

    // Applies pending changes of the observed objects at once (normally queued).
    void refreshNow();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Observed {
        DiveState state{DiveState::flow};
        double o2{100};
        bool music{false};
        bool knock{false};
        bool compact{false};
        std::string spriteKey;
        std::string character;
    };

    void scheduleRefresh();
    void appear();
    void onStateChanged(DiveState state);
    void updateSpriteLook(bool fade);
    void spriteChanged(const QRectF& area, bool step);
    void setSpriteHovering(bool hovering);
    void setHovering(bool hovering);
    // Ends the hover look where the pointer really is elsewhere: enter and leave events
    // go missing around menus and windows opening over the pointer.
    void checkHoverAgainstPointer();
    bool pointerWithin(const QWidget& widget, QPoint global) const;
    // Confirms the pointer's place now and then while the hover look shows.
    void watchPointer();
    void updateOpacityTarget();
    // Hands the present texts and values to the parts; says what of the card and the
    // bubble that changed.
    HUDRegions::Refresh updateContent();
    void relayout();
    void updatePetReach();
    void updateWindowMask();
    void updateSeen();

    DiveEngine& engine_;
    AppLanguage& appLanguage_;
    HUDSettings& hudSettings_;
    std::unique_ptr<Scheduler> ownScheduler_;
    Scheduler& scheduler_;
    AnimationDriver driver_;

    // View state.
    bool criticalPulse_{false};
    bool isHovering_{false};
    bool isSpriteHovering_{false};
    std::function<std::optional<QPoint>()> pointerPosition_;
    // Runs only while the hover look shows.
    QTimer hoverCheck_;
    bool showWelcomeBubble_{false};
    ScreenWatch* screenWatch_{nullptr};
    bool seen_{false};
    bool seenApplied_{false};
    bool maskPending_{false};

    Observed last_;
    bool refreshQueued_{false};
    std::vector<Connection> observers_;

    // Animated presentation.
    AnimatedValue opacity_;
    AnimatedValue panelPresence_;
    AnimatedValue spriteZoom_;
    AnimatedValue pulse_;
    HealthColumn health_;
    AnimatedValue knockPresence_;
    AnimatedValue musicPresence_;
    AnimatedValue welcomePresence_;
    CompactAdviceLabel compactLabel_;
    SpriteStage sprite_;
    // Where the pet may put ink at any of its sizes, in the sprite square's coordinates.
    QRegion petInk_;   // the footprint petReach_ was worked out from
    QRegion petReach_;
    // The frames as composed on screen, kept in the X server for steps that only show them again.
    StageSnapshots snapshots_;
    HUDContextMenu menu_;

    std::unique_ptr<BadgeView> knockBadge_;
    std::unique_ptr<BadgeView> musicBadge_;
    WelcomeBubbleView welcome_;
    DataPanelView dataPanel_;
    QPointer<RightClickOverlay> overlay_;

    // Layout, in view coordinates.
    HUDLayout layout_;
    // The parts as the painter and the regions read them.
    HUDScene scene_;
    HUDRegions regions_;
    HUDPainter painter_;
    // A new tip's cross-fade (on the card, or in compact mode's pill).
    TipFades tipFades_;
    // Last, so it is cancelled before anything it touches goes.
    ScopedTask welcomeTask_;
};

} // namespace plovane
