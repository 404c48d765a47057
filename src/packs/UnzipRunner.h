#pragma once

#include "packs/PackArchiveInspector.h"

#include <chrono>
#include <stop_token>
#include <string>

namespace plovane {

struct UnzipOptions {
    std::string program{"/usr/bin/unzip"};
    // A tool still busy after this long is stopped.
    std::chrono::milliseconds timeout{std::chrono::seconds(60)};
    // How often the destination is measured while the tool runs.
    std::chrono::milliseconds pollInterval{std::chrono::milliseconds(100)};
    PackLimits limits;
    // No single file may grow past this (0: the total size limit). An archive declares
    // every entry's size, so the largest one it declares is enough for an honest archive.
    std::uint64_t maxFileBytes{0};
};

struct UnzipResult {
    enum class Outcome {
        // The tool ran to its end; see exitStatus.
        exited,
        // It could not be started; see startError.
        failedToStart,
        // It ran past the time limit and was stopped.
        timedOut,
        // What it unpacked grew past the limits (or one file past its declared size) and it
        // was stopped; see verdict.
        grewPastLimits,
        // The caller asked to stop (the application is quitting).
        cancelled,
    };
    Outcome outcome{Outcome::exited};
    // The exit status, or -1 when a signal ended the tool.
    int exitStatus{-1};
    int startError{0};
    PackVerdict verdict{PackVerdict::ok};
};

// Runs `program -o <archive> -d <destination>` in its own session, with no terminal,
// null standard streams, no single file larger than the size limit and no UNZIP options
// from the environment. Blocks the calling thread (never call it on the main thread);
// meanwhile it watches the clock, the size of the destination and `stop`, and kills the
// tool's whole process group when one of them says so.
UnzipResult runUnzip(const std::string& archive, const std::string& destination, const UnzipOptions& options,
                     std::stop_token stop);

} // namespace plovane
