#include "status/OpacitySliderView.h"
#include "status/StatusMenuController.h"

#include "FileFixtures.h"
#include "platform/FileUserDefaults.h"
#include "settings/AppResource.h"
#include "settings/CustomCharacter.h"

#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "testing/FakeClock.h"
#include "testing/VirtualScheduler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QThread>

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
    StatusMenuController controller({}, std::make_unique<FixedStatusArea>(TrayHost::xembed));
    controller.apply(makeStatusMenuContent(menuState(Language::en)));
    std::vector<std::string> shape;
    for (QAction* a : controller.menu().actions())
        shape.push_back(a->isSeparator() ? "---" : a == &controller.row(StatusRow::opacitySlider) ? "[slider]"
                                                                                                 : a->text().toStdString());
    EXPECT_EQ(shape, (std::vector<std::string>{
                         "Show/Hide HUD", "---", "[slider]", "⚙️ Drain Settings", "📊 Compact Mode",
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
    EXPECT_EQ(controller.toolTip().toStdString(), "Plovane – Click to show/hide");

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
    StatusMenuController controller(std::move(actions), std::make_unique<FixedStatusArea>(TrayHost::xembed));
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
    StatusMenuController controller({}, std::make_unique<FixedStatusArea>(TrayHost::statusNotifier));
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

TEST(StatusMenu, FollowsTheStatusAreaIntoTheOtherFormKeepingWhatItShows)
{
    widgetApp();
    auto owned = std::make_unique<FixedStatusArea>(TrayHost::xembed);
    FixedStatusArea& area = *owned;
    StatusMenuController controller({}, std::move(owned));
    controller.apply(makeStatusMenuContent(menuState(Language::en)));
    controller.syncCharacterChecks("tuffin");
    controller.setIdeStateLine("🧠 IDE State: Zed · idle");
    controller.setIcon("");
    ASSERT_NE(controller.trayIcon(), nullptr);
    EXPECT_TRUE(controller.trayIcon()->isVisible());

    // A panel that draws status items comes up: plain items, and our icon window goes.
    area.switchTo(TrayHost::statusNotifier);
    EXPECT_EQ(controller.host(), TrayHost::statusNotifier);
    EXPECT_EQ(controller.opacityView(), nullptr);
    ASSERT_NE(controller.opacityMenu(), nullptr);
    EXPECT_EQ(controller.row(StatusRow::opacitySlider).text().toStdString(), "Idle Opacity  40%");
    EXPECT_FALSE(controller.trayIcon()->isVisible());
    EXPECT_EQ(controller.targetMenu().actions()[8]->text().toStdString(), "Retinal Fatigue");
    EXPECT_TRUE(controller.targetMenu().actions()[7]->isChecked());
    EXPECT_TRUE(controller.characterMenu().actions()[1]->isChecked()) << "tuffin, as synced";
    EXPECT_EQ(controller.row(StatusRow::ideState).text().toStdString(), "🧠 IDE State: Zed · idle");
    EXPECT_EQ(controller.menu().actions().size(), 17 + 6);
    EXPECT_EQ(controller.enhancementsMenu(), nullptr);

    // GNOME Shell's panel: the seven rows from the AI switch on are a submenu of their own,
    // in their order, with what they showed.
    area.switchTo(TrayHost::inlineStatusNotifier);
    ASSERT_NE(controller.enhancementsMenu(), nullptr);
    std::vector<std::string> top;
    for (QAction* a : controller.menu().actions())
        top.push_back(a->isSeparator() ? "---" : a->text().toStdString());
    EXPECT_EQ(top, (std::vector<std::string>{"Show/Hide HUD", "---", "Idle Opacity  40%", "⚙️ Drain Settings",
                                             "📊 Compact Mode", "❓ Enable Knock Hint", "---", "✨ Enhancements", "---",
                                             "Health Patch List (multi-select)", "Tips rotate through checked patches",
                                             "---", "Switch Character", "---", "切换为中文 (Switch to Chinese)", "---",
                                             "Quit Plovane"}));
    std::vector<std::string> enhancements;
    for (QAction* a : controller.enhancementsMenu()->actions())
        enhancements.push_back(a->text().toStdString());
    EXPECT_EQ(enhancements, (std::vector<std::string>{
                                "🤖 Enable AI IDE Sensing (Beta)", "🖥️ Enable Screen Intelligence (Beta)",
                                "🔐 Permissions: ", "🧠 IDE State: Zed · idle", "🔓 Enable Accessibility...",
                                "🔓 Enable Screen Recording...", "✨ Reconfigure Enhancements..."}));
    EXPECT_TRUE(controller.characterMenu().actions()[1]->isChecked());
    EXPECT_FALSE(controller.trayIcon()->isVisible());

    // It goes again: back to our own icon and the slider.
    area.switchTo(TrayHost::xembed);
    EXPECT_NE(controller.opacityView(), nullptr);
    EXPECT_EQ(controller.opacityMenu(), nullptr);
    EXPECT_EQ(controller.enhancementsMenu(), nullptr);
    EXPECT_TRUE(controller.trayIcon()->isVisible());
    EXPECT_TRUE(controller.characterMenu().actions()[1]->isChecked());
}

TEST(StatusMenu, OpensBesideTheIconAndADoubleClickOnItLeavesItOpen)
{
    widgetApp();
    StatusMenuController controller({}, std::make_unique<FixedStatusArea>(TrayHost::xembed));
    controller.apply(makeStatusMenuContent(menuState(Language::en)));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect icon(screen.right() - 60, screen.top(), 24, 24);

    controller.openMenuBeside(icon);
    QMenu& menu = controller.menu();
    ASSERT_TRUE(menu.isVisible());
    EXPECT_FALSE(menu.geometry().intersects(icon)) << "no row under the pointer";
    EXPECT_EQ(menu.geometry().top(), icon.bottom() + 1) << "below an icon at the top";
    EXPECT_LE(menu.geometry().right(), screen.right());

    const auto clickOnIcon = [&] {
        const QPointF global = QPointF(icon.center());
        QMouseEvent press(QEvent::MouseButtonPress, menu.mapFromGlobal(global), global, Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&menu, &press);
    };
    clickOnIcon();
    EXPECT_TRUE(menu.isVisible()) << "the second click of a double click";
    QThread::msleep(QApplication::doubleClickInterval() + 50);
    clickOnIcon();
    EXPECT_FALSE(menu.isVisible()) << "a later click on the icon closes it, as outside any menu";
}

TEST(StatusMenu, PackNamesElideThumbnailsLoadOnceLargeOnesOffTheMainThread)
{
    widgetApp();
    const std::string longName(400, 'N');
    // The row's tooltip holds the name, cut to a length that stays on the screen.
    const std::string nameTip = std::string(64, 'N') + "\u2026";
    const std::string pack = test::makeCustomCharacter("Long", ("{\"name\": \"" + longName + "\"}").c_str());
    const QString thumbnail = QString::fromStdString(pack + "/sprite_deep_dive_32.png");
    QImage sprite(32, 32, QImage::Format_ARGB32);
    sprite.fill(Qt::magenta);
    ASSERT_TRUE(sprite.save(thumbnail));
    StatusMenuState state = menuState(Language::en);
    state.packs = CustomCharacter::loadAll();
    StatusMenuController controller({}, std::make_unique<FixedStatusArea>(TrayHost::xembed));
    controller.apply(makeStatusMenuContent(state));

    QAction* row = nullptr;
    for (QAction* a : controller.characterMenu().actions())
        if (a->toolTip().toStdString() == nameTip)
            row = a;
    ASSERT_NE(row, nullptr) << "the name, cut, is the row's tooltip";
    EXPECT_TRUE(row->text().endsWith(QChar(0x2026))) << row->text().toStdString();
    EXPECT_LT(controller.characterMenu().sizeHint().width(), 400) << "the submenu keeps a menu's width";
    EXPECT_FALSE(row->icon().isNull());

    // A language toggle rebuilds the menu: no sprite is read again.
    const std::size_t reads = controller.pictures().readCount();
    state.language = Language::zh;
    controller.apply(makeStatusMenuContent(state));
    EXPECT_EQ(controller.pictures().readCount(), reads);

    // A new version of the file is read once; a large one on a worker thread, the row
    // getting its thumbnail when it is in.
    QImage large(1200, 900, QImage::Format_ARGB32);
    large.fill(Qt::cyan);
    ASSERT_TRUE(large.save(thumbnail));
    controller.apply(makeStatusMenuContent(state));
    EXPECT_EQ(controller.pictures().readCount(), reads + 1);
    EXPECT_TRUE(controller.pictures().reading());
    QElapsedTimer waited;
    waited.start();
    while (controller.pictures().reading() && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    for (QAction* a : controller.characterMenu().actions())
        if (a->toolTip().toStdString() == nameTip)
            row = a;
    ASSERT_FALSE(row->icon().isNull());
    const QImage shown = row->icon().pixmap(18, 18).toImage();
    EXPECT_EQ(shown.pixelColor(9, 9), QColor(Qt::cyan));
    controller.apply(makeStatusMenuContent(state));
    EXPECT_EQ(controller.pictures().readCount(), reads + 1);
}

TEST(StatusMenu, AThousandPacksScrollInOneColumnAndTheKeyboardReachesEveryRow)
{
    widgetApp();
    for (int i = 0; i < 1000; ++i)
        test::makeCustomCharacter("Pack" + std::to_string(i), R"({"name": "Pack"})");
    StatusMenuState state = menuState(Language::en);
    state.packs = CustomCharacter::loadAll();
    ASSERT_EQ(state.packs.size(), 1000u);
    StatusMenuController controller({}, std::make_unique<FixedStatusArea>(TrayHost::xembed));
    controller.apply(makeStatusMenuContent(state));
    QMenu& characters = controller.characterMenu();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    characters.popup(screen.topLeft());
    ASSERT_TRUE(characters.isVisible());
    const QList<QAction*> rows = characters.actions();
    EXPECT_LE(characters.height(), screen.height()) << "as tall as the screen at most";
    EXPECT_EQ(characters.actionGeometry(rows.back()).x(), characters.actionGeometry(rows.front()).x())
        << "one column, not a grid past the screen's edge";
    const auto press = [&](Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&characters, &event);
    };
    press(Qt::Key_End);
    EXPECT_EQ(characters.activeAction(), rows.back()) << "the open-folder row, last";
    EXPECT_TRUE(characters.rect().contains(characters.actionGeometry(rows.back())));
    press(Qt::Key_Up);
    EXPECT_EQ(characters.activeAction(), rows[rows.size() - 2]) << "import, above it";
    press(Qt::Key_Home);
    EXPECT_TRUE(characters.rect().contains(characters.actionGeometry(rows[1]))) << "Tuffin, at the top again";
    characters.hide();
}
