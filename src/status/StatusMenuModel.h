#pragma once

#include "settings/AchillesTarget.h"
#include "settings/CustomCharacter.h"
#include "settings/DiveState.h"
#include "settings/Language.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace plovane {

// The rows of the status menu, top to bottom.
enum class StatusRow {
    toggleHud,
    opacitySlider,
    drainSettings,
    compactMode,
    knockHint,
    aiSensing,
    screenIntel,
    permissionStatus,
    ideState,
    accessibilityPermission,
    screenPermission,
    setupWizard,
    targetRoot,
    rotateHint,
    characterRoot,
    langToggle,
    quit,
};
inline constexpr std::size_t kStatusRowCount = 17;

// Whether a separator stands between this row and the next.
bool separatorFollows(StatusRow row);

struct StatusRowContent {
    std::string title;
    bool checkable{false};
    bool checked{false};
    bool enabled{true};
};

// One entry of the health-target submenu.
struct TargetMenuEntry {
    enum class Kind { header, separator, target };
    Kind kind{Kind::target};
    std::string title;
    std::string subtitle;
    std::string rawValue; // the target's case name
    bool checked{false};

    bool operator==(const TargetMenuEntry&) const = default;
};

// One entry of the character submenu.
struct CharacterMenuEntry {
    enum class Kind { header, separator, character, importPack, openFolder };
    Kind kind{Kind::character};
    std::string title;
    std::string rawValue;      // the character's stored form
    std::string thumbnailPath; // absolute; the file may not load
    bool checked{false};

    bool operator==(const CharacterMenuEntry&) const = default;
};

// What the menu shows, each value read once per refresh.
struct StatusMenuState {
    Language language{Language::zh};
    bool compactMode{false};
    bool knockHintEnabled{false};
    bool aiIdeSensingEnabled{false};
    bool screenIntelligenceEnabled{false};
    std::string permissionSummary;
    // Nothing until the engine exists.
    std::optional<std::string> ideStateSummary;
    AchillesTargetSet targets;
    std::string characterRaw;
    std::vector<CustomCharacter> packs;
};

struct StatusMenuContent {
    std::array<StatusRowContent, kStatusRowCount> rows;
    std::vector<TargetMenuEntry> targets;
    std::vector<CharacterMenuEntry> characters;
    std::string toolTip;
    // The title of the idle-opacity row.
    std::string opacityTitle;
    // The title of the submenu some panels show the enhancement rows in.
    std::string enhancementsTitle;

    const StatusRowContent& row(StatusRow r) const { return rows[static_cast<std::size_t>(r)]; }
    StatusRowContent& row(StatusRow r) { return rows[static_cast<std::size_t>(r)]; }
};

StatusMenuContent makeStatusMenuContent(const StatusMenuState& state);

// What the status item's icon shows, for screen readers: the program's name and the pet's
// state as the HUD heads it, without its emoji.
std::string statusItemDescription(DiveState state, bool decompression, Language lang);

// "🧠 IDE State: " + summary, in the language given.
std::string ideStateLine(Language lang, const std::string& summary);

// Four body areas, each under its header, separated: 20 entries.
std::vector<TargetMenuEntry> targetMenuEntries(Language lang, const AchillesTargetSet& selected);
// Checking or unchecking `target`; the last selected target stays selected.
AchillesTargetSet toggledTargets(AchillesTargetSet selected, AchillesTarget target);

// Built-in characters, then the valid imported packs under their own header, then the
// two pack rows.
std::vector<CharacterMenuEntry> characterMenuEntries(Language lang, const std::string& chosenRaw,
                                                     const std::vector<CustomCharacter>& packs);

// The idle-opacity row: its title and its value as a whole percentage, truncated.
std::string opacityTitle(Language lang);
std::string opacityValueText(double value);
// Where a panel shows no widget rows: the steps offered instead of the slider.
inline constexpr std::array<double, 10> kOpacitySteps{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0};

} // namespace plovane
