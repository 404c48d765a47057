#include "sensing/IDEStateSnapshot.h"

#include <array>
#include <utility>

namespace plovane {

namespace {

constexpr std::array<std::pair<IDEAppSurface, std::string_view>, 5> kSurfaces{{
    {IDEAppSurface::none, "none"},
    {IDEAppSurface::cursor, "cursor"},
    {IDEAppSurface::codex, "codex"},
    {IDEAppSurface::terminal, "terminal"},
    {IDEAppSurface::research, "research"},
}};

constexpr std::array<std::pair<IDEPrimaryState, std::string_view>, 6> kStates{{
    {IDEPrimaryState::idle, "idle"},
    {IDEPrimaryState::working, "working"},
    {IDEPrimaryState::prompting, "prompting"},
    {IDEPrimaryState::waiting, "waiting"},
    {IDEPrimaryState::researching, "researching"},
    {IDEPrimaryState::terminal, "terminal"},
}};

template <typename Table, typename Value>
std::string_view rawOf(const Table& table, Value value)
{
    for (const auto& [v, raw] : table)
        if (v == value)
            return raw;
    return {};
}

template <typename Value, typename Table>
std::optional<Value> fromRaw(const Table& table, std::string_view raw)
{
    for (const auto& [v, r] : table)
        if (r == raw)
            return v;
    return std::nullopt;
}

} // namespace

std::string_view rawValue(IDEAppSurface surface) { return rawOf(kSurfaces, surface); }
std::string_view rawValue(IDEPrimaryState state) { return rawOf(kStates, state); }

std::optional<IDEAppSurface> ideAppSurfaceFromRaw(std::string_view raw)
{
    return fromRaw<IDEAppSurface>(kSurfaces, raw);
}

std::optional<IDEPrimaryState> idePrimaryStateFromRaw(std::string_view raw)
{
    return fromRaw<IDEPrimaryState>(kStates, raw);
}

const IDEStateSnapshot& IDEStateSnapshot::disabled()
{
    static const IDEStateSnapshot value{};
    return value;
}

} // namespace plovane
