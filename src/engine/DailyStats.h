#pragma once

#include "platform/Clock.h"
#include "platform/UserDefaults.h"
#include "settings/DiveState.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plovane {

// One calendar day of tracked time: seconds per activity state (keyed by the state's raw
// value) and per application, with the applications' display names. Stored as a JSON
// object under "dailyStats_" + date.
struct DailyStats {
    struct AppUsage {
        std::string bundleID;
        std::string name;
        long long seconds{0};
        bool operator==(const AppUsage&) const = default;
    };

    static constexpr const char* kKeyPrefix = "dailyStats_";
    static constexpr std::size_t kTopAppsLimit = 7;
    // The longest local day (25 hours, when the clocks go back): no total of one day can
    // be larger, so a larger stored value is not a real one.
    static constexpr long long kMaxDaySeconds = 25 * 3600;

    std::string date;
    std::map<std::string, long long> stateDurations;
    std::map<std::string, long long> appDurations;
    std::map<std::string, std::string> appNames;

    // "yyyy-MM-dd" of `at` in the time zone in effect now (a zone changed while running is
    // picked up).
    static std::string dateKey(TimePoint at);
    static std::string todayKey(const Clock& clock) { return dateKey(clock.now()); }
    // The local midnight that begins the day of `at`, in the zone in effect now.
    static TimePoint startOfDay(TimePoint at);
    static std::string storeKey(const std::string& date) { return kKeyPrefix + date; }

    // The stored record of `date`, or an empty record of that date when nothing readable
    // is stored. A stored record always comes back dated `date`, so a later save can never
    // land on another day's key. What can be read of a damaged record is kept (whole
    // seconds from numbers; text, negative and impossible totals skipped); when anything
    // was skipped, the store keeps the original aside and the readable part is saved.
    static DailyStats load(const std::string& date, UserDefaults& store = UserDefaults::standard());
    static DailyStats loadToday(const Clock& clock, UserDefaults& store = UserDefaults::standard());
    // A stored record that could not be read while the day was booked, and the record
    // booked meanwhile, as one: the seconds of both added up, each application under the
    // latest name it had. In stored form, dated as the booked one.
    static nlohmann::json combined(const nlohmann::json& stored, const nlohmann::json& booked);
    // Writes this record under its own date's key, replacing what was there, in its
    // stored form.
    void save(UserDefaults& store = UserDefaults::standard()) const;
    // This record within what a store writes and reads back (UserDefaults::kMaxRecordBytes).
    // A day of thousands of applications (or of very long names) gets there by folding its
    // least used applications into one entry under the unknown-application placeholder,
    // which is never ranked: the state totals and the seconds of all applications together
    // stay as they are, and so do the top applications, unless their own names outgrow the
    // bound. The fold leaves room to grow, so it is not redone at every save.
    DailyStats storedForm() const;

    // Books `seconds` (nothing below 1) to the state and, unless the application is the
    // unknown placeholder, to the application under its latest name. Each total stops at
    // kMaxDaySeconds rather than overflow.
    void add(long long seconds, DiveState state, const std::string& bundleID, const std::string& appName);

    long long totalTrackedSeconds() const;
    // Up to seven applications with the most seconds, largest first; the program itself and
    // system processes are left out.
    std::vector<AppUsage> topApps() const;

    nlohmann::json toJson() const;
    // Nothing when a required member is missing or has the wrong type, or a total is not
    // a whole number of seconds within one day.
    static std::optional<DailyStats> fromJson(const nlohmann::json& json);

    bool operator==(const DailyStats&) const = default;
};

} // namespace plovane
