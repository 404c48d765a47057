#include "app/PlovaneApp.h"

#include "app/AccessibilityBus.h"
#include "app/AppDelegate.h"
#include "app/InstanceLock.h"
#include "app/InstanceLockKeeper.h"
#include "app/LinuxAppServices.h"
#include "app/ProblemAlerts.h"
#include "app/ProcessSetup.h"
#include "app/TerminationSignals.h"
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

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
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
// lost (the two may add up to 3), the log says where.
enum ExitStatus : int {
    kSettingsNotSaved = 1,
    kStatisticsNotSaved = 2,
    kNoInstanceLock = 4,
    kNoDisplay = 5,
};

// Writes what the store still holds; reports what could not be written and returns the
// exit status that names it (0 when everything was saved).
int saveAll(FileUserDefaults& store)
{
    if (store.flush())
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

    // One writer per settings folder: when the lock cannot be taken, a copy that may be
    // running elsewhere on the same files must not be raced.
    InstanceLock instanceLock;
    const InstanceLock::Result locked = instanceLock.acquire();
    switch (locked) {
    case InstanceLock::Result::acquired:
        break;
    case InstanceLock::Result::heldByAnother:
        std::fprintf(stderr, "%s is already running %s.\n", std::string(kAppName).c_str(),
                     instanceLock.whereHeld().c_str());
        return 0;
    case InstanceLock::Result::unavailable:
        std::fprintf(stderr, "%s does not start: it %s, so it cannot tell whether another copy uses the same settings.\n",
                     std::string(kAppName).c_str(), instanceLock.failure().c_str());
        break;
    }

    processSetup::avoidSessionBusAutolaunch();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppName.data(), kAppName.size()));
    QApplication::setDesktopFileName(QString::fromUtf8(kAppIdentifier.data(), kAppIdentifier.size()));
    if (locked == InstanceLock::Result::unavailable) {
        // Started from a desktop's menu, nobody reads standard error.
        problemAlerts::showCannotStart(problemAlerts::languageFor(paths::settingsDir()), paths::settingsDir(),
                                       instanceLock.failureReason());
        return kNoInstanceLock;
    }
    // Whole repaints go out without the main thread waiting for the server to read.
    widenX11SendBuffer();
    // Before the first widget: a hung accessibility bus must not hold up the start.
    accessibilityBus::prepareBridge();

    QtScheduler scheduler(&app);
    // The settings store goes in before anything reads a setting. Writes are coalesced on
    // the main thread and flushed at quit.
    auto defaults = std::make_shared<FileUserDefaults>(paths::settingsDir(), &scheduler);
    UserDefaults::setStandard(defaults);

    static bool exitHandlerRegistered = false;
    if (!exitHandlerRegistered)
        exitHandlerRegistered = std::atexit(saveAtUnexpectedExit) == 0;

    int exitCode = 0;
    {
        // The system asks us to end: leave the event loop and take the normal termination path.
        TerminationSignals quitOnSignal([](int) { QApplication::exit(0); });
        InstanceLockKeeper keepLock(instanceLock);
        LinuxAppServices services(scheduler);
        AppDelegate delegate(services);
        saveOnExit() = [&delegate, &defaults] {
            delegate.applicationWillTerminate();
            return saveAll(*defaults);
        };

        delegate.applicationWillFinishLaunching();
        QTimer::singleShot(0, &app, [&delegate, &defaults] {
            delegate.applicationDidFinishLaunching();
            // The settings the user chose are gone from view: say so, and where they are.
            if (const auto& problem = defaults->settingsFileProblem())
                problemAlerts::showSettingsFileProblem(problemAlerts::languageFor(defaults->folder()), *problem);
        });
        exitCode = QApplication::exec();
        saveOnExit() = nullptr;
        delegate.applicationWillTerminate();
    }

    // Whatever the store still holds (a toggle of the last half second, today's final
    // seconds) goes to disk now; if it cannot, say so rather than exit as if all was well:
    // in the log, and where there is a display to the user, who may free space and try again.
    int saved = saveAll(*defaults);
    saveOnExit() = [&defaults] { return saveAll(*defaults); };
    while (saved != 0 && !displayConnectionBroken() &&
           problemAlerts::askToSaveAgain(AppLanguage::shared().language, *defaults))
        saved = saveAll(*defaults);
    saveOnExit() = nullptr;
    return exitCode != 0 ? exitCode : saved;
}

} // namespace plovane
