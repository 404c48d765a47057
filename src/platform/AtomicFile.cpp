#include "platform/AtomicFile.h"

#include "platform/Log.h"

#include <cerrno>
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
    const std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
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

bool makeDirectories(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return std::filesystem::is_directory(path, ec);
}

} // namespace plovane
