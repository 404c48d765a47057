#pragma once

#include "platform/FileProblem.h"

#include <string>
#include <string_view>

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
    // Why, and the file or folder that kept it from being taken.
    const FileProblem& failureProblem() const { return failureProblem_; }
    // After `heldByAnother`: the copy holding the lock, as far as it can be told.
    struct Holder {
        // It shows its windows where we would: the same login session, else the same display.
        bool sameSession{false};
        // Its X and Wayland displays; empty when it has none or it cannot be told.
        std::string xDisplay;
        std::string waylandDisplay;
        pid_t process{0};
    };
    Holder holder() const;
    // The same in words: "in this session", else "in another session" with its display
    // and process where they can be told.
    std::string whereHeld() const;
    // After `heldByAnother`: asks the copy holding the lock to show itself (its HUD). False
    // when it could not be reached.
    bool askHolderToShow() const;

    // While the lock is held: the socket on which a later copy asks this one to show
    // itself (readable when one connects), or -1 when there is none.
    int showRequests() const { return socket_; }
    // Takes the connection waiting on showRequests(): its descriptor (non-blocking), or -1
    // when none waits or it comes from another user.
    int acceptShowRequest() const;
    // What a later copy sends.
    static constexpr std::string_view kShowRequest = "show\n";
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
    Result lockFile(FileProblem& why);
    void watchFolders();

    int fd_{-1};
    int socket_{-1};
    bool retakeFailed_{false};
    std::string failure_;
    FileProblem failureProblem_;
    pid_t holder_{0};
    int inotify_{-1};
    int folderWatch_{-1};
    int parentWatch_{-1};
};

} // namespace plovane
