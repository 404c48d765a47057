#pragma once

#include "settings/Language.h"

namespace plovane {

// The settings the user changes while the engine runs. The application pushes them in
// (DiveEngine::setTuning) whenever one changes; the engine never reads settings itself.
struct EngineTuning {
    // Minutes of work that empty a full gauge, and of rest that refill it.
    double sessionMinutes{45.0};
    double restMinutes{10.0};
    // Whether app switching and distracting applications can end a dive.
    bool chaosEnabled{false};
    // The language of the advice the engine picks.
    Language language{Language::zh};

    bool operator==(const EngineTuning&) const = default;
};

} // namespace plovane
