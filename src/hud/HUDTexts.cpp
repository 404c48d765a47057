#include "hud/HUDTexts.h"

#include "settings/Strings.h"

#include <cmath>
#include <limits>

namespace plovane::hud {

std::vector<MenuEntry> contextMenuEntries(const MenuInputs& in)
{
    const Language l = in.language;
    return {
        {&HUDMenuActions::triggerSurface, Strings::hudMenuSurface(in.state, l)},
        {},
        {&HUDMenuActions::openDrainSettings, Strings::hudMenuDrainSettings(l)},
        {&HUDMenuActions::toggleChaos, Strings::hudMenuOverload(in.chaosEnabled, l)},
        {&HUDMenuActions::toggleCompact, Strings::menuCompactMode(in.compactMode, l)},
        {&HUDMenuActions::toggleKnockHint, Strings::menuKnockHint(in.knockHintEnabled, l)},
        // Titled in the language the user would switch to.
        {&HUDMenuActions::toggleLanguage, Strings::hudMenuLanguageToggle(l)},
        {&HUDMenuActions::openDailyReport, Strings::hudMenuDailyReport(l)},
        {},
        {&HUDMenuActions::quit, Strings::menuQuit(l)},
    };
}

std::string welcomeMessage(Language language, double sessionMinutes)
{
    // Nothing bounds what may be stored; a value with no whole-minute form shows the
    // default session length rather than garbage.
    long long minutes = 45;
    if (std::isfinite(sessionMinutes) && std::abs(sessionMinutes) < 1e15)
        minutes = static_cast<long long>(std::trunc(sessionMinutes));
    return Strings::welcomeMessageStart(language) + std::to_string(minutes) + Strings::welcomeMessageEnd(language);
}

std::string welcomeButtonTitle(Language language) { return Strings::welcomeButton(language); }

ActionButtonLook stateActionButton(DiveState state, Language language)
{
    if (state == DiveState::resting)
        return {Strings::actionButtonWork(language), "hammer.fill", Hue::blue};
    return {Strings::actionButtonRest(language), "cup.and.saucer.fill", Hue::green};
}

} // namespace plovane::hud
