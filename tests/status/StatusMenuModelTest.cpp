#include "status/StatusMenuModel.h"

#include "FileFixtures.h"
#include "settings/AppResource.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace plovane;

namespace {

StatusMenuState allOff(Language lang)
{
    StatusMenuState s;
    s.language = lang;
    s.permissionSummary = lang == Language::zh ? "AX: 未开启 / 录屏: 未开启" : "AX: Off / Screen: Off";
    s.targets = {AchillesTarget::varicoseVeins};
    s.characterRaw = "tuffin";
    return s;
}

std::vector<std::string> titles(const StatusMenuContent& c)
{
    std::vector<std::string> out;
    for (const auto& row : c.rows)
        out.push_back(row.title);
    return out;
}

std::vector<std::string> titles(const std::vector<CharacterMenuEntry>& entries)
{
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.kind == CharacterMenuEntry::Kind::separator ? "---" : e.title);
    return out;
}

} // namespace

TEST(StatusMenuModel, EveryRowTitleInBothLanguagesWithTheSwitchesOff)
{
    EXPECT_EQ(titles(makeStatusMenuContent(allOff(Language::en))),
              (std::vector<std::string>{
                  "Show/Hide HUD", "Idle Opacity", "⚙️ Drain Settings", "📊 Compact Mode", "❓ Enable Knock Hint",
                  "🤖 Enable AI IDE Sensing (Beta)", "🖥️ Enable Screen Intelligence (Beta)",
                  "🔐 Permissions: AX: Off / Screen: Off", "🧠 IDE State: disabled", "🔓 Enable Accessibility...",
                  "🔓 Enable Screen Recording...", "✨ Reconfigure Enhancements...", "Health Patch List (multi-select)",
                  "Tips rotate through checked patches", "Switch Character", "切换为中文 (Switch to Chinese)",
                  "Quit Plovane"}));
    EXPECT_EQ(titles(makeStatusMenuContent(allOff(Language::zh))),
              (std::vector<std::string>{"显示/隐藏悬浮窗", "常驻透明度", "⚙️ 扣血机制", "📊 简洁模式",
                                        "❓ 开启敲击疑问提示", "🤖 开启 AI IDE 智能感知（Beta）", "🖥️ 开启屏幕理解（Beta）",
                                        "🔐 权限状态: AX: 未开启 / 录屏: 未开启", "🧠 IDE 状态: disabled",
                                        "🔓 开启辅助功能权限...", "🔓 开启屏幕录制权限...", "✨ 重新配置增强功能...",
                                        "健康漏洞补丁（可多选）", "提示将轮播已打勾的补丁项", "切换员工",
                                        "切换为英文 (Switch to English)", "退出 Plovane"}));
}

TEST(StatusMenuModel, SwitchesOnChangeTitlesAndCheckMarksTogether)
{
    for (Language lang : {Language::en, Language::zh}) {
        StatusMenuState s = allOff(lang);
        s.compactMode = s.knockHintEnabled = s.aiIdeSensingEnabled = s.screenIntelligenceEnabled = true;
        s.ideStateSummary = "Cursor · thinking";
        const auto on = makeStatusMenuContent(s);
        const auto off = makeStatusMenuContent(allOff(lang));
        for (StatusRow r : {StatusRow::knockHint, StatusRow::aiSensing, StatusRow::screenIntel}) {
            EXPECT_TRUE(on.row(r).checkable);
            EXPECT_TRUE(on.row(r).checked);
            EXPECT_FALSE(off.row(r).checked);
            EXPECT_NE(on.row(r).title, off.row(r).title);
        }
        // Compact mode says its state in words only.
        EXPECT_FALSE(on.row(StatusRow::compactMode).checkable);
        EXPECT_FALSE(on.row(StatusRow::compactMode).checked);
        EXPECT_NE(on.row(StatusRow::compactMode).title, off.row(StatusRow::compactMode).title);
        EXPECT_EQ(on.row(StatusRow::ideState).title, ideStateLine(lang, "Cursor · thinking"));
    }
    StatusMenuState s = allOff(Language::en);
    s.compactMode = s.knockHintEnabled = s.aiIdeSensingEnabled = s.screenIntelligenceEnabled = true;
    const auto on = makeStatusMenuContent(s);
    EXPECT_EQ(on.row(StatusRow::compactMode).title, "📊 Expand Panel");
    EXPECT_EQ(on.row(StatusRow::knockHint).title, "❓ Disable Knock Hint");
    EXPECT_EQ(on.row(StatusRow::aiSensing).title, "🤖 Disable AI IDE Sensing (Beta)");
    EXPECT_EQ(on.row(StatusRow::screenIntel).title, "🖥️ Disable Screen Intelligence (Beta)");
    s.language = Language::zh;
    const auto zh = makeStatusMenuContent(s);
    EXPECT_EQ(zh.row(StatusRow::compactMode).title, "📊 展开面板");
    EXPECT_EQ(zh.row(StatusRow::knockHint).title, "❓ 关闭敲击疑问提示");
    EXPECT_EQ(zh.row(StatusRow::aiSensing).title, "🤖 关闭 AI IDE 智能感知（Beta）");
    EXPECT_EQ(zh.row(StatusRow::screenIntel).title, "🖥️ 关闭屏幕理解（Beta）");
}

TEST(StatusMenuModel, InformationLinesAreGreyedAndSeparatorsFallBetweenTheGroups)
{
    const auto c = makeStatusMenuContent(allOff(Language::en));
    std::vector<StatusRow> disabled;
    std::vector<StatusRow> separated;
    for (std::size_t i = 0; i < kStatusRowCount; ++i) {
        const auto r = static_cast<StatusRow>(i);
        if (!c.row(r).enabled)
            disabled.push_back(r);
        if (separatorFollows(r))
            separated.push_back(r);
    }
    EXPECT_EQ(disabled, (std::vector<StatusRow>{StatusRow::permissionStatus, StatusRow::ideState, StatusRow::rotateHint}));
    EXPECT_EQ(separated, (std::vector<StatusRow>{StatusRow::toggleHud, StatusRow::knockHint, StatusRow::setupWizard,
                                                 StatusRow::rotateHint, StatusRow::characterRoot, StatusRow::langToggle}));
    EXPECT_EQ(c.toolTip, "Plovane – Click to show/hide");
    EXPECT_EQ(makeStatusMenuContent(allOff(Language::zh)).toolTip, "Plovane – 点击显示/隐藏");
}

TEST(StatusMenuModel, TargetSubmenuHasTwentyEntriesGroupedByBodyArea)
{
    const AchillesTargetSet chosen{AchillesTarget::dryEye, AchillesTarget::calfCramp};
    const auto en = targetMenuEntries(Language::en, chosen);
    ASSERT_EQ(en.size(), 20u);
    using Kind = TargetMenuEntry::Kind;
    std::vector<std::string> shape;
    std::vector<std::string> checkedRaw;
    for (const auto& e : en) {
        shape.push_back(e.kind == Kind::separator ? "---" : e.kind == Kind::header ? "# " + e.title : e.rawValue);
        if (e.checked)
            checkedRaw.push_back(e.rawValue);
    }
    EXPECT_EQ(shape, (std::vector<std::string>{
                         "# Core & Lumbar", "discHerniation", "muscleStrain", "cervicalReversal", "neckStrain", "---",
                         "# Visual Sensors", "dryEye", "retinalFatigue", "pseudoMyopia", "---",
                         "# Circulation & Veins", "varicoseVeins", "dvtRisk", "venousPooling", "---",
                         "# Lower Limbs & Muscles", "glutealAmnesia", "kneeStiffness", "calfCramp"}));
    EXPECT_EQ(checkedRaw, (std::vector<std::string>{"dryEye", "calfCramp"}));
    EXPECT_EQ(en[1].title, "Disc Herniation");
    EXPECT_EQ(en[1].subtitle, "Career-ending condition. Required if you feel radiating numbness.");

    const auto zh = targetMenuEntries(Language::zh, chosen);
    EXPECT_EQ(zh[0].title, "腰部与脊柱");
    EXPECT_EQ(zh[19].title, "腓肠肌痉挛预兆 (Calf Cramp Warning)");
    EXPECT_EQ(zh[19].subtitle, "小腿肌肉紧绷，随时有抽筋的风险。");
    EXPECT_TRUE(zh[19].checked) << "the same checks in either language";
}

TEST(StatusMenuModel, TheLastCheckedTargetCannotBeCleared)
{
    const AchillesTargetSet one{AchillesTarget::varicoseVeins};
    EXPECT_EQ(toggledTargets(one, AchillesTarget::varicoseVeins), one);
    const AchillesTargetSet two = toggledTargets(one, AchillesTarget::dvtRisk);
    EXPECT_EQ(two, (AchillesTargetSet{AchillesTarget::varicoseVeins, AchillesTarget::dvtRisk}));
    EXPECT_EQ(toggledTargets(two, AchillesTarget::varicoseVeins), AchillesTargetSet{AchillesTarget::dvtRisk});
}

TEST(StatusMenuModel, CharacterSubmenuWithoutImportedPacks)
{
    const auto en = characterMenuEntries(Language::en, "corgi", {});
    EXPECT_EQ(titles(en), (std::vector<std::string>{"── Built-in ──", "Tuffin", "Corgi", "---",
                                                    "📦 Import Character Pack...", "📂 Open Custom Folder"}));
    EXPECT_FALSE(en[1].checked);
    EXPECT_TRUE(en[2].checked);
    EXPECT_EQ(en[1].rawValue, "tuffin");
    EXPECT_EQ(en[4].kind, CharacterMenuEntry::Kind::importPack);
    EXPECT_EQ(en[5].kind, CharacterMenuEntry::Kind::openFolder);
    EXPECT_EQ(titles(characterMenuEntries(Language::zh, "tuffin", {})),
              (std::vector<std::string>{"── 内置 ──", "Tuffin", "Corgi", "---", "📦 导入员工包...", "📂 打开自定义目录"}));
}

TEST(StatusMenuModel, CharacterSubmenuListsImportedPacksUnderTheirOwnHeader)
{
    const std::vector<CustomCharacter> packs{{"pip", "Pip the Mole"}, {"zed", "zed"}};
    const auto zh = characterMenuEntries(Language::zh, "custom:zed", packs);
    EXPECT_EQ(titles(zh), (std::vector<std::string>{"── 内置 ──", "Tuffin", "Corgi", "---", "── 自定义 ──",
                                                    "Pip the Mole", "zed", "---", "📦 导入员工包...",
                                                    "📂 打开自定义目录"}));
    EXPECT_EQ(zh[5].rawValue, "custom:pip");
    EXPECT_EQ(zh[5].thumbnailPath, AppResource::customSpritesBase() + "/pip/sprite_deep_dive_32.png");
    std::vector<bool> checks;
    for (const auto& e : zh)
        checks.push_back(e.checked);
    EXPECT_EQ(checks, (std::vector<bool>{false, false, false, false, false, false, true, false, false, false}));
}

TEST(StatusMenuModel, BuiltInThumbnailFallsBackToTheSecondFrame)
{
    const std::string base = test::enterTempDir("thumbs") + "/TessivarNative/Assets/HUD/Sprites";
    test::writeFile(base + "/tuffin/sprite_deep_dive_32.png");
    test::writeFile(base + "/corgi/sprite_deep_dive_32_2.png");
    const auto entries = characterMenuEntries(Language::en, "tuffin", {});
    EXPECT_EQ(std::filesystem::path(entries[1].thumbnailPath), std::filesystem::path(base + "/tuffin/sprite_deep_dive_32.png"));
    EXPECT_EQ(std::filesystem::path(entries[2].thumbnailPath),
              std::filesystem::path(base + "/corgi/sprite_deep_dive_32_2.png"));
}

TEST(StatusMenuModel, OpacityTextIsTheTruncatedPercentage)
{
    EXPECT_EQ(opacityValueText(0.57), "56%");
    EXPECT_EQ(opacityValueText(0.4), "40%");
    EXPECT_EQ(opacityValueText(0.1), "10%");
    EXPECT_EQ(opacityValueText(1.0), "100%");
    EXPECT_EQ(opacityValueText(0.4372), "43%");
    EXPECT_EQ(opacityTitle(Language::en), "Idle Opacity");
    EXPECT_EQ(opacityTitle(Language::zh), "常驻透明度");
}
