#include "platform/AtomicFile.h"
#include "platform/FileUserDefaults.h"
#include "platform/Log.h"
#include "platform/VirtualScheduler.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

using namespace plovane;
namespace fs = std::filesystem;

namespace {

std::string slurp(const std::string& path)
{
    std::string s;
    readWholeFile(path, s);
    return s;
}

std::vector<std::string> filesIn(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct LogCapture {
    std::vector<std::string> lines;
    LogCapture()
    {
        setLogSink([this](std::string_view l) { lines.emplace_back(l); });
    }
    ~LogCapture() { setLogSink({}); }
};

} // namespace

TEST(FileUserDefaults, ValuesSurviveARestart)
{
    const std::string dir = test::makeTempDir("store");
    {
        FileUserDefaults d(dir);
        d.setDouble("quellin.idle_opacity", 0.55);
        d.setBool("quellin.chaos_enabled", true);
        d.setStringArray("tessivar.achilles_targets", {"dryEye", "varicoseVeins"});
        d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"stateDurations", {{"Flow", 12}}}});
    }
    FileUserDefaults again(dir);
    EXPECT_DOUBLE_EQ(again.doubleForKey("quellin.idle_opacity"), 0.55);
    EXPECT_TRUE(again.boolForKey("quellin.chaos_enabled"));
    EXPECT_EQ(again.stringArrayForKey("tessivar.achilles_targets"),
              (std::vector<std::string>{"dryEye", "varicoseVeins"}));
    auto day = again.object("dailyStats_2026-03-02");
    ASSERT_TRUE(day.has_value());
    EXPECT_EQ((*day)["stateDurations"]["Flow"], 12);
}

TEST(FileUserDefaults, EachDayLivesInItsOwnFileAndSavingOneLeavesTheOthersUntouched)
{
    const std::string dir = test::makeTempDir("days");
    FileUserDefaults d(dir);
    d.set("dailyStats_2026-03-01", {{"date", "2026-03-01"}});
    d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}});
    const auto yesterday = fs::last_write_time(d.dayFilePath("dailyStats_2026-03-01"));
    EXPECT_EQ(filesIn(dir + "/days"), (std::vector<std::string>{"2026-03-01.json", "2026-03-02.json"}));
    EXPECT_EQ(slurp(d.mainFilePath()), ""); // no ordinary key was written

    d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", 1}});
    EXPECT_EQ(fs::last_write_time(d.dayFilePath("dailyStats_2026-03-01")), yesterday);
    d.remove("dailyStats_2026-03-01");
    EXPECT_EQ(filesIn(dir + "/days"), (std::vector<std::string>{"2026-03-02.json"}));
    // A key that only looks like a day but could escape the folder stays in the main file.
    d.set("dailyStats_../evil", 1);
    EXPECT_TRUE(d.dayFilePath("dailyStats_../evil").empty());
    EXPECT_EQ(FileUserDefaults(dir).integerForKey("dailyStats_../evil"), 1);
}

TEST(FileUserDefaults, CorruptMainFileIsMovedAsideReportedOnceAndNotDestroyed)
{
    const std::string dir = test::makeTempDir("corrupt");
    const std::string garbage = "{\"quellin.idle_opacity\": 0.5, trunc";
    std::ofstream(dir + "/defaults.json") << garbage;
    LogCapture log;
    {
        FileUserDefaults d(dir);
        EXPECT_FALSE(d.contains("quellin.idle_opacity"));
        d.setBool("quellin.compact_mode", true);
    }
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("moved it to"), std::string::npos);
    auto names = filesIn(dir);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "defaults.json");
    EXPECT_EQ(names[1].rfind("defaults.json.corrupt-", 0), 0u);
    EXPECT_EQ(slurp(dir + "/" + names[1]), garbage);
    EXPECT_TRUE(FileUserDefaults(dir).boolForKey("quellin.compact_mode"));
}

TEST(FileUserDefaults, NonObjectMainFileAndCorruptDayAreKeptAside)
{
    const std::string dir = test::makeTempDir("shapes");
    std::ofstream(dir + "/defaults.json") << "[1, 2]";
    fs::create_directories(dir + "/days");
    std::ofstream(dir + "/days/2026-03-02.json") << "{not json";
    LogCapture log;
    FileUserDefaults d(dir);
    EXPECT_FALSE(d.object("dailyStats_2026-03-02").has_value());
    EXPECT_FALSE(d.object("dailyStats_2026-03-02").has_value()); // reported once
    EXPECT_EQ(log.lines.size(), 2u);
    d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}});
    EXPECT_EQ(filesIn(dir + "/days").size(), 2u); // the new day and the kept corrupt one
}

TEST(FileUserDefaults, KilledBetweenTempFileAndRenameLeavesTheOldFileIntact)
{
    const std::string dir = test::makeTempDir("crash");
    {
        FileUserDefaults d(dir);
        d.setDouble("quellin.session_minutes", 45);
    }
    const std::string before = slurp(dir + "/defaults.json");

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child dies at the most delicate point of the write.
        AtomicFile::setBeforeRenameHookForTesting([](const std::string&) { ::_exit(7); });
        FileUserDefaults d(dir);
        d.setDouble("quellin.session_minutes", 90);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 7);

    EXPECT_EQ(slurp(dir + "/defaults.json"), before);
    FileUserDefaults after(dir);
    EXPECT_EQ(after.doubleForKey("quellin.session_minutes"), 45);
    after.setDouble("quellin.session_minutes", 60); // a leftover temp file does not block writes
    EXPECT_EQ(FileUserDefaults(dir).doubleForKey("quellin.session_minutes"), 60);
}

TEST(FileUserDefaults, CoalescedWritesReachDiskOnceAfterTheDelayOrAtFlush)
{
    const std::string dir = test::makeTempDir("coalesce");
    FakeClock clock;
    VirtualScheduler sched(clock);
    FileUserDefaults d(dir, &sched, 0.5);
    for (int i = 1; i <= 60; ++i)
        d.setDouble("quellin.idle_opacity", i / 100.0);
    EXPECT_DOUBLE_EQ(d.doubleForKey("quellin.idle_opacity"), 0.6); // reads see the latest value
    EXPECT_FALSE(fs::exists(dir + "/defaults.json"));
    sched.advance(0.5);
    EXPECT_DOUBLE_EQ(FileUserDefaults(dir).doubleForKey("quellin.idle_opacity"), 0.6);

    d.setBool("quellin.compact_mode", true);
    EXPECT_TRUE(d.flush());
    EXPECT_TRUE(FileUserDefaults(dir).boolForKey("quellin.compact_mode"));
    EXPECT_EQ(sched.advance(1), 0); // the flushed write left nothing scheduled to run
}

TEST(FileUserDefaults, UnwritableFolderReportsFailureAndKeepsValuesInMemory)
{
    // A plain file where the folder should be: no one, root included, can create it.
    const std::string parent = test::makeTempDir("blocked");
    std::ofstream(parent + "/plovane") << "not a folder";
    LogCapture log;
    FileUserDefaults d(parent + "/plovane");
    d.setBool("k", true);
    EXPECT_TRUE(d.boolForKey("k"));
    EXPECT_FALSE(d.flush());
    EXPECT_FALSE(log.lines.empty());
}
