#include "packs/ZipListing.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace plovane {
namespace {

constexpr std::uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr std::uint32_t kZip64EndOfDirectorySignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kDirectoryEntrySignature = 0x02014b50;
constexpr std::size_t kEndOfDirectorySize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndOfDirectorySize = 56;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
// A directory of a couple of thousand entries with long names stays far below this; a
// larger one is not worth reading.
constexpr std::uint64_t kMaxDirectoryBytes = 32u << 20;

std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t le64(const unsigned char* p) { return le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32); }

class File {
public:
    explicit File(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~File()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    bool readAt(std::uint64_t offset, unsigned char* out, std::size_t size) const
    {
        while (size > 0) {
            const ssize_t n = ::pread(fd_, out, size, static_cast<off_t>(offset));
            if (n <= 0)
                return false;
            out += n;
            offset += static_cast<std::uint64_t>(n);
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

// Applies the ZIP64 extra field to sizes that the fixed fields mark as "too big for me".
void applyZip64Extra(ZipEntry& entry, bool wantUncompressed, bool wantCompressed, const unsigned char* extra,
                     std::size_t size)
{
    std::size_t pos = 0;
    while (pos + 4 <= size) {
        const std::uint16_t id = le16(extra + pos);
        const std::uint16_t length = le16(extra + pos + 2);
        const std::size_t body = pos + 4;
        if (body + length > size)
            return;
        if (id == kZip64ExtraId) {
            std::size_t field = body;
            if (wantUncompressed && field + 8 <= body + length) {
                entry.uncompressedSize = le64(extra + field);
                field += 8;
            }
            if (wantCompressed && field + 8 <= body + length)
                entry.compressedSize = le64(extra + field);
            return;
        }
        pos = body + length;
    }
}

} // namespace

ZipListing ZipListing::read(const std::string& path, std::uint64_t maxEntries)
{
    ZipListing listing;
    File file(path);
    struct stat st {};
    if (!file.isOpen() || ::fstat(file.fd(), &st) != 0) {
        listing.status = Status::unreadable;
        return listing;
    }
    if (!S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) < kEndOfDirectorySize) {
        listing.status = Status::notZip;
        return listing;
    }
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);

    // The end record sits at the very end, behind a comment of at most 64 KiB.
    const std::uint64_t tailSize =
        std::min<std::uint64_t>(fileSize, kEndOfDirectorySize + kMaxCommentSize + kZip64LocatorSize);
    std::vector<unsigned char> tail(tailSize);
    if (!file.readAt(fileSize - tailSize, tail.data(), tail.size())) {
        listing.status = Status::unreadable;
        return listing;
    }
    std::optional<std::size_t> endAt;
    for (std::size_t i = tail.size() - kEndOfDirectorySize + 1; i-- > 0;) {
        if (le32(&tail[i]) == kEndOfDirectorySignature &&
            i + kEndOfDirectorySize + le16(&tail[i + 20]) <= tail.size()) {
            endAt = i;
            break;
        }
    }
    if (!endAt) {
        listing.status = Status::notZip;
        return listing;
    }
    const unsigned char* end = &tail[*endAt];
    const std::uint64_t endOffset = fileSize - tailSize + *endAt;
    if (le16(end + 4) != 0 || le16(end + 6) != 0) {
        listing.status = Status::corrupt; // split over several disks
        return listing;
    }
    std::uint64_t entryCount = le16(end + 10);
    std::uint64_t directorySize = le32(end + 12);
    std::uint64_t directoryEnd = endOffset;

    // A ZIP64 archive keeps the real figures in a record that a locator just before the
    // end record points at.
    if (*endAt >= kZip64LocatorSize && le32(end - kZip64LocatorSize) == kZip64LocatorSignature) {
        const std::uint64_t recordOffset = le64(end - kZip64LocatorSize + 8);
        unsigned char record[kZip64EndOfDirectorySize];
        if (recordOffset + kZip64EndOfDirectorySize > endOffset ||
            !file.readAt(recordOffset, record, sizeof record) || le32(record) != kZip64EndOfDirectorySignature) {
            listing.status = Status::corrupt;
            return listing;
        }
        entryCount = le64(record + 32);
        directorySize = le64(record + 40);
        directoryEnd = recordOffset;
    }
    listing.declaredEntryCount = entryCount;
    if (entryCount > maxEntries) {
        listing.status = Status::tooManyEntries;
        return listing;
    }
    // The directory ends where the end records begin. Measuring back from there instead of
    // trusting the stated offset also copes with data prepended to the archive.
    if (directorySize > directoryEnd || directorySize > kMaxDirectoryBytes) {
        listing.status = Status::corrupt;
        return listing;
    }
    std::vector<unsigned char> directory(directorySize);
    if (!file.readAt(directoryEnd - directorySize, directory.data(), directory.size())) {
        listing.status = Status::unreadable;
        return listing;
    }

    // Every header in the directory counts, also beyond the declared number, so that
    // entries hidden behind a low count are still seen.
    std::size_t pos = 0;
    while (pos + kDirectoryEntrySize <= directory.size() && le32(&directory[pos]) == kDirectoryEntrySignature) {
        const unsigned char* h = &directory[pos];
        const std::size_t nameLength = le16(h + 28);
        const std::size_t extraLength = le16(h + 30);
        const std::size_t commentLength = le16(h + 32);
        const std::size_t next = pos + kDirectoryEntrySize + nameLength + extraLength + commentLength;
        if (next > directory.size()) {
            listing.status = Status::corrupt;
            return listing;
        }
        if (listing.entries.size() >= maxEntries) {
            listing.status = Status::tooManyEntries;
            listing.declaredEntryCount = std::max<std::uint64_t>(entryCount, listing.entries.size() + 1);
            return listing;
        }
        ZipEntry entry;
        entry.hostSystem = static_cast<std::uint8_t>(le16(h + 4) >> 8);
        entry.flags = le16(h + 8);
        entry.compressedSize = le32(h + 20);
        entry.uncompressedSize = le32(h + 24);
        entry.externalAttributes = le32(h + 38);
        entry.name.assign(reinterpret_cast<const char*>(h + kDirectoryEntrySize), nameLength);
        applyZip64Extra(entry, entry.uncompressedSize == 0xFFFFFFFF, entry.compressedSize == 0xFFFFFFFF,
                        h + kDirectoryEntrySize + nameLength, extraLength);
        listing.entries.push_back(std::move(entry));
        pos = next;
    }
    if (listing.entries.size() < entryCount) {
        listing.status = Status::corrupt;
        return listing;
    }
    return listing;
}

} // namespace plovane
