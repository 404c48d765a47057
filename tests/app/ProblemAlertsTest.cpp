#include "app/ProblemAlerts.h"
#include "QtTestSupport.h"
#include "TestSupport.h"

#include "platform/FileUserDefaults.h"
#include "platform/Log.h"
#include "settings/AppLanguage.h"
#include "testing/FakeClock.h"
#include "testing/VirtualScheduler.h"

#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace plovane;
namespace fs = std::filesystem;

namespace {

std::vector<QMessageBox*> shownAlerts()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::vector<QMessageBox*> boxes;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            boxes.push_back(box);
    return boxes;
}

// The message as the user reads it, without the places where a long path may break.
std::string messageOf(const QMessageBox* box)
{
    return box->informativeText().remove(QChar(0x200B)).toStdString();
}

bool names(const std::string& message, const std::string& path)
{
    return message.find(path) != std::string::npos;
}

struct FailingStore {
    std::string dir = test::makeTempDir("failing-saves");
    FakeClock clock;
    VirtualScheduler scheduler{clock};
    FileUserDefaults store{dir, &scheduler, 0.5};

    FailingStore()
    {
        test::testApp();
        setLogSink([](std::string_view) {});
        AppLanguage::shared().language = Language::en;
    }
    ~FailingStore() { setLogSink({}); }
    void blockDays()
    {
        fs::remove_all(dir + "/days");
        std::ofstream(dir + "/days") << "not a folder";
    }
    // A folder where the settings file goes: no one, root included, can write it.
    void blockSettings()
    {
        fs::remove(dir + "/defaults.json");
        fs::create_directory(dir + "/defaults.json");
    }
    void bookADay(int n)
    {
        store.set("dailyStats_2026-03-02", {{"date", "2026-03-02"}, {"n", n}});
        scheduler.advance(1);
    }
};

} // namespace

// A full disk while the program runs: every part that starts failing is told once, also
// after the user closed the alert about the other one, and each alert names every file
// that failed; the same part failing at every retry is not told again.
TEST(FailingSavesAlert, EachNewFailureIsToldOnceNamingEveryFileThatFailed)
{
    FailingStore s;
    problemAlerts::FailingSaves alerts(s.store);
    s.store.setBool("quellin.compact_mode", true);
    s.bookADay(1);
    ASSERT_TRUE(shownAlerts().empty());

    s.blockDays();
    s.bookADay(2);
    auto boxes = shownAlerts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(names(messageOf(boxes[0]), s.dir + "/days")) << messageOf(boxes[0]);
    EXPECT_FALSE(names(messageOf(boxes[0]), "defaults.json")) << messageOf(boxes[0]);
    boxes[0]->close();
    s.scheduler.advance(FileUserDefaults::kRetrySeconds * 3);
    EXPECT_TRUE(shownAlerts().empty()) << "the same failure was told again at a retry";

    s.blockSettings();
    s.store.setBool("quellin.compact_mode", false);
    s.scheduler.advance(1);
    boxes = shownAlerts();
    ASSERT_EQ(boxes.size(), 1u) << "a setting that could not be saved after the alert was closed was not told";
    EXPECT_TRUE(names(messageOf(boxes[0]), s.dir + "/defaults.json")) << messageOf(boxes[0]);
    EXPECT_TRUE(names(messageOf(boxes[0]), s.dir + "/days")) << messageOf(boxes[0]);

    // Everything saved again takes the alert away; failing once more is told once more.
    fs::remove(s.dir + "/days");
    fs::remove(s.dir + "/defaults.json");
    s.scheduler.advance(FileUserDefaults::kRetrySeconds);
    EXPECT_TRUE(shownAlerts().empty());
    s.blockSettings();
    s.store.setBool("quellin.compact_mode", true);
    s.scheduler.advance(1);
    ASSERT_EQ(shownAlerts().size(), 1u);
}

// At quit, with both the settings and the statistics unsaved, the question names both files.
TEST(FailingSavesAlert, TheQuestionAtQuitNamesBothFiles)
{
    FailingStore s;
    s.blockDays();
    s.blockSettings();
    s.store.setBool("quellin.compact_mode", true);
    s.bookADay(1);
    ASSERT_TRUE(s.store.settingsUnsaved());
    ASSERT_FALSE(s.store.unsavedDays().empty());

    std::string message;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            message = messageOf(box);
            box->reject();
        }
    });
    answer.start(10);
    EXPECT_FALSE(problemAlerts::askToSaveAgain(Language::en, s.store));
    EXPECT_TRUE(names(message, s.dir + "/defaults.json")) << message;
    EXPECT_TRUE(names(message, s.dir + "/days")) << message;
}
