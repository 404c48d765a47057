#include "settings/AppSettings.h"

#include "platform/UserDefaults.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace plovane {
namespace {

constexpr const char* key = "tessivar.achilles_targets";
constexpr const char* olderSingleKey = "tessivar.achilles_target";

// Names from the time when only three targets existed.
std::optional<AchillesTarget> fromOlderName(std::string_view name)
{
    if (name == "varicose")
        return AchillesTarget::varicoseVeins;
    if (name == "spine")
        return AchillesTarget::discHerniation;
    if (name == "eyes")
        return AchillesTarget::dryEye;
    return std::nullopt;
}

// The stored list, only when it is an array of nothing but strings.
std::optional<std::vector<std::string>> storedTexts(const UserDefaults& d)
{
    const auto value = d.object(key);
    if (!value || !value->is_array())
        return std::nullopt;
    std::vector<std::string> texts;
    for (const auto& entry : *value) {
        if (!entry.is_string())
            return std::nullopt;
        texts.push_back(entry.get<std::string>());
    }
    return texts;
}

template <typename Map>
AchillesTargetSet mapAll(const std::vector<std::string>& texts, Map map)
{
    AchillesTargetSet targets;
    for (const auto& text : texts)
        if (const auto target = map(text))
            targets.insert(*target);
    return targets;
}

} // namespace

AppSettings::AppSettings()
    : AppSettings(UserDefaults::standardShared())
{
}

AppSettings::AppSettings(std::shared_ptr<UserDefaults> defaults)
    : AppSettings(*defaults)
{
    keepAlive_ = std::move(defaults);
}

AppSettings::AppSettings(UserDefaults& defaults)
    : defaults_(defaults), achillesTargets_(load())
{
}

AchillesTargetSet AppSettings::load() const
{
    const AchillesTargetSet fallback{AchillesTarget::varicoseVeins};
    if (const auto texts = storedTexts(defaults_)) {
        // Older names count only when no entry is a current name.
        if (auto current = mapAll(*texts, fromRaw<AchillesTarget>); !current.empty())
            return current;
        if (auto older = mapAll(*texts, fromOlderName); !older.empty())
            return older;
        return fallback;
    }
    if (const auto older = fromOlderName(defaults_.stringForKey(olderSingleKey).value_or("")))
        return {*older};
    return fallback;
}

void AppSettings::setAchillesTargets(AchillesTargetSet targets)
{
    achillesTargets_ = std::move(targets);
    std::vector<std::string> raw;
    for (const auto target : achillesTargets_)
        raw.emplace_back(rawValue(target));
    std::sort(raw.begin(), raw.end());
    defaults_.setStringArray(key, raw);
}

} // namespace plovane
