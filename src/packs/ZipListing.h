#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plovane {

// One entry of a ZIP archive's central directory, as the archive declares it.
struct ZipEntry {
    std::string name;
    std::uint64_t uncompressedSize{0};
    std::uint64_t compressedSize{0};
    // Upper byte of "version made by": 3 is Unix, whose mode bits sit in the upper half
    // of the external attributes.
    std::uint8_t hostSystem{0};
    std::uint32_t externalAttributes{0};
    std::uint16_t flags{0};

    // The Unix file mode the archive declares for the entry (0 when it declares none).
    std::uint32_t unixMode() const { return externalAttributes >> 16; }
};

// What an archive's central directory says about its entries. Only the directory is
// read, never the data, so listing a huge or hostile archive costs little.
struct ZipListing {
    enum class Status {
        ok,
        // No end-of-central-directory record: not a ZIP archive at all.
        notZip,
        // The directory is cut short, points outside the file or spans several disks.
        corrupt,
        // More entries than the caller is willing to look at.
        tooManyEntries,
        unreadable,
    };

    Status status{Status::ok};
    std::vector<ZipEntry> entries;
    // The entry count the archive declares (also when it is too large to list).
    std::uint64_t declaredEntryCount{0};

    // Reads the central directory of the archive at `path`. Stops with tooManyEntries as
    // soon as the archive holds more than `maxEntries`.
    static ZipListing read(const std::string& path, std::uint64_t maxEntries);
};

} // namespace plovane
