// The late-joining application of the accessibility tests as a process of its own: it joins
// the accessibility bus, prints its bus name, then lives until its standard input closes.
#include "LateApplication.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::connectToBus(plovane::test::accessibilityBusAddress(),
                                                        QStringLiteral("late-application"));
    plovane::test::LateApplication application;
    if (!bus.isConnected() || !application.join(bus))
        return 1;
    std::printf("%s\n", qPrintable(bus.baseService()));
    std::fflush(stdout);

    QSocketNotifier stdinWatch(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinWatch, &QSocketNotifier::activated, &app, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    return app.exec();
}
