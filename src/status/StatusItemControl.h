#pragma once

#include "status/StatusMenuModel.h"

#include <functional>
#include <string>

namespace plovane {

// What the rows of the status menu do. The application delegate fills these in.
struct StatusMenuActions {
    std::function<void()> toggleHUD;
    std::function<void()> openDrainSettings;
    std::function<void()> toggleCompactMode;
    std::function<void()> toggleKnockHint;
    std::function<void()> toggleAiIdeSensing;
    std::function<void()> toggleScreenIntelligence;
    std::function<void()> requestAccessibilityPermission;
    std::function<void()> requestScreenRecordingPermission;
    std::function<void()> openFirstRunSetup;
    std::function<void()> toggleLanguage;
    std::function<void()> quitApp;
    // A target's or character's stored text form, as the row carries it.
    std::function<void(const std::string& raw)> selectAchillesTarget;
    std::function<void(const std::string& raw)> selectCharacter;
    std::function<void()> importCharacterPack;
    std::function<void()> openCustomSpritesFolder;
    // One of the sprite files the status icon was drawn from changed on disk.
    std::function<void()> spriteFilesChanged;
    // The menu or its character submenu is about to show, drawn by us or by a panel: the
    // moment to bring rows up to date that follow the disk, not a setting.
    std::function<void()> menuAboutToShow;
};

// The status item in the desktop's panel: its icon and its one menu, built once.
class StatusItemControl {
public:
    virtual ~StatusItemControl() = default;
    // Rewrites every row's title, check mark and enabled state, the tooltip, the opacity
    // row's title and both submenus (built again where their rows differ, else only
    // their check marks set).
    virtual void apply(const StatusMenuContent& content) = 0;
    // Rewrites the IDE-state line alone.
    virtual void setIdeStateLine(const std::string& title) = 0;
    // Check marks of the target and character submenus, without rebuilding them.
    virtual void syncTargetChecks(const AchillesTargetSet& selected) = 0;
    virtual void syncCharacterChecks(const std::string& chosenRaw) = 0;
    // Draws the status icon from this sprite file and shows the item. An empty path or a
    // file that does not load leaves the item blank. Changes to the file or its folder
    // afterwards are reported through `spriteFilesChanged`; returns false when they
    // cannot be watched (the caller then checks for itself).
    virtual bool setIcon(const std::string& spritePath) = 0;
    // What the icon shows, in words, for hosts that read it out (screen readers).
    virtual void setIconDescription(const std::string& /*text*/) {}
    // The user moved to another application: the program's open menus close.
    virtual void frontApplicationChanged() {}
};

} // namespace plovane
