#pragma once

#include <string>
#include <unordered_set>

namespace plovane {

// Bundle identifiers, compared exactly (letter case included).
using BundleIDSet = std::unordered_set<std::string>;

// The engine's tuning: timing constants, gauge rates, thresholds and the application
// sets it classifies the frontmost and running applications with. `DiveConfig{}` and
// `DiveConfig{.field = value, ...}` serve as the default and memberwise initialisers.
// The O2 rates of work and rest come from the session and rest lengths the user sets
// (EngineTuning), not from here.
struct DiveConfig {
    double tickInterval{1.0};
    double hoveringIdleSeconds{30.0};
    double nitrogenDebounceSeconds{3.0};
    double rediveSustainSeconds{30.0};
    double o2HoveringPerMinute{0.0};
    double depthIncreaseFlowPerMinute{3.0};
    double depthIncreaseResearchPerMinute{2.0};
    double depthIncreaseChaosPerMinute{7.0};
    double depthRecoverHoveringPerMinute{6.0};
    double depthRecoverRestingPerMinute{10.0};
    double decompressionDepthThreshold{520.0};
    double switchWindowSeconds{60.0};
    long long switchCountThreshold{5};
    // Work applications: code tools, terminals, assistants, diagram tools.
    BundleIDSet oxygenApps{defaultOxygenApps()};
    // Browsers, readers, notes and files.
    BundleIDSet researchApps{defaultResearchApps()};
    // Distracting applications: messaging and video.
    BundleIDSet nitrogenApps{defaultNitrogenApps()};
    // Music players and streaming services (running counts, playing or not).
    BundleIDSet musicApps{defaultMusicApps()};

    static BundleIDSet defaultOxygenApps();
    static BundleIDSet defaultResearchApps();
    static BundleIDSet defaultNitrogenApps();
    static BundleIDSet defaultMusicApps();

    bool operator==(const DiveConfig&) const = default;
};

} // namespace plovane
