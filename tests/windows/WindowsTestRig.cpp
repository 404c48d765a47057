#include "WindowsTestRig.h"

#include "sensing/ActiveAppMonitor.h"
#include "sensing/GlobalInputMonitor.h"
#include "sensing/IDEStateProvider.h"

#include <QDir>
#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace plovane::test {

QApplication& testApp()
{
    static int argc = 1;
    static char arg0[] = "windows-tests";
    static char* argv[] = {arg0, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

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

int countPixels(const QImage& image, const QRectF& rect, const std::function<bool(QColor)>& keep, int step)
{
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const QRect r = rect.toAlignedRect() & img.rect();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); y += step)
        for (int x = r.left(); x <= r.right(); x += step)
            n += keep(img.pixelColor(x, y)) ? 1 : 0;
    return n;
}

bool near(QColor a, QColor b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

void saveToGallery(const QImage& image, const std::string& name)
{
    const char* dir = std::getenv("PLOVANE_WINDOWS_GALLERY");
    const std::string path = dir ? dir : "windows-gallery";
    QDir().mkpath(QString::fromStdString(path));
    image.save(QString::fromStdString(path + "/" + name + ".png"));
}

} // namespace plovane::test
