#include "status/OpacitySliderView.h"
#include "status/StatusMenuController.h"

#include "platform/FileUserDefaults.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "testing/FakeClock.h"
#include "testing/VirtualScheduler.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace plovane;

namespace {

QApplication& widgetApp()
{
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// The settings store on disk, its writes coalesced on a virtual clock.
struct DiskSettings {
    DiskSettings()
    {
        defaults = std::make_shared<FileUserDefaults>(folder, &scheduler);
        UserDefaults::setStandard(defaults);
    }
    std::string stored() const
    {
        std::ifstream in(defaults->mainFilePath());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string folder = std::string(std::getenv("XDG_CONFIG_HOME")) + "/plovane";
    FakeClock clock;
    VirtualScheduler scheduler{clock};
    std::shared_ptr<FileUserDefaults> defaults;
};

std::string text(const QLabel& label)
{
    return label.text().toStdString();
}

StatusMenuState menuState(Language lang)
{
    StatusMenuState s;
    s.language = lang;
    s.targets = {AchillesTarget::dryEye};
    s.characterRaw = "corgi";
    return s;
}

} // namespace

TEST(OpacityRow, ShowsTheStoredValueTruncatedAndIsFixedInSize)
{
    widgetApp();
    DiskSettings disk;
    HUDSettings::shared().idleOpacity = 0.57;
    OpacitySliderView row;
    EXPECT_EQ(text(row.valueLabel()), "56%");
    EXPECT_EQ(row.slider().value(), 570);
    EXPECT_EQ(row.slider().minimum(), 100);
    EXPECT_EQ(row.slider().maximum(), 1000);
    EXPECT_EQ(row.size(), QSize(260, 36));
    EXPECT_DOUBLE_EQ(HUDSettings::shared().idleOpacity.get(), 0.57) << "making the row writes nothing";

    AppLanguage::shared().language = Language::en;
    row.updateLanguage();
    EXPECT_EQ(text(row.titleLabel()), "Idle Opacity");
    AppLanguage::shared().language = Language::zh;
    row.updateLanguage();
    EXPECT_EQ(text(row.titleLabel()), "常驻透明度");
    EXPECT_EQ(text(row.valueLabel()), "56%") << "the value has no words";
}

TEST(OpacityRow, DraggingStoresTheExactValueAndTheDiskOnceThePauseComes)
{
    widgetApp();
    DiskSettings disk;
    OpacitySliderView row;
    EXPECT_EQ(text(row.valueLabel()), "40%");
    disk.defaults->flush();
    const std::string before = disk.stored();

    // A drag: every movement reaches the setting (and so the HUD) at once...
    for (int position = 400; position <= 1000; position += 10)
        row.slider().setValue(position);
    row.slider().setValue(437);
    EXPECT_DOUBLE_EQ(HUDSettings::shared().idleOpacity.get(), 0.437);
    EXPECT_EQ(text(row.valueLabel()), "43%");
    row.slider().setValue(100);
    EXPECT_EQ(text(row.valueLabel()), "10%");
    row.slider().setValue(1000);
    EXPECT_EQ(text(row.valueLabel()), "100%");
    row.slider().setValue(437);

    // ... but the file is written once, after the drag, with the slider's exact value.
    EXPECT_EQ(disk.stored(), before) << "no write per movement";
    EXPECT_EQ(disk.scheduler.queued(), 1u) << "one pending write for the whole drag";
    disk.scheduler.advance(1.0);
    EXPECT_EQ(nlohmann::json::parse(disk.stored()).at("quellin.idle_opacity").get<double>(), 0.437) << disk.stored();
}

TEST(StatusMenu, SeventeenRowsInOrderWithSeparatorsAndQuitOnControlQ)
{
    widgetApp();
    StatusMenuController controller({}, TrayHost::xembed);
    controller.apply(makeStatusMenuContent(menuState(Language::en)));
    std::vector<std::string> shape;
    for (QAction* a : controller.menu().actions())
        shape.push_back(a->isSeparator() ? "---" : a == &controller.row(StatusRow::opacitySlider) ? "[slider]"
                                                                                                 : a->text().toStdString());
    EXPECT_EQ(shape, (std::vector<std::string>{
                         "Show/Hide HUD", "---", "[slider]", "⚙ Drain Settings", "📊 Compact Mode",
                         "❓ Enable Knock Hint", "---", "🤖 Enable AI IDE Sensing (Beta)",
                         "🖥️ Enable Screen Intelligence (Beta)", "🔐 Permissions: ", "🧠 IDE State: disabled",
                         "🔓 Enable Accessibility...", "🔓 Enable Screen Recording...", "✨ Reconfigure Enhancements...",
                         "---", "Health Patch List (multi-select)", "Tips rotate through checked patches", "---",
                         "Switch Character", "---", "切换为中文 (Switch to Chinese)", "---", "Quit Plovane"}));
    EXPECT_EQ(controller.row(StatusRow::quit).shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    EXPECT_EQ(controller.row(StatusRow::quit).shortcut().toString(QKeySequence::NativeText), "Ctrl+Q");
    EXPECT_NE(controller.opacityView(), nullptr);
    EXPECT_EQ(controller.opacityMenu(), nullptr);
    EXPECT_FALSE(controller.row(StatusRow::ideState).isEnabled());
    EXPECT_FALSE(controller.row(StatusRow::compactMode).isCheckable());
    EXPECT_EQ(controller.trayIcon().toolTip().toStdString(), "Plovane – Click to show/hide");

    // Targets: two lines each, the ampersand shown as itself.
    const auto targets = controller.targetMenu().actions();
    ASSERT_EQ(targets.size(), 20);
    EXPECT_EQ(targets[0]->text().toStdString(), "Core && Lumbar");
    EXPECT_EQ(targets[8]->text().toStdString(), "Retinal Fatigue\nBlurred or doubled vision after prolonged blue-light exposure.");
    EXPECT_TRUE(targets[7]->isChecked());
    EXPECT_EQ(controller.characterMenu().actions().size(), 6);
}

TEST(StatusMenu, RowsCallTheirActionsAndSubmenusCarryTheirChoice)
{
    widgetApp();
    std::vector<std::string> calls;
    StatusMenuActions actions;
    actions.toggleHUD = [&] { calls.push_back("hud"); };
    actions.quitApp = [&] { calls.push_back("quit"); };
    actions.toggleLanguage = [&] { calls.push_back("language"); };
    actions.openFirstRunSetup = [&] { calls.push_back("setup"); };
    actions.selectAchillesTarget = [&](const std::string& raw) { calls.push_back("target " + raw); };
    actions.selectCharacter = [&](const std::string& raw) { calls.push_back("character " + raw); };
    actions.importCharacterPack = [&] { calls.push_back("import"); };
    actions.openCustomSpritesFolder = [&] { calls.push_back("folder"); };
    StatusMenuController controller(std::move(actions), TrayHost::xembed);
    controller.apply(makeStatusMenuContent(menuState(Language::zh)));

    controller.row(StatusRow::toggleHud).trigger();
    controller.row(StatusRow::setupWizard).trigger();
    controller.row(StatusRow::langToggle).trigger();
    controller.row(StatusRow::quit).trigger();
    controller.row(StatusRow::ideState).trigger(); // greyed: does nothing
    controller.targetMenu().actions()[1]->trigger();
    const auto characters = controller.characterMenu().actions();
    characters[2]->trigger();
    characters[4]->trigger();
    characters[5]->trigger();
    EXPECT_EQ(calls, (std::vector<std::string>{"hud", "setup", "language", "quit", "target discHerniation",
                                               "character corgi", "import", "folder"}));

    controller.syncCharacterChecks("tuffin");
    EXPECT_TRUE(characters[1]->isChecked());
    EXPECT_FALSE(characters[2]->isChecked());
    controller.syncTargetChecks({AchillesTarget::discHerniation});
    EXPECT_TRUE(controller.targetMenu().actions()[1]->isChecked());
    EXPECT_FALSE(controller.targetMenu().actions()[7]->isChecked());

    // Ctrl+Q reaches the quit row while the menu (or a submenu) holds the keyboard.
    calls.clear();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
    QApplication::sendEvent(&controller.targetMenu(), &press);
    QKeyEvent plainQ(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
    QApplication::sendEvent(&controller.menu(), &plainQ);
    EXPECT_EQ(calls, (std::vector<std::string>{"quit"}));

    controller.setIdeStateLine("🧠 IDE 状态: Zed · idle");
    EXPECT_EQ(controller.row(StatusRow::ideState).text().toStdString(), "🧠 IDE 状态: Zed · idle");
}

TEST(StatusMenu, PanelsWithoutWidgetRowsGetOpacityStepsAndOneLineTargets)
{
    widgetApp();
    HUDSettings::shared().idleOpacity = 0.57;
    StatusMenuController controller({}, TrayHost::statusNotifier);
    controller.apply(makeStatusMenuContent(menuState(Language::en)));
    EXPECT_EQ(controller.opacityView(), nullptr);
    QMenu* steps = controller.opacityMenu();
    ASSERT_NE(steps, nullptr);
    EXPECT_EQ(controller.row(StatusRow::opacitySlider).menu(), steps);
    EXPECT_EQ(controller.row(StatusRow::opacitySlider).text().toStdString(), "Idle Opacity  56%");
    ASSERT_EQ(steps->actions().size(), 10);
    for (QAction* step : steps->actions())
        EXPECT_FALSE(step->isChecked()) << "56% is no step";

    steps->actions()[7]->trigger();
    EXPECT_DOUBLE_EQ(HUDSettings::shared().idleOpacity.get(), 0.8);
    EXPECT_TRUE(steps->actions()[7]->isChecked());
    EXPECT_EQ(controller.row(StatusRow::opacitySlider).text().toStdString(), "Idle Opacity  80%");

    const auto targets = controller.targetMenu().actions();
    EXPECT_EQ(targets[8]->text().toStdString(), "Retinal Fatigue");
    EXPECT_EQ(controller.menu().actions().size(), 17 + 6) << "still 17 rows and 6 separators";
}
