#pragma once

#include "hud/HUDMenuActions.h"
#include "hud/HUDRules.h"
#include "settings/DiveState.h"
#include "settings/Language.h"

#include <functional>
#include <string>
#include <vector>

namespace plovane::hud {

// The HUD's menu, welcome message and button, put together from the text catalogue.

// One entry of the HUD's right-click menu: the callback it runs and its title; a
// separator has neither.
struct MenuEntry {
    std::function<void()> HUDMenuActions::*action{nullptr};
    std::string title;
    bool isSeparator() const { return action == nullptr; }
};
struct MenuInputs {
    Language language;
    DiveState state;
    bool chaosEnabled;
    bool compactMode;
    bool knockHintEnabled;
};
// The menu as the user sees it now, top to bottom, separators included.
std::vector<MenuEntry> contextMenuEntries(const MenuInputs& in);

// The welcome bubble's message for a session of `sessionMinutes`, whole minutes
// truncated towards zero.
std::string welcomeMessage(Language language, double sessionMinutes);
std::string welcomeButtonTitle(Language language);

// The data panel's work/rest button: while resting it sends the user back to work.
struct ActionButtonLook {
    std::string title;
    const char* symbol;
    Hue hue;
};
ActionButtonLook stateActionButton(DiveState state, Language language);

} // namespace plovane::hud
