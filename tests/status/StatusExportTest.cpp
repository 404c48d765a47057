// What panels get: the menu as exported over D-Bus, and where the menu opens for an icon.
#include "status/DBusMenuExporter.h"
#include "status/MenuPlacement.h"
#include "status/StatusMenuController.h"

#include "FileFixtures.h"
#include "QtTestSupport.h"
#include "settings/CustomCharacter.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace plovane;

namespace {

void collectLabels(const DBusMenuLayoutItem& item, std::vector<std::string>& labels, std::map<std::string, int>& ids)
{
    for (const auto& child : item.children) {
        const QString label = child.properties.value(QStringLiteral("label")).toString();
        if (!label.isEmpty()) {
            labels.push_back(label.toStdString());
            ids[label.toStdString()] = child.id;
        }
        collectLabels(child, labels, ids);
    }
}

bool contains(const std::vector<std::string>& labels, const std::string& label)
{
    return std::find(labels.begin(), labels.end(), label) != labels.end();
}

} // namespace

TEST(ExportedMenu, EveryTitleReachesThePanelAsItStandsAndAClickTriggersItsRow)
{
    test::testApp();
    test::makeCustomCharacter("TomJerry", R"({"name": "Tom & Jerry_2"})");
    StatusMenuState state;
    state.language = Language::en;
    state.characterRaw = "corgi";
    state.packs = CustomCharacter::loadAll();
    std::vector<std::string> calls;
    StatusMenuActions actions;
    actions.toggleLanguage = [&] { calls.push_back("language"); };
    StatusMenuController controller(std::move(actions), std::make_unique<FixedStatusArea>(TrayHost::statusNotifier));
    controller.apply(makeStatusMenuContent(state));

    DBusMenuExporter exporter;
    exporter.setMenu(&controller.menu());
    std::vector<std::string> labels;
    std::map<std::string, int> ids;
    collectLabels(exporter.layout(0, -1, {}), labels, ids);

    // "_" marks a mnemonic in a panel's menu and "__" is an underscore; "&" is itself.
    for (const char* title : {"Core & Lumbar", "Circulation & Veins", "Lower Limbs & Muscles", "Tom & Jerry__2",
                               "Show/Hide HUD", "Idle Opacity  40%", "Retinal Fatigue", "Quit Plovane"})
        EXPECT_TRUE(contains(labels, title)) << title;
    for (const auto& label : labels)
        EXPECT_EQ(label.find("_&"), std::string::npos) << label;
    EXPECT_EQ(dbusMenuLabel(QStringLiteral("a && b_c")), QStringLiteral("a & b__c"));

    ASSERT_TRUE(ids.count("切换为中文 (Switch to Chinese)"));
    EXPECT_TRUE(exporter.click(ids["切换为中文 (Switch to Chinese)"]));
    EXPECT_TRUE(calls.empty()) << "after the call has returned";
    QApplication::processEvents();
    EXPECT_EQ(calls, std::vector<std::string>{"language"});
    EXPECT_FALSE(exporter.click(999999));
}

TEST(MenuPlacement, BesideTheIconAwayFromItsScreenEdgeAndOnTheScreen)
{
    const QRect screen(0, 0, 1280, 800);
    const QSize menu(260, 500);
    // Top right, as trayer sits on the test desktop.
    EXPECT_EQ(menuPositionBeside(QRect(1180, 0, 24, 24), menu, screen), QPoint(1020, 24));
    EXPECT_EQ(menuPositionBeside(QRect(600, 776, 24, 24), menu, screen), QPoint(600, 276));
    EXPECT_EQ(menuPositionBeside(QRect(0, 400, 24, 24), menu, screen), QPoint(24, 300));
    EXPECT_EQ(menuPositionBeside(QRect(1256, 100, 24, 24), menu, screen), QPoint(996, 100));

    // A panel that gives only the click's point: its strip, outside the free area.
    const QRect available(0, 30, 1280, 770);
    EXPECT_EQ(iconAreaAround(QPoint(1192, 12), screen, available), QRect(1180, 0, 24, 30));
    EXPECT_EQ(iconAreaAround(QPoint(640, 400), screen, available), QRect(628, 388, 24, 24));
    const QPoint opened = menuPositionBeside(iconAreaAround(QPoint(1192, 12), screen, available), menu, screen);
    EXPECT_FALSE(QRect(opened, menu).contains(QPoint(1192, 12)));
}
