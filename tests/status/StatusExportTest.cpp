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

// A panel as GNOME Shell's AppIndicator support is one: it reads each item's properties
// once, when the item is new to it; on LayoutUpdated it reads the tree again with only
// "type" and "children-display"; everything else it learns from ItemsPropertiesUpdated.
class ReadOnceHost {
public:
    explicit ReadOnceHost(DBusMenuExporter& exporter) : exporter_(exporter)
    {
        QObject::connect(&exporter, &DBusMenuExporter::layoutUpdated, [this] { readLayout(); });
        QObject::connect(&exporter, &DBusMenuExporter::itemsPropertiesUpdated,
                         [this](const QList<DBusMenuItemProperties>& updated,
                                const QList<DBusMenuItemRemovedKeys>& removed) {
                             for (const auto& item : updated)
                                 if (items_.contains(item.id))
                                     items_[item.id].insert(item.properties);
                             for (const auto& item : removed)
                                 if (items_.contains(item.id))
                                     for (const QString& name : item.names)
                                         items_[item.id].remove(name);
                         });
        readLayout();
    }

    // Every item as the panel shows it, in menu order.
    std::vector<std::string> rows() const { return rowsOf(tree_); }
    // Every item as the exporter has it now.
    std::vector<std::string> truth() const
    {
        ReadOnceHost fresh(exporter_, 0);
        return fresh.rowsOf(exporter_.layout(0, -1, {}));
    }

private:
    ReadOnceHost(DBusMenuExporter& exporter, int) : exporter_(exporter) {}

    void readLayout()
    {
        tree_ = exporter_.layout(0, -1, {QStringLiteral("type"), QStringLiteral("children-display")});
        learn(tree_);
    }
    void learn(const DBusMenuLayoutItem& item)
    {
        if (!items_.contains(item.id))
            items_.insert(item.id, exporter_.properties(item.id, {}));
        for (const auto& child : item.children)
            learn(child);
    }
    std::vector<std::string> rowsOf(const DBusMenuLayoutItem& item) const
    {
        std::vector<std::string> rows;
        for (const auto& child : item.children) {
            const QVariantMap shown = items_.contains(child.id) ? items_.value(child.id) : child.properties;
            auto value = [&](const char* name, const char* byDefault) {
                return shown.value(QString::fromLatin1(name), QString::fromLatin1(byDefault)).toString().toStdString();
            };
            rows.push_back(value("label", "") + " | check " + value("toggle-state", "-") + " | enabled " +
                           value("enabled", "true") + " | visible " + value("visible", "true") + " | icon " +
                           std::to_string(qHash(shown.value(QStringLiteral("icon-data")).toByteArray())));
            for (auto& row : rowsOf(child))
                rows.push_back("  " + row);
        }
        return rows;
    }

    DBusMenuExporter& exporter_;
    DBusMenuLayoutItem tree_;
    QHash<int, QVariantMap> items_;
};

// The English status menu with the packs in the folder, exported as for a panel that
// draws it, and what the panel reads: every label, and each one's id.
struct ExportedStatusMenu {
    explicit ExportedStatusMenu(StatusMenuActions actions)
        : controller(std::move(actions), std::make_unique<FixedStatusArea>(TrayHost::statusNotifier))
    {
        StatusMenuState state;
        state.language = Language::en;
        state.characterRaw = "corgi";
        state.packs = CustomCharacter::loadAll();
        controller.apply(makeStatusMenuContent(state));
        exporter.setMenu(&controller.menu());
        collectLabels(exporter.layout(0, -1, {}), labels, ids);
    }

    StatusMenuController controller;
    DBusMenuExporter exporter;
    std::vector<std::string> labels;
    std::map<std::string, int> ids;
};

} // namespace

TEST(ExportedMenu, EveryTitleReachesThePanelAsItStandsAndAClickTriggersItsRow)
{
    test::testApp();
    test::makeCustomCharacter("TomJerry", R"({"name": "Tom & Jerry_2"})");
    std::vector<std::string> calls;
    StatusMenuActions actions;
    actions.toggleLanguage = [&] { calls.push_back("language"); };
    ExportedStatusMenu exported(std::move(actions));
    auto& [controller, exporter, labels, ids] = exported;

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

// A panel says when it is about to show the menu or a submenu: ours hears it as when it
// opens itself, so rows that follow the disk (the packs) catch up before they are shown.
TEST(ExportedMenu, APanelAboutToShowTheMenuOrTheCharactersIsHeardAsOurMenuOpening)
{
    test::testApp();
    int openings = 0;
    StatusMenuActions actions;
    actions.menuAboutToShow = [&] { ++openings; };
    ExportedStatusMenu exported(std::move(actions));
    auto& [controller, exporter, labels, ids] = exported;

    EXPECT_TRUE(exporter.aboutToShow(0));
    EXPECT_EQ(openings, 1);
    ASSERT_TRUE(ids.count("Switch Character"));
    EXPECT_TRUE(exporter.aboutToShow(ids["Switch Character"]));
    EXPECT_EQ(openings, 2);
    // Rows without a submenu, and ids the menu never had, open nothing.
    EXPECT_TRUE(exporter.aboutToShow(ids["Quit Plovane"]));
    EXPECT_FALSE(exporter.aboutToShow(999999));
    EXPECT_EQ(openings, 2);
    controller.menu().popup({0, 0});
    EXPECT_EQ(openings, 3) << "our own rendering of the menu, opened";
    controller.menu().hide();
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

TEST(ExportedMenu, APanelThatReadsEachItemOnceFollowsEveryChangeOfItsRows)
{
    test::testApp();
    StatusMenuState state;
    state.language = Language::zh;
    state.characterRaw = "corgi";
    state.permissionSummary = "AX: 未开启 / 录屏: 未开启";
    StatusMenuController controller({}, std::make_unique<FixedStatusArea>(TrayHost::statusNotifier));
    controller.apply(makeStatusMenuContent(state));
    DBusMenuExporter exporter;
    exporter.setMenu(&controller.menu());
    QApplication::processEvents();
    ReadOnceHost panel(exporter);
    auto settle = [] {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    };
    auto shows = [&](const char* row) {
        const auto rows = panel.rows();
        return std::any_of(rows.begin(), rows.end(), [&](const std::string& r) { return r.find(row) == 0; });
    };

    // Another language, switches on (titles and check marks), a permission granted.
    state.language = Language::en;
    state.knockHintEnabled = true;
    state.aiIdeSensingEnabled = true;
    state.permissionSummary = "AX: On / Screen: Off";
    controller.apply(makeStatusMenuContent(state));
    settle();
    EXPECT_EQ(panel.rows(), panel.truth());
    EXPECT_TRUE(shows("❓ Disable Knock Hint | check 1")) << "knock hint";
    EXPECT_TRUE(shows("🔐 Permissions: AX: On / Screen: Off | check -")) << "permission line";

    // The IDE line alone, an opacity step (the slider's title and its steps' check marks).
    controller.setIdeStateLine("🧠 IDE State: VS Code");
    controller.opacityMenu()->actions().at(7)->trigger();
    settle();
    EXPECT_EQ(panel.rows(), panel.truth());
    EXPECT_TRUE(shows("Idle Opacity  80%")) << "opacity title";

    // Switched off again; then a pack imported (new rows with their thumbnails) and chosen.
    state.knockHintEnabled = false;
    controller.apply(makeStatusMenuContent(state));
    test::makeCustomCharacter("Imported", R"({"name": "Imported Pack"})");
    state.packs = CustomCharacter::loadAll();
    state.characterRaw = "custom:Imported";
    controller.apply(makeStatusMenuContent(state));
    settle();
    EXPECT_EQ(panel.rows(), panel.truth());
    EXPECT_TRUE(shows("❓ Enable Knock Hint | check 0")) << "knock hint off";
    EXPECT_TRUE(shows("  Imported Pack | check 1")) << "the imported pack, chosen";

    // A check mark moved without a rebuild, and a row hidden and disabled.
    controller.syncCharacterChecks("tuffin");
    controller.row(StatusRow::screenPermission).setVisible(false);
    controller.row(StatusRow::setupWizard).setEnabled(false);
    settle();
    EXPECT_EQ(panel.rows(), panel.truth());
    controller.row(StatusRow::screenPermission).setVisible(true);
    controller.row(StatusRow::setupWizard).setEnabled(true);
    settle();
    EXPECT_EQ(panel.rows(), panel.truth());
}
