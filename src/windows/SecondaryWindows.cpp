#include "windows/SecondaryWindows.h"

#include "settings/AppLanguage.h"
#include "settings/Strings.h"
#include "windows/DailyReportView.h"
#include "windows/PFCDrainSettingsView.h"

namespace plovane {

namespace {
AppLanguage& languageOf(const WindowEnvironment& env)
{
    return env.language ? *env.language : AppLanguage::shared();
}
} // namespace

std::unique_ptr<SecondaryWindow> openDrainSettingsWindow(WindowEnvironment env)
{
    auto window = std::make_unique<SecondaryWindow>(QString(), kDrainSettingsSize);
    window->titleFollows(languageOf(env), [](Language l) { return Strings::hudMenuDrainSettings(l); });
    window->setContent(new PFCDrainSettingsView(std::move(env)));
    window->present();
    return window;
}

std::unique_ptr<SecondaryWindow> openDailyReportWindow(DiveEngine& engine, WindowEnvironment env)
{
    auto window = std::make_unique<SecondaryWindow>(QString(), kDailyReportSize);
    window->titleFollows(languageOf(env), [](Language l) { return Strings::dailyReportWindowTitle(l); });
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(0.06f, 0.07f, 0.16f));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setContent(new DailyReportView(engine, std::move(env)));
    window->present();
    return window;
}

} // namespace plovane
