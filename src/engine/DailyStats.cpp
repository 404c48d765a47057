#include "engine/DailyStats.h"

#include "engine/SelfBundleIDs.h"
#include "sensing/ActiveAppSnapshot.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <unordered_set>

namespace plovane {
namespace {

using Json = nlohmann::json;

// Identifiers that are never ranked: the program itself, system processes and the
// placeholder of an unknown frontmost application.
const std::unordered_set<std::string>& unrankedBundleIDs()
{
    static const std::unordered_set<std::string> ids = [] {
        std::unordered_set<std::string> s{"com.apple.dock", "com.apple.loginwindow", "com.apple.SystemUIServer",
                                          kUnknownBundleID};
        for (const auto& id : selfBundleIDs())
            s.insert(id);
        return s;
    }();
    return ids;
}

std::optional<long long> wholeSeconds(const Json& value)
{
    if (value.is_number_integer())
        return value.get<long long>();
    if (value.is_number_float()) {
        double d = value.get<double>();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e18)
            return static_cast<long long>(d);
    }
    return std::nullopt;
}

bool readSeconds(const Json& object, std::map<std::string, long long>& out)
{
    if (!object.is_object())
        return false;
    for (const auto& [key, value] : object.items()) {
        auto seconds = wholeSeconds(value);
        if (!seconds)
            return false;
        out[key] = *seconds;
    }
    return true;
}

bool readNames(const Json& object, std::map<std::string, std::string>& out)
{
    if (!object.is_object())
        return false;
    for (const auto& [key, value] : object.items()) {
        if (!value.is_string())
            return false;
        out[key] = value.get<std::string>();
    }
    return true;
}

} // namespace

std::string DailyStats::dateKey(TimePoint at)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &local);
    return buffer;
}

DailyStats DailyStats::load(const std::string& date, const UserDefaults& store)
{
    if (auto stored = store.object(storeKey(date))) {
        if (auto decoded = fromJson(*stored)) {
            decoded->date = date;
            return std::move(*decoded);
        }
    }
    return DailyStats{.date = date};
}

DailyStats DailyStats::loadToday(const Clock& clock, const UserDefaults& store)
{
    return load(todayKey(clock), store);
}

void DailyStats::save(UserDefaults& store) const
{
    store.set(storeKey(date), toJson());
}

void DailyStats::add(long long seconds, DiveState state, const std::string& bundleID, const std::string& appName)
{
    if (seconds < 1)
        return;
    stateDurations[std::string(rawValue(state))] += seconds;
    if (bundleID == kUnknownBundleID)
        return;
    appDurations[bundleID] += seconds;
    appNames[bundleID] = appName;
}

long long DailyStats::totalTrackedSeconds() const
{
    long long total = 0;
    for (const auto& [state, seconds] : stateDurations)
        total += seconds;
    return total;
}

std::vector<DailyStats::AppUsage> DailyStats::topApps() const
{
    const auto& unranked = unrankedBundleIDs();
    std::vector<AppUsage> apps;
    apps.reserve(appDurations.size());
    for (const auto& [bundleID, seconds] : appDurations) {
        if (unranked.contains(bundleID))
            continue;
        auto name = appNames.find(bundleID);
        apps.push_back({bundleID, name != appNames.end() ? name->second : bundleID, seconds});
    }
    const auto kept = std::min(apps.size(), kTopAppsLimit);
    std::partial_sort(apps.begin(), apps.begin() + static_cast<std::ptrdiff_t>(kept), apps.end(),
                      [](const AppUsage& a, const AppUsage& b) { return a.seconds > b.seconds; });
    apps.resize(kept);
    return apps;
}

nlohmann::json DailyStats::toJson() const
{
    return Json{
        {"date", date},
        {"stateDurations", stateDurations},
        {"appDurations", appDurations},
        {"appNames", appNames},
    };
}

std::optional<DailyStats> DailyStats::fromJson(const nlohmann::json& json)
{
    if (!json.is_object())
        return std::nullopt;
    auto date = json.find("date");
    auto states = json.find("stateDurations");
    auto apps = json.find("appDurations");
    auto names = json.find("appNames");
    if (date == json.end() || states == json.end() || apps == json.end() || names == json.end())
        return std::nullopt;
    if (!date->is_string())
        return std::nullopt;
    DailyStats stats{.date = date->get<std::string>()};
    if (!readSeconds(*states, stats.stateDurations) || !readSeconds(*apps, stats.appDurations) ||
        !readNames(*names, stats.appNames))
        return std::nullopt;
    return stats;
}

} // namespace plovane
