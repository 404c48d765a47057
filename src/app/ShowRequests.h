#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QSocketNotifier;

namespace plovane {

class InstanceLock;

// A start from the desktop's menu while the program already runs must show something:
// the later copy asks this one, over the lock's socket, to show itself. Each connection
// is read without waiting (a few bytes at most, for a few seconds at most), and only
// connections of this user count.
class ShowRequests final : public QObject {
public:
    static constexpr int kPatienceMs = 2000;
    static constexpr std::size_t kMaxConnections = 4;

    ShowRequests(const InstanceLock& lock, std::function<void()> show, QObject* parent = nullptr);
    ~ShowRequests() override;

private:
    struct Connection {
        QSocketNotifier* readable;
        QElapsedTimer since;
        std::string received;
    };
    void accept();
    void read(int fd);
    void drop(int fd);
    void dropStale();

    const InstanceLock& lock_;
    std::function<void()> show_;
    std::unique_ptr<QSocketNotifier> listening_;
    std::map<int, Connection> connections_;
    // Runs while a connection is open.
    QTimer sweep_;
};

} // namespace plovane
