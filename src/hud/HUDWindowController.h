#pragma once

#include "hud/HUDMenuActions.h"
#include "platform/qt/ScreenPlacement.h"

#include <QPoint>
#include <QRect>

#include <memory>

class QPropertyAnimation;
class QWidget;

namespace plovane {

class DiveEngine;
class HUDPanel;
class HUDView;
class ScreenWatch;

// Owns the HUD's floating panel and the one HUD view inside it, for the application's
// lifetime. The panel starts hidden at its default place, 40 points from the left and
// 120 above the bottom of the primary screen; the place lives in memory only, so every
// launch starts there again.
class HUDWindowController {
public:
    // `menuActions` are what the view's right-click menu runs; `screenWatch` (may be null)
    // tells when nobody can see the screen, and so the HUD.
    explicit HUDWindowController(DiveEngine& engine, HUDMenuActions menuActions = {},
                                 ScreenWatch* screenWatch = nullptr);
    ~HUDWindowController();
    HUDWindowController(const HUDWindowController&) = delete;
    HUDWindowController& operator=(const HUDWindowController&) = delete;

    // Brings the panel to the front without activating the application, whole on a
    // screen: where the screens changed while it was hidden, it keeps its distance to the
    // nearer edges of its screen, or of the nearest one where that went.
    void show();
    // Takes the panel off the screen; it keeps its place.
    void hide();
    void toggle();
    bool isVisible() const;
    // A new window manager took over the screen: the shown panel asks it again for its
    // place on every desktop, above the rest and out of the taskbar, or leaves its hands
    // where it focuses and places windows by rules of its own (a tiling manager), and
    // comes back into a manager's hands after such a one.
    void windowManagerTookOver();

    // Moves the panel's top-left corner to `point` (screen coordinates) and makes that
    // the default place.
    void reposition(QPoint point);
    // Grows the panel over the middle half of the primary screen's available area.
    void enterDecompressionLayout();
    // Returns the panel to its default place and size.
    void restoreDefaultLayout();

    HUDPanel& panel() const { return *panel_; }
    HUDView& view() const { return *view_; }
    QRect defaultFrame() const { return defaultFrame_; }

    // The default frame for a screen's full geometry (top-left origin).
    static QRect defaultFrameFor(const QRect& screenGeometry);

    // The pet sits 28 points past the 350-point layout and grows 12 % under the pointer;
    // the panel is wide enough that none of it is cut off at the window's edge.
    static constexpr int kPanelWidth = 392;
    static constexpr int kPanelHeight = 220;

private:
    void animateTo(const QRect& frame);

    std::unique_ptr<HUDPanel> panel_;
    QRect defaultFrame_;
    // The screens as they were when the panel was last hidden.
    ScreenLayout screensWhenHidden_;
    HUDView* view_{nullptr};
    QPropertyAnimation* frameAnimation_{nullptr};
};

} // namespace plovane
