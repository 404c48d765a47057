#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace plovane {

class InstanceLock;

// Keeps the single-instance lock where a second copy looks for it while the program runs.
// A clean-up may remove the lock file or the whole settings folder: the lock is taken
// again the moment the folder goes, and a moment after the file alone goes (so a clean-up
// emptying the folder finishes rather than finding it filled again). The kernel says when;
// where it gives no notifications, the lock is looked at every few seconds instead.
class InstanceLockKeeper final : public QObject {
public:
    static constexpr int kFileRetakeDelayMs = 100;
    static constexpr int kLookEveryMs = 3000;

    explicit InstanceLockKeeper(InstanceLock& lock, QObject* parent = nullptr);
    ~InstanceLockKeeper() override;

private:
    void onNotified();

    InstanceLock& lock_;
    QTimer retake_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace plovane
