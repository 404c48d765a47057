#pragma once

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
    // if any, is then untouched.
    static bool write(const std::string& path, std::string_view bytes);

    // Called between the flushed temporary file and the rename; tests use it to stop a
    // write at its most delicate point. An empty function removes the hook.
    static void setBeforeRenameHookForTesting(std::function<void(const std::string& tempPath)> hook);
};

// Reads a whole file; false when it does not exist or cannot be read.
bool readWholeFile(const std::string& path, std::string& out);

// Creates a folder and its parents; true when it exists afterwards.
bool makeDirectories(const std::string& path);

} // namespace plovane
