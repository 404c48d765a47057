#include "status/StatusMenuModel.h"

#include "platform/AppIdentity.h"
#include "settings/AppResource.h"
#include "settings/CharacterID.h"
#include "settings/SpriteCharacter.h"
#include "settings/Strings.h"

#include <string_view>

namespace plovane {

namespace {

StatusRowContent action(std::string title)
{
    return StatusRowContent{std::move(title), false, false, true};
}

StatusRowContent toggle(std::string title, bool on)
{
    return StatusRowContent{std::move(title), true, on, true};
}

StatusRowContent infoLine(std::string title)
{
    return StatusRowContent{std::move(title), false, false, false};
}

constexpr std::string_view kThumbnailState = "deep_dive";

} // namespace

bool separatorFollows(StatusRow row)
{
    switch (row) {
    case StatusRow::toggleHud:
    case StatusRow::knockHint:
    case StatusRow::setupWizard:
    case StatusRow::rotateHint:
    case StatusRow::characterRoot:
    case StatusRow::langToggle:
        return true;
    default:
        return false;
    }
}

StatusMenuContent makeStatusMenuContent(const StatusMenuState& s)
{
    const Language lang = s.language;
    StatusMenuContent c;
    c.row(StatusRow::toggleHud) = action(Strings::menuToggleHUD(lang));
    // The slider row draws its own labels; its title is what a panel without widget rows shows.
    c.row(StatusRow::opacitySlider) = action(opacityTitle(lang));
    c.row(StatusRow::drainSettings) = action(Strings::menuDrainSettings(lang));
    // The title alone tells the state: no check mark.
    c.row(StatusRow::compactMode) = action(Strings::menuCompactMode(s.compactMode, lang));
    c.row(StatusRow::knockHint) = toggle(Strings::menuKnockHint(s.knockHintEnabled, lang), s.knockHintEnabled);
    c.row(StatusRow::aiSensing) =
        toggle(Strings::menuAiSensing(s.aiIdeSensingEnabled, lang), s.aiIdeSensingEnabled);
    c.row(StatusRow::screenIntel) =
        toggle(Strings::menuScreenIntelligence(s.screenIntelligenceEnabled, lang), s.screenIntelligenceEnabled);
    c.row(StatusRow::permissionStatus) =
        infoLine(Strings::menuPermissionsPrefix(lang) + s.permissionSummary);
    c.row(StatusRow::ideState) = infoLine(ideStateLine(lang, s.ideStateSummary.value_or("disabled")));
    c.row(StatusRow::accessibilityPermission) = action(Strings::menuEnableAccessibility(lang));
    c.row(StatusRow::screenPermission) = action(Strings::menuEnableScreenRecording(lang));
    c.row(StatusRow::setupWizard) = action(Strings::menuReconfigure(lang));
    c.row(StatusRow::targetRoot) = action(Strings::menuTargetRoot(lang));
    c.row(StatusRow::rotateHint) = infoLine(Strings::menuRotateHint(lang));
    c.row(StatusRow::characterRoot) = action(Strings::menuSwitchCharacter(lang));
    c.row(StatusRow::langToggle) = action(Strings::menuLanguageToggle(lang));
    c.row(StatusRow::quit) = action(Strings::menuQuit(lang));

    c.targets = targetMenuEntries(lang, s.targets);
    c.characters = characterMenuEntries(lang, s.characterRaw, s.packs);
    c.toolTip = Strings::statusBarTooltip(lang);
    c.opacityTitle = opacityTitle(lang);
    c.enhancementsTitle = Strings::menuEnhancements(lang);
    return c;
}

std::string statusItemDescription(DiveState state, bool decompression, Language lang)
{
    // Each headline opens with its emoji and a space.
    std::string title = Strings::statusTitle(state, decompression, lang);
    if (const auto space = title.find(' '); space != std::string::npos)
        title.erase(0, space + 1);
    return std::string(kAppName) + " – " + title;
}

std::string ideStateLine(Language lang, const std::string& summary)
{
    return Strings::menuIdeStatePrefix(lang) + summary;
}

std::vector<TargetMenuEntry> targetMenuEntries(Language lang, const AchillesTargetSet& selected)
{
    std::vector<TargetMenuEntry> entries;
    for (int area = 1; area <= kBodyAreaCount; ++area) {
        if (area > 1)
            entries.push_back({TargetMenuEntry::Kind::separator, {}, {}, {}, false});
        const auto targets = targetsInArea(area);
        // Every target of an area shares its area's title.
        entries.push_back({TargetMenuEntry::Kind::header, Strings::achillesCategoryTitle(targets.front(), lang), {}, {},
                           false});
        for (AchillesTarget target : targets)
            entries.push_back({TargetMenuEntry::Kind::target, Strings::achillesTitle(target, lang),
                               Strings::achillesSubtitle(target, lang), std::string(rawValue(target)),
                               selected.contains(target)});
    }
    return entries;
}

AchillesTargetSet toggledTargets(AchillesTargetSet selected, AchillesTarget target)
{
    if (!selected.contains(target))
        selected.insert(target);
    else if (selected.size() > 1)
        selected.erase(target);
    return selected;
}

std::vector<CharacterMenuEntry> characterMenuEntries(Language lang, const std::string& chosenRaw,
                                                     const std::vector<CustomCharacter>& packs)
{
    using Kind = CharacterMenuEntry::Kind;
    std::vector<CharacterMenuEntry> entries;
    entries.push_back({Kind::header, Strings::menuBuiltInCharacters(lang), {}, {}, false});
    for (SpriteCharacter character : allCases<SpriteCharacter>()) {
        const std::string raw = CharacterID::builtIn(character).rawValue();
        // A character shipped with animation frames only shows its second frame.
        std::string thumbnail = spritePath(character, kThumbnailState);
        if (!AppResource::exists(thumbnail))
            thumbnail = spriteFramePath(character, kThumbnailState, 2);
        entries.push_back({Kind::character, std::string(displayName(character)), raw, AppResource::path(thumbnail),
                           raw == chosenRaw});
    }
    if (!packs.empty()) {
        entries.push_back({Kind::separator, {}, {}, {}, false});
        entries.push_back({Kind::header, Strings::menuCustomCharacters(lang), {}, {}, false});
        for (const auto& pack : packs) {
            const std::string raw = CharacterID::custom(pack.dirName()).rawValue();
            entries.push_back({Kind::character, pack.displayName(), raw,
                               pack.absoluteSpritePath(std::string(kThumbnailState)), raw == chosenRaw});
        }
    }
    entries.push_back({Kind::separator, {}, {}, {}, false});
    entries.push_back({Kind::importPack, Strings::menuImportPack(lang), {}, {}, false});
    entries.push_back({Kind::openFolder, Strings::menuOpenCustomFolder(lang), {}, {}, false});
    return entries;
}

std::string opacityTitle(Language lang)
{
    return Strings::menuOpacityTitle(lang);
}

std::string opacityValueText(double value)
{
    // Truncated, not rounded: a stored 0.57 reads 56%.
    return std::to_string(static_cast<long long>(value * 100.0)) + "%";
}

} // namespace plovane
