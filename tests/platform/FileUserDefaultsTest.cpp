#include "platform/AtomicFile.h"
#include "platform/FileUserDefaults.h"
#include "platform/Log.h"
#include "testing/VirtualScheduler.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
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

// A folder of its own under /tmp, which a user who is not root can reach (the test's home
// may not be); the test removes it.
std::string reachableTempDir()
{
    char pattern[] = "/tmp/plovane-store-XXXXXX";
    return ::mkdtemp(pattern) ? pattern : "";
}

// Runs `body` in a child that gives up root, since root reads and writes everything;
// returns its exit status (-1 when it did not exit).
template <typename Body>
int asUser(Body body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
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

TEST(FileUserDefaults, EachDayHasItsOwnFileAndSavingOneLeavesTheOthersUntouched)
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
    std::optional<FileUserDefaults::SettingsFileProblem> problem;
    {
        FileUserDefaults d(dir);
        EXPECT_FALSE(d.contains("quellin.idle_opacity"));
        d.setBool("quellin.compact_mode", true);
        problem = d.settingsFileProblem();
    }
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("moved it to"), std::string::npos);
    auto names = filesIn(dir);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "defaults.json");
    EXPECT_EQ(names[1].rfind("defaults.json.corrupt-", 0), 0u);
    EXPECT_EQ(slurp(dir + "/" + names[1]), garbage);
    // What the user is told: where the original went, and why.
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->problem.path, dir + "/defaults.json");
    EXPECT_EQ(problem->keptAs, dir + "/" + names[1]);
    EXPECT_EQ(problem->problem.cause, FileProblem::Cause::notJson);
    EXPECT_EQ(problem->problem.detail, "it is not valid JSON");
    FileUserDefaults again(dir);
    EXPECT_TRUE(again.boolForKey("quellin.compact_mode"));
    EXPECT_FALSE(again.settingsFileProblem());
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
    ASSERT_EQ(filesIn(dir).size(), 2u); // the file and the temporary one the child left
    std::ofstream(dir + "/notes.json.tmp") << "not ours";
    FileUserDefaults after(dir);
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"defaults.json", "notes.json.tmp"})); // the leftover is gone
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

TEST(FileUserDefaults, FailingSavesAreToldOnceAsTheyStartAndOnceAsTheyWorkAgain)
{
    const std::string dir = test::makeTempDir("days-blocked");
    FakeClock clock;
    VirtualScheduler sched(clock);
    FileUserDefaults d(dir, &sched, 0.5);
    std::vector<bool> told;
    const Connection failing = d.savesFailing.connect([&](bool now) { told.push_back(now); });
    LogCapture log;
    fs::create_directories(dir);
    std::ofstream(dir + "/days") << "not a folder";
    for (int n = 1; n <= 5; ++n) { // the periodic saves of a running day
        d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", n}});
        d.setDouble("quellin.idle_opacity", n / 10.0);
        sched.advance(10);
    }
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_NE(log.lines[0].find("daily statistics"), std::string::npos) << log.lines[0];
    EXPECT_NE(log.lines[0].find("not a folder"), std::string::npos) << log.lines[0];
    EXPECT_FALSE(d.flush());
    EXPECT_FALSE(d.settingsUnsaved()); // the settings themselves were written
    EXPECT_EQ(d.unsavedDays(), std::vector<std::string>{"2026-03-02"});
    EXPECT_EQ(d.daysFailure().cause, FileProblem::Cause::fileForFolder);
    EXPECT_EQ(d.daysFailure().path, dir + "/days");
    EXPECT_DOUBLE_EQ(FileUserDefaults(dir).doubleForKey("quellin.idle_opacity"), 0.5);
    EXPECT_EQ(told, std::vector<bool>{true});

    // The settings start failing too while the days still fail: that is news, told once.
    fs::remove(dir + "/defaults.json");
    fs::create_directory(dir + "/defaults.json");
    d.setDouble("quellin.idle_opacity", 0.8);
    sched.advance(FileUserDefaults::kRetrySeconds * 3);
    EXPECT_TRUE(d.settingsUnsaved());
    EXPECT_EQ(told, (std::vector<bool>{true, true}));
    fs::remove(dir + "/defaults.json");

    // Nothing new is set, and the store still tries again until it works.
    d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", 6}});
    sched.advance(FileUserDefaults::kRetrySeconds * 3);
    EXPECT_EQ(d.unsavedDays(), std::vector<std::string>{"2026-03-02"});
    fs::remove(dir + "/days");
    sched.advance(FileUserDefaults::kRetrySeconds);
    EXPECT_NE(log.lines.back().find("Saved the daily statistics again"), std::string::npos) << log.lines.back();
    EXPECT_TRUE(d.unsavedDays().empty());
    EXPECT_FALSE(d.settingsUnsaved());
    EXPECT_EQ((*FileUserDefaults(dir).object("dailyStats_2026-03-02"))["n"], 6);
    EXPECT_EQ(told, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(sched.advance(FileUserDefaults::kRetrySeconds * 3), 0); // and then stops trying

    // Saved once, a part that fails again is told again.
    fs::remove_all(dir + "/days");
    std::ofstream(dir + "/days") << "not a folder";
    d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", 7}});
    sched.advance(1);
    EXPECT_EQ(told, (std::vector<bool>{true, true, false, true}));
}

TEST(FileUserDefaults, BeforeSavingWhatWouldFailIsNamedWithItsCause)
{
    const std::string dir = test::makeTempDir("before-saving");
    EXPECT_FALSE(FileUserDefaults(dir).problemBeforeSaving("dailyStats_2026-03-02"));
    EXPECT_EQ(filesIn(dir), std::vector<std::string>{"days"}); // the folders, and no file left behind
    EXPECT_TRUE(filesIn(dir + "/days").empty());

    fs::remove(dir + "/days");
    std::ofstream(dir + "/days") << "not a folder";
    const FileProblem inTheWay = FileUserDefaults(dir).problemBeforeSaving("dailyStats_2026-03-02");
    EXPECT_EQ(inTheWay.cause, FileProblem::Cause::fileForFolder);
    EXPECT_EQ(inTheWay.path, dir + "/days");
    EXPECT_TRUE(inTheWay.folder);
}

TEST(FileUserDefaults, NothingIsWrittenThatCannotBeReadBack)
{
    const std::string dir = test::makeTempDir("read-back");
    // Settings that are read (another program's long list in them), laid out for people
    // to read would no longer be: they are written compact instead.
    std::string list = "[0";
    while (list.size() < FileUserDefaults::kMaxMainFileBytes - 1000)
        list += ",0";
    std::ofstream(dir + "/defaults.json") << "{\"quellin.idle_opacity\": 0.5, \"list\": " << list << "]}";
    LogCapture log;
    {
        FileUserDefaults d(dir);
        d.setDouble("quellin.idle_opacity", 0.7);
        // An application name from a broken desktop file: not UTF-8.
        d.setString("name", "Caf\xe9");
        d.set("dailyStats_2026-03-04", {{"date", "2026-03-04"}});
        EXPECT_TRUE(d.flush());
        // A record larger than is read back is not written: the last one stays.
        d.set("dailyStats_2026-03-04", {{"date", "2026-03-04"}, {"pad", std::string(UserDefaults::kMaxRecordBytes, 'p')}});
        EXPECT_FALSE(d.flush());
        EXPECT_EQ(d.unsavedDays(), std::vector<std::string>{"2026-03-04"});
        EXPECT_NE(d.daysFailure().detail.find("more than is read back"), std::string::npos) << d.daysFailure().detail;
    }
    FileUserDefaults again(dir);
    EXPECT_DOUBLE_EQ(again.doubleForKey("quellin.idle_opacity"), 0.7);
    EXPECT_EQ(again.object("list")->size(), (list.size() + 1) / 2);
    EXPECT_EQ(again.stringForKey("name"), "Caf\xef\xbf\xbd");
    EXPECT_EQ(*again.object("dailyStats_2026-03-04"), UserDefaults::Value({{"date", "2026-03-04"}}));
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"days", "defaults.json"}));
}

TEST(FileUserDefaults, FilesNestedPastTheBoundAreMovedAsideWithoutBeingWalked)
{
    const std::string dir = test::makeTempDir("deep");
    fs::create_directories(dir + "/days");
    const std::string deep = "{\"a\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    std::ofstream(dir + "/defaults.json") << deep;
    std::ofstream(dir + "/days/2026-03-02.json") << deep;
    // Nesting within the bound is an ordinary value.
    const std::string fine = "{\"date\": \"2026-03-03\", \"x\": " + std::string(60, '[') + std::string(60, ']') + "}";
    std::ofstream(dir + "/days/2026-03-03.json") << fine;
    LogCapture log;
    FileUserDefaults d(dir);
    EXPECT_FALSE(d.contains("a"));
    EXPECT_FALSE(d.object("dailyStats_2026-03-02").has_value());
    EXPECT_TRUE(d.object("dailyStats_2026-03-03").has_value());
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_NE(log.lines[0].find("nested"), std::string::npos) << log.lines[0];
    d.setBool("quellin.compact_mode", true);
    EXPECT_LT(fs::file_size(d.mainFilePath()), 100u);
    for (const std::string& folder : {dir, dir + "/days"}) {
        int kept = 0;
        for (const auto& name : filesIn(folder))
            if (name.find(".corrupt-") != std::string::npos) {
                ++kept;
                EXPECT_EQ(slurp(folder + "/" + name), deep);
            }
        EXPECT_EQ(kept, 1) << folder;
    }
}

TEST(FileUserDefaults, SpecialAndOversizedFilesAreSetAsideWithoutBlocking)
{
    const std::string dir = test::makeTempDir("special");
    fs::create_directories(dir + "/days");
    ASSERT_EQ(::mkfifo((dir + "/defaults.json").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir + "/days/2026-03-02.json").c_str(), 0600), 0);
    // A valid day larger than any day is read.
    constexpr std::size_t kLarge = FileUserDefaults::kMaxDayFileBytes + 1;
    std::ofstream(dir + "/days/2026-03-03.json")
        << "{\"date\": \"2026-03-03\", \"appNames\": {\"x\": \"" << std::string(kLarge, 'n') << "\"}}";
    ::alarm(20); // a FIFO read would block forever: fail instead of hanging the suite
    LogCapture log;
    {
        FileUserDefaults d(dir);
        EXPECT_FALSE(d.object("dailyStats_2026-03-02").has_value());
        EXPECT_FALSE(d.object("dailyStats_2026-03-03").has_value());
        d.setBool("quellin.compact_mode", true);
        d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}});
    }
    ::alarm(0);
    EXPECT_EQ(log.lines.size(), 3u);
    EXPECT_TRUE(FileUserDefaults(dir).boolForKey("quellin.compact_mode"));
    EXPECT_TRUE(fs::is_regular_file(dir + "/defaults.json"));
    int fifos = 0, large = 0;
    for (const std::string& folder : {dir, dir + "/days"})
        for (const auto& e : fs::directory_iterator(folder)) {
            fifos += e.is_fifo() && e.path().string().find(".corrupt-") != std::string::npos;
            large += e.is_regular_file() && e.file_size() > kLarge;
        }
    EXPECT_EQ(fifos, 2);
    EXPECT_EQ(large, 1); // the oversized day is kept aside, not lost

    // A huge but valid settings file is set aside once rather than rewritten on every change.
    const std::string big = test::makeTempDir("big");
    std::ofstream(big + "/defaults.json") << "{\"quellin.idle_opacity\": 0.5, \"pad\": \"" << std::string(2 << 20, 'p')
                                          << "\"}";
    FileUserDefaults huge(big);
    huge.setDouble("quellin.idle_opacity", 0.7);
    EXPECT_LT(fs::file_size(huge.mainFilePath()), 1000u);
}

// A file made unreadable while the program runs (its day was read already) is written back
// as one its owner may read at the next start, keeping the rest of its permissions.
TEST(FileUserDefaults, FilesWrittenBackStayTheirOwnersToReadAndWrite)
{
    const std::string dir = test::makeTempDir("modes");
    FileUserDefaults d(dir);
    d.setBool("quellin.compact_mode", true);
    d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", 1}});
    ASSERT_TRUE(d.flush());
    const std::string day = d.dayFilePath("dailyStats_2026-03-02");
    fs::permissions(day, fs::perms::none);
    fs::permissions(d.mainFilePath(), fs::perms::owner_read | fs::perms::group_read);
    d.setBool("quellin.compact_mode", false);
    d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", 2}});
    ASSERT_TRUE(d.flush());
    EXPECT_EQ(fs::status(day).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(d.mainFilePath()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(FileUserDefaults, TheUsersOwnLinksAreFollowedAndStayLinks)
{
    // A dotfile manager links the settings and a day into the user's repository.
    const std::string dir = test::makeTempDir("linked");
    const std::string repo = test::makeTempDir("dotfiles");
    fs::create_directories(dir + "/days");
    std::ofstream(repo + "/plovane.json") << "{\"quellin.idle_opacity\": 0.25}\n";
    std::ofstream(repo + "/day.json") << "{\"date\": \"2026-03-02\", \"n\": 1}\n";
    std::ofstream(repo + "/plovane.json.tmp-Ab12Cd") << "left by a write cut short";
    fs::permissions(repo + "/plovane.json", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("../dotfiles/plovane.json", dir + "/defaults.json"); // relative, as stow makes them
    fs::create_symlink(repo + "/day.json", dir + "/days/2026-03-02.json");
    LogCapture log;
    {
        FileUserDefaults d(dir);
        EXPECT_DOUBLE_EQ(d.doubleForKey("quellin.idle_opacity"), 0.25);
        EXPECT_EQ((*d.object("dailyStats_2026-03-02"))["n"], 1);
        d.setDouble("quellin.idle_opacity", 0.9);
        d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", 2}});
        EXPECT_TRUE(d.flush());
    }
    EXPECT_TRUE(log.lines.empty()) << log.lines[0];
    EXPECT_TRUE(fs::is_symlink(dir + "/defaults.json"));
    EXPECT_TRUE(fs::is_symlink(dir + "/days/2026-03-02.json"));
    EXPECT_EQ(filesIn(repo), (std::vector<std::string>{"day.json", "plovane.json"}));
    EXPECT_EQ(fs::status(repo + "/plovane.json").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    FileUserDefaults again(dir);
    EXPECT_DOUBLE_EQ(again.doubleForKey("quellin.idle_opacity"), 0.9);
    EXPECT_EQ((*again.object("dailyStats_2026-03-02"))["n"], 2);

    // Damaged where it leads, the file is kept aside there, and the link still leads to the new one.
    std::ofstream(repo + "/plovane.json") << "<<<<<<< HEAD";
    FileUserDefaults damaged(dir);
    damaged.setBool("quellin.compact_mode", true);
    EXPECT_TRUE(fs::is_symlink(dir + "/defaults.json"));
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"days", "defaults.json"}));
    ASSERT_EQ(filesIn(repo).size(), 3u);
    EXPECT_EQ(slurp(repo + "/" + filesIn(repo)[2]), "<<<<<<< HEAD");
    EXPECT_TRUE(FileUserDefaults(dir).boolForKey("quellin.compact_mode"));
}

TEST(FileUserDefaults, OtherLinksAreNeitherFollowedNorReplaced)
{
    const std::string dir = test::makeTempDir("links");
    const std::string elsewhere = test::makeTempDir("elsewhere");
    fs::create_directories(dir + "/days");
    // A regular file of another user: as root, one handed to nobody; else one of root's.
    std::string theirs = "/etc/passwd";
    if (::geteuid() == 0) {
        theirs = elsewhere + "/settings.json";
        std::ofstream(theirs) << "{\"quellin.idle_opacity\": 0.25}\n";
        ASSERT_EQ(::chown(theirs.c_str(), 65534, 65534), 0);
    }
    const std::string before = slurp(theirs);
    fs::create_symlink(theirs, dir + "/defaults.json");
    fs::create_symlink("/dev/zero", dir + "/days/2026-03-02.json");
    fs::create_symlink(elsewhere + "/unmounted/day.json", dir + "/days/2026-03-03.json");
    LogCapture log;
    ::alarm(20);
    FileUserDefaults d(dir);
    EXPECT_FALSE(d.contains("quellin.idle_opacity"));
    EXPECT_FALSE(d.object("dailyStats_2026-03-02").has_value());
    EXPECT_FALSE(d.object("dailyStats_2026-03-03").has_value());
    ::alarm(0);
    d.setDouble("quellin.idle_opacity", 0.9);
    d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}});
    d.set("dailyStats_2026-03-03", {{"date", "2026-03-03"}});
    EXPECT_DOUBLE_EQ(d.doubleForKey("quellin.idle_opacity"), 0.9); // runs on in memory
    EXPECT_FALSE(d.flush());
    EXPECT_EQ(log.lines.size(), 3u); // one line per link, none per refused write
    EXPECT_TRUE(d.settingsUnsaved());
    EXPECT_EQ(d.unsavedDays(), (std::vector<std::string>{"2026-03-02", "2026-03-03"}));
    for (const char* name : {"/defaults.json", "/days/2026-03-02.json", "/days/2026-03-03.json"})
        EXPECT_TRUE(fs::is_symlink(dir + name)) << name;
    EXPECT_EQ(slurp(theirs), before);
    EXPECT_FALSE(fs::exists(elsewhere + "/unmounted"));
}

TEST(FileUserDefaults, TemporaryFilesNeverGoThroughAPlantedLink)
{
    const std::string dir = test::makeTempDir("planted");
    const std::string victim = test::makeTempDir("victim") + "/file";
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, dir + "/defaults.json.tmp");
    {
        FileUserDefaults d(dir);
        d.setBool("quellin.compact_mode", true);
    }
    EXPECT_EQ(slurp(victim), "precious");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir + "/defaults.json")));
    EXPECT_TRUE(FileUserDefaults(dir).boolForKey("quellin.compact_mode"));
}

TEST(FileUserDefaults, UnreadableFilesAreReportedOnceAndNeverWrittenOver)
{
    const std::string dir = reachableTempDir();
    ASSERT_FALSE(dir.empty());
    fs::create_directories(dir + "/days");
    std::ofstream(dir + "/defaults.json") << "{\"quellin.idle_opacity\": 0.25}\n";
    std::ofstream(dir + "/days/2026-03-02.json") << "{\"date\": \"2026-03-02\"}\n";
    fs::permissions(dir + "/defaults.json", fs::perms::none);
    fs::permissions(dir + "/days/2026-03-02.json", fs::perms::none);
    // Writable by the child, so only the store's own restraint protects the files.
    fs::permissions(dir, fs::perms::all);
    fs::permissions(dir + "/days", fs::perms::all);

    EXPECT_EQ(asUser([&] {
                  int lines = 0;
                  setLogSink([&](std::string_view) { ++lines; });
                  FileUserDefaults d(dir);
                  if (d.contains("quellin.idle_opacity") || d.object("dailyStats_2026-03-02").has_value())
                      return 11;
                  d.setDouble("quellin.idle_opacity", 0.9);
                  d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", 1}});
                  if (d.doubleForKey("quellin.idle_opacity") != 0.9)
                      return 12;
                  if (d.flush())
                      return 13;
                  // Left where it is, which the user is told.
                  if (!d.settingsFileProblem() || !d.settingsFileProblem()->keptAs.empty())
                      return 15;
                  return lines == 2 ? 0 : 14;
              }),
              0);
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"days", "defaults.json"}));
    EXPECT_EQ(filesIn(dir + "/days"), (std::vector<std::string>{"2026-03-02.json"}));
    fs::permissions(dir + "/defaults.json", fs::perms::owner_read);
    EXPECT_EQ(slurp(dir + "/defaults.json"), "{\"quellin.idle_opacity\": 0.25}\n");
    fs::remove_all(dir);
}

// The user is told why (permission, on which file); once they restore the permissions,
// trying again reads the files afresh and loses neither what they held nor what was set.
TEST(FileUserDefaults, UnreadableFilesAreNamedAndTryingAgainReadsThemAfresh)
{
    const std::string dir = reachableTempDir();
    ASSERT_FALSE(dir.empty());
    fs::create_directories(dir + "/days");
    std::ofstream(dir + "/defaults.json") << "{\"quellin.idle_opacity\": 0.25, \"quellin.chaos_enabled\": true}\n";
    std::ofstream(dir + "/days/2026-03-02.json") << "{\"date\": \"2026-03-02\", \"n\": 40}\n";
    fs::permissions(dir + "/defaults.json", fs::perms::none);
    fs::permissions(dir + "/days/2026-03-02.json", fs::perms::none);
    // The child gives up root and owns the files, so it can give their permissions back.
    if (::geteuid() == 0) {
        for (const std::string& path : {dir, dir + "/days", dir + "/defaults.json", dir + "/days/2026-03-02.json"})
            ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }

    EXPECT_EQ(asUser([&] {
                  setLogSink([](std::string_view) {});
                  FileUserDefaults d(dir);
                  d.setCombiner("dailyStats_", [](const UserDefaults::Value& stored, const UserDefaults::Value& set) {
                      UserDefaults::Value sum = set;
                      sum["n"] = stored["n"].get<int>() + set["n"].get<int>();
                      return sum;
                  });
                  d.setBool("quellin.compact_mode", true);
                  d.remove("quellin.chaos_enabled");
                  d.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", 2}});
                  if (d.flush() || d.saveAgain())
                      return 11;
                  const FileProblem settings = d.settingsFailure();
                  const FileProblem day = d.daysFailure();
                  if (settings.cause != FileProblem::Cause::permission || settings.path != dir + "/defaults.json")
                      return 12;
                  if (day.cause != FileProblem::Cause::permission || day.path != dir + "/days/2026-03-02.json")
                      return 13;
                  fs::permissions(dir + "/defaults.json", fs::perms::owner_read | fs::perms::owner_write);
                  fs::permissions(dir + "/days/2026-03-02.json", fs::perms::owner_read | fs::perms::owner_write);
                  if (!d.saveAgain() || d.settingsFailure() || d.daysFailure())
                      return 14;
                  FileUserDefaults again(dir);
                  if (again.doubleForKey("quellin.idle_opacity") != 0.25 || !again.boolForKey("quellin.compact_mode") ||
                      again.contains("quellin.chaos_enabled"))
                      return 15;
                  return (*again.object("dailyStats_2026-03-02"))["n"] == 42 ? 0 : 16;
              }),
              0);
    fs::remove_all(dir);
}

// Today's file is one the program may not read: the check before saving names it and why.
TEST(FileUserDefaults, BeforeSavingADayThatCannotBeReadIsNamed)
{
    const std::string dir = reachableTempDir();
    ASSERT_FALSE(dir.empty());
    fs::create_directories(dir + "/days");
    std::ofstream(dir + "/days/2026-03-02.json") << "{\"date\": \"2026-03-02\"}\n";
    fs::permissions(dir + "/days/2026-03-02.json", fs::perms::none);
    fs::permissions(dir, fs::perms::all);
    fs::permissions(dir + "/days", fs::perms::all);
    EXPECT_EQ(asUser([&] {
                  setLogSink([](std::string_view) {});
                  FileUserDefaults d(dir);
                  const FileProblem problem = d.problemBeforeSaving("dailyStats_2026-03-02");
                  if (problem.cause != FileProblem::Cause::permission || problem.path != dir + "/days/2026-03-02.json")
                      return 11;
                  return d.problemBeforeSaving("dailyStats_2026-03-03") ? 12 : 0;
              }),
              0);
    fs::remove_all(dir);
}
