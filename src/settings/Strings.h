#pragma once

#include "settings/AchillesTarget.h"
#include "settings/DiveState.h"
#include "settings/Language.h"

#include <map>
#include <string>
#include <vector>

namespace plovane {

// Every text the program shares between its parts, in both interface languages. Each
// function returns the Chinese text for Language::zh and the English one otherwise.
// The texts are fixed: nothing is formatted into them and nothing is read from disk.
namespace Strings {

// A pool keyed by health target: every target maps to the whole list of its body
// area, so the targets of one area share one list.
using TargetPool = std::map<AchillesTarget, std::vector<std::string>>;

// HUD status headline. `decomp` (the engine asks for the decompression layout) gives
// the crashing text whatever the state.
std::string statusTitle(DiveState state, bool decomp, Language lang);

// HUD data panel.
std::string tooltipWear(Language lang);
std::string tooltipShift(Language lang);
std::string tooltipNoise(Language lang);
std::string noiseZen(Language lang);
std::string noiseLoud(Language lang);
std::string headerTitle(Language lang);
std::string spriteHoverTip(Language lang);

// Status menu and status item.
std::string menuToggleHUD(Language lang);
std::string menuTargetRoot(Language lang);
std::string menuRotateHint(Language lang);
std::string menuQuit(Language lang);
std::string statusBarTooltip(Language lang);
// Names the switch to the other language: offers English while the language is zh.
std::string menuLanguageToggle(Language lang);

// Advice the engine starts with, and what it shows when a pool gives nothing.
std::string initialAdvice(Language lang);
std::string flowFallback(Language lang);
std::string researchFallback(Language lang);
std::string chaosFallback(Language lang);
std::string hoveringFallback(Language lang);
std::string restingFallback(Language lang);
std::string criticalFallback(Language lang);

// Engine: the advice after a long break resets the gauges.
std::string welcomeBack(Language lang);

// Permission status line: the two permissions' names and the short state of each.
std::string permissionNameAccessibility(Language lang);
std::string permissionNameScreen(Language lang);
std::string permissionOn(Language lang);
std::string permissionOff(Language lang);
std::string permissionDenied(Language lang);
std::string permissionUnavailable(Language lang);

// Health targets.
std::string achillesTitle(AchillesTarget target, Language lang);
std::string achillesSubtitle(AchillesTarget target, Language lang);
std::string criticalCommand(AchillesTarget target, Language lang);
std::string achillesCategoryTitle(AchillesTarget target, Language lang);

// Tip pools keyed by target: 14 texts per body area, index-parallel across languages.
TargetPool flowAdvicePool(Language lang);
TargetPool restingAdvicePool(Language lang);
TargetPool hoveringTriviaPool(Language lang);

// Plain tip pools, index-parallel across languages.
std::vector<std::string> researchAdvicePool(Language lang);
std::vector<std::string> chaosAdvicePool(Language lang);
std::vector<std::string> generalTriviaPool(Language lang);

// ---- HUD: right-click menu, welcome bubble, data panel button (StringsHUDMenu.cpp) ----

// The rest switch: back to work while resting, else into a break.
std::string hudMenuSurface(DiveState state, Language lang);
std::string hudMenuDrainSettings(Language lang);
std::string hudMenuOverload(bool chaosEnabled, Language lang);
// Also the status menu's compact and knock-hint rows.
std::string menuCompactMode(bool compactMode, Language lang);
std::string menuKnockHint(bool knockHintEnabled, Language lang);
// Names the other language in its own words, shorter than the status menu's item.
std::string hudMenuLanguageToggle(Language lang);
std::string hudMenuDailyReport(Language lang);
// The welcome message is the first piece, the session minutes, the second piece.
std::string welcomeMessageStart(Language lang);
std::string welcomeMessageEnd(Language lang);
std::string welcomeButton(Language lang);
// The data panel's button: "Work" while resting, "Rest" otherwise.
std::string actionButtonWork(Language lang);
std::string actionButtonRest(Language lang);

} // namespace Strings

} // namespace plovane
