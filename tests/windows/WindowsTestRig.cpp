#include "WindowsTestRig.h"

#include "sensing/ActiveAppMonitor.h"
#include "sensing/GlobalInputMonitor.h"
#include "sensing/IDEStateProvider.h"

#include <QDir>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace plovane::test {

WindowsRig::WindowsRig(Language lang)
{
    testApp();
    UserDefaults::setStandard(defaults);
    AppLanguage::shared().language = lang;
    language = std::make_unique<AppLanguage>(*defaults);
    language->language = lang;
    settings = std::make_unique<HUDSettings>(*defaults);
    engine = std::make_unique<DiveEngine>(
        DiveConfig{}, std::make_unique<GlobalInputMonitor>(idle), std::make_unique<ActiveAppMonitor>(workspace),
        std::make_unique<IDEStateProvider>(axMonitor), EngineServices{clock, scheduler, workspace, sleepWake, *defaults});
}

WindowsRig::~WindowsRig()
{
    engine.reset();
    UserDefaults::setStandard(nullptr);
}

WindowEnvironment WindowsRig::env()
{
    WindowEnvironment e;
    e.settings = settings.get();
    e.language = language.get();
    e.scheduler = &scheduler;
    e.animationTime = [this] { return animationTime; };
    e.now = [this] { return now; };
    e.appIcon = [this](const std::string& id) {
        auto it = icons.find(id);
        return it == icons.end() ? std::string() : it->second;
    };
    return e;
}

void WindowsRig::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void WindowsRig::advance(double seconds, AnimationDriver* driver)
{
    const double step = 0.05;
    for (double done = 0; done < seconds - 1e-9; done += step) {
        const double s = std::min(step, seconds - done);
        animationTime += s;
        scheduler.advance(s);
        settle();
        if (driver)
            driver->tick();
    }
}

void WindowsRig::setStats(const std::map<std::string, long long>& states,
                          const std::map<std::string, std::pair<std::string, long long>>& apps)
{
    DailyStats stats = engine->dailyStats.get();
    stats.stateDurations = states;
    stats.appDurations.clear();
    stats.appNames.clear();
    for (const auto& [id, app] : apps) {
        stats.appDurations[id] = app.second;
        stats.appNames[id] = app.first;
    }
    engine->dailyStats = stats;
}

QImage render(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(widget.palette().color(QPalette::Window));
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void saveToGallery(const QImage& image, const std::string& name)
{
    saveToGallery(image, name, "PLOVANE_WINDOWS_GALLERY", "windows-gallery");
}

} // namespace plovane::test
