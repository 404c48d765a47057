#include "app/PlovaneApp.h"

#include "app/AppDelegate.h"
#include "app/LinuxAppServices.h"
#include "app/TerminationSignals.h"
#include "platform/AppIdentity.h"
#include "platform/FileUserDefaults.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/qt/QtScheduler.h"

#include <QApplication>
#include <QTimer>

#include <memory>
#include <string>

namespace plovane {

int PlovaneApp::main(int argc, char** argv)
{
    // The HUD repaints a few small areas a second. Through shared memory each repaint of
    // an area still being shown waits for a round trip to the X server (two thread
    // wakeups); sent as plain image requests, these small areas need no wait at all.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kAppName.data(), kAppName.size()));
    QApplication::setDesktopFileName(QString::fromUtf8(kAppIdentifier.data(), kAppIdentifier.size()));

    QtScheduler scheduler(&app);
    // The settings store goes in before anything reads a setting. Writes are coalesced on
    // the main thread and flushed at quit.
    auto defaults = std::make_shared<FileUserDefaults>(paths::settingsDir(), &scheduler);
    UserDefaults::setStandard(defaults);

    int exitCode = 0;
    {
        // The system asks us to end: leave the event loop and take the normal termination path.
        TerminationSignals quitOnSignal([](int) { QApplication::exit(0); });
        LinuxAppServices services(scheduler);
        AppDelegate delegate(services);

        delegate.applicationWillFinishLaunching();
        QTimer::singleShot(0, &app, [&delegate] { delegate.applicationDidFinishLaunching(); });
        exitCode = QApplication::exec();
        delegate.applicationWillTerminate();
    }

    // Whatever the store still holds (a toggle of the last half second, today's final
    // seconds) goes to disk now; if it cannot, say so rather than exit as if all was well.
    if (!defaults->flush()) {
        logLine("Settings could not be written to " + defaults->folder());
        return exitCode != 0 ? exitCode : 1;
    }
    return exitCode;
}

} // namespace plovane
