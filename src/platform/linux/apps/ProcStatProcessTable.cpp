#include "platform/linux/apps/ProcStatProcessTable.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>

namespace plovane {

ProcStatProcessTable::ProcStatProcessTable(std::string procRoot)
    : procRoot_(std::move(procRoot)), ticksPerSecond_(::sysconf(_SC_CLK_TCK))
{
    if (ticksPerSecond_ <= 0)
        ticksPerSecond_ = 100;
}

std::optional<std::uint64_t> ProcStatProcessTable::parseStat(std::string_view stat, long ticksPerSecond)
{
    // The command name may hold spaces and parentheses; the fields start after the last ')'.
    const auto close = stat.rfind(')');
    if (close == std::string_view::npos)
        return std::nullopt;
    std::string_view rest = stat.substr(close + 1);
    // After the name: state is field 3, utime field 14, stime field 15.
    std::uint64_t values[2]{};
    int field = 2;
    while (field < 15) {
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        if (rest.empty())
            return std::nullopt;
        const auto end = std::min(rest.find(' '), rest.size());
        ++field;
        if (field == 14 || field == 15) {
            auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + end, values[field - 14]);
            if (ec != std::errc{})
                return std::nullopt;
        }
        rest.remove_prefix(end);
    }
    const std::uint64_t ticks = values[0] + values[1];
    const auto tps = static_cast<std::uint64_t>(ticksPerSecond);
    return ticks / tps * 1'000'000'000ULL + ticks % tps * 1'000'000'000ULL / tps;
}

std::optional<std::uint64_t> ProcStatProcessTable::cpuTimeNanoseconds(int pid)
{
    const std::string path = procRoot_ + "/" + std::to_string(pid) + "/stat";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char buffer[1024];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    if (n <= 0)
        return std::nullopt;
    return parseStat(std::string_view(buffer, static_cast<std::size_t>(n)), ticksPerSecond_);
}

} // namespace plovane
