#include "engine/DailyStats.h"
#include "platform/AppIdentity.h"
#include "platform/FakeClock.h"
#include "platform/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

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

TEST(DailyStats, UnreadableStoredDaysLoadAsEmptyAndExtraMembersAreIgnored)
{
    InMemoryUserDefaults store;
    const Json good = Json::parse(R"({"date":"2026-03-02","stateDurations":{"Flow":5},
        "appDurations":{},"appNames":{},"comment":"kept by someone else"})");
    store.set("dailyStats_2026-03-02", good);
    EXPECT_EQ(DailyStats::load("2026-03-02", store).stateDurations.at("Flow"), 5);

    const Json broken[] = {
        Json::parse(R"({"date":"2026-03-03","stateDurations":{"Flow":5},"appDurations":{}})"),
        Json::parse(R"({"date":"2026-03-03","stateDurations":{"Flow":"5"},"appDurations":{},"appNames":{}})"),
        Json::parse(R"({"date":"2026-03-03","stateDurations":{"Flow":5.5},"appDurations":{},"appNames":{}})"),
        Json::parse(R"({"date":7,"stateDurations":{},"appDurations":{},"appNames":{}})"),
        Json::parse(R"({"date":"2026-03-03","stateDurations":{},"appDurations":{},"appNames":{"a":1}})"),
        Json("not a record"),
        Json::array({1, 2}),
    };
    for (const auto& value : broken) {
        store.set("dailyStats_2026-03-03", value);
        EXPECT_EQ(DailyStats::load("2026-03-03", store), DailyStats{.date = "2026-03-03"}) << value.dump();
    }
    EXPECT_EQ(DailyStats::load("2026-03-04", store), DailyStats{.date = "2026-03-04"});
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
}
