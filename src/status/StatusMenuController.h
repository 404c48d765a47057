#pragma once

#include "status/MenuDismissal.h"
#include "platform/qt/ImageStore.h"
#include "status/SpriteImages.h"
#include "status/StatusItemControl.h"
#include "status/TrayHost.h"

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QRect>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace plovane {

class OpacitySliderView;
class StatusNotifierItem;
class SubmenuStyle;

// The status item and its one menu: 17 rows in fixed order with their separators, the
// health-target and character submenus, and the idle-opacity row. A click on the icon,
// with any button, opens the menu beside the icon, as panels open theirs.
//
// The item lives in whichever status area the desktop has, followed as panels come and
// go: an XEmbed tray shows our own icon window and menu; a StatusNotifierItem host draws
// the icon and the menu itself from their D-Bus export, which takes plain items only, so
// there the opacity row is a submenu of steps with the current one checked and each
// health target reads as its title alone. A panel that fits the menu to the screen and
// scrolls only an open submenu (GNOME Shell's) draws each row far taller than a menu
// of ours: there the rows from the AI switch to the reconfigure row, the longest group,
// are a submenu of their own, so every row is on the screen and an open submenu has room.
class StatusMenuController final : public QObject, public StatusItemControl {
public:
    // `compositorIdle` reads the compositor's idle time in a Wayland session (empty in an X
    // session), to close menus when the user works elsewhere.
    StatusMenuController(StatusMenuActions actions, std::unique_ptr<StatusArea> area,
                         MenuDismissal::IdleReading compositorIdle = {});
    ~StatusMenuController() override;

    void apply(const StatusMenuContent& content) override;
    void setIdeStateLine(const std::string& title) override;
    void syncTargetChecks(const AchillesTargetSet& selected) override;
    void syncCharacterChecks(const std::string& chosenRaw) override;
    bool setIcon(const std::string& spritePath) override;
    void setIconDescription(const std::string& text) override;
    void frontApplicationChanged() override { dismissal_.frontApplicationChanged(); }

    // The quit row's Ctrl+Q, pressed while the menu or one of its submenus is open, and
    // a second click on the icon while its menu opens.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Opens the menu beside the icon at `icon` (screen coordinates), as a click on it does.
    void openMenuBeside(const QRect& icon);

    TrayHost host() const { return host_; }
    // Our own icon window for an XEmbed tray; null while a StatusNotifierItem host shows
    // the item.
    QSystemTrayIcon* trayIcon() const { return tray_; }
    // The item as exported on the session bus; null without a session bus.
    StatusNotifierItem* notifierItem() const { return notifier_; }
    const QString& toolTip() const { return toolTip_; }
    QMenu& menu() const { return *menu_; }
    QAction& row(StatusRow r) const { return *rows_[static_cast<std::size_t>(r)]; }
    QMenu& targetMenu() const { return *targetMenu_; }
    QMenu& characterMenu() const { return *characterMenu_; }
    // The slider row, or null where the host shows no widget rows.
    OpacitySliderView* opacityView() const { return opacityView_; }
    // The steps offered instead of the slider, or null where the slider shows.
    QMenu* opacityMenu() const { return opacityMenu_; }
    // The submenu holding the enhancement rows, or null where they are in the menu itself.
    QMenu* enhancementsMenu() const { return enhancementsMenu_; }
    const SpritePictures& pictures() const { return pictures_; }

private:
    void buildMenu();
    void buildTargetMenu(const std::vector<TargetMenuEntry>& entries);
    void buildCharacterMenu(const std::vector<CharacterMenuEntry>& entries);
    void syncOpacitySteps();
    void hostChanged(TrayHost host);
    void showTrayIcon();
    void drawIcon();
    void showThumbnail(std::size_t row);
    void picturesRead();
    void openMenuAt(const QPoint& point);
    bool widgetRows() const { return !drawsExportedMenu(host_); }

    StatusMenuActions actions_;
    std::unique_ptr<StatusArea> area_;
    TrayHost host_;
    // The submenus' styles outlive the menus.
    std::unique_ptr<SubmenuStyle> targetStyle_;
    std::unique_ptr<SubmenuStyle> characterStyle_;
    std::unique_ptr<QMenu> menu_;
    QMenu* targetMenu_{nullptr};
    QMenu* characterMenu_{nullptr};
    QMenu* opacityMenu_{nullptr};
    QMenu* enhancementsMenu_{nullptr};
    OpacitySliderView* opacityView_{nullptr};
    std::array<QAction*, kStatusRowCount> rows_{};
    // The submenus' entries as built; a refresh that changes only check marks keeps the rows.
    std::vector<TargetMenuEntry> targetEntries_;
    std::vector<CharacterMenuEntry> characterEntries_;
    std::vector<QAction*> targetItems_;
    std::vector<QAction*> characterItems_;
    // The version of each character row's thumbnail file its icon was drawn from.
    std::vector<std::optional<ImageFileKey>> thumbnailsShown_;
    std::vector<QAction*> opacitySteps_;
    std::string opacityTitle_;
    // How the host shows the menu, as it was built.
    TrayHost builtFor_{TrayHost::none};
    // What the menu shows, kept to build it again in the other form when the host changes.
    std::optional<StatusMenuContent> content_;
    std::optional<AchillesTargetSet> checkedTargets_;
    std::optional<std::string> checkedCharacter_;

    QString toolTip_;
    // The sprite file the icon is cut from, and the icon.
    std::string iconPath_;
    QIcon icon_;
    bool iconSet_{false};
    QSystemTrayIcon* tray_{nullptr};
    StatusNotifierItem* notifier_{nullptr};
    QFileSystemWatcher spriteWatcher_;

    // Where the menu was opened last and since when, to let a double click's second
    // click on the icon pass harmlessly.
    QRect menuIcon_;
    QElapsedTimer menuOpened_;
    // Every menu of the program, the pet's too, closes when the user goes elsewhere.
    MenuDismissal dismissal_;

    // Last, so a worker still reading is waited for while everything else is in place.
    SpritePictures pictures_;
};

} // namespace plovane
