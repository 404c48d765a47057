#include "platform/qt/SwayIpc.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace plovane {

namespace {

constexpr char kMagic[] = {'i', '3', '-', 'i', 'p', 'c'};
constexpr std::uint32_t kRunCommand = 0;
constexpr int kAnswerTimeoutMs = 500;
constexpr std::size_t kMaxAnswer = 64 * 1024;

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::send(fd, data, size, MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool readAll(int fd, char* data, std::size_t size, std::chrono::steady_clock::time_point deadline)
{
    while (size > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
            return false;
        const ssize_t got = ::recv(fd, data, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace

bool runSwayCommand(std::string_view command)
{
    const char* path = std::getenv("SWAYSOCK");
    sockaddr_un address{};
    if (!path || !*path || std::strlen(path) >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool ok = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        // A message: the magic, the payload's length and the message type (in the host's
        // byte order), then the payload.
        std::string message(kMagic, sizeof kMagic);
        const auto length = static_cast<std::uint32_t>(command.size());
        message.append(reinterpret_cast<const char*>(&length), sizeof length);
        message.append(reinterpret_cast<const char*>(&kRunCommand), sizeof kRunCommand);
        message.append(command);
        char header[sizeof kMagic + 8];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerTimeoutMs);
        if (writeAll(fd, message.data(), message.size()) && readAll(fd, header, sizeof header, deadline) &&
            std::memcmp(header, kMagic, sizeof kMagic) == 0) {
            std::uint32_t answerLength = 0;
            std::memcpy(&answerLength, header + sizeof kMagic, sizeof answerLength);
            std::string answer(std::min<std::size_t>(answerLength, kMaxAnswer), '\0');
            // One result per command: [{"success": true}].
            ok = answerLength <= kMaxAnswer && readAll(fd, answer.data(), answer.size(), deadline) &&
                 answer.find("\"success\": false") == std::string::npos &&
                 answer.find("\"success\":false") == std::string::npos && answer.find("\"success\"") != std::string::npos;
        }
    }
    ::close(fd);
    return ok;
}

} // namespace plovane
