#include "platform/AtomicFile.h"

#include "platform/Log.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace plovane {
namespace {

std::function<void(const std::string&)>& hookSlot()
{
    static std::function<void(const std::string&)> hook;
    return hook;
}

void syncDirectoryOf(const std::string& path)
{
    auto dir = std::filesystem::path(path).parent_path();
    if (dir.empty())
        dir = ".";
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool AtomicFile::write(const std::string& path, std::string_view bytes)
{
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        logLine("Not replacing " + path + ": it is not a regular file");
        return false;
    }
    // mkostemp creates the file with O_CREAT | O_EXCL under a name no one could predict,
    // so a link or file planted beside the target is never opened.
    std::string temp = path + ".tmp-XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        logLine("Could not write " + path + ": " + std::strerror(errno));
        return false;
    }
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            logLine("Could not write " + path + ": " + std::strerror(errno));
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        logLine("Could not write " + path + ": " + std::strerror(errno));
        ::unlink(temp.c_str());
        return false;
    }
    if (auto& hook = hookSlot())
        hook(temp);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        logLine("Could not replace " + path + ": " + std::strerror(errno));
        ::unlink(temp.c_str());
        return false;
    }
    syncDirectoryOf(path);
    return true;
}

void AtomicFile::setBeforeRenameHookForTesting(std::function<void(const std::string&)> hook)
{
    hookSlot() = std::move(hook);
}

StoredFile readStoredFile(const std::string& path, std::size_t maxBytes)
{
    StoredFile file;
    auto fail = [&](StoredFileStatus status, std::string reason) {
        file.status = status;
        file.reason = std::move(reason);
        file.bytes.clear();
        return file;
    };
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return fail(StoredFileStatus::missing, {});
        return fail(StoredFileStatus::unreadable, std::strerror(errno));
    }
    if (S_ISLNK(info.st_mode))
        return fail(StoredFileStatus::link, "it is a symbolic link");
    // A FIFO would block the open, a device could be read forever: look before opening.
    if (!S_ISREG(info.st_mode))
        return fail(StoredFileStatus::notRegular, "it is not a regular file");
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return fail(StoredFileStatus::missing, {});
        if (errno == ELOOP)
            return fail(StoredFileStatus::link, "it is a symbolic link");
        return fail(StoredFileStatus::unreadable, std::strerror(errno));
    }
    // The entry may have been swapped between the look and the open.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(StoredFileStatus::notRegular, "it is not a regular file");
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        ::close(fd);
        return fail(StoredFileStatus::tooLarge, "it is larger than " + std::to_string(maxBytes) + " bytes");
    }
    file.bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == file.bytes.size()) {
            // The file grew while we read it: one byte past the bound is enough to know.
            if (used > maxBytes)
                break;
            file.bytes.resize(std::min(maxBytes + 1, used * 2 + 4096));
        }
        ssize_t n = ::read(fd, file.bytes.data() + used, file.bytes.size() - used);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return fail(StoredFileStatus::unreadable, std::strerror(error));
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (used > maxBytes)
        return fail(StoredFileStatus::tooLarge, "it is larger than " + std::to_string(maxBytes) + " bytes");
    file.bytes.resize(used);
    file.status = StoredFileStatus::ok;
    return file;
}

bool readWholeFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad())
        return false;
    out = std::move(s).str();
    return true;
}

bool makeDirectories(const std::string& path, std::string* why)
{
    auto fail = [&](const std::string& reason) {
        if (why)
            *why = reason;
        return false;
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) || fail(path + " is not a folder");
    if (errno != ENOENT)
        return fail(path + ": " + std::strerror(errno));
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && parent.string() != path && !makeDirectories(parent.string(), why))
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return fail("could not create " + path + ": " + std::strerror(errno));
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return fail(path + " is not a folder");
    return true;
}

} // namespace plovane
