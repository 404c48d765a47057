#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace plovane {

// Turns SIGTERM (logout, shutdown), SIGINT and SIGHUP into a call on the main thread, so
// the application quits through its normal termination path instead of dying with
// unsaved settings. The signal handler only writes to a pipe; the notifier reads it.
// SIGHUP and SIGINT stay ignored when they were ignored at start (nohup, a shell's
// background job). One instance per process; the previous handlers come back when it is
// destroyed.
class TerminationSignals final : public QObject {
public:
    // Installs the handlers before there is an event loop to deliver to: a signal that
    // arrives while the program is still starting waits in the pipe and is delivered
    // once the loop runs. The constructor installs them too if this was not called.
    static void install();

    explicit TerminationSignals(std::function<void(int signalNumber)> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void drain();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_{nullptr};
};

} // namespace plovane
