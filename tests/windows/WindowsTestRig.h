#pragma once

// Secondary windows over a real dive engine on virtual time, with their own settings and
// language objects on an in-memory store, a virtual scheduler and an animation clock the
// test moves by hand. Rendering goes to images on Qt's offscreen platform.

#include "engine/DiveEngine.h"
#include "platform/AccessibilitySource.h"
#include "testing/FakeDesktop.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/SleepWakeNotifier.h"
#include "testing/VirtualScheduler.h"
#include "sensing/AXContextMonitor.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "windows/WindowEnvironment.h"

#include "QtTestSupport.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace plovane::test {


struct WindowsRig {
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
    double animationTime = 1000.0;
    QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(9, 30));
    std::map<std::string, std::string> icons;

    explicit WindowsRig(Language lang = Language::en);
    ~WindowsRig();

    WindowEnvironment env();
    // Lets queued observer refreshes run.
    void settle();
    // Moves virtual time (timers) and animation time together, a frame at a time.
    void advance(double seconds, AnimationDriver* driver = nullptr);
    // Puts today's statistics in place as if booked.
    void setStats(const std::map<std::string, long long>& states,
                  const std::map<std::string, std::pair<std::string, long long>>& apps = {});
};

// Renders a widget (shown off screen) into an image over its own background.
QImage render(QWidget& widget);
// Writes into the windows gallery in the build folder.
void saveToGallery(const QImage& image, const std::string& name);
inline std::string suffix(Language lang) { return lang == Language::zh ? "zh" : "en"; }

} // namespace plovane::test
