#include "settings/DiveState.h"

namespace plovane {

std::string_view symbolName(DiveState state)
{
    switch (state) {
    case DiveState::flow:
        return "terminal";
    case DiveState::research:
        return "book.fill";
    case DiveState::chaos:
        return "exclamationmark.bubble.fill";
    case DiveState::hovering:
        return "cup.and.saucer.fill";
    case DiveState::critical:
        return "exclamationmark.triangle.fill";
    case DiveState::resting:
        return "figure.seated.side";
    }
    return "terminal";
}

} // namespace plovane
