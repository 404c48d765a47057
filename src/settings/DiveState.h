#pragma once

#include "settings/RawValue.h"

#include <string_view>

namespace plovane {

// The six activity states of a dive. The raw texts key the per-state seconds of the
// daily statistics, so they must never change.
enum class DiveState {
    flow,
    research,
    chaos,
    hovering,
    critical,
    resting,
};

template <>
struct RawValues<DiveState> {
    static constexpr std::array<std::string_view, 6> texts{"Flow", "Research", "Chaos", "Hovering", "Critical",
                                                           "Resting"};
};

// Name of the symbol image that stands for the state.
std::string_view symbolName(DiveState state);

} // namespace plovane
