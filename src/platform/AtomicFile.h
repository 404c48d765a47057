#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace plovane {

// Replaces a file's contents atomically: the bytes go to a temporary file beside it,
// which is flushed to disk and then renamed over the target. A process killed at any
// instant leaves either the old file or the new one, never a torn one.
class AtomicFile {
public:
    // Returns false (and logs why) when the file could not be written; the old file,
    // if any, is then untouched. The temporary file is created exclusively under a new
    // name, so nothing planted beside the target (a link, a file of someone else) is
    // ever written through. A target that exists and is not a regular file (a link, a
    // FIFO, a folder) is refused rather than replaced.
    static bool write(const std::string& path, std::string_view bytes);

    // Called between the flushed temporary file and the rename; tests use it to stop a
    // write at its most delicate point. An empty function removes the hook.
    static void setBeforeRenameHookForTesting(std::function<void(const std::string& tempPath)> hook);
};

// What reading one of our stored files found.
enum class StoredFileStatus {
    ok,         // `bytes` holds the whole file
    missing,    // nothing there
    unreadable, // it exists but cannot be read (permissions, I/O error); leave it alone
    link,       // a symbolic link; never followed, never replaced
    notRegular, // a FIFO, socket, device or folder
    tooLarge,   // larger than the bound given
};

struct StoredFile {
    StoredFileStatus status{StoredFileStatus::missing};
    std::string bytes;
    std::string reason; // why it could not be read, for a log line
};

// Reads a stored file without blocking and without following a link: only a regular file
// of at most `maxBytes` bytes is read.
StoredFile readStoredFile(const std::string& path, std::size_t maxBytes);

// Reads a whole file; false when it does not exist or cannot be read.
bool readWholeFile(const std::string& path, std::string& out);

// Creates a folder and its missing parents, each private to the user (as the base
// directory rules ask); true when it is a folder afterwards, else false with the reason
// in `why`.
bool makeDirectories(const std::string& path, std::string* why = nullptr);

} // namespace plovane
