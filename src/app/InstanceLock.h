#pragma once

#include <string>

namespace plovane {

// Keeps a second copy of the program from running in the same user session: both would
// show a HUD, contend for the knock port and overwrite each other's day file. The lock
// is an flock on a file in $XDG_RUNTIME_DIR (or, without one, in a private folder under
// the temporary folder); the kernel drops it when the process ends, however it ends.
class InstanceLock {
public:
    enum class Result { acquired, heldByAnother, unavailable };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock. `unavailable` (no usable folder) is reported and lets the program
    // run, since refusing to start would be worse than the rare second copy.
    Result acquire();
    // Where the lock file is (or would be).
    static std::string lockPath();

private:
    int fd_{-1};
};

} // namespace plovane
