#include "engine/DailyStats.h"

#include "engine/SelfBundleIDs.h"
#include "sensing/ActiveAppSnapshot.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_set>

namespace plovane {
namespace {

using Json = nlohmann::json;

// Identifiers that are never ranked: the program itself, the desktop's own shell, panels
// and lock screens, and the placeholder of an unknown frontmost application.
const std::unordered_set<std::string>& unrankedBundleIDs()
{
    static const std::unordered_set<std::string> ids = [] {
        std::unordered_set<std::string> s{"com.apple.dock", "com.apple.loginwindow", "com.apple.SystemUIServer",
                                          kUnknownBundleID,
                                          // The same parts of the Linux desktops.
                                          "org.gnome.Shell", "org.kde.plasmashell", "xfce4-panel",
                                          "org.kde.kscreenlocker", "xscreensaver", "light-locker",
                                          "xfce4-screensaver", "i3lock"};
        for (const auto& id : selfBundleIDs())
            s.insert(id);
        return s;
    }();
    return ids;
}

// How a stored total reads: exactly, truncated from a fraction, or not at all.
enum class Read { exact, truncated, unreadable };

Read wholeSeconds(const Json& value, long long& out)
{
    if (value.is_number_unsigned()) {
        if (value.get<unsigned long long>() > static_cast<unsigned long long>(DailyStats::kMaxDaySeconds))
            return Read::unreadable;
        out = value.get<long long>();
    } else if (value.is_number_integer()) {
        out = value.get<long long>();
    } else if (value.is_number_float()) {
        const double d = value.get<double>();
        if (!std::isfinite(d) || d < 0 || d > static_cast<double>(DailyStats::kMaxDaySeconds))
            return Read::unreadable;
        out = static_cast<long long>(d);
        return d == std::trunc(d) ? Read::exact : Read::truncated;
    } else {
        return Read::unreadable;
    }
    return out < 0 || out > DailyStats::kMaxDaySeconds ? Read::unreadable : Read::exact;
}

// Reads a member of seconds per key: with `strict`, any flaw fails the whole member;
// otherwise readable totals are kept and each flaw is listed in `dropped`.
bool readSeconds(const Json& object, std::map<std::string, long long>& out, bool strict, const std::string& member,
                 std::vector<std::string>& dropped)
{
    if (!object.is_object()) {
        dropped.push_back(member);
        return false;
    }
    for (const auto& [key, value] : object.items()) {
        long long seconds = 0;
        const Read read = wholeSeconds(value, seconds);
        if (read != Read::exact) {
            dropped.push_back(member + "." + key);
            if (strict)
                return false;
        }
        if (read != Read::unreadable)
            out[key] = seconds;
    }
    return true;
}

bool readNames(const Json& object, std::map<std::string, std::string>& out, bool strict,
               std::vector<std::string>& dropped)
{
    if (!object.is_object()) {
        dropped.push_back("appNames");
        return false;
    }
    for (const auto& [key, value] : object.items()) {
        if (!value.is_string()) {
            dropped.push_back("appNames." + key);
            if (strict)
                return false;
            continue;
        }
        out[key] = value.get<std::string>();
    }
    return true;
}

// Everything readable in a stored record; what could not be read is listed in `dropped`.
DailyStats readLeniently(const Json& json, const std::string& date, std::vector<std::string>& dropped)
{
    DailyStats stats{.date = date};
    if (!json.is_object()) {
        dropped.push_back("the whole record (" + std::string(json.type_name()) + ")");
        return stats;
    }
    if (auto states = json.find("stateDurations"); states != json.end())
        readSeconds(*states, stats.stateDurations, false, "stateDurations", dropped);
    if (auto apps = json.find("appDurations"); apps != json.end())
        readSeconds(*apps, stats.appDurations, false, "appDurations", dropped);
    if (auto names = json.find("appNames"); names != json.end())
        readNames(*names, stats.appNames, false, dropped);
    return stats;
}

long long saturatingAdd(long long a, long long b)
{
    long long sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<long long>::max() : std::numeric_limits<long long>::min();
    return sum;
}

void book(long long& total, long long seconds)
{
    total = std::min(DailyStats::kMaxDaySeconds, saturatingAdd(total, seconds));
}

// localtime_r keeps the zone it first read; a zone changed since (travel, a new rule for
// daylight saving) must move the day boundary while running. tzset takes it, but with no
// TZ set it looks at the zone file on every call, and the day is asked for every second:
// a changed TZ is taken at once, the zone file again after a minute.
void followTimeZone()
{
    static std::mutex mutex;
    static std::optional<std::string> lastTZ;
    static std::optional<std::chrono::steady_clock::time_point> lastRead;
    const std::lock_guard lock(mutex);
    const char* tz = std::getenv("TZ");
    const std::optional<std::string> now = tz ? std::optional<std::string>(tz) : std::nullopt;
    const auto at = std::chrono::steady_clock::now();
    if (lastRead && now == lastTZ && at - *lastRead < std::chrono::minutes(1))
        return;
    ::tzset();
    lastTZ = now;
    lastRead = at;
}

} // namespace

std::string DailyStats::dateKey(TimePoint at)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    followTimeZone();
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &local);
    return buffer;
}

TimePoint DailyStats::startOfDay(TimePoint at)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(at);
    followTimeZone();
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1; // whatever daylight saving says at that midnight
    std::time_t midnight = std::mktime(&local);
    // A zone whose clocks skip midnight itself starts the day a little later, never later than `at`.
    if (midnight == -1 || midnight > t)
        midnight = t;
    return std::chrono::system_clock::from_time_t(midnight);
}

DailyStats DailyStats::load(const std::string& date, UserDefaults& store)
{
    const std::string key = storeKey(date);
    auto stored = store.object(key);
    if (!stored)
        return DailyStats{.date = date};
    std::vector<std::string> dropped;
    DailyStats stats = readLeniently(*stored, date, dropped);
    if (!dropped.empty()) {
        std::string what;
        for (std::size_t i = 0; i < dropped.size() && i < 5; ++i)
            what += (i ? ", " : "") + dropped[i];
        if (dropped.size() > 5)
            what += " and " + std::to_string(dropped.size() - 5) + " more";
        // The readable part replaces the record, so the original goes aside first.
        store.keepOriginalAside(key, "The statistics of " + date + " held values that are not whole seconds of one day (" + what +
                                         "); kept what could be read");
        stats.save(store);
    }
    return stats;
}

DailyStats DailyStats::loadToday(const Clock& clock, UserDefaults& store)
{
    return load(todayKey(clock), store);
}

nlohmann::json DailyStats::combined(const nlohmann::json& stored, const nlohmann::json& booked)
{
    const auto date = booked.is_object() ? booked.find("date") : booked.end();
    std::vector<std::string> dropped;
    DailyStats sum = readLeniently(booked, date != booked.end() && date->is_string() ? date->get<std::string>() : "",
                                   dropped);
    const DailyStats earlier = readLeniently(stored, sum.date, dropped);
    for (const auto& [state, seconds] : earlier.stateDurations)
        book(sum.stateDurations[state], seconds);
    for (const auto& [bundleID, seconds] : earlier.appDurations)
        book(sum.appDurations[bundleID], seconds);
    for (const auto& [bundleID, name] : earlier.appNames)
        sum.appNames.emplace(bundleID, name);
    return sum.storedForm().toJson();
}

void DailyStats::save(UserDefaults& store) const
{
    store.set(storeKey(date), storedForm().toJson());
}

DailyStats DailyStats::storedForm() const
{
    std::size_t bytes = UserDefaults::recordBytes(toJson());
    if (bytes <= UserDefaults::kMaxRecordBytes)
        return *this;
    // What each application adds to the text: its members in both maps, with their commas.
    struct Entry {
        long long seconds{0};
        std::size_t bytes{0};
    };
    const auto textBytes = [](const Json& value) { return UserDefaults::serialize(value).size(); };
    std::map<std::string, Entry> byApp;
    for (const auto& [bundleID, seconds] : appDurations)
        byApp[bundleID] = {seconds, textBytes(bundleID) + textBytes(seconds) + 2};
    for (const auto& [bundleID, name] : appNames)
        byApp[bundleID].bytes += textBytes(bundleID) + textBytes(name) + 2;
    // The placeholder is where the folded seconds go.
    byApp.erase(kUnknownBundleID);
    std::vector<std::pair<std::string, Entry>> entries(byApp.begin(), byApp.end());
    // Least used first; of those, the largest first; then by name, so a save is repeatable.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return std::tie(a.second.seconds, b.second.bytes, a.first) < std::tie(b.second.seconds, a.second.bytes, b.first);
    });
    // Folded down to three quarters of the bound, and room for the folded entry itself.
    constexpr std::size_t kTarget = UserDefaults::kMaxRecordBytes / 4 * 3;
    constexpr std::size_t kFoldedEntryBytes = 64;
    bytes += kFoldedEntryBytes;
    DailyStats stored = *this;
    long long folded = 0;
    for (const auto& [bundleID, entry] : entries) {
        if (bytes <= kTarget)
            break;
        stored.appDurations.erase(bundleID);
        stored.appNames.erase(bundleID);
        folded = saturatingAdd(folded, entry.seconds);
        bytes -= std::min(bytes, entry.bytes);
    }
    if (folded > 0)
        book(stored.appDurations[kUnknownBundleID], folded);
    return stored;
}

void DailyStats::add(long long seconds, DiveState state, const std::string& bundleID, const std::string& appName)
{
    if (seconds < 1)
        return;
    book(stateDurations[std::string(rawValue(state))], seconds);
    if (bundleID == kUnknownBundleID)
        return;
    book(appDurations[bundleID], seconds);
    appNames[bundleID] = appName;
}

long long DailyStats::totalTrackedSeconds() const
{
    long long total = 0;
    for (const auto& [state, seconds] : stateDurations)
        total = saturatingAdd(total, seconds);
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
    std::vector<std::string> dropped;
    if (!readSeconds(*states, stats.stateDurations, true, "stateDurations", dropped) ||
        !readSeconds(*apps, stats.appDurations, true, "appDurations", dropped) ||
        !readNames(*names, stats.appNames, true, dropped) || !dropped.empty())
        return std::nullopt;
    return stats;
}

} // namespace plovane
