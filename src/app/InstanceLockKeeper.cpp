#include "app/InstanceLockKeeper.h"

#include "app/InstanceLock.h"

#include <QSocketNotifier>

namespace plovane {

InstanceLockKeeper::InstanceLockKeeper(InstanceLock& lock, QObject* parent) : QObject(parent), lock_(lock)
{
    connect(&retake_, &QTimer::timeout, this, [this] { lock_.keepWhereItLives(); });
    const int fd = lock_.lossNotifications();
    if (fd < 0) {
        retake_.start(kLookEveryMs);
        return;
    }
    retake_.setSingleShot(true);
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { onNotified(); });
}

InstanceLockKeeper::~InstanceLockKeeper() = default;

void InstanceLockKeeper::onNotified()
{
    switch (lock_.readLossNotifications()) {
    case InstanceLock::Loss::folder:
        retake_.stop();
        lock_.keepWhereItLives();
        break;
    case InstanceLock::Loss::file:
        if (!retake_.isActive())
            retake_.start(kFileRetakeDelayMs);
        break;
    case InstanceLock::Loss::none:
        break;
    }
}

} // namespace plovane
