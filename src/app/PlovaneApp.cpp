#include "app/PlovaneApp.h"

#include "app/AccessibilityBus.h"
#include "app/AppDelegate.h"
#include "app/InstanceLock.h"
#include "app/InstanceLockKeeper.h"
#include "app/LinuxAppServices.h"
#include "app/ProblemAlerts.h"
#include "app/ProcessSetup.h"
#include "app/ShowRequests.h"
#include "app/TerminationSignals.h"
#include "engine/DailyStats.h"
#include "platform/AppIdentity.h"
#include "platform/FileUserDefaults.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/qt/QtScheduler.h"
#include "platform/qt/X11Connection.h"
#include "platform/qt/X11SendBuffer.h"
#include "settings/AppLanguage.h"

#include <QApplication>
#include <QTimer>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace plovane {
namespace {

// When the X server goes away (logout), Qt ends the process with exit(1) from inside its
// event handling: main() never gets control back. What would have been saved at quit is
// saved here instead, from an exit handler, while main's objects are still alive.
std::function<int()>& saveOnExit()
{
    static std::function<int()> save;
    return save;
}

// How the program ends when not everything reached the disk: the status names what was
// lost (the two may add up to 3), the log says where. A copy that does not start (another
// runs, or nothing could be saved) and one without a display have statuses of their own.
enum ExitStatus : int {
    kSettingsNotSaved = 1,
    kStatisticsNotSaved = 2,
    kDidNotStart = 4,
    kNoDisplay = 5,
};

// Asked by the system to end while a save fails, the alert that asks what to do waits
// this long for an answer: a session or service manager waits only so long for us.
constexpr std::chrono::seconds kAnswerWhenAskedToEnd{10};

enum class Attempt { again, fromScratch };

// Writes what the store still holds; reports what could not be written and returns the
// exit status that names it (0 when everything was saved). From scratch, files that could
// not be read are read again first.
int saveAll(FileUserDefaults& store, Attempt attempt = Attempt::again)
{
    if (attempt == Attempt::fromScratch ? store.saveAgain() : store.flush())
        return 0;
    int status = 0;
    if (store.settingsUnsaved()) {
        logLine("Settings could not be written to " + store.mainFilePath() + ".");
        status |= kSettingsNotSaved;
    }
    if (const std::vector<std::string> days = store.unsavedDays(); !days.empty()) {
        std::string dates;
        for (const std::string& date : days)
            dates += (dates.empty() ? "" : ", ") + date;
        logLine("Daily statistics of " + dates + " could not be written to " + store.folder() + "/days.");
        status |= kStatisticsNotSaved;
    }
    return status;
}

bool displayConnectionBroken()
{
    xcb_connection_t* c = toolkitX11Connection();
    return c && xcb_connection_has_error(c) != 0;
}

extern "C" void saveAtUnexpectedExit()
{
    auto save = std::move(saveOnExit());
    saveOnExit() = nullptr;
    if (!save)
        return;
    const int status = save();
    // Losing the display is how a session ends: with everything saved, that is a normal end.
    if (displayConnectionBroken()) {
        logLine(status == 0 ? "The display went away; saved everything and quit."
                            : "The display went away; not everything could be saved.");
        flushLog();
        ::_exit(status);
    }
}

} // namespace

int PlovaneApp::main(int argc, char** argv)
{
    // Before anything can take time or write: the standard descriptors exist (a log line
    // must never land in the X connection), a vanished reader cannot kill us, and a
    // request to end is caught from the first moment.
    processSetup::ensureStandardDescriptors();
    processSetup::ignoreBrokenPipes();
    TerminationSignals::install();
    processSetup::routeQtMessagesToLog();

    // The HUD repaints a few small areas a second. Through shared memory each repaint of
    // an area still being shown waits for a round trip to the X server (two thread
    // wakeups); sent as plain image requests, these small areas need no wait at all.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    processSetup::preferX11Platform();
    // Before the lock: a copy that cannot start writes nothing.
    if (const auto why = processSetup::missingDisplay()) {
        logError(std::string(kAppName) + " does not start: it " + *why + ".");
        return kNoDisplay;
    }

    processSetup::avoidSessionBusAutolaunch();
    processSetup::endWhenNoDisplayOpens(kNoDisplay);
    QApplication app(argc, argv);
    processSetup::endWhenNoDisplayOpens(0);
    QApplication::setApplicationName(QString::fromUtf8(kAppName.data(), kAppName.size()));
    QApplication::setDesktopFileName(QString::fromUtf8(kAppIdentifier.data(), kAppIdentifier.size()));

    // One writer per settings folder: when the lock cannot be taken, a copy that may be
    // running elsewhere on the same files must not be raced. Started from a desktop's
    // menu, nobody reads standard error: the user is shown what happened.
    InstanceLock instanceLock;
    switch (instanceLock.acquire()) {
    case InstanceLock::Result::acquired:
        break;
    case InstanceLock::Result::heldByAnother: {
        std::fprintf(stderr, "%s is already running %s.\n", std::string(kAppName).c_str(),
                     instanceLock.whereHeld().c_str());
        const InstanceLock::Holder holder = instanceLock.holder();
        if (!holder.sameSession)
            problemAlerts::showRunningElsewhere(problemAlerts::languageFor(paths::settingsDir()),
                                                holder.xDisplay.empty() ? holder.waylandDisplay : holder.xDisplay,
                                                holder.process);
        else if (!instanceLock.askHolderToShow())
            logLine("The running copy could not be asked to show itself.");
        return kDidNotStart;
    }
    case InstanceLock::Result::unavailable:
        std::fprintf(stderr, "%s does not start: it %s, so it cannot tell whether another copy uses the same settings.\n",
                     std::string(kAppName).c_str(), instanceLock.failure().c_str());
        problemAlerts::showCannotStart(problemAlerts::languageFor(paths::settingsDir()), paths::settingsDir(),
                                       instanceLock.failureProblem());
        return kDidNotStart;
    }
    // Whole repaints go out without the main thread waiting for the server to read.
    widenX11SendBuffer();
    // Before the first widget: a hung accessibility bus must not hold up the start.
    accessibilityBus::prepareBridge();

    QtScheduler scheduler(&app);
    // The settings store goes in before anything reads a setting. Writes are coalesced on
    // the main thread and flushed at quit.
    auto defaults = std::make_shared<FileUserDefaults>(paths::settingsDir(), &scheduler);
    // At every start, not only the first: a home made read-only since, a full disk or a
    // day file this user may not read would otherwise lose the whole session unseen.
    const std::string today = DailyStats::storeKey(DailyStats::dateKey(std::chrono::system_clock::now()));
    if (const FileProblem problem = defaults->problemBeforeSaving(today)) {
        logError(std::string(kAppName) + " does not start: it could not save its settings and statistics (" +
                 problem.describe() + ").");
        problemAlerts::showCannotStart(problemAlerts::languageFor(paths::settingsDir()), paths::settingsDir(), problem);
        return kDidNotStart;
    }
    // A day that could not be read when it was booked is added to once it can be.
    defaults->setCombiner(DailyStats::kKeyPrefix, DailyStats::combined);
    UserDefaults::setStandard(defaults);

    static bool exitHandlerRegistered = false;
    if (!exitHandlerRegistered)
        exitHandlerRegistered = std::atexit(saveAtUnexpectedExit) == 0;

    int exitCode = 0;
    bool askedToEnd = false;
    {
        // The system asks us to end: leave the event loop and take the normal termination path.
        TerminationSignals quitOnSignal([&askedToEnd](int) {
            askedToEnd = true;
            QApplication::exit(0);
        });
        InstanceLockKeeper keepLock(instanceLock);
        problemAlerts::FailingSaves failingSaves(*defaults);
        LinuxAppServices services(scheduler);
        AppDelegate delegate(services);
        // Started again from the desktop's menu: the user wants to see us.
        ShowRequests showRequests(instanceLock, [&delegate] { delegate.showHUD(); });
        saveOnExit() = [&delegate, &defaults] {
            delegate.applicationWillTerminate();
            return saveAll(*defaults);
        };

        delegate.applicationWillFinishLaunching();
        QTimer::singleShot(0, &app, [&delegate, &defaults] {
            delegate.applicationDidFinishLaunching();
            // The settings the user chose are gone from view: say so, and where they are,
            // in the language the program now shows.
            if (const auto& problem = defaults->settingsFileProblem())
                problemAlerts::showSettingsFileProblem(AppLanguage::shared().language, *problem);
        });
        exitCode = QApplication::exec();
        saveOnExit() = nullptr;
        delegate.applicationWillTerminate();
    }

    // Whatever the store still holds (a toggle of the last half second, today's final
    // seconds) goes to disk now; if it cannot, say so rather than exit as if all was well:
    // in the log, and where there is a display to the user, who may free space and try
    // again, for a while only when the system asked us to end.
    int saved = saveAll(*defaults);
    saveOnExit() = [&defaults] { return saveAll(*defaults); };
    std::optional<std::chrono::steady_clock::time_point> answerBy;
    if (askedToEnd)
        answerBy = std::chrono::steady_clock::now() + kAnswerWhenAskedToEnd;
    while (saved != 0 && !displayConnectionBroken() &&
           problemAlerts::askToSaveAgain(AppLanguage::shared().language, *defaults, answerBy))
        saved = saveAll(*defaults, Attempt::fromScratch);
    saveOnExit() = nullptr;
    return exitCode != 0 ? exitCode : saved;
}

} // namespace plovane
