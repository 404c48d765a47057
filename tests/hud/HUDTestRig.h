#pragma once

// A HUD view over a real dive engine that runs on virtual time with scripted sensors,
// its own settings and language objects on an in-memory store, and an animation clock
// the test moves by hand. Rendering goes to images on Qt's offscreen platform.

#include "engine/DiveEngine.h"
#include "hud/HUDView.h"
#include "platform/AccessibilitySource.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/InputIdleSource.h"
#include "platform/ScreenWatch.h"
#include "platform/SleepWakeNotifier.h"
#include "platform/Workspace.h"
#include "sensing/AXContextMonitor.h"
#include "sensing/ActiveAppMonitor.h"
#include "sensing/GlobalInputMonitor.h"
#include "sensing/IDEStateProvider.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "testing/FakeDesktop.h"
#include "testing/VirtualScheduler.h"

#include "QtTestSupport.h"

#include <QApplication>
#include <QImage>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plovane::test {


struct HUDRig {
    FakeClock clock;
    VirtualScheduler scheduler{clock};
    FakeWorkspace workspace;
    FakeIdleSource idle{0.2};
    NullAccessibilitySource accessibility;
    AXContextMonitor axMonitor{accessibility};
    SleepWakeNotifier sleepWake;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    std::unique_ptr<AppLanguage> language;
    std::unique_ptr<HUDSettings> settings;
    std::unique_ptr<DiveEngine> engine;
    // Sprite images, looked at on disk again after a second of the rig's clock.
    ImageStore images{ImageStore::Limits{}, [this] {
                          return std::chrono::duration<double>(clock.now().time_since_epoch()).count();
                      }};
    std::unique_ptr<HUDView> view;
    double animationTime = 1000.0;
    // Handed to the next view made; null: the screen counts as seen.
    ScreenWatch* screenWatch{nullptr};
    // Where the display server says the pointer is (screen coordinates); unset: over the pet.
    std::optional<QPoint> pointer;
    // The display server says the pointer is over no window of its own (a native window
    // under Xwayland).
    bool pointerOffDisplay{false};

    explicit HUDRig(Language lang = Language::en, bool welcomeAlreadyShown = true);
    ~HUDRig();

    // Builds the view (hidden until show()).
    HUDView& makeView();
    // Shows the view as the panel does (runs the appearance hooks).
    void show();

    // Lets queued observer refreshes run.
    void settle();
    // Moves animation time forward and runs one animation frame.
    void animate(double seconds);
    // Settles, then lets every animation finish.
    void finishAnimations() { settle(); animate(3.0); }

    QImage render();
    // The view composited over a plain backdrop, for looking at.
    QImage renderOverBackdrop();
};

// Writes into the HUD gallery in the build folder.
void saveToGallery(const QImage& image, const std::string& name);

} // namespace plovane::test
