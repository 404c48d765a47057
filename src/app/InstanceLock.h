#pragma once

#include <string>

#include <sys/types.h>

namespace plovane {

// Keeps a second copy of the program from writing the same settings and day files: both
// would book the same seconds and the last to save would overwrite the other's. The lock
// is an flock on a file in the settings folder it guards, so copies in two sessions that
// share a home find each other too, and an abstract socket named after that folder,
// which no removal of files can take away; the kernel drops both when the process ends,
// however it ends.
class InstanceLock {
public:
    enum class Result { acquired, heldByAnother, unavailable };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock, creating the settings folder (private to the user) when it is
    // missing. `unavailable` means no lock could be taken (a link or something else at
    // its place, a folder that cannot be made): then no one can tell whether another copy
    // writes the same files, so the program must not run; failure() says why.
    Result acquire();
    const std::string& failure() const { return failure_; }
    // Why, alone, without the lock's path.
    const std::string& failureReason() const { return failureReason_; }
    // After `heldByAnother`: where the copy holding the lock runs, "in this session" when
    // it shows its windows where we would, else "in another session" with its display and
    // process where they can be told.
    std::string whereHeld() const;
    // Where the lock file is.
    static std::string lockPath();
    // Takes the file lock again when its file (or the whole folder) was removed since;
    // says once when it cannot. Cheap: one stat when nothing changed.
    void keepWhereItLives();

    // Kernel notifications (inotify) of the lock's file and folder going away: a
    // descriptor that turns readable then, or -1 when the kernel gives none (its limit of
    // watches reached), when the only way left is to look from time to time.
    int lossNotifications();
    enum class Loss { none, file, folder };
    // Reads what the kernel reported: whether the lock file alone went, or its folder
    // (or the folder above) with it. Watches the folders again where they now are.
    Loss readLossNotifications();

private:
    Result lockFile(std::string& why);
    void watchFolders();

    int fd_{-1};
    int socket_{-1};
    bool retakeFailed_{false};
    std::string failure_;
    std::string failureReason_;
    pid_t holder_{0};
    int inotify_{-1};
    int folderWatch_{-1};
    int parentWatch_{-1};
};

} // namespace plovane
