#include "app/StatusMenuModel.h"

#include "settings/AppResource.h"
#include "settings/CharacterID.h"
#include "settings/SpriteCharacter.h"
#include "settings/Strings.h"

#include <string_view>

namespace plovane {

namespace {

std::string pick(Language lang, std::string_view en, std::string_view zh)
{
    return std::string(lang == Language::zh ? zh : en);
}

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

struct BodyArea {
    std::string_view en;
    std::string_view zh;
};
constexpr std::array<BodyArea, kBodyAreaCount> kAreaHeaders{{
    {"Core & Lumbar", "腰部与脊柱"},
    {"Visual Sensors", "视觉系统"},
    {"Circulation & Veins", "循环与静脉"},
    {"Lower Limbs & Muscles", "腿部与肌肉"},
}};

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
    c.row(StatusRow::drainSettings) = action(pick(lang, "⚙ Drain Settings", "⚙ 扣血机制"));
    // The title alone tells the state: no check mark.
    c.row(StatusRow::compactMode) = action(s.compactMode ? pick(lang, "📊 Expand Panel", "📊 展开面板")
                                                         : pick(lang, "📊 Compact Mode", "📊 简洁模式"));
    c.row(StatusRow::knockHint) =
        toggle(s.knockHintEnabled ? pick(lang, "❓ Disable Knock Hint", "❓ 关闭敲击疑问提示")
                                  : pick(lang, "❓ Enable Knock Hint", "❓ 开启敲击疑问提示"),
               s.knockHintEnabled);
    c.row(StatusRow::aiSensing) =
        toggle(s.aiIdeSensingEnabled ? pick(lang, "🤖 Disable AI IDE Sensing (Beta)", "🤖 关闭 AI IDE 智能感知（Beta）")
                                     : pick(lang, "🤖 Enable AI IDE Sensing (Beta)", "🤖 开启 AI IDE 智能感知（Beta）"),
               s.aiIdeSensingEnabled);
    c.row(StatusRow::screenIntel) =
        toggle(s.screenIntelligenceEnabled
                   ? pick(lang, "🖥️ Disable Screen Intelligence (Beta)", "🖥️ 关闭屏幕理解（Beta）")
                   : pick(lang, "🖥️ Enable Screen Intelligence (Beta)", "🖥️ 开启屏幕理解（Beta）"),
               s.screenIntelligenceEnabled);
    c.row(StatusRow::permissionStatus) =
        infoLine(pick(lang, "🔐 Permissions: ", "🔐 权限状态: ") + s.permissionSummary);
    c.row(StatusRow::ideState) = infoLine(ideStateLine(lang, s.ideStateSummary.value_or("disabled")));
    c.row(StatusRow::accessibilityPermission) =
        action(pick(lang, "🔓 Enable Accessibility...", "🔓 开启辅助功能权限..."));
    c.row(StatusRow::screenPermission) = action(pick(lang, "🔓 Enable Screen Recording...", "🔓 开启屏幕录制权限..."));
    c.row(StatusRow::setupWizard) = action(pick(lang, "✨ Reconfigure Enhancements...", "✨ 重新配置增强功能..."));
    c.row(StatusRow::targetRoot) = action(Strings::menuTargetRoot(lang));
    c.row(StatusRow::rotateHint) = infoLine(Strings::menuRotateHint(lang));
    c.row(StatusRow::characterRoot) = action(pick(lang, "Switch Character", "切换员工"));
    c.row(StatusRow::langToggle) = action(Strings::menuLanguageToggle(lang));
    c.row(StatusRow::quit) = action(Strings::menuQuit(lang));

    c.targets = targetMenuEntries(lang, s.targets);
    c.characters = characterMenuEntries(lang, s.characterRaw, s.packs);
    c.toolTip = Strings::statusBarTooltip(lang);
    c.opacityTitle = opacityTitle(lang);
    return c;
}

std::string ideStateLine(Language lang, const std::string& summary)
{
    return pick(lang, "🧠 IDE State: ", "🧠 IDE 状态: ") + summary;
}

std::vector<TargetMenuEntry> targetMenuEntries(Language lang, const AchillesTargetSet& selected)
{
    std::vector<TargetMenuEntry> entries;
    for (int area = 1; area <= kBodyAreaCount; ++area) {
        if (area > 1)
            entries.push_back({TargetMenuEntry::Kind::separator, {}, {}, {}, false});
        const auto& header = kAreaHeaders[static_cast<std::size_t>(area - 1)];
        entries.push_back({TargetMenuEntry::Kind::header, pick(lang, header.en, header.zh), {}, {}, false});
        for (AchillesTarget target : targetsInArea(area))
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
    entries.push_back({Kind::header, pick(lang, "── Built-in ──", "── 内置 ──"), {}, {}, false});
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
        entries.push_back({Kind::header, pick(lang, "── Custom ──", "── 自定义 ──"), {}, {}, false});
        for (const auto& pack : packs) {
            const std::string raw = CharacterID::custom(pack.dirName()).rawValue();
            entries.push_back({Kind::character, pack.displayName(), raw,
                               pack.absoluteSpritePath(std::string(kThumbnailState)), raw == chosenRaw});
        }
    }
    entries.push_back({Kind::separator, {}, {}, {}, false});
    entries.push_back({Kind::importPack, pick(lang, "📦 Import Character Pack...", "📦 导入员工包..."), {}, {}, false});
    entries.push_back({Kind::openFolder, pick(lang, "📂 Open Custom Folder", "📂 打开自定义目录"), {}, {}, false});
    return entries;
}

std::string opacityTitle(Language lang)
{
    return pick(lang, "Idle Opacity", "常驻透明度");
}

std::string opacityValueText(double value)
{
    // Truncated, not rounded: a stored 0.57 reads 56%.
    return std::to_string(static_cast<long long>(value * 100.0)) + "%";
}

} // namespace plovane
