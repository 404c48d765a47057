#pragma once

#include "packs/ZipListing.h"

#include <cstdint>
#include <string>

namespace plovane {

// How much of a stranger's archive we are willing to unpack.
struct PackLimits {
    std::uint64_t maxTotalBytes{64ull << 20};
    std::uint64_t maxEntries{2000};
    // Sprites are pixel art drawn at a few hundred pixels at most (the built-in ones are
    // 32 × 32); a sprite is decoded whole wherever it is shown.
    std::uint32_t maxSpriteSide{512};
};

// Why an archive or what it unpacked to may not become a pack.
enum class PackVerdict {
    ok,
    // Not a ZIP archive, or one that cannot be read: the same as the tool failing.
    unreadable,
    // An entry names an absolute path or climbs out with "..".
    pathOutside,
    // Symbolic links, device files, FIFOs, sockets.
    linkOrSpecialFile,
    tooLarge,
    tooManyEntries,
    // A sprite whose header is not a PNG's, or that is wider or taller than maxSpriteSide.
    spriteNotPng,
    spriteTooLarge,
    // A sprite whose header is sound but whose pixels do not decode (cut off, damaged).
    spriteDoesNotDecode,
};

// Judges an archive by its own listing, before anything is unpacked.
PackVerdict inspectArchive(const ZipListing& listing, const PackLimits& limits);
PackVerdict inspectArchiveFile(const std::string& path, const PackLimits& limits);

// Whether an entry name stays inside the folder it is unpacked into.
bool isContainedEntryName(const std::string& name);

// Running totals of a folder tree, looked at without following links.
struct TreeSurvey {
    std::uint64_t entries{0};
    std::uint64_t bytes{0};
    std::uint64_t largestFile{0};
    bool hasLinkOrSpecialFile{false};
    // The walk itself failed (the folder vanished, a sub-folder could not be opened);
    // error holds the system's reason.
    bool failed{false};
    int error{0};
};

enum class OpenUpFolders { no, yes };

// Walks `root` (not counting root itself) without following links. With OpenUpFolders::yes
// folders and files are made ours to read (and search) on the way, so that what an
// archive marked as closed can still be checked, copied and removed. Stops early once past `limits`.
TreeSurvey surveyTree(const std::string& root, const PackLimits& limits, OpenUpFolders openUp);

// Judges what the tool unpacked: only plain files and folders, within the limits.
PackVerdict inspectUnpackedTree(const TreeSurvey& survey, const PackLimits& limits);

// Removes a folder tree that may hold folders without permissions; never follows links.
// Failures are ignored.
void removeTree(const std::string& path);

} // namespace plovane
