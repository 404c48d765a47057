#include "packs/PackInstaller.h"

#include "packs/PackArchiveInspector.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <random>
#include <string_view>
#include <vector>

namespace plovane {
namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports a failed close, which is where a full disk may show.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

std::error_code copyFile(const std::string& from, const std::string& to)
{
    Fd in(::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (in.get() < 0)
        return lastError();
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        return lastError();
    if (!S_ISREG(st.st_mode))
        return std::make_error_code(std::errc::operation_not_permitted);
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (out.get() < 0)
        return lastError();
    std::array<char, 64 * 1024> buffer{};
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return lastError();
        if (n == 0)
            break;
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(out.get(), buffer.data() + written, static_cast<std::size_t>(n - written));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                return lastError();
            written += w;
        }
    }
    // The pack must be on disk before it replaces the old one.
    if (::fsync(out.get()) != 0 || !out.close())
        return lastError();
    return {};
}

// Copies the tree below `from` into the existing folder `to`, plain files and folders only.
std::error_code copyTree(const std::string& from, const std::string& to)
{
    std::vector<std::pair<std::string, std::string>> pending{{from, to}};
    while (!pending.empty()) {
        const auto [source, target] = std::move(pending.back());
        pending.pop_back();
        DIR* dir = ::opendir(source.c_str());
        if (!dir)
            return lastError();
        std::error_code error;
        while (const dirent* item = ::readdir(dir)) {
            const std::string_view name = item->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string s = source + "/" + std::string(name);
            const std::string t = target + "/" + std::string(name);
            struct stat st {};
            if (::lstat(s.c_str(), &st) != 0) {
                error = lastError();
            } else if (S_ISDIR(st.st_mode)) {
                if (::mkdir(t.c_str(), 0755) != 0)
                    error = lastError();
                else
                    pending.emplace_back(s, t);
            } else if (S_ISREG(st.st_mode)) {
                error = copyFile(s, t);
            } else {
                error = std::make_error_code(std::errc::operation_not_permitted);
            }
            if (error)
                break;
        }
        ::closedir(dir);
        if (error)
            return error;
    }
    return {};
}

// The packs folder is made at start, not here. When it is missing, what kept it from
// being made (a data folder this user may not write, a read-only disk) is the reason to
// give, rather than that it is missing.
std::error_code missingFolderReason(const std::string& folder, std::error_code error)
{
    if (error != std::errc::no_such_file_or_directory)
        return error;
    std::filesystem::path above = std::filesystem::path(folder).parent_path();
    std::error_code ignored;
    while (!above.empty() && above != above.root_path() && !std::filesystem::exists(above, ignored))
        above = above.parent_path();
    if (!above.empty() && ::access(above.c_str(), W_OK | X_OK) != 0)
        return lastError();
    return error;
}

void syncFolder(const std::string& path)
{
    Fd dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}

} // namespace

std::string newUuidString()
{
    std::random_device random;
    std::array<unsigned char, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        const auto word = random();
        for (std::size_t j = 0; j < 4; ++j)
            bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            text += '-';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0x0F];
    }
    return text;
}

namespace {

std::error_code installPackFolderUnreported(const std::string& source, const std::string& packsFolder,
                                         const std::string& folderName)
{
    // Hidden, so the character menu never lists a half-made copy.
    const std::string staging = packsFolder + "/.incoming-" + newUuidString();
    const std::string installed = packsFolder + "/" + folderName;
    if (::mkdir(staging.c_str(), 0755) != 0)
        return missingFolderReason(packsFolder, lastError());
    if (auto error = copyTree(source, staging)) {
        removeTree(staging);
        return error;
    }
    syncFolder(staging);

    struct stat st {};
    if (::lstat(installed.c_str(), &st) != 0) {
        if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, installed.c_str(), RENAME_NOREPLACE) != 0) {
            const std::error_code error = lastError();
            removeTree(staging);
            return error;
        }
        syncFolder(packsFolder);
        return {};
    }

    // Swap the new pack and the old one in one step; the old one ends up under the hidden
    // name and goes. Where the file system cannot swap, move the old one aside first and
    // back again if the new one cannot take its place.
    if (::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, installed.c_str(), RENAME_EXCHANGE) == 0) {
        syncFolder(packsFolder);
        removeTree(staging);
        return {};
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        const std::error_code error = lastError();
        removeTree(staging);
        return error;
    }
    const std::string aside = packsFolder + "/.outgoing-" + newUuidString();
    if (::rename(installed.c_str(), aside.c_str()) != 0) {
        const std::error_code error = lastError();
        removeTree(staging);
        return error;
    }
    if (::rename(staging.c_str(), installed.c_str()) != 0) {
        const std::error_code error = lastError();
        ::rename(aside.c_str(), installed.c_str());
        removeTree(staging);
        return error;
    }
    syncFolder(packsFolder);
    removeTree(aside);
    return {};
}

} // namespace

InstallError installPackFolder(const std::string& source, const std::string& packsFolder,
                               const std::string& folderName)
{
    // Whatever went wrong on the way, the user knows the pack by where it was to go.
    if (const auto error = installPackFolderUnreported(source, packsFolder, folderName))
        return {packsFolder + "/" + folderName, error};
    return {};
}

} // namespace plovane
