#pragma once

#include <string>

namespace plovane {

// Why one of our files or folders could not be read or written: the user is told the
// cause in their language, the log gets the path and the system's own words.
struct FileProblem {
    enum class Cause {
        none,
        permission,     // this user may not read or write there
        readOnly,       // the file system is mounted read-only
        noSpace,        // the disk, or the user's quota, is full
        fileForFolder,  // a file stands where a folder belongs
        notRegularFile, // a folder, FIFO or device stands where a file belongs
        link,           // a symbolic link that is not followed
        notJson,        // the text does not parse
        wrongShape,     // it parses, but holds no settings
        tooLarge,       // larger, or nested deeper, than is read
        other,          // anything else: `detail` says what
    };

    // The file, or the folder when `folder` is set (also one that could not be made).
    std::string path;
    Cause cause{Cause::none};
    // The system's words or ours, in English, for the log.
    std::string detail;
    bool folder{false};

    explicit operator bool() const { return cause != Cause::none; }
    // "<path>: <detail>", for a log line.
    std::string describe() const;

    // From an errno value; `detail` is the system's text for it.
    static FileProblem fromError(std::string path, int error, bool folder = false);
};

} // namespace plovane
