#include "windows/SecondaryWindows.h"

#include "settings/AppLanguage.h"
#include "windows/DailyReportView.h"
#include "windows/PFCDrainSettingsView.h"

namespace plovane {

namespace {
bool chinese(const WindowEnvironment& env)
{
    const AppLanguage& language = env.language ? *env.language : AppLanguage::shared();
    return language.language.get() == Language::zh;
}
} // namespace

std::unique_ptr<SecondaryWindow> openDrainSettingsWindow(WindowEnvironment env)
{
    const bool zh = chinese(env);
    auto window = std::make_unique<SecondaryWindow>(
        zh ? QString::fromUtf8("扣血机制") : QStringLiteral("Drain Settings"), kDrainSettingsSize);
    window->setContent(new PFCDrainSettingsView(std::move(env)));
    window->present();
    return window;
}

std::unique_ptr<SecondaryWindow> openDailyReportWindow(DiveEngine& engine, WindowEnvironment env)
{
    const bool zh = chinese(env);
    auto window = std::make_unique<SecondaryWindow>(
        zh ? QString::fromUtf8("今日日报 📊") : QString::fromUtf8("Daily Report 📊"), kDailyReportSize);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(0.06f, 0.07f, 0.16f));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setContent(new DailyReportView(engine, std::move(env)));
    window->present();
    return window;
}

} // namespace plovane
