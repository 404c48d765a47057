#include "platform/InMemoryUserDefaults.h"
#include "settings/AppSettings.h"

#include <gtest/gtest.h>

#include <memory>

using namespace plovane;
using Value = UserDefaults::Value;
using T = AchillesTarget;

namespace {

const char* const kKey = "tessivar.achilles_targets";
const char* const kOlderKey = "tessivar.achilles_target";

AchillesTargetSet loadedFrom(InMemoryUserDefaults& d)
{
    d.clearWrites();
    AppSettings settings(d);
    EXPECT_TRUE(d.writes().empty()) << "loading must not write";
    return settings.achillesTargets();
}

} // namespace

TEST(AppSettingsLoad, NothingStoredGivesVaricoseVeins)
{
    InMemoryUserDefaults d;
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::varicoseVeins});
}

TEST(AppSettingsLoad, CurrentNamesWinOverOlderNames)
{
    InMemoryUserDefaults d;
    d.set(kKey, Value::array({"dryEye", "calfCramp"}));
    EXPECT_EQ(loadedFrom(d), (AchillesTargetSet{T::dryEye, T::calfCramp}));
    d.set(kKey, Value::array({"dryEye", "spine"}));
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::dryEye});
    d.set(kKey, Value::array({"dryEye", "dryEye", "DryEye"}));
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::dryEye});
}

TEST(AppSettingsLoad, OlderNamesInTheListWhenNoCurrentNameIsThere)
{
    InMemoryUserDefaults d;
    d.set(kKey, Value::array({"spine", "eyes", "shoulders"}));
    d.set(kOlderKey, "varicose");
    EXPECT_EQ(loadedFrom(d), (AchillesTargetSet{T::discHerniation, T::dryEye}));
}

TEST(AppSettingsLoad, UselessListFallsBackWithoutConsultingTheOlderText)
{
    InMemoryUserDefaults d;
    d.set(kOlderKey, "spine");
    d.set(kKey, Value::array());
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::varicoseVeins});
    d.set(kKey, Value::array({"shoulders", "Spine"}));
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::varicoseVeins});
}

TEST(AppSettingsLoad, ListWithANonTextCountsAsNoList)
{
    InMemoryUserDefaults d;
    d.set(kKey, Value::array({"dryEye", 3}));
    d.set(kOlderKey, "eyes");
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::dryEye});
    d.set(kOlderKey, "spine");
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::discHerniation});
    d.set(kKey, "dryEye"); // a single text is no list either
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::discHerniation});
}

TEST(AppSettingsLoad, OlderSingleText)
{
    InMemoryUserDefaults d;
    d.set(kOlderKey, "spine");
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::discHerniation});
    d.set(kOlderKey, "varicose");
    EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::varicoseVeins});
    for (const Value& other : {Value("dryEye"), Value("Eyes"), Value(""), Value(7)}) {
        d.set(kOlderKey, other);
        EXPECT_EQ(loadedFrom(d), AchillesTargetSet{T::varicoseVeins}) << other.dump();
    }
}

TEST(AppSettingsWrite, EveryAssignmentWritesTheSortedRawValues)
{
    InMemoryUserDefaults d;
    d.set(kOlderKey, "spine");
    AppSettings settings(d);
    d.clearWrites();

    settings.setAchillesTargets({T::venousPooling, T::calfCramp, T::dryEye});
    const Value sorted = Value::array({"calfCramp", "dryEye", "venousPooling"});
    settings.setAchillesTargets(settings.achillesTargets());
    ASSERT_EQ(d.writes().size(), 2u);
    EXPECT_EQ(d.writes()[0], std::make_pair(std::string(kKey), sorted));
    EXPECT_EQ(d.writes()[1], d.writes()[0]);
    // Plain text order, not declaration order: "dryEye" before "dvtRisk".
    settings.setAchillesTargets({T::dvtRisk, T::dryEye, T::discHerniation});
    EXPECT_EQ(d.object(kKey), Value::array({"discHerniation", "dryEye", "dvtRisk"}));
    settings.setAchillesTargets({});
    EXPECT_EQ(d.object(kKey), Value::array());

    // The older text stays, but the written list now decides.
    EXPECT_EQ(d.stringForKey(kOlderKey), "spine");
    EXPECT_EQ(AppSettings(d).achillesTargets(), AchillesTargetSet{T::varicoseVeins});
}

TEST(AppSettingsStandard, DefaultConstructionUsesTheStandardStore)
{
    auto store = std::make_shared<InMemoryUserDefaults>();
    store->set(kKey, Value::array({"neckStrain"}));
    UserDefaults::setStandard(store);
    AppSettings settings;
    EXPECT_EQ(settings.achillesTargets(), AchillesTargetSet{T::neckStrain});
    settings.setAchillesTargets({T::kneeStiffness});
    EXPECT_EQ(store->object(kKey), Value::array({"kneeStiffness"}));
}
