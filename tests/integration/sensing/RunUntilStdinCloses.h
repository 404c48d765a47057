#pragma once

// The end of a helper program's main(): it runs until the test closes its standard input.
#include <QCoreApplication>
#include <QSocketNotifier>

#include <unistd.h>

namespace plovane::test {

inline int runUntilStdinCloses(QCoreApplication& app)
{
    QSocketNotifier stdinWatch(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinWatch, &QSocketNotifier::activated, &app, [&app] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    return app.exec();
}

} // namespace plovane::test
