#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plovane {

// What kind of application is frontmost, as far as AI-assisted coding goes.
enum class IDEAppSurface { none, cursor, codex, terminal, research };

// What the user is doing there.
enum class IDEPrimaryState { idle, working, prompting, waiting, researching, terminal };

std::string_view rawValue(IDEAppSurface surface);
std::string_view rawValue(IDEPrimaryState state);
std::optional<IDEAppSurface> ideAppSurfaceFromRaw(std::string_view raw);
std::optional<IDEPrimaryState> idePrimaryStateFromRaw(std::string_view raw);

struct IDEStateFlags {
    bool contextSwitching{false};
    bool hasSelection{false};
    bool accessibilityUnavailable{false};
    bool screenIntelligenceUnavailable{true};

    friend bool operator==(const IDEStateFlags&, const IDEStateFlags&) = default;
};

struct IDEStateSnapshot {
    bool isEnabled{false};
    IDEAppSurface surface{IDEAppSurface::none};
    IDEPrimaryState primaryState{IDEPrimaryState::idle};
    IDEStateFlags flags{};
    std::string summary{"disabled"};

    // Sensing switched off: (false, none, idle, default flags, "disabled").
    static const IDEStateSnapshot& disabled();

    friend bool operator==(const IDEStateSnapshot&, const IDEStateSnapshot&) = default;
};

} // namespace plovane
