// The late-joining application of the accessibility tests as a process of its own: it joins
// the accessibility bus, prints its bus name, then lives until its standard input closes.
#include "LateApplication.h"
#include "RunUntilStdinCloses.h"

#include <QCoreApplication>

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

    return plovane::test::runUntilStdinCloses(app);
}
