#include "settings/Strings.h"

#include "TextChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace plovane;
using plovane::test::hasChinese;

namespace {

constexpr auto kZh = Language::zh;
constexpr auto kEn = Language::en;

using Text = std::string (*)(Language);

const std::vector<Text> kStatusMenuTexts{
    Strings::menuDrainSettings,      Strings::menuPermissionsPrefix,     Strings::menuIdeStatePrefix,
    Strings::menuEnableAccessibility, Strings::menuEnableScreenRecording, Strings::menuReconfigure,
    Strings::menuSwitchCharacter,    Strings::menuOpacityTitle,          Strings::menuEnhancements,
    Strings::menuBuiltInCharacters,  Strings::menuCustomCharacters,      Strings::menuImportPack,
    Strings::menuOpenCustomFolder,   Strings::accessibilityOnTitle,      Strings::accessibilityOnRestartNote,
};

const std::vector<Text> kPackImportTexts{
    Strings::packChooserTitle,       Strings::packInstalledStart,          Strings::packInstalledEnd,
    Strings::packMissingManifest,    Strings::packMissingSprites,          Strings::packRefusedPathOutside,
    Strings::packRefusedLinkOrSpecialFile, Strings::packRefusedTooLarge,   Strings::packRefusedTooManyEntries,
    Strings::packCreateFolderFailed, Strings::packStartUnzipFailed,        Strings::packReadFolderFailed,
    Strings::packCopyFailed,         Strings::packQuotedReasonSeparator,   Strings::packReasonSeparator,
    Strings::packRefusedSpriteNotPng, Strings::packRefusedSpriteTooLarge, Strings::packChooserFilter,
    Strings::packChooserNotZip,
};

const std::vector<Text> kWindowTexts{
    Strings::dailyReportWindowTitle, Strings::reportTitle,            Strings::reportOnline,
    Strings::reportStateCardTitle,   Strings::reportAppsCardTitle,    Strings::reportCollectingData,
    Strings::reportNoData,           Strings::drainFullHPLasts,       Strings::drainSurvivalCaption,
    Strings::drainSessionSliderName, Strings::drainGlassBrain,        Strings::drainIronWill,
    Strings::drainRecoveryTime,      Strings::drainRecoveryCaption,   Strings::drainDragHint,
    Strings::drainTradeOff,          Strings::firstRunTitle,          Strings::firstRunSubtitle,
    Strings::firstRunAiTitle,        Strings::firstRunAiDescription,  Strings::firstRunScreenTitle,
    Strings::firstRunScreenDescription, Strings::firstRunKnockTitle,  Strings::firstRunKnockDescription,
    Strings::firstRunNotesHeading,   Strings::firstRunNotes,          Strings::firstRunSkip,
    Strings::firstRunContinue,
};

// A swapped pair or a text left untranslated shows as Chinese in English or the other way round.
void expectTranslated(const std::string& en, const std::string& zh)
{
    EXPECT_FALSE(en.empty());
    EXPECT_FALSE(hasChinese(en)) << en;
    EXPECT_TRUE(hasChinese(zh)) << zh;
    EXPECT_NE(en, zh);
}

} // namespace

TEST(MenuAndWindowTexts, EveryGroupIsTranslated)
{
    for (const auto* group : {&kStatusMenuTexts, &kPackImportTexts, &kWindowTexts})
        for (Text text : *group)
            expectTranslated(text(kEn), text(kZh));

    for (bool on : {false, true}) {
        expectTranslated(Strings::menuAiSensing(on, kEn), Strings::menuAiSensing(on, kZh));
        expectTranslated(Strings::menuScreenIntelligence(on, kEn), Strings::menuScreenIntelligence(on, kZh));
        expectTranslated(Strings::packAlertTitle(on, kEn), Strings::packAlertTitle(on, kZh));
    }
    for (DiveState state : allCases<DiveState>())
        expectTranslated(Strings::reportStateLabel(state, kEn), Strings::reportStateLabel(state, kZh));
}

TEST(MenuAndWindowTexts, SomeTextsAreTheSameInBothLanguages)
{
    for (Text text : {Strings::packAlertOK, Strings::packUnzipFailed}) {
        EXPECT_FALSE(text(kEn).empty());
        EXPECT_EQ(text(kEn), text(kZh));
    }
}

TEST(MenuAndWindowTexts, SwitchesNameWhatChoosingThemDoes)
{
    for (Language lang : {kEn, kZh}) {
        EXPECT_NE(Strings::menuAiSensing(true, lang), Strings::menuAiSensing(false, lang));
        EXPECT_NE(Strings::menuScreenIntelligence(true, lang), Strings::menuScreenIntelligence(false, lang));
        EXPECT_NE(Strings::packAlertTitle(true, lang), Strings::packAlertTitle(false, lang));
    }
    EXPECT_TRUE(Strings::menuAiSensing(true, kEn).starts_with("🤖 Disable "));
    EXPECT_TRUE(Strings::menuScreenIntelligence(false, kEn).starts_with("🖥️ Enable "));
}

// These texts are joined to a summary, a name or a path: the seams must read right.
TEST(MenuAndWindowTexts, PiecesJoinCleanly)
{
    for (Language lang : {kEn, kZh}) {
        EXPECT_TRUE(Strings::menuPermissionsPrefix(lang).ends_with(": ")) << Strings::menuPermissionsPrefix(lang);
        EXPECT_TRUE(Strings::menuIdeStatePrefix(lang).ends_with(": ")) << Strings::menuIdeStatePrefix(lang);
        // A step that opens a quotation before the path is closed by the quoted separator.
        for (Text opensQuote :
             {Strings::packCreateFolderFailed, Strings::packReadFolderFailed, Strings::packCopyFailed})
            EXPECT_TRUE(opensQuote(lang).ends_with("“")) << opensQuote(lang);
        EXPECT_TRUE(Strings::packQuotedReasonSeparator(lang).starts_with("”"));
        EXPECT_FALSE(Strings::packReasonSeparator(lang).starts_with("”"));
        EXPECT_FALSE(Strings::packStartUnzipFailed(lang).ends_with("“"));
    }
    EXPECT_EQ(Strings::packInstalledStart(kEn) + "Kiwi" + Strings::packInstalledEnd(kEn),
              "Character \"Kiwi\" imported successfully!");
    EXPECT_EQ(Strings::packInstalledStart(kZh) + "Kiwi" + Strings::packInstalledEnd(kZh), "员工「Kiwi」导入成功！");
}

TEST(MenuAndWindowTexts, ReportRowsAndNotesAreDistinct)
{
    for (Language lang : {kEn, kZh}) {
        std::set<std::string> labels;
        for (DiveState state : allCases<DiveState>())
            labels.insert(Strings::reportStateLabel(state, lang));
        EXPECT_EQ(labels.size(), 6u);
        // Three numbered notes on three lines; the trade-off on two.
        const std::string notes = Strings::firstRunNotes(lang);
        EXPECT_EQ(std::count(notes.begin(), notes.end(), '\n'), 2) << notes;
        const std::string tradeOff = Strings::drainTradeOff(lang);
        EXPECT_EQ(std::count(tradeOff.begin(), tradeOff.end(), '\n'), 1) << tradeOff;
    }
}
