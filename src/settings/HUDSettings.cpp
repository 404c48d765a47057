#include "settings/HUDSettings.h"

#include "platform/UserDefaults.h"

#include <utility>

namespace plovane {
namespace {

constexpr const char* opacityKey = "quellin.idle_opacity";
constexpr const char* characterKey = "quellin.character";
constexpr const char* sessionKey = "quellin.session_minutes";
constexpr const char* restKey = "quellin.rest_minutes";
constexpr const char* welcomeKey = "quellin.has_shown_welcome";
constexpr const char* chaosKey = "quellin.chaos_enabled";
constexpr const char* compactKey = "quellin.compact_mode";
constexpr const char* knockHintKey = "quellin.knock_hint_enabled";
constexpr const char* firstRunSetupKey = "quellin.has_completed_first_run_setup";
constexpr const char* aiIdeSensingKey = "quellin.ai_ide_sensing_enabled";
constexpr const char* screenIntelligenceKey = "quellin.screen_intelligence_enabled";

struct KeyMove {
    const char* old;
    const char* current;
};

// Values saved under the older names, moved once to the current keys.
constexpr KeyMove kMigrations[] = {
    {"tessivar.idle_opacity", opacityKey},
    {"tessivar.character", characterKey},
    {"tessivar.session_minutes", sessionKey},
};

// A stored number that is not above zero (absent, unreadable, zero, negative, NaN)
// gives the default.
double positiveOr(const UserDefaults& d, const char* key, double fallback)
{
    const double v = d.doubleForKey(key);
    return v > 0 ? v : fallback;
}

} // namespace

HUDSettings& HUDSettings::shared()
{
    static HUDSettings instance{UserDefaults::standardShared()};
    return instance;
}

HUDSettings::HUDSettings(std::shared_ptr<UserDefaults> defaults)
    : HUDSettings(*defaults)
{
    keepAlive_ = std::move(defaults);
}

HUDSettings::HUDSettings(UserDefaults& defaults)
    : defaults_(defaults)
{
    migrateOlderKeys();
    load();
    connectWriteThrough();
}

HUDSettings::~HUDSettings() = default;

void HUDSettings::migrateOlderKeys()
{
    for (const auto& move : kMigrations) {
        if (defaults_.contains(move.current))
            continue;
        auto value = defaults_.object(move.old);
        if (!value)
            continue;
        // Copied as found, whatever its type; loading then judges it like any other value.
        defaults_.set(move.current, std::move(*value));
        defaults_.remove(move.old);
    }
}

void HUDSettings::load()
{
    idleOpacity.setSilently(positiveOr(defaults_, opacityKey, 0.4));
    characterID.setSilently(CharacterID::from(defaults_.stringForKey(characterKey).value_or("")));
    sessionMinutes.setSilently(positiveOr(defaults_, sessionKey, 45.0));
    restMinutes.setSilently(positiveOr(defaults_, restKey, 10.0));
    hasShownWelcome.setSilently(defaults_.boolForKey(welcomeKey));
    chaosEnabled.setSilently(defaults_.boolForKey(chaosKey));
    compactMode.setSilently(defaults_.boolForKey(compactKey));
    knockHintEnabled.setSilently(defaults_.contains(knockHintKey) && defaults_.boolForKey(knockHintKey));
    hasCompletedFirstRunSetup.setSilently(defaults_.boolForKey(firstRunSetupKey));
    // Loaded as stored, even screen intelligence on with AI sensing off: the next
    // assignment of either switch reconciles them.
    aiIdeSensingEnabled.setSilently(defaults_.boolForKey(aiIdeSensingKey));
    screenIntelligenceEnabled.setSilently(defaults_.boolForKey(screenIntelligenceKey));
}

void HUDSettings::connectWriteThrough()
{
    auto number = [this](Published<double>& property, const char* key) {
        hooks_.push_back(property.didSet.connect([this, key](double v) { defaults_.setDouble(key, v); }));
    };
    auto flag = [this](Published<bool>& property, const char* key) {
        hooks_.push_back(property.didSet.connect([this, key](bool v) { defaults_.setBool(key, v); }));
    };
    number(idleOpacity, opacityKey);
    hooks_.push_back(characterID.didSet.connect(
        [this](const CharacterID& id) { defaults_.setString(characterKey, id.rawValue()); }));
    number(sessionMinutes, sessionKey);
    number(restMinutes, restKey);
    flag(hasShownWelcome, welcomeKey);
    flag(chaosEnabled, chaosKey);
    flag(compactMode, compactKey);
    flag(knockHintEnabled, knockHintKey);
    flag(hasCompletedFirstRunSetup, firstRunSetupKey);

    // The coupled partner is assigned before this switch's own write, so its key is
    // written first.
    hooks_.push_back(aiIdeSensingEnabled.didSet.connect([this](bool on) {
        if (!on && screenIntelligenceEnabled.get())
            screenIntelligenceEnabled = false;
        defaults_.setBool(aiIdeSensingKey, aiIdeSensingEnabled.get());
    }));
    hooks_.push_back(screenIntelligenceEnabled.didSet.connect([this](bool on) {
        if (on && !aiIdeSensingEnabled.get())
            aiIdeSensingEnabled = true;
        defaults_.setBool(screenIntelligenceKey, screenIntelligenceEnabled.get());
    }));
}

SpriteCharacter HUDSettings::character() const
{
    return characterID->builtInCharacter().value_or(SpriteCharacter::tuffin);
}

void HUDSettings::setCharacter(SpriteCharacter character)
{
    characterID = CharacterID::builtIn(character);
}

} // namespace plovane
