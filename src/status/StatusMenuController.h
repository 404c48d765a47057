#pragma once

#include "status/StatusItemControl.h"
#include "status/TrayHost.h"

#include <QFileSystemWatcher>
#include <QObject>

#include <array>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace plovane {

class OpacitySliderView;
class SubmenuStyle;

// The tray icon and its one menu, built once and kept: 17 rows in fixed order with their
// separators, the health-target and character submenus, and the idle-opacity row. A
// click on the icon, with any button, opens the menu at the pointer.
//
// Hosts that show the menu from its D-Bus export (StatusNotifierItem) take plain items
// only, so there the opacity row is a submenu of steps with the current one checked,
// and each health target reads as its title alone.
class StatusMenuController final : public QObject, public StatusItemControl {
public:
    StatusMenuController(StatusMenuActions actions, TrayHost host);
    ~StatusMenuController() override;

    void apply(const StatusMenuContent& content) override;
    void setIdeStateLine(const std::string& title) override;
    void syncTargetChecks(const AchillesTargetSet& selected) override;
    void syncCharacterChecks(const std::string& chosenRaw) override;
    bool setIcon(const std::string& spritePath) override;

    // The quit row's Ctrl+Q, pressed while the menu or one of its submenus is open.
    bool eventFilter(QObject* watched, QEvent* event) override;

    TrayHost host() const { return host_; }
    QSystemTrayIcon& trayIcon() const { return *tray_; }
    QMenu& menu() const { return *menu_; }
    QAction& row(StatusRow r) const { return *rows_[static_cast<std::size_t>(r)]; }
    QMenu& targetMenu() const { return *targetMenu_; }
    QMenu& characterMenu() const { return *characterMenu_; }
    // The slider row, or null where the host shows no widget rows.
    OpacitySliderView* opacityView() const { return opacityView_; }
    // The steps offered instead of the slider, or null where the slider shows.
    QMenu* opacityMenu() const { return opacityMenu_; }

private:
    void buildMenu();
    void buildTargetMenu(const std::vector<TargetMenuEntry>& entries);
    void buildCharacterMenu(const std::vector<CharacterMenuEntry>& entries);
    void syncOpacitySteps();
    void popUpAtPointer();
    bool widgetRows() const { return host_ != TrayHost::statusNotifier; }

    StatusMenuActions actions_;
    TrayHost host_;
    // The submenus' styles outlive the menus.
    std::unique_ptr<SubmenuStyle> targetStyle_;
    std::unique_ptr<SubmenuStyle> characterStyle_;
    std::unique_ptr<QMenu> menu_;
    QMenu* targetMenu_{nullptr};
    QMenu* characterMenu_{nullptr};
    QMenu* opacityMenu_{nullptr};
    OpacitySliderView* opacityView_{nullptr};
    std::array<QAction*, kStatusRowCount> rows_{};
    std::vector<QAction*> targetItems_;
    std::vector<QAction*> characterItems_;
    std::vector<QAction*> opacitySteps_;
    std::string opacityTitle_;
    QSystemTrayIcon* tray_{nullptr};
    QFileSystemWatcher spriteWatcher_;
};

} // namespace plovane
