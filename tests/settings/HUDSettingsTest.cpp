#include "platform/InMemoryUserDefaults.h"
#include "settings/HUDSettings.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace plovane;
using Value = UserDefaults::Value;
using Writes = std::vector<std::pair<std::string, Value>>;

namespace {

const char* const kAiKey = "quellin.ai_ide_sensing_enabled";
const char* const kScreenKey = "quellin.screen_intelligence_enabled";

} // namespace

TEST(HUDSettingsLoad, EmptyStoreGivesDefaultsAndWritesNothing)
{
    InMemoryUserDefaults d;
    HUDSettings s(d);
    EXPECT_EQ(s.idleOpacity.get(), 0.4);
    EXPECT_EQ(s.characterID.get(), CharacterID::builtIn(SpriteCharacter::tuffin));
    EXPECT_EQ(s.sessionMinutes.get(), 45.0);
    EXPECT_EQ(s.restMinutes.get(), 10.0);
    for (const Published<bool>* flag : {&s.hasShownWelcome, &s.chaosEnabled, &s.compactMode, &s.knockHintEnabled,
                                        &s.hasCompletedFirstRunSetup, &s.aiIdeSensingEnabled,
                                        &s.screenIntelligenceEnabled})
        EXPECT_FALSE(flag->get());
    EXPECT_TRUE(d.writes().empty());
}

TEST(HUDSettingsLoad, NumbersNotAboveZeroGiveTheDefault)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<Value, double>> opacities{
        {0.0, 0.4}, {-0.3, 0.4}, {nan, 0.4}, {"abc", 0.4}, {Value::array({1}), 0.4},
        {0.05, 0.05}, {3.0, 3.0}, {"0.7", 0.7}};
    for (const auto& [stored, expected] : opacities) {
        InMemoryUserDefaults d;
        d.set("quellin.idle_opacity", stored);
        EXPECT_EQ(HUDSettings(d).idleOpacity.get(), expected) << stored.dump();
    }
    InMemoryUserDefaults d;
    d.set("quellin.session_minutes", -5);
    d.set("quellin.rest_minutes", 0);
    HUDSettings s(d);
    EXPECT_EQ(s.sessionMinutes.get(), 45.0);
    EXPECT_EQ(s.restMinutes.get(), 10.0);
    d.set("quellin.session_minutes", 90);
    d.set("quellin.rest_minutes", 2.5);
    EXPECT_EQ(HUDSettings(d).sessionMinutes.get(), 90.0);
    EXPECT_EQ(HUDSettings(d).restMinutes.get(), 2.5);
}

TEST(HUDSettingsLoad, CharacterFromItsStoredText)
{
    const std::vector<std::pair<const char*, CharacterID>> cases{
        {"corgi", CharacterID::builtIn(SpriteCharacter::corgi)},
        {"custom:My Pup", CharacterID::custom("My Pup")},
        {"Corgi", CharacterID::builtIn(SpriteCharacter::tuffin)},
        {"dragon", CharacterID::builtIn(SpriteCharacter::tuffin)},
        {"", CharacterID::builtIn(SpriteCharacter::tuffin)},
    };
    for (const auto& [stored, expected] : cases) {
        InMemoryUserDefaults d;
        d.set("quellin.character", stored);
        EXPECT_EQ(HUDSettings(d).characterID.get(), expected) << stored;
    }
}

TEST(HUDSettingsLoad, FlagsReadAsStored)
{
    InMemoryUserDefaults d;
    d.set("quellin.knock_hint_enabled", true);
    d.set("quellin.compact_mode", "YES");
    d.set("quellin.chaos_enabled", 0);
    d.set("quellin.has_completed_first_run_setup", 1);
    HUDSettings s(d);
    EXPECT_TRUE(s.knockHintEnabled.get());
    EXPECT_TRUE(s.compactMode.get());
    EXPECT_FALSE(s.chaosEnabled.get());
    EXPECT_TRUE(s.hasCompletedFirstRunSetup.get());
    d.set("quellin.knock_hint_enabled", false);
    EXPECT_FALSE(HUDSettings(d).knockHintEnabled.get());
}

TEST(HUDSettingsMigration, OlderKeyMovesWhenTheCurrentOneIsAbsent)
{
    InMemoryUserDefaults d;
    d.set("tessivar.idle_opacity", 0.7);
    d.clearWrites();
    HUDSettings s(d);
    EXPECT_EQ(s.idleOpacity.get(), 0.7);
    EXPECT_EQ(d.object("quellin.idle_opacity"), Value(0.7));
    EXPECT_FALSE(d.contains("tessivar.idle_opacity"));
    // The copy is written before the older key goes.
    EXPECT_EQ(d.writes(), (Writes{{"quellin.idle_opacity", 0.7}, {"tessivar.idle_opacity", nullptr}}));

    // Nothing left to move at the next launch.
    d.clearWrites();
    HUDSettings again(d);
    EXPECT_TRUE(d.writes().empty());
}

TEST(HUDSettingsMigration, CurrentKeyWinsAndTheOlderOneStays)
{
    InMemoryUserDefaults d;
    d.set("tessivar.character", "corgi");
    d.set("quellin.character", "custom:pack");
    HUDSettings s(d);
    EXPECT_EQ(s.characterID.get(), CharacterID::custom("pack"));
    EXPECT_EQ(d.object("tessivar.character"), Value("corgi"));
}

TEST(HUDSettingsMigration, MovesAllThreeInOrderWhateverTheirType)
{
    InMemoryUserDefaults d;
    d.set("tessivar.session_minutes", "not a number");
    d.set("tessivar.character", "corgi");
    d.set("tessivar.idle_opacity", Value::array({1, 2}));
    d.set("tessivar.rest_minutes", 3); // never had an older key: left alone
    d.clearWrites();
    HUDSettings s(d);
    EXPECT_EQ(d.writes(), (Writes{{"quellin.idle_opacity", Value::array({1, 2})},
                                  {"tessivar.idle_opacity", nullptr},
                                  {"quellin.character", "corgi"},
                                  {"tessivar.character", nullptr},
                                  {"quellin.session_minutes", "not a number"},
                                  {"tessivar.session_minutes", nullptr}}));
    EXPECT_EQ(s.idleOpacity.get(), 0.4);
    EXPECT_EQ(s.characterID.get(), CharacterID::builtIn(SpriteCharacter::corgi));
    EXPECT_EQ(s.sessionMinutes.get(), 45.0);
    EXPECT_EQ(s.restMinutes.get(), 10.0);
    EXPECT_TRUE(d.contains("tessivar.rest_minutes"));
}

TEST(HUDSettingsWrite, EveryAssignmentWritesItsKeyEvenWhenUnchanged)
{
    InMemoryUserDefaults d;
    HUDSettings s(d);
    int announcements = 0;
    Connection c = s.objectWillChange.connect([&] { ++announcements; });
    s.compactMode = true;
    s.compactMode = true;
    s.idleOpacity = -1.0; // no clamping
    s.sessionMinutes = 45.0;
    s.restMinutes = 25.0;
    s.characterID = CharacterID::custom("a b");
    s.hasShownWelcome = true;
    s.chaosEnabled = false;
    s.knockHintEnabled = true;
    s.hasCompletedFirstRunSetup = true;
    EXPECT_EQ(d.writes(), (Writes{{"quellin.compact_mode", true},
                                  {"quellin.compact_mode", true},
                                  {"quellin.idle_opacity", -1.0},
                                  {"quellin.session_minutes", 45.0},
                                  {"quellin.rest_minutes", 25.0},
                                  {"quellin.character", "custom:a b"},
                                  {"quellin.has_shown_welcome", true},
                                  {"quellin.chaos_enabled", false},
                                  {"quellin.knock_hint_enabled", true},
                                  {"quellin.has_completed_first_run_setup", true}}));
    EXPECT_EQ(announcements, 10);
    // A non-positive number written now reads back as the default at the next launch.
    EXPECT_EQ(HUDSettings(d).idleOpacity.get(), 0.4);
}

TEST(HUDSettingsWrite, ObserversSeeTheOldValueAtTheAnnouncement)
{
    InMemoryUserDefaults d;
    HUDSettings s(d);
    std::vector<double> seen;
    Connection c = s.objectWillChange.connect([&] { seen.push_back(s.idleOpacity.get()); });
    s.idleOpacity = 0.8;
    s.idleOpacity = 0.6;
    EXPECT_EQ(seen, (std::vector<double>{0.4, 0.8}));
}

TEST(HUDSettingsWrite, BuiltInCharacterAccessor)
{
    InMemoryUserDefaults d;
    HUDSettings s(d);
    s.setCharacter(SpriteCharacter::corgi);
    EXPECT_EQ(s.character(), SpriteCharacter::corgi);
    EXPECT_EQ(d.stringForKey("quellin.character"), "corgi");
    s.characterID = CharacterID::custom("corgi");
    EXPECT_EQ(s.character(), SpriteCharacter::tuffin);
    EXPECT_EQ(d.stringForKey("quellin.character"), "custom:corgi");
}

// The two sensing switches: screen intelligence needs AI IDE sensing. Each row gives the
// state before, the assignment, the writes in order and the end state.
struct CouplingCase {
    const char* name;
    bool aiBefore;
    bool screenBefore;
    bool assignAi; // else the screen switch is assigned
    bool value;
    Writes writes;
    bool aiAfter;
    bool screenAfter;
};

void PrintTo(const CouplingCase& c, std::ostream* os)
{
    *os << c.name;
}

class SensingSwitches : public testing::TestWithParam<CouplingCase> {};

TEST_P(SensingSwitches, WriteInOrderAndStayPaired)
{
    const auto& c = GetParam();
    InMemoryUserDefaults d;
    d.set(kAiKey, c.aiBefore);
    d.set(kScreenKey, c.screenBefore);
    HUDSettings s(d);
    d.clearWrites();

    std::vector<std::pair<bool, bool>> atAnnouncements;
    Connection conn = s.objectWillChange.connect(
        [&] { atAnnouncements.emplace_back(s.aiIdeSensingEnabled.get(), s.screenIntelligenceEnabled.get()); });
    if (c.assignAi)
        s.aiIdeSensingEnabled = c.value;
    else
        s.screenIntelligenceEnabled = c.value;

    EXPECT_EQ(d.writes(), c.writes);
    EXPECT_EQ(s.aiIdeSensingEnabled.get(), c.aiAfter);
    EXPECT_EQ(s.screenIntelligenceEnabled.get(), c.screenAfter);
    EXPECT_EQ(d.boolForKey(kAiKey), c.aiAfter);
    EXPECT_EQ(d.boolForKey(kScreenKey), c.screenAfter);
    // The assigned switch changes first; its partner follows inside the same assignment,
    // so the only state observers see in between is screen intelligence on, AI sensing off.
    ASSERT_EQ(atAnnouncements.size(), c.writes.size());
    EXPECT_EQ(atAnnouncements.front(), std::make_pair(c.aiBefore, c.screenBefore));
    if (atAnnouncements.size() == 2) {
        EXPECT_EQ(atAnnouncements.back(), std::make_pair(false, true));
    }
}

INSTANTIATE_TEST_SUITE_P(
    HUD, SensingSwitches,
    testing::Values(
        CouplingCase{"AiOffTurnsScreenOff", true, true, true, false, {{kScreenKey, false}, {kAiKey, false}}, false, false},
        CouplingCase{"ScreenOnTurnsAiOn", false, false, false, true, {{kAiKey, true}, {kScreenKey, true}}, true, true},
        CouplingCase{"AiOnAlone", false, false, true, true, {{kAiKey, true}}, true, false},
        CouplingCase{"AiOnAgain", true, true, true, true, {{kAiKey, true}}, true, true},
        CouplingCase{"ScreenOffAlone", true, true, false, false, {{kScreenKey, false}}, true, false},
        CouplingCase{"AiOffWithScreenOff", false, false, true, false, {{kAiKey, false}}, false, false},
        CouplingCase{"ScreenOnWithAiOn", true, false, false, true, {{kScreenKey, true}}, true, true},
        // A stored inconsistent pair is loaded as it is and reconciled by the next assignment.
        CouplingCase{"StoredMismatchAiOff", false, true, true, false, {{kScreenKey, false}, {kAiKey, false}}, false, false},
        CouplingCase{"StoredMismatchScreenOn", false, true, false, true, {{kAiKey, true}, {kScreenKey, true}}, true, true}),
    [](const testing::TestParamInfo<CouplingCase>& info) { return std::string(info.param.name); });

TEST(HUDSettingsLoad, InconsistentSensingPairIsLoadedUnchanged)
{
    InMemoryUserDefaults d;
    d.set(kScreenKey, true);
    HUDSettings s(d);
    EXPECT_TRUE(s.screenIntelligenceEnabled.get());
    EXPECT_FALSE(s.aiIdeSensingEnabled.get());
}

TEST(HUDSettingsShared, OneInstanceOnTheStandardStore)
{
    auto store = std::make_shared<InMemoryUserDefaults>();
    store->set("tessivar.session_minutes", 30);
    UserDefaults::setStandard(store);
    HUDSettings& shared = HUDSettings::shared();
    EXPECT_EQ(&shared, &HUDSettings::shared());
    EXPECT_EQ(shared.sessionMinutes.get(), 30.0);
    EXPECT_FALSE(store->contains("tessivar.session_minutes"));
    shared.chaosEnabled = true;
    EXPECT_TRUE(store->boolForKey("quellin.chaos_enabled"));
}
