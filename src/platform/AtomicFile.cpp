#include "platform/AtomicFile.h"

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

bool AtomicFile::write(const std::string& path, std::string_view bytes, FileProblem& problem)
{
    std::string why;
    const std::optional<std::string> location = storedFileLocation(path, why);
    if (!location) {
        problem = {path, FileProblem::Cause::link, why};
        return false;
    }
    const std::string& target = *location;
    auto fail = [&](int error) {
        problem = FileProblem::fromError(target, error);
        return false;
    };
    // A file replaced keeps its permissions; a new one is the user's alone.
    mode_t mode = 0600;
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) {
            problem = {target, FileProblem::Cause::notRegularFile, "it is not a regular file"};
            return false;
        }
        // Never one its owner may not read back or write again, whatever was done to the old one.
        mode = (existing.st_mode & 0777) | S_IRUSR | S_IWUSR;
    }
    // mkostemp creates the file with O_CREAT | O_EXCL under a name no one could predict,
    // so a link or file planted beside the target is never opened.
    std::string temp = target + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        // Nothing may be made in the folder (permissions, a read-only mount): that is
        // where the user must look.
        const int error = errno;
        if (error == ENOSPC || error == EDQUOT)
            return fail(error);
        problem = FileProblem::fromError(std::filesystem::path(target).parent_path().string(), error, true);
        return false;
    }
    auto failAndRemove = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(error);
    };
    if (mode != 0600 && ::fchmod(fd, mode) != 0)
        return failAndRemove(errno);
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failAndRemove(errno);
        }
        data += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        return failAndRemove(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return fail(error);
    }
    if (auto& hook = hookSlot())
        hook(temp);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return fail(error);
    }
    syncDirectoryOf(target);
    return true;
}

void AtomicFile::setBeforeRenameHookForTesting(std::function<void(const std::string&)> hook)
{
    hookSlot() = std::move(hook);
}

std::optional<std::string> storedFileLocation(const std::string& path, std::string& why)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    // A dotfile manager links our files into the user's own repository: that is followed,
    // anything else a link may lead to is not ours to read or replace. The chain is walked
    // by hand, since its end may be a name where nothing is yet (the file was moved
    // aside, or is still to be made): that is made, in a folder of the user's.
    std::filesystem::path at = path;
    for (int hops = 0; ::lstat(at.c_str(), &info) == 0 && S_ISLNK(info.st_mode); ++hops) {
        std::error_code ec;
        const std::filesystem::path next = std::filesystem::read_symlink(at, ec);
        if (hops == 40 || ec) {
            why = "it is a symbolic link that cannot be followed";
            return std::nullopt;
        }
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    char* folder = ::realpath(at.parent_path().c_str(), nullptr);
    if (!folder) {
        why = "it is a symbolic link into " + at.parent_path().string() + ", which cannot be reached (" +
              std::strerror(errno) + ")";
        return std::nullopt;
    }
    const std::string target = std::string(folder) + "/" + at.filename().string();
    std::free(folder);
    if (::lstat(target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            why = "it is a symbolic link to " + target + ", which cannot be read (" + std::strerror(errno) + ")";
            return std::nullopt;
        }
        if (::stat(std::filesystem::path(target).parent_path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            why = "it is a symbolic link to " + target + ", in no folder";
            return std::nullopt;
        }
    } else if (!S_ISREG(info.st_mode)) {
        why = "it is a symbolic link to " + target + ", which is not a regular file";
        return std::nullopt;
    }
    if (info.st_uid != ::geteuid()) {
        why = "it is a symbolic link to " + target + ", which belongs to another user";
        return std::nullopt;
    }
    return target;
}

StoredFile readStoredFile(const std::string& path, std::size_t maxBytes)
{
    StoredFile file;
    auto fail = [&](StoredFileStatus status, std::string reason, int error = 0) {
        file.status = status;
        if (error != 0) {
            file.problem = FileProblem::fromError(path, error);
        } else if (status != StoredFileStatus::missing) {
            using Cause = FileProblem::Cause;
            const Cause cause = status == StoredFileStatus::link         ? Cause::link
                                : status == StoredFileStatus::notRegular ? Cause::notRegularFile
                                : status == StoredFileStatus::tooLarge   ? Cause::tooLarge
                                                                         : Cause::other;
            file.problem = {path, cause, std::move(reason)};
        }
        file.bytes.clear();
        return file;
    };
    std::string why;
    const std::optional<std::string> location = storedFileLocation(path, why);
    if (!location)
        return fail(StoredFileStatus::link, why);
    file.location = *location;
    const bool followed = *location != path;
    struct stat info {};
    if (::lstat(location->c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return fail(StoredFileStatus::missing, {});
        return fail(StoredFileStatus::unreadable, {}, errno);
    }
    if (S_ISLNK(info.st_mode))
        return fail(StoredFileStatus::link, "it is a symbolic link");
    // A FIFO would block the open, a device could be read forever: look before opening.
    if (!S_ISREG(info.st_mode))
        return fail(StoredFileStatus::notRegular, "it is not a regular file");
    const int fd = ::open(location->c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return fail(StoredFileStatus::missing, {});
        if (errno == ELOOP)
            return fail(StoredFileStatus::link, "it is a symbolic link");
        return fail(StoredFileStatus::unreadable, {}, errno);
    }
    // The entry may have been swapped between the look and the open.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || (followed && info.st_uid != ::geteuid())) {
        ::close(fd);
        return fail(followed ? StoredFileStatus::link : StoredFileStatus::notRegular,
                    followed ? "it is a symbolic link to a file that changed while it was opened"
                             : "it is not a regular file");
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
            return fail(StoredFileStatus::unreadable, {}, error);
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

bool makeDirectories(const std::string& path, FileProblem* problem)
{
    auto fail = [&](FileProblem found) {
        if (problem)
            *problem = std::move(found);
        return false;
    };
    const auto fileInTheWay = [&] {
        return fail({path, FileProblem::Cause::fileForFolder, "it is not a folder", true});
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode) || fileInTheWay();
    // A file further up (ENOTDIR) is found, and named, on the way up.
    if (errno != ENOENT && errno != ENOTDIR)
        return fail(FileProblem::fromError(path, errno, true));
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty() && parent.string() != path && !makeDirectories(parent.string(), problem))
        return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        FileProblem failed = FileProblem::fromError(path, errno, true);
        failed.detail = "could not create it: " + failed.detail;
        return fail(std::move(failed));
    }
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return fileInTheWay();
    return true;
}

} // namespace plovane
