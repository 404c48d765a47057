// Importing character packs from archives the tests make themselves, through the real
// unzip tool, with the dialogs stood in for.
#include "ZipWriter.h"
#include "TestSupport.h"

#include "packs/CharacterPackImport.h"
#include "packs/PackImportTexts.h"
#include "packs/PackInstaller.h"
#include "platform/InMemoryUserDefaults.h"
#include "platform/Scheduler.h"
#include "settings/AppLanguage.h"
#include "settings/AppResource.h"
#include "settings/CustomCharacter.h"
#include "settings/HUDSettings.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

using namespace plovane;
using plovane::test::ZipWriter;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The main thread of the tests: tasks posted from any thread run when the test pumps.
class QueueScheduler final : public Scheduler {
public:
    TaskHandle post(Task task) override
    {
        auto [handle, guarded] = makeGuarded(std::move(task));
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(guarded));
        }
        ready_.notify_all();
        return handle;
    }
    TaskHandle postAfter(double, Task task) override { return post(std::move(task)); }

    // Runs posted tasks until `done` holds or `limit` passes.
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            Task task;
            {
                // Wakes now and then to look at `done` also when nothing is posted.
                std::unique_lock lock(mutex_);
                if (!ready_.wait_for(lock, 20ms, [this] { return !tasks_.empty(); }))
                    continue;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Task> tasks_;
};

struct Alert {
    bool success{false};
    std::string title;
    std::string message;
};

struct FakeDesktop final : PackImportDesktop {
    std::optional<std::string> chooseArchive(const std::string& title) override
    {
        chooserTitles.push_back(title);
        journal.push_back("chooser");
        return archive;
    }
    void showAlert(bool success, const std::string& title, const std::string& message) override
    {
        journal.push_back("alert");
        alerts.push_back({success, title, message});
    }
    void openFolder(const std::string& path) override { opened.push_back(path); }

    std::optional<std::string> archive;
    std::vector<std::string> chooserTitles;
    std::vector<Alert> alerts;
    std::vector<std::string> opened;
    std::vector<std::string>& journal;
    explicit FakeDesktop(std::vector<std::string>& j) : journal(j) {}
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const char* const kSprites[] = {"deep_dive", "reading", "hovering", "resting", "critical"};

class CharacterPackImportTest : public ::testing::Test {
protected:
    CharacterPackImportTest()
    {
        auto defaults = std::make_shared<InMemoryUserDefaults>();
        defaults->set("tessivar.language", std::string("en"));
        UserDefaults::setStandard(defaults);
        ::setenv("TMPDIR", temporaryBase.c_str(), 1);
        AppResource::ensureCustomSpritesDir();
        AppLanguage::shared().language = Language::en;
    }

    // Picks `zip` in the dialog and waits for the import's alert.
    Alert importArchive(const ZipWriter& zip) { return importFile(writeArchive(zip.bytes())); }
    std::string writeArchive(const std::string& bytes)
    {
        const std::string path = archives + "/pack" + std::to_string(++archiveCount) + ".zip";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    Alert importFile(const std::string& path)
    {
        desktop.archive = path;
        const auto before = desktop.alerts.size();
        importer.importCharacterPack();
        EXPECT_TRUE(scheduler.pumpUntil([&] { return desktop.alerts.size() > before; })) << "no alert";
        return desktop.alerts.empty() ? Alert{} : desktop.alerts.back();
    }

    std::string packs() const { return AppResource::customSpritesBase(); }
    std::string current() const { return HUDSettings::shared().characterID.get().rawValue(); }

    // Nothing of an import outlives it but the installed pack: no temporary folder, no
    // half-made copy, nothing beside the packs folder.
    void expectNothingLeftBehind()
    {
        EXPECT_EQ(namesIn(temporaryBase), std::vector<std::string>{});
        for (const auto& name : namesIn(packs()))
            EXPECT_FALSE(name.starts_with(".incoming-") || name.starts_with(".outgoing-")) << name;
        EXPECT_EQ(namesIn(fs::path(packs()).parent_path()), std::vector<std::string>{"Sprites"});
        EXPECT_FALSE(fs::exists(fs::symlink_status(std::string(std::getenv("HOME")) + "/escaped.txt")));
    }
    void expectRefused(const Alert& alert, const std::string& message)
    {
        EXPECT_FALSE(alert.success);
        EXPECT_EQ(alert.title, "Import Failed");
        EXPECT_EQ(alert.message, message);
        EXPECT_EQ(namesIn(packs()), std::vector<std::string>{});
        EXPECT_EQ(current(), "tuffin");
        expectNothingLeftBehind();
    }

    std::string temporaryBase = test::makeTempDir("tmp");
    std::string archives = test::makeTempDir("archives");
    int archiveCount{0};
    std::vector<std::string> journal;
    FakeDesktop desktop{journal};
    QueueScheduler scheduler;
    CharacterPackImport importer{scheduler, desktop, [this] {
                                     journal.push_back("installed " + current());
                                 }};
};

TEST_F(CharacterPackImportTest, AValidPackIsInstalledMadeCurrentAndAnnounced)
{
    auto zip = test::packArchive("Kiwi", R"({"name": "Kiwi Bird"})");
    zip.file("Kiwi/sprite_reading_32_1.png", test::tinyPng(), 0104755); // set-id and executable
    zip.file("Kiwi/extra/notes.txt", "hello", 0100777);
    // Marked closed to everyone in the archive: still checked and copied.
    zip.add({"Kiwi/shut/", "", 040000}).file("Kiwi/shut/inside.txt", "in", 0100000);
    const Alert alert = importArchive(zip);

    EXPECT_TRUE(alert.success);
    EXPECT_EQ(alert.title, "Import Successful");
    EXPECT_EQ(alert.message, "Character \"\u2068Kiwi Bird\u2069\" imported successfully!");
    EXPECT_EQ(desktop.chooserTitles, std::vector<std::string>{"Select Character Pack (.zip)"});
    EXPECT_EQ(current(), "custom:Kiwi");
    // The menus are refreshed with the new character in place, then the alert shows.
    EXPECT_EQ(journal, (std::vector<std::string>{"chooser", "installed custom:Kiwi", "alert"}));

    const std::string dir = packs() + "/Kiwi";
    for (const char* key : kSprites)
        EXPECT_EQ(readFile(dir + "/sprite_" + key + "_32.png"), test::tinyPng()) << key;
    EXPECT_EQ(readFile(dir + "/extra/notes.txt"), "hello");
    EXPECT_EQ(readFile(dir + "/shut/inside.txt"), "in");
    // The archive's modes are not carried over: plain files and folders, as the user's
    // file-creation mask makes them.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const char* file : {"/sprite_reading_32_1.png", "/extra/notes.txt", "/manifest.json", "/shut/inside.txt"})
        EXPECT_EQ(fs::status(dir + file).permissions() & fs::perms::mask, fs::perms(0644 & ~mask)) << file;
    for (const char* folder : {"", "/extra", "/shut"})
        EXPECT_EQ(fs::status(dir + folder).permissions() & fs::perms::mask, fs::perms(0755 & ~mask)) << folder;
    ASSERT_EQ(CustomCharacter::loadAll().size(), 1u);
    EXPECT_EQ(CustomCharacter::loadAll()[0].displayName(), "Kiwi Bird");
    expectNothingLeftBehind();
}

TEST_F(CharacterPackImportTest, TextsFollowTheLanguageOfTheMoment)
{
    AppLanguage::shared().language = Language::zh;
    Alert alert = importArchive(test::packArchive("Kiwi", R"({"name": "奇异果"})"));
    EXPECT_EQ(desktop.chooserTitles.back(), "选择员工包 (.zip)");
    EXPECT_EQ(alert.title, "导入成功");
    EXPECT_EQ(alert.message, "员工「\u2068奇异果\u2069」导入成功！");

    alert = importArchive(ZipWriter().file("Kiwi/manifest.json", "{}"));
    EXPECT_EQ(alert.title, "导入失败");
    EXPECT_EQ(alert.message, "缺少必需的图片：deep_dive, reading, hovering, resting, critical");
    alert = importArchive(ZipWriter().file("Kiwi/readme.txt", "no manifest"));
    EXPECT_EQ(alert.message, "无效的员工包：缺少 manifest.json");
    alert = importArchive(ZipWriter().file("../escaped.txt", "x"));
    EXPECT_EQ(alert.message, "无效的员工包：含有指向包外的路径");
    alert = importFile(writeArchive("not a zip"));
    EXPECT_EQ(alert.message, "Failed to unzip file");
}

TEST_F(CharacterPackImportTest, ANameIsIsolatedFromTheTextAroundItAndALongOneIsCut)
{
    // An override left open would reverse the rest of our sentence.
    Alert alert = importArchive(test::packArchive("Spoof", R"({"name": "abc\u202Egnp.exe"})"));
    EXPECT_EQ(alert.message, "Character \"\u2068abc\u202Egnp.exe\u2069\" imported successfully!");
    AppLanguage::shared().language = Language::zh;
    alert = importArchive(test::packArchive("Spoof", R"({"name": "abc\u202Egnp.exe"})"));
    EXPECT_EQ(alert.message, "员工「\u2068abc\u202Egnp.exe\u2069」导入成功！");
    AppLanguage::shared().language = Language::en;

    // 5,000 letters, each with its accent: cut after 64 of them, never between the two.
    std::string accented;
    for (int i = 0; i < 5000; ++i)
        accented += "e\u0301";
    alert = importArchive(test::packArchive("Long", R"({"name": ")" + accented + R"("})"));
    EXPECT_TRUE(alert.success);
    EXPECT_EQ(alert.message, "Character \"\u2068" + accented.substr(0, 64 * 3) + "\u2026\u2069\" imported successfully!");
    EXPECT_EQ(PackImportTexts::isolatedName("abc", 3), "\u2068abc\u2069") << "nothing cut at the limit";
}

TEST_F(CharacterPackImportTest, OnlyATopLevelFolderWithAManifestIsAPack)
{
    // Files at the top level, with no folder around them.
    ZipWriter flat;
    flat.file("manifest.json", "{}");
    for (const char* key : kSprites)
        flat.file(std::string("sprite_") + key + "_32.png", test::tinyPng());
    expectRefused(importArchive(flat), "Invalid pack: missing manifest.json");

    // A manifest only deeper down, as in an archive's metadata folder.
    auto nested = test::packArchive("__MACOSX/Kiwi", "{}");
    expectRefused(importArchive(nested), "Invalid pack: missing manifest.json");

    // Two packs: exactly one of them is installed and becomes current.
    auto two = test::packArchive("Alpha", "{}");
    for (auto& name : {std::string("Beta/manifest.json")})
        two.file(name, "{}");
    for (const char* key : kSprites)
        two.file(std::string("Beta/sprite_") + key + "_32.png", test::tinyPng());
    const Alert alert = importArchive(two);
    EXPECT_TRUE(alert.success);
    const auto installed = namesIn(packs());
    ASSERT_EQ(installed.size(), 1u);
    EXPECT_EQ(current(), "custom:" + installed[0]);
    EXPECT_EQ(alert.message, "Character \"\u2068" + installed[0] + "\u2069\" imported successfully!");
    expectNothingLeftBehind();
}

TEST_F(CharacterPackImportTest, AHiddenPackFolderIsInstalledButNotListed)
{
    const Alert alert = importArchive(test::packArchive(".secret", R"({"name": "Secret"})"));
    EXPECT_TRUE(alert.success);
    EXPECT_EQ(alert.message, "Character \"\u2068Secret\u2069\" imported successfully!");
    EXPECT_EQ(current(), "custom:.secret");
    EXPECT_TRUE(fs::exists(packs() + "/.secret/sprite_critical_32.png"));
    EXPECT_TRUE(CustomCharacter::loadAll().empty());
    expectNothingLeftBehind();
}

TEST_F(CharacterPackImportTest, MissingSpritesAreListedByKeyInTheirOrder)
{
    ZipWriter zip;
    zip.file("Kiwi/manifest.json", "{}");
    for (const char* key : {"critical", "deep_dive", "resting", "hovering"})
        if (std::string(key) != "critical")
            zip.file(std::string("Kiwi/sprite_") + key + "_32.png", test::tinyPng());
    zip.file("Kiwi/sprite_reading_32_1.png", test::tinyPng()); // a frame is not the still
    expectRefused(importArchive(zip), "Missing required sprites: reading, critical");
}

TEST_F(CharacterPackImportTest, TheDisplayNameFallsBackToTheFolderName)
{
    EXPECT_EQ(importArchive(test::packArchive("NoName", R"({"title": "x"})")).message,
              "Character \"\u2068NoName\u2069\" imported successfully!");
    EXPECT_EQ(importArchive(test::packArchive("Numeric", R"({"name": 7})")).message,
              "Character \"\u2068Numeric\u2069\" imported successfully!");
    EXPECT_EQ(importArchive(test::packArchive("Broken", R"({"name": )")).message,
              "Character \"\u2068Broken\u2069\" imported successfully!");
    EXPECT_EQ(importArchive(test::packArchive("Listed", R"(["name"])")).message,
              "Character \"\u2068Listed\u2069\" imported successfully!");
    EXPECT_EQ(importArchive(test::packArchive("Empty", R"({"name": ""})")).message,
              "Character \"\u2068\u2069\" imported successfully!");
    EXPECT_EQ(current(), "custom:Empty");
    expectNothingLeftBehind();
}

TEST_F(CharacterPackImportTest, CorruptAndForeignFilesFailToUnzip)
{
    expectRefused(importFile(writeArchive("PNG? no, plain text")), "Failed to unzip file");
    // A well-formed directory whose data is damaged: only the tool finds out.
    std::string damaged = test::packArchive("Kiwi", "{}").bytes();
    damaged[damaged.find("IHDR") + 2] ^= 0x5A;
    expectRefused(importFile(writeArchive(damaged)), "Failed to unzip file");
    // Cut short.
    const std::string whole = test::packArchive("Kiwi", "{}").bytes();
    expectRefused(importFile(writeArchive(whole.substr(0, whole.size() / 2))), "Failed to unzip file");
}

TEST_F(CharacterPackImportTest, ASecondImportOfTheSameFolderReplacesTheWholePack)
{
    auto first = test::packArchive("Kiwi", R"({"name": "Old"})");
    first.file("Kiwi/old_only.txt", "old");
    ASSERT_TRUE(importArchive(first).success);
    HUDSettings::shared().characterID = CharacterID::builtIn(SpriteCharacter::corgi);

    const Alert alert = importArchive(test::packArchive("Kiwi", R"({"name": "New"})"));
    EXPECT_EQ(alert.message, "Character \"\u2068New\u2069\" imported successfully!");
    EXPECT_FALSE(fs::exists(packs() + "/Kiwi/old_only.txt"));
    EXPECT_EQ(packDisplayName(packs() + "/Kiwi/manifest.json", ""), "New");
    EXPECT_EQ(namesIn(packs()), std::vector<std::string>{"Kiwi"});
    EXPECT_EQ(current(), "custom:Kiwi");
    expectNothingLeftBehind();
}

TEST_F(CharacterPackImportTest, EntriesThatClimbOutOrAreAbsoluteAreRefused)
{
    const std::string home = std::getenv("HOME");
    auto climbing = test::packArchive("Kiwi", "{}");
    climbing.file("Kiwi/../../../../../../../../" + home.substr(1) + "/escaped.txt", "x");
    expectRefused(importArchive(climbing), "Invalid pack: it holds paths that lead outside the pack");

    auto absolute = test::packArchive("Kiwi", "{}");
    absolute.file(home + "/escaped.txt", "x");
    expectRefused(importArchive(absolute), "Invalid pack: it holds paths that lead outside the pack");
}

TEST_F(CharacterPackImportTest, LinksAndSpecialFilesAreRefused)
{
    const std::string home = std::getenv("HOME");
    const std::string message = "Invalid pack: it holds links or special files";

    // A sprite that is a link to a file outside.
    auto toFile = test::packArchive("Kiwi", "{}");
    toFile.symlink("Kiwi/sprite_extra_32.png", "/etc/passwd");
    expectRefused(importArchive(toFile), message);

    // A link to a folder outside, and a file written through it.
    auto toFolder = test::packArchive("Kiwi", "{}");
    toFolder.symlink("Kiwi/out", home);
    toFolder.file("Kiwi/out/escaped.txt", "x");
    expectRefused(importArchive(toFolder), message);

    auto device = test::packArchive("Kiwi", "{}");
    device.file("Kiwi/tty", "", 0020666);
    expectRefused(importArchive(device), message);
    auto fifo = test::packArchive("Kiwi", "{}");
    fifo.file("Kiwi/pipe", "", 0010644);
    expectRefused(importArchive(fifo), message);
}

TEST_F(CharacterPackImportTest, ArchivesPastTheSizeOrEntryBoundsAreRefused)
{
    auto declaredHuge = test::packArchive("Kiwi", "{}");
    declaredHuge.add({"Kiwi/huge.bin", "small", 0100644, ZipWriter::Method::stored, 4'000'000'000ull});
    expectRefused(importArchive(declaredHuge), "Invalid pack: larger than 64 MB when unpacked");

    auto thousands = test::packArchive("Kiwi", "{}");
    for (int i = 0; i < 2500; ++i)
        thousands.file("Kiwi/tiny/" + std::to_string(i), "");
    expectRefused(importArchive(thousands), "Invalid pack: more than 2000 files");

    // An entry that declares 1 KB but inflates to 80 MB: stopped while it unpacks.
    auto lying = test::packArchive("Kiwi", "{}");
    lying.add({"Kiwi/bomb.bin", std::string(80u << 20, '\0'), 0100644, ZipWriter::Method::deflated, 1000});
    expectRefused(importArchive(lying), "Invalid pack: larger than 64 MB when unpacked");
}

TEST_F(CharacterPackImportTest, SpritesTooLargeNotPngOrUndecodableAreRefused)
{
    // A few kilobytes that would take 196 MB to draw.
    auto huge = test::packArchive("Kiwi", "{}");
    huge.file("Kiwi/sprite_deep_dive_32.png", test::pngHeaderOfSize(7000, 7000));
    expectRefused(importArchive(huge), "Invalid pack: sprites larger than 512 × 512 pixels");

    auto wideFrame = test::packArchive("Kiwi", "{}");
    wideFrame.file("Kiwi/sprite_reading_32_2.png", test::pngHeaderOfSize(513, 8));
    expectRefused(importArchive(wideFrame), "Invalid pack: sprites larger than 512 × 512 pixels");

    auto notPng = test::packArchive("Kiwi", "{}");
    notPng.file("Kiwi/sprite_resting_32.png", "GIF89a, not a PNG");
    expectRefused(importArchive(notPng), "Invalid pack: it holds sprites that are not PNG images");

    // A sound header and nothing after it, or pixels cut off half way.
    auto headerOnly = test::packArchive("Kiwi", "{}");
    headerOnly.file("Kiwi/sprite_critical_32.png", test::pngHeaderOfSize(32, 32));
    expectRefused(importArchive(headerOnly), "Invalid pack: it holds sprites that are damaged or cut off");
    const std::string whole = test::pngOfSize(64, 64);
    auto cutOff = test::packArchive("Kiwi", "{}");
    cutOff.file("Kiwi/sprite_reading_32_3.png", whole.substr(0, whole.size() / 2));
    expectRefused(importArchive(cutOff), "Invalid pack: it holds sprites that are damaged or cut off");

    AppLanguage::shared().language = Language::zh;
    EXPECT_EQ(importArchive(huge).message, "无效的员工包：图片超过 512 × 512 像素");
    EXPECT_EQ(importArchive(notPng).message, "无效的员工包：含有不是 PNG 格式的图片");
    EXPECT_EQ(importArchive(headerOnly).message, "无效的员工包：含有不完整或无法读取的图片");
    AppLanguage::shared().language = Language::en;

    // At the bound, and other files of any kind beside the sprites, are fine.
    auto atBound = test::packArchive("Kiwi", "{}");
    atBound.file("Kiwi/sprite_hovering_32_1.png", test::pngOfSize(512, 512));
    atBound.file("Kiwi/cover.png", test::pngHeaderOfSize(4000, 4000)).file("Kiwi/sprite_notes.txt", "x");
    EXPECT_TRUE(importArchive(atBound).success);
    EXPECT_EQ(current(), "custom:Kiwi");
}

// A stand-in for the unzip tool: a shell script with `body`.
std::string standInUnzip(const std::string& body)
{
    const std::string path = test::makeTempDir("bin") + "/unzip";
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(path, fs::perms(0755));
    return path;
}

TEST_F(CharacterPackImportTest, AStalledToolIsStoppedWhileTheMainThreadRunsOn)
{
    const std::string pidFile = test::makeTempDir("pids") + "/sleeper";
    UnzipOptions options;
    options.program = standInUnzip("sleep 600 & echo $! > " + pidFile + "\nwait");
    options.timeout = 1500ms;
    importer.setUnzipOptions(options);
    desktop.archive = writeArchive(test::packArchive("Kiwi", "{}").bytes());

    const auto started = std::chrono::steady_clock::now();
    importer.importCharacterPack();
    // The menu action returns at once; the main thread keeps running tasks meanwhile.
    EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms);
    EXPECT_TRUE(importer.isBusy());
    int ticks = 0;
    for (int i = 0; i < 5; ++i) {
        scheduler.post([&] { ++ticks; });
        EXPECT_TRUE(scheduler.pumpUntil([&] { return ticks == i + 1; }, 1s));
    }
    EXPECT_TRUE(desktop.alerts.empty());
    // A second import while this one runs is not started.
    importer.importCharacterPack();
    EXPECT_EQ(desktop.chooserTitles.size(), 1u);

    ASSERT_TRUE(scheduler.pumpUntil([&] { return !desktop.alerts.empty(); }));
    expectRefused(desktop.alerts.back(), "Failed to unzip file");
    EXPECT_FALSE(importer.isBusy());
    // The tool and what it started are gone.
    const pid_t sleeper = std::stoi(readFile(pidFile));
    EXPECT_TRUE(scheduler.pumpUntil([&] { return ::kill(sleeper, 0) != 0; }, 2s));
}

TEST_F(CharacterPackImportTest, AToolThatKeepsWritingIsStoppedAtTheSizeBound)
{
    UnzipOptions options;
    // Keeps writing 1 MB files for as long as it is let.
    options.program = standInUnzip("i=0; while :; do head -c 1048576 /dev/zero > \"$4/f$i\"; i=$((i+1)); done");
    options.limits.maxTotalBytes = 8u << 20;
    importer.setUnzipOptions(options);
    // Its largest entry, 1 MB, sets how large any one file may grow.
    auto zip = test::packArchive("Kiwi", "{}");
    zip.file("Kiwi/large.bin", std::string(1u << 20, 'x'));
    expectRefused(importArchive(zip), "Invalid pack: larger than 64 MB when unpacked");
}

TEST_F(CharacterPackImportTest, FileOperationErrorsShowTheSystemsReason)
{
    UnzipOptions options;
    options.program = "/nonexistent/unzip";
    importer.setUnzipOptions(options);
    expectRefused(importArchive(test::packArchive("Kiwi", "{}")),
                  "Could not run /nonexistent/unzip: No such file or directory");

    // No temporary folder can be made: nothing is left anywhere.
    importer.setUnzipOptions({});
    std::ofstream(temporaryBase + "/file") << "in the way";
    ::setenv("TMPDIR", (temporaryBase + "/file").c_str(), 1);
    Alert alert = importArchive(test::packArchive("Kiwi", "{}"));
    EXPECT_TRUE(alert.message.starts_with("Could not create the temporary folder “" + temporaryBase + "/file/qn_import_"))
        << alert.message;
    EXPECT_TRUE(alert.message.ends_with("”: A file is where this folder should be")) << alert.message;
    EXPECT_EQ(current(), "tuffin");
    ::setenv("TMPDIR", temporaryBase.c_str(), 1);
    fs::remove(temporaryBase + "/file");

    // The packs folder deleted while the program runs: the import does not make it again.
    fs::remove_all(packs());
    alert = importArchive(test::packArchive("Kiwi", "{}"));
    EXPECT_FALSE(alert.success);
    EXPECT_EQ(alert.message, "Could not copy the pack to “" + packs() + "/Kiwi”: No such file or directory");
    EXPECT_FALSE(fs::exists(packs()));
    EXPECT_EQ(current(), "tuffin");
    EXPECT_EQ(namesIn(temporaryBase), std::vector<std::string>{});
}

TEST_F(CharacterPackImportTest, AFailedCopyLeavesTheInstalledPackAsItWas)
{
    auto first = test::packArchive("Kiwi", R"({"name": "Old"})");
    first.file("Kiwi/old_only.txt", "old");
    ASSERT_TRUE(importArchive(first).success);
    HUDSettings::shared().characterID = CharacterID::builtIn(SpriteCharacter::corgi);

    // The new copy runs out of room half-way: a file limit stands in for a full disk.
    auto second = test::packArchive("Kiwi", R"({"name": "New"})");
    second.file("Kiwi/large.bin", std::string(200000, 'x'));
    const std::string archive = writeArchive(second.bytes());
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Alert alert = importFile(archive);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(alert.success);
    EXPECT_EQ(alert.title, "Import Failed");
    EXPECT_EQ(alert.message, "Could not copy the pack to “" + packs() + "/Kiwi”: File too large");
    EXPECT_EQ(readFile(packs() + "/Kiwi/old_only.txt"), "old");
    EXPECT_EQ(packDisplayName(packs() + "/Kiwi/manifest.json", ""), "Old");
    EXPECT_EQ(namesIn(packs()), std::vector<std::string>{"Kiwi"});
    EXPECT_EQ(current(), "corgi");
    expectNothingLeftBehind();

    // A packs folder we may not write to, for users who are not root.
    if (::geteuid() != 0) {
        fs::permissions(packs(), fs::perms(0555));
        const Alert readOnly = importArchive(test::packArchive("Kiwi", R"({"name": "New"})"));
        fs::permissions(packs(), fs::perms(0755));
        EXPECT_TRUE(readOnly.message.ends_with("Permission denied")) << readOnly.message;
        EXPECT_EQ(readFile(packs() + "/Kiwi/old_only.txt"), "old");
    }
}

// A Chinese alert gives the system's reason in Chinese where there are words for it, and in
// the system's own words otherwise.
TEST(PackImportTexts, AFailureGivesItsReasonInTheAlertsLanguage)
{
    PackImportOutcome outcome;
    outcome.failedStep = PackImportOutcome::Step::copyPack;
    outcome.path = "/home/u/.local/share/Plovane/Sprites/Kiwi";
    outcome.error = std::make_error_code(std::errc::permission_denied);
    const std::string zh = PackImportTexts::message(outcome, Language::zh);
    EXPECT_TRUE(zh.ends_with("没有权限")) << zh;
    EXPECT_EQ(zh.find("Permission"), std::string::npos) << zh;
    EXPECT_TRUE(PackImportTexts::message(outcome, Language::en).ends_with("Permission denied"));

    outcome.error = std::make_error_code(std::errc::no_space_on_device);
    EXPECT_TRUE(PackImportTexts::message(outcome, Language::zh).ends_with("磁盘空间已满"));
    outcome.error = std::make_error_code(std::errc::file_too_large);
    EXPECT_TRUE(PackImportTexts::message(outcome, Language::zh).ends_with("File too large"));
}

TEST_F(CharacterPackImportTest, CancellingTheDialogDoesNothing)
{
    desktop.archive.reset();
    importer.importCharacterPack();
    EXPECT_FALSE(importer.isBusy());
    scheduler.pumpUntil([] { return false; }, 200ms);
    EXPECT_TRUE(desktop.alerts.empty());
    EXPECT_EQ(namesIn(temporaryBase), std::vector<std::string>{});
    EXPECT_EQ(current(), "tuffin");
}

TEST_F(CharacterPackImportTest, QuittingDuringAnImportStopsTheToolAndReportsNothing)
{
    const std::string pidFile = test::makeTempDir("pids") + "/tool";
    auto quitting = std::make_unique<CharacterPackImport>(scheduler, desktop, [] {});
    UnzipOptions options;
    options.program = standInUnzip("echo $$ > " + pidFile + "\nexec sleep 600");
    quitting->setUnzipOptions(options);
    desktop.archive = writeArchive(test::packArchive("Kiwi", "{}").bytes());
    quitting->importCharacterPack();
    ASSERT_TRUE(scheduler.pumpUntil([&] { return fs::exists(pidFile) && !readFile(pidFile).empty(); }, 5s));

    const auto started = std::chrono::steady_clock::now();
    quitting.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_NE(::kill(std::stoi(readFile(pidFile)), 0), 0);
    scheduler.pumpUntil([] { return false; }, 200ms);
    EXPECT_TRUE(desktop.alerts.empty());
    EXPECT_EQ(namesIn(temporaryBase), std::vector<std::string>{});
}

// The packs folder could not be made at start, in a data folder this user may not write:
// the copy says so, not that the folder is missing.
TEST(PackInstaller, AMissingPacksFolderThatCannotBeMadeGivesThePermissionItLacks)
{
    // Beside the test's own folder, which another user could not reach: in the run's
    // temporary folder.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/plovane-data-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string data = pattern;
    fs::create_directories(data + "/source/Kiwi");
    std::ofstream(data + "/source/Kiwi/manifest.json") << "{}";
    fs::permissions(data, fs::perms(0755));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Root may write anywhere: the copy runs as a user who may not write here.
        if (::geteuid() == 0 ? ::setgid(65534) != 0 || ::setuid(65534) != 0 : ::chmod(data.c_str(), 0555) != 0)
            ::_exit(10);
        const InstallError error = installPackFolder(data + "/source/Kiwi", data + "/Plovane/Sprites", "Kiwi");
        ::_exit(error.code == std::errc::permission_denied ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    fs::permissions(data, fs::perms(0755));
    EXPECT_FALSE(fs::exists(data + "/Plovane"));
    fs::remove_all(data);
}

TEST_F(CharacterPackImportTest, OpenFolderMakesTheFolderWhenMissingAndShowsIt)
{
    fs::remove_all(packs());
    importer.openCustomSpritesFolder();
    EXPECT_TRUE(fs::is_directory(packs()));
    EXPECT_EQ(desktop.opened, std::vector<std::string>{packs()});
}

} // namespace
