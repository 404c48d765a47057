#include "settings/AchillesTarget.h"
#include "settings/DiveState.h"
#include "settings/Language.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace plovane;

TEST(DiveStateText, ParsesOnlyTheExactCapitalisedTexts)
{
    EXPECT_EQ(fromRaw<DiveState>("Resting"), DiveState::resting);
    EXPECT_FALSE(fromRaw<DiveState>("resting"));
    EXPECT_FALSE(fromRaw<DiveState>(""));
    EXPECT_FALSE(fromRaw<DiveState>(" Flow"));
    EXPECT_FALSE(fromRaw<DiveState>("Flow "));
}

TEST(DiveStateText, CasesInOrderAndRoundTrip)
{
    std::string joined;
    for (auto s : allCases<DiveState>()) {
        joined += std::string(rawValue(s)) + ",";
        EXPECT_EQ(fromRaw<DiveState>(rawValue(s)), s);
    }
    EXPECT_EQ(joined, "Flow,Research,Chaos,Hovering,Critical,Resting,");
    EXPECT_EQ(symbolName(DiveState::resting), "figure.seated.side");
    EXPECT_EQ(symbolName(DiveState::chaos), "exclamationmark.bubble.fill");
}

TEST(LanguageText, OnlyLowerCaseCodesParse)
{
    EXPECT_EQ(fromRaw<Language>("zh"), Language::zh);
    EXPECT_EQ(fromRaw<Language>("en"), Language::en);
    EXPECT_FALSE(fromRaw<Language>("EN"));
    EXPECT_FALSE(fromRaw<Language>(""));
    EXPECT_EQ(rawValue(Language::en), "en");
}

TEST(AchillesTargetText, ThirteenCaseNamesInOrderAndRoundTrip)
{
    const auto all = allCases<AchillesTarget>();
    ASSERT_EQ(all.size(), 13u);
    EXPECT_EQ(rawValue(all.front()), "discHerniation");
    EXPECT_EQ(rawValue(all[8]), "dvtRisk");
    EXPECT_EQ(rawValue(all.back()), "calfCramp");
    std::set<std::string_view> distinct;
    for (auto t : all) {
        EXPECT_EQ(fromRaw<AchillesTarget>(rawValue(t)), t);
        distinct.insert(rawValue(t));
    }
    EXPECT_EQ(distinct.size(), 13u);
    EXPECT_FALSE(fromRaw<AchillesTarget>("DryEye"));
    EXPECT_FALSE(fromRaw<AchillesTarget>("eyes"));
}

TEST(AchillesTargetAreas, FourContiguousAreasOfFourThreeThreeThree)
{
    std::vector<std::size_t> sizes;
    std::vector<AchillesTarget> concatenated;
    for (int area = 1; area <= kBodyAreaCount; ++area) {
        const auto targets = targetsInArea(area);
        sizes.push_back(targets.size());
        for (auto t : targets) {
            EXPECT_EQ(bodyArea(t), area) << rawValue(t);
            concatenated.push_back(t);
        }
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 3, 3, 3}));
    const auto all = allCases<AchillesTarget>();
    EXPECT_EQ(concatenated, std::vector<AchillesTarget>(all.begin(), all.end()));
    EXPECT_EQ(bodyArea(AchillesTarget::neckStrain), 1);
    EXPECT_EQ(bodyArea(AchillesTarget::dryEye), 2);
    EXPECT_EQ(bodyArea(AchillesTarget::venousPooling), 3);
    EXPECT_EQ(bodyArea(AchillesTarget::glutealAmnesia), 4);
    EXPECT_TRUE(targetsInArea(0).empty());
    EXPECT_TRUE(targetsInArea(5).empty());
}
