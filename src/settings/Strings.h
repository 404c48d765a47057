#pragma once

#include "platform/FileProblem.h"
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
// Also the drain settings window's title.
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

// ---- Status menu rows and the character submenu (StringsStatusMenu.cpp) ----
// The compact and knock-hint rows are menuCompactMode and menuKnockHint above; the
// target submenu's area headers are achillesCategoryTitle.

std::string menuDrainSettings(Language lang);
// Each switch names what choosing it does: "Disable …" while the feature is on.
std::string menuAiSensing(bool enabled, Language lang);
std::string menuScreenIntelligence(bool enabled, Language lang);
// Greyed lines: the prefix, then the summary.
std::string menuPermissionsPrefix(Language lang);
std::string menuIdeStatePrefix(Language lang);
std::string menuEnableAccessibility(Language lang);
std::string menuEnableScreenRecording(Language lang);
// Said once the menu has switched accessibility on: what ran before is not seen yet.
std::string accessibilityOnTitle(Language lang);
std::string accessibilityOnRestartNote(Language lang);
std::string menuReconfigure(Language lang);
// Where a panel shows the menu within the screen's height and opens submenus inside it:
// the submenu that holds the rows from the AI switch to the reconfigure row.
std::string menuEnhancements(Language lang);
std::string menuSwitchCharacter(Language lang);
std::string menuOpacityTitle(Language lang);
std::string menuBuiltInCharacters(Language lang);
std::string menuCustomCharacters(Language lang);
std::string menuImportPack(Language lang);
std::string menuOpenCustomFolder(Language lang);

// ---- Character pack import (StringsPackImport.cpp) ----

std::string packChooserTitle(Language lang);
// The file dialog's one file type, and why it refuses a typed path to another type.
std::string packChooserFilter(Language lang);
std::string packChooserNotZip(Language lang);
std::string packAlertTitle(bool success, Language lang);
// The same in both languages.
std::string packAlertOK(Language lang);
// The success message is start, the pack's display name, end.
std::string packInstalledStart(Language lang);
std::string packInstalledEnd(Language lang);
// The same in both languages.
std::string packUnzipFailed(Language lang);
std::string packMissingManifest(Language lang);
// Followed by the missing sprite keys, comma separated.
std::string packMissingSprites(Language lang);
// Archives refused before anything is unpacked.
std::string packRefusedPathOutside(Language lang);
std::string packRefusedLinkOrSpecialFile(Language lang);
std::string packRefusedTooLarge(Language lang);
std::string packRefusedTooManyEntries(Language lang);
std::string packRefusedSpriteNotPng(Language lang);
std::string packRefusedSpriteTooLarge(Language lang);
std::string packRefusedSpriteDoesNotDecode(Language lang);
// A failed step: its text, the path, a separator, the system's reason. The texts that
// open a quotation close it with packQuotedReasonSeparator; the others take packReasonSeparator.
std::string packCreateFolderFailed(Language lang);
std::string packStartUnzipFailed(Language lang);
std::string packReadFolderFailed(Language lang);
std::string packCopyFailed(Language lang);
std::string packQuotedReasonSeparator(Language lang);
std::string packReasonSeparator(Language lang);

// ---- What the user must act on (StringsProblems.cpp) ----
// Each alert reads: its message, the folder or file concerned and the reason (a label,
// then the path or the cause), what was kept, and what the user can do: the fix for the
// cause, then what follows it in that alert.

std::string problemFolderLabel(Language lang);
std::string problemFileLabel(Language lang);
std::string problemReasonLabel(Language lang);
std::string problemOK(Language lang);
// Why a file or folder could not be used; `detail`, the system's own words, stands in
// for a cause without words of its own.
std::string problemCause(FileProblem::Cause cause, const std::string& detail, Language lang);
// What the user can do so that a file or folder of that cause can be written (or read).
std::string problemFix(FileProblem::Cause cause, Language lang);
// The settings folder, or a file in it, cannot be used, so the program does not start.
// What was kept: the folder's contents, or nothing when there is no folder yet.
std::string problemCannotStartTitle(Language lang);
std::string problemCannotStartMessage(Language lang);
std::string problemCannotStartFileMessage(Language lang);
std::string problemCannotStartKept(Language lang);
std::string problemCannotStartNothingKept(Language lang);
std::string problemCannotStartAdvice(Language lang);
// A save failed while the program runs: it keeps trying (the title is problemNotSavedTitle,
// the message problemNotSavedMessage).
std::string problemSavingKept(Language lang);
// At quit, not everything could be saved; what was saved before is in the folder that
// follows problemNotSavedKept.
std::string problemNotSavedTitle(Language lang);
std::string problemNotSavedMessage(bool settings, bool statistics, Language lang);
std::string problemNotSavedKept(Language lang);
std::string problemNotSavedAdvice(Language lang);
std::string problemTryAgain(Language lang);
std::string problemQuitAnyway(Language lang);
// The settings file could not be read at start: kept aside under a new name (followed by
// that path), or left where it is.
std::string problemSettingsTitle(Language lang);
std::string problemSettingsMessage(Language lang);
std::string problemSettingsKeptAs(Language lang);
std::string problemSettingsKeptAdvice(Language lang);
std::string problemSettingsLeftAlone(Language lang);
std::string problemSettingsLeftAloneAdvice(Language lang);
// A second start while a copy runs in another session: the message, then where it runs.
std::string problemAlreadyRunningTitle(Language lang);
std::string problemAlreadyRunningMessage(Language lang);
std::string problemAlreadyRunningDisplay(Language lang);
std::string problemAlreadyRunningProcess(Language lang);
std::string problemAlreadyRunningAdvice(Language lang);

// ---- Secondary windows (StringsWindows.cpp) ----
// The drain settings window's title is hudMenuDrainSettings.

// Daily report.
std::string dailyReportWindowTitle(Language lang);
std::string reportTitle(Language lang);
std::string reportOnline(Language lang);
std::string reportStateCardTitle(Language lang);
std::string reportAppsCardTitle(Language lang);
std::string reportCollectingData(Language lang);
std::string reportNoData(Language lang);
// The state's row label, shorter than its HUD headline.
std::string reportStateLabel(DiveState state, Language lang);

// Drain settings.
std::string drainFullHPLasts(Language lang);
std::string drainSurvivalCaption(Language lang);
// Accessible name of the session slider.
std::string drainSessionSliderName(Language lang);
std::string drainGlassBrain(Language lang);
std::string drainIronWill(Language lang);
// The rest card's title, also the rest slider's accessible name.
std::string drainRecoveryTime(Language lang);
std::string drainRecoveryCaption(Language lang);
std::string drainDragHint(Language lang);
// Two lines: what a shorter and a longer session mean.
std::string drainTradeOff(Language lang);

// First run setup: the window's title is also the view's heading.
std::string firstRunTitle(Language lang);
std::string firstRunSubtitle(Language lang);
std::string firstRunAiTitle(Language lang);
std::string firstRunAiDescription(Language lang);
std::string firstRunScreenTitle(Language lang);
std::string firstRunScreenDescription(Language lang);
std::string firstRunKnockTitle(Language lang);
std::string firstRunKnockDescription(Language lang);
std::string firstRunNotesHeading(Language lang);
// Three numbered lines.
std::string firstRunNotes(Language lang);
std::string firstRunSkip(Language lang);
std::string firstRunContinue(Language lang);

} // namespace Strings

} // namespace plovane
