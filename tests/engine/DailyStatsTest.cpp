#include "engine/DailyStats.h"
#include "platform/AppIdentity.h"
#include "platform/AtomicFile.h"
#include "platform/FileUserDefaults.h"
#include "platform/InMemoryUserDefaults.h"
#include "testing/FakeClock.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <cstdlib>
#include <ctime>
#include <limits>

using namespace plovane;
using Json = nlohmann::json;

TEST(DailyStats, BookingCountsStatesAndKnownApplicationsOnly)
{
    DailyStats day{.date = "2026-03-02"};
    EXPECT_EQ(day.totalTrackedSeconds(), 0);
    EXPECT_TRUE(day.topApps().empty());

    day.add(0, DiveState::flow, "com.microsoft.VSCode", "Code");
    day.add(-3, DiveState::flow, "com.microsoft.VSCode", "Code");
    EXPECT_TRUE(day.stateDurations.empty());

    day.add(5, DiveState::flow, "com.microsoft.VSCode", "Code");
    day.add(7, DiveState::flow, "com.microsoft.VSCode", "Visual Studio Code");
    day.add(3, DiveState::hovering, "unknown.bundle.id", "Unknown");
    day.add(60, DiveState::resting, "unknown.bundle.id", "Sleep");
    day.add(2, DiveState::critical, "org.gnome.Terminal", "Terminal");

    EXPECT_EQ(day.stateDurations.at("Flow"), 12);
    EXPECT_EQ(day.stateDurations.at("Hovering"), 3);
    EXPECT_EQ(day.stateDurations.at("Resting"), 60);
    EXPECT_EQ(day.totalTrackedSeconds(), 77); // resting and critical count too
    EXPECT_EQ(day.appDurations.at("com.microsoft.VSCode"), 12);
    EXPECT_EQ(day.appNames.at("com.microsoft.VSCode"), "Visual Studio Code"); // latest name wins
    EXPECT_FALSE(day.appDurations.contains("unknown.bundle.id"));
    EXPECT_FALSE(day.appNames.contains("unknown.bundle.id"));
    for (const auto& [id, name] : day.appNames)
        EXPECT_NE(name, "Sleep");
}

TEST(DailyStats, TopAppsRanksSevenLargestWithoutTheProgramOrSystemProcesses)
{
    DailyStats day{.date = "2026-03-02"};
    const std::string self(kAppIdentifier);
    day.appDurations = {{self, 9000},         {self + ".quick", 9000}, {"com.apple.dock", 9000},
                        {"com.apple.loginwindow", 9000}, {"com.apple.SystemUIServer", 9000},
                        {"unknown.bundle.id", 9000}};
    // The Linux desktops' shells, panels and lock screens, as the identity table reports them.
    for (const char* id : {"org.gnome.Shell", "org.kde.plasmashell", "xfce4-panel", "org.kde.kscreenlocker",
                           "xscreensaver", "light-locker", "xfce4-screensaver", "i3lock"})
        day.appDurations[id] = 9000;
    for (int i = 1; i <= 9; ++i)
        day.appDurations["app." + std::to_string(i)] = i * 10;
    day.appNames["app.9"] = "Nine";

    const auto top = day.topApps();
    ASSERT_EQ(top.size(), 7u);
    EXPECT_EQ(top[0], (DailyStats::AppUsage{"app.9", "Nine", 90}));
    EXPECT_EQ(top[1], (DailyStats::AppUsage{"app.8", "app.8", 80})); // no stored name: the identifier
    EXPECT_EQ(top[6].seconds, 30);
    for (std::size_t i = 1; i < top.size(); ++i)
        EXPECT_GE(top[i - 1].seconds, top[i].seconds);
}

TEST(DailyStats, StoredRecordRoundTripsAsOneJsonObjectUnderItsDateKey)
{
    InMemoryUserDefaults store;
    DailyStats day{.date = "2026-03-14"};
    day.add(1520, DiveState::flow, "org.gnome.Terminal", "Terminal");
    day.add(61, DiveState::resting, "unknown.bundle.id", "Sleep");
    day.save(store);

    const auto value = store.object("dailyStats_2026-03-14");
    ASSERT_TRUE(value);
    EXPECT_EQ(*value, Json::parse(R"({"date":"2026-03-14",
        "stateDurations":{"Flow":1520,"Resting":61},
        "appDurations":{"org.gnome.Terminal":1520},
        "appNames":{"org.gnome.Terminal":"Terminal"}})"));
    EXPECT_EQ(DailyStats::load("2026-03-14", store), day);
}

// A store that records which keys had their original kept aside.
class AsideRecordingStore final : public UserDefaults {
public:
    std::optional<Value> object(const std::string& key) const override { return memory.object(key); }
    void set(const std::string& key, Value value) override { memory.set(key, std::move(value)); }
    void remove(const std::string& key) override { memory.remove(key); }
    void keepOriginalAside(const std::string& key, const std::string& reason) override
    {
        aside.emplace_back(key, memory.object(key).value_or(Json()));
        reasons.push_back(reason);
    }
    InMemoryUserDefaults memory;
    std::vector<std::pair<std::string, Json>> aside;
    std::vector<std::string> reasons;
};

TEST(DailyStats, DamagedStoredDaysKeepWhatCanBeReadAndSetTheOriginalAside)
{
    AsideRecordingStore store;
    const Json good = Json::parse(R"({"date":"2026-03-02","stateDurations":{"Flow":5},
        "appDurations":{},"appNames":{},"comment":"kept by someone else"})");
    store.set("dailyStats_2026-03-02", good);
    EXPECT_EQ(DailyStats::load("2026-03-02", store).stateDurations.at("Flow"), 5);
    EXPECT_TRUE(store.aside.empty()); // a sound record (extra members ignored) is left as it is
    EXPECT_EQ(*store.object("dailyStats_2026-03-02"), good);

    struct Case {
        const char* stored;
        DailyStats expected;
    };
    const Case damaged[] = {
        // one stray fraction must not cost the day: whole seconds are kept
        {R"({"date":"2026-03-03","stateDurations":{"Flow":1800.5,"Resting":60},"appDurations":{},"appNames":{}})",
         {.date = "2026-03-03", .stateDurations = {{"Flow", 1800}, {"Resting", 60}}}},
        {R"({"date":"2026-03-03","stateDurations":{"Flow":"5","Chaos":7},"appDurations":{"a":9},"appNames":{"a":1}})",
         {.date = "2026-03-03", .stateDurations = {{"Chaos", 7}}, .appDurations = {{"a", 9}}}},
        // negative and impossible totals are not real ones
        {R"({"date":"2026-03-03","stateDurations":{"Flow":-5,"Chaos":90001,"Resting":9223372036854775800,"Hovering":3},
             "appDurations":{},"appNames":{}})",
         {.date = "2026-03-03", .stateDurations = {{"Hovering", 3}}}},
        {R"({"date":"2026-03-03","stateDurations":[1,2],"appDurations":{"b":4},"appNames":{"b":"Bee"}})",
         {.date = "2026-03-03", .appDurations = {{"b", 4}}, .appNames = {{"b", "Bee"}}}},
        {R"("not a record")", {.date = "2026-03-03"}},
        {R"([1, 2])", {.date = "2026-03-03"}},
    };
    for (const auto& c : damaged) {
        store.aside.clear();
        const Json original = Json::parse(c.stored);
        store.set("dailyStats_2026-03-03", original);
        EXPECT_EQ(DailyStats::load("2026-03-03", store), c.expected) << c.stored;
        ASSERT_EQ(store.aside.size(), 1u) << c.stored;
        EXPECT_EQ(store.aside[0].second, original); // set aside before being replaced
        // and then replaced by what could be read, which loads cleanly from now on
        EXPECT_EQ(*store.object("dailyStats_2026-03-03"), c.expected.toJson());
        store.aside.clear();
        EXPECT_EQ(DailyStats::load("2026-03-03", store), c.expected);
        EXPECT_TRUE(store.aside.empty());
    }
    // A missing member loses nothing; a record with nothing stored is simply empty.
    store.set("dailyStats_2026-03-05", Json::parse(R"({"date":"2026-03-05","stateDurations":{"Flow":5}})"));
    EXPECT_EQ(DailyStats::load("2026-03-05", store).stateDurations.at("Flow"), 5);
    EXPECT_TRUE(store.aside.empty());
    EXPECT_EQ(DailyStats::load("2026-03-04", store), DailyStats{.date = "2026-03-04"});
}

// A day that could not be read while it was booked, once it can: both sets of seconds count.
TEST(DailyStats, ARecordReadLateIsCombinedWithWhatWasBookedMeanwhile)
{
    DailyStats stored{.date = "2026-03-02"};
    stored.add(100, DiveState::flow, "com.microsoft.VSCode", "Code");
    stored.add(DailyStats::kMaxDaySeconds, DiveState::resting, "org.gnome.Terminal", "Terminal");
    DailyStats booked{.date = "2026-03-02"};
    booked.add(20, DiveState::flow, "com.microsoft.VSCode", "Visual Studio Code");
    booked.add(5, DiveState::research, "org.mozilla.firefox", "Firefox");
    const auto combined = DailyStats::fromJson(DailyStats::combined(stored.toJson(), booked.toJson()));
    ASSERT_TRUE(combined);
    EXPECT_EQ(combined->date, "2026-03-02");
    EXPECT_EQ(combined->stateDurations, (std::map<std::string, long long>{
                                            {"Flow", 120}, {"Research", 5}, {"Resting", DailyStats::kMaxDaySeconds}}));
    EXPECT_EQ(combined->appDurations.at("com.microsoft.VSCode"), 120);
    EXPECT_EQ(combined->appNames.at("com.microsoft.VSCode"), "Visual Studio Code");
    EXPECT_EQ(combined->appNames.at("org.gnome.Terminal"), "Terminal");
    // Damaged parts of the stored record are left out, not the rest of it.
    Json damaged = stored.toJson();
    damaged["stateDurations"]["Flow"] = "lots";
    EXPECT_EQ(DailyStats::fromJson(DailyStats::combined(damaged, booked.toJson()))->stateDurations.at("Flow"), 20);
}

TEST(DailyStats, TotalsSaturateAtOneDayInsteadOfOverflowing)
{
    DailyStats day{.date = "2026-03-02"};
    day.add(DailyStats::kMaxDaySeconds - 10, DiveState::flow, "org.gnome.Terminal", "Terminal");
    day.add(15, DiveState::flow, "org.gnome.Terminal", "Terminal");
    day.add(std::numeric_limits<long long>::max(), DiveState::resting, "unknown.bundle.id", "Sleep");
    day.add(std::numeric_limits<long long>::max(), DiveState::resting, "unknown.bundle.id", "Sleep");
    EXPECT_EQ(day.stateDurations.at("Flow"), DailyStats::kMaxDaySeconds);
    EXPECT_EQ(day.appDurations.at("org.gnome.Terminal"), DailyStats::kMaxDaySeconds);
    EXPECT_EQ(day.stateDurations.at("Resting"), DailyStats::kMaxDaySeconds);
    EXPECT_EQ(day.totalTrackedSeconds(), 2 * DailyStats::kMaxDaySeconds);
    // What was booked reads back in full.
    InMemoryUserDefaults store;
    day.save(store);
    EXPECT_EQ(DailyStats::load("2026-03-02", store), day);
    // A record filled in by hand cannot wrap the total negative either.
    day.stateDurations = {{"Flow", std::numeric_limits<long long>::max()}, {"Chaos", 15}};
    EXPECT_EQ(day.totalTrackedSeconds(), std::numeric_limits<long long>::max());
}

TEST(DailyStats, RecordStoredUnderAnotherDatesKeyKeepsItsKeysDate)
{
    // Saving it under its inner date would overwrite that other day's totals.
    InMemoryUserDefaults store;
    store.set("dailyStats_2026-03-05",
              Json::parse(R"({"date":"2026-03-01","stateDurations":{"Flow":40},"appDurations":{},"appNames":{}})"));
    const DailyStats loaded = DailyStats::load("2026-03-05", store);
    EXPECT_EQ(loaded.date, "2026-03-05");
    EXPECT_EQ(loaded.stateDurations.at("Flow"), 40);
}

TEST(DailyStats, DateKeyFollowsTheLocalTimeZone)
{
    const TimePoint lateUtc = FakeClock::defaultStart() + std::chrono::hours(15) + std::chrono::minutes(30);
    EXPECT_EQ(DailyStats::dateKey(lateUtc), "2026-03-03"); // 00:30 UTC
    ::setenv("TZ", "EST5", 1); // five hours west of UTC, no zone database needed
    ::tzset();
    EXPECT_EQ(DailyStats::dateKey(lateUtc), "2026-03-02"); // 19:30 the evening before
    const FakeClock clock(lateUtc);
    EXPECT_EQ(DailyStats::todayKey(clock), "2026-03-02");
    // The zone changes under the running program (travel): the next date follows it.
    ::setenv("TZ", "GMT-14", 1);
    EXPECT_EQ(DailyStats::todayKey(clock), "2026-03-03"); // 14:30 the next day
    ::setenv("TZ", "UTC", 1);
}

TEST(DailyStats, DamagedDayFileOnDiskIsKeptAsideBeforeTheReadablePartReplacesIt)
{
    const std::string dir = test::makeTempDir("day-on-disk");
    std::filesystem::create_directories(dir + "/days");
    const std::string original =
        R"({"date":"2026-03-02","stateDurations":{"Flow":1800.5,"Chaos":"x"},"appDurations":{},"appNames":{}})";
    std::ofstream(dir + "/days/2026-03-02.json") << original;
    FileUserDefaults store(dir);
    EXPECT_EQ(DailyStats::load("2026-03-02", store).stateDurations,
              (std::map<std::string, long long>{{"Flow", 1800}}));
    int kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir + "/days")) {
        std::string text;
        readWholeFile(e.path(), text);
        if (e.path().filename() == "2026-03-02.json") {
            EXPECT_EQ(Json::parse(text)["stateDurations"], Json::parse(R"({"Flow":1800})"));
        } else {
            ++kept;
            EXPECT_EQ(text, original);
        }
    }
    EXPECT_EQ(kept, 1);
}

namespace {

long long appSeconds(const DailyStats& day)
{
    long long total = 0;
    for (const auto& [bundleID, seconds] : day.appDurations)
        total += seconds;
    return total;
}

// A day of a few main applications and very many short visits to others, whose stored
// record takes exactly `bytes`.
DailyStats busyDay(std::size_t bytes)
{
    DailyStats day{.date = "2026-03-02"};
    for (int i = 0; i < 8; ++i)
        day.add(900 - 10 * i, DiveState::flow, "org.example.Main" + std::to_string(i), "Main " + std::to_string(i));
    const auto visit = [&day](std::size_t i) {
        char id[32];
        std::snprintf(id, sizeof id, "org.example.Tool%05zu", i);
        day.add(1 + i % 2, DiveState::research, id, std::string("A tool with a name of some length ") + id);
    };
    visit(0);
    const std::size_t base = UserDefaults::recordBytes(day.toJson());
    visit(1);
    const std::size_t perVisit = UserDefaults::recordBytes(day.toJson()) - base;
    for (std::size_t i = 2; i <= (bytes - base) / perVisit; ++i)
        visit(i);
    day.appNames["org.example.Main0"] += std::string(bytes - UserDefaults::recordBytes(day.toJson()), '.');
    return day;
}

void saveAndRestart(const DailyStats& day, const std::string& dir)
{
    FileUserDefaults store(dir);
    day.save(store);
}

} // namespace

TEST(DailyStats, ABusyDayIsStoredWithinWhatIsReadBackAndKeepsItsTotals)
{
    const std::string dir = test::makeTempDir("busy-day");
    // The largest record the store writes comes back exactly as it was.
    const DailyStats full = busyDay(UserDefaults::kMaxRecordBytes);
    ASSERT_EQ(UserDefaults::recordBytes(full.toJson()), UserDefaults::kMaxRecordBytes);
    saveAndRestart(full, dir);
    FileUserDefaults first(dir);
    const std::string path = first.dayFilePath(DailyStats::storeKey(full.date));
    EXPECT_EQ(std::filesystem::file_size(path), UserDefaults::kMaxRecordBytes);
    DailyStats day = DailyStats::load(full.date, first);
    EXPECT_EQ(day, full);

    // The day goes on: more applications than fit. After the next restart its totals and
    // its top applications are all there.
    for (int i = 0; i < 400; ++i)
        day.add(1, DiveState::chaos, "org.example.Later" + std::to_string(i), "Later " + std::to_string(i));
    day.add(50, DiveState::flow, "org.example.Main7", "Main 7");
    saveAndRestart(day, dir);
    FileUserDefaults second(dir);
    EXPECT_LE(std::filesystem::file_size(path), UserDefaults::kMaxRecordBytes);
    const DailyStats back = DailyStats::load(day.date, second);
    EXPECT_EQ(back.stateDurations, day.stateDurations);
    EXPECT_EQ(back.totalTrackedSeconds(), day.totalTrackedSeconds());
    EXPECT_EQ(appSeconds(back), appSeconds(day));
    EXPECT_EQ(back.topApps(), day.topApps());
    EXPECT_LT(back.appDurations.size(), day.appDurations.size());
    EXPECT_EQ(back.storedForm(), back); // folded with room to spare: the next save does not fold again
    for (const auto& e : std::filesystem::directory_iterator(dir + "/days"))
        EXPECT_EQ(e.path().string(), path) << "something was set aside";

    // A day an older copy wrote beyond that bound is read whole.
    DailyStats older = busyDay(262160);
    older.date = "2026-03-01";
    std::ofstream(dir + "/days/2026-03-01.json") << older.toJson().dump() << "\n";
    EXPECT_EQ(DailyStats::load(older.date, second), older);
}
