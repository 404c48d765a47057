#include "app/ShowRequests.h"

#include "app/InstanceLock.h"

#include <QSocketNotifier>

#include <cerrno>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

namespace plovane {

ShowRequests::ShowRequests(const InstanceLock& lock, std::function<void()> show, QObject* parent)
    : QObject(parent), lock_(lock), show_(std::move(show))
{
    connect(&sweep_, &QTimer::timeout, this, [this] { dropStale(); });
    if (lock_.showRequests() < 0)
        return;
    listening_ = std::make_unique<QSocketNotifier>(lock_.showRequests(), QSocketNotifier::Read);
    connect(listening_.get(), &QSocketNotifier::activated, this, [this] { accept(); });
}

ShowRequests::~ShowRequests()
{
    while (!connections_.empty())
        drop(connections_.begin()->first);
}

void ShowRequests::accept()
{
    for (int fd; (fd = lock_.acceptShowRequest()) >= 0;) {
        // A flood of connections holds no more than a few descriptors.
        if (connections_.size() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        auto* readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(readable, &QSocketNotifier::activated, this, [this, fd] { read(fd); });
        Connection& connection = connections_[fd];
        connection.readable = readable;
        connection.since.start();
        if (!sweep_.isActive())
            sweep_.start(kPatienceMs / 2);
        // What came with the connection is usually there already.
        read(fd);
    }
}

void ShowRequests::read(int fd)
{
    const auto it = connections_.find(fd);
    if (it == connections_.end())
        return;
    std::string& received = it->second.received;
    char buffer[16];
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            received.append(buffer, static_cast<std::size_t>(got));
            if (received.size() >= InstanceLock::kShowRequest.size())
                break;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return; // more may come
        break; // the other end is done
    }
    const bool asked = received.starts_with(InstanceLock::kShowRequest);
    drop(fd);
    if (asked && show_)
        show_();
}

void ShowRequests::drop(int fd)
{
    const auto it = connections_.find(fd);
    if (it == connections_.end())
        return;
    // Its notifier may be the one that called: it goes later, and stops looking now,
    // before its descriptor is closed.
    it->second.readable->setEnabled(false);
    it->second.readable->deleteLater();
    connections_.erase(it);
    ::close(fd);
    if (connections_.empty())
        sweep_.stop();
}

void ShowRequests::dropStale()
{
    std::vector<int> stale;
    for (const auto& [fd, connection] : connections_)
        if (connection.since.hasExpired(kPatienceMs))
            stale.push_back(fd);
    for (int fd : stale)
        drop(fd);
}

} // namespace plovane
