#pragma once

#include "platform/FileProblem.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace plovane {

// Replaces a file's contents atomically: the bytes go to a temporary file beside it,
// which is flushed to disk and then renamed over the target. A process killed at any
// instant leaves either the old file or the new one, never a torn one.
class AtomicFile {
public:
    // Returns false (and says why in `problem`) when the file could not be written; the old
    // file, if any, is then untouched. The temporary file is created exclusively under a
    // new name, so nothing planted beside the target (a link, a file of someone else) is
    // ever written through. A target that is the user's own link to a regular file they
    // own is followed: that file is replaced beside itself, keeping its permissions, so
    // the link stays a link. Any other link, and a target that is not a regular file (a
    // FIFO, a folder), is refused rather than replaced.
    static bool write(const std::string& path, std::string_view bytes, FileProblem& problem);

    // Called between the flushed temporary file and the rename; tests use it to stop a
    // write at its most delicate point. An empty function removes the hook.
    static void setBeforeRenameHookForTesting(std::function<void(const std::string& tempPath)> hook);
};

// What reading one of our stored files found.
enum class StoredFileStatus {
    ok,         // `bytes` holds the whole file
    missing,    // nothing there
    unreadable, // it exists but cannot be read (permissions, I/O error); leave it alone
    link,       // a symbolic link that is not followed; never replaced
    notRegular, // a FIFO, socket, device or folder
    tooLarge,   // larger than the bound given
};

struct StoredFile {
    StoredFileStatus status{StoredFileStatus::missing};
    std::string bytes;
    FileProblem problem;  // why it could not be read
    std::string location; // where the file is: the path read, or the file its link resolves to
};

// Where a stored file really is: `path` itself when it is no link (or nothing is there),
// or where it leads when it is the user's own link: to a regular file they own, or to a
// name where nothing is yet in a folder they own. Nothing, with the reason in `why`, for
// any other link (looping, into a folder that cannot be reached, to a special file or to
// something of another user).
std::optional<std::string> storedFileLocation(const std::string& path, std::string& why);

// Reads a stored file without blocking: only a regular file of at most `maxBytes` bytes
// is read, and a link only as storedFileLocation allows.
StoredFile readStoredFile(const std::string& path, std::size_t maxBytes);

// Reads a whole file; false when it does not exist or cannot be read.
bool readWholeFile(const std::string& path, std::string& out);

// Creates a folder and its missing parents, each private to the user (as the base
// directory rules ask); true when it is a folder afterwards, else false with the reason
// in `problem`, which names the folder that could not be made or the file in its way.
bool makeDirectories(const std::string& path, FileProblem* problem = nullptr);

} // namespace plovane
