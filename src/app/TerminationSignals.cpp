#include "app/TerminationSignals.h"

#include "platform/Log.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace plovane {

namespace {
constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};
int pipeFds[2] = {-1, -1};
struct sigaction previous[kSignals.size()];

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing but write(2) here; a full pipe already holds a pending request.
    [[maybe_unused]] auto written = ::write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}
} // namespace

void TerminationSignals::install()
{
    if (pipeFds[0] >= 0)
        return;
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        logLine(std::string("Termination signals not handled: ") + std::strerror(errno));
        pipeFds[0] = pipeFds[1] = -1;
        return;
    }
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], nullptr, &previous[i]);
        // Started under nohup or in the background of a shell: hang-ups and interrupts
        // were meant for someone else, so they stay ignored. SIGTERM is always ours.
        if (kSignals[i] != SIGTERM && previous[i].sa_handler == SIG_IGN)
            continue;
        ::sigaction(kSignals[i], &action, nullptr);
    }
}

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal))
{
    install();
    if (pipeFds[0] < 0)
        return;
    // A signal already waiting in the pipe makes the notifier fire as soon as the loop runs.
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { drain(); });
}

TerminationSignals::~TerminationSignals()
{
    if (pipeFds[0] < 0)
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &previous[i], nullptr);
    delete notifier_;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void TerminationSignals::drain()
{
    unsigned char byte = 0;
    int last = 0;
    while (::read(pipeFds[0], &byte, 1) == 1)
        last = byte;
    if (last != 0 && onSignal_)
        onSignal_(last);
}

} // namespace plovane
