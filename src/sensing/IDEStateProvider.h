#pragma once

#include "sensing/AXContextSnapshot.h"
#include "sensing/ActiveAppSnapshot.h"
#include "sensing/IDEStateSnapshot.h"
#include "sensing/InputSnapshot.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace plovane {

class AXContextMonitor;
class HUDSettings;

// The two user switches the classifier depends on.
struct IDESensingSwitches {
    bool aiIdeSensingEnabled{false};
    bool screenIntelligenceEnabled{false};
};

// Classifies what the user does in the frontmost application (AI editor, assistant,
// terminal, research) from the focus context, the idle time and recent app switches.
// Holds nothing between calls.
class IDEStateProvider {
public:
    explicit IDEStateProvider(AXContextMonitor& axContextMonitor);
    virtual ~IDEStateProvider() = default;

    // Reads the sensing switches from the shared HUD settings.
    virtual IDEStateSnapshot snapshot(const ActiveAppSnapshot& appSnapshot, const InputSnapshot& inputSnapshot,
                                      int switches60s);
    IDEStateSnapshot snapshot(const ActiveAppSnapshot& appSnapshot, const InputSnapshot& inputSnapshot,
                              int switches60s, const HUDSettings& settings);
    IDEStateSnapshot snapshot(const ActiveAppSnapshot& appSnapshot, const InputSnapshot& inputSnapshot,
                              int switches60s, const IDESensingSwitches& settings);

private:
    IDEAppSurface detectSurface(const ActiveAppSnapshot& appSnapshot) const;
    const std::vector<std::string>& promptKeywords(IDEAppSurface surface) const;
    static std::string makeSummary(IDEAppSurface surface, IDEPrimaryState state, const IDEStateFlags& flags,
                                   const AXContextSnapshot& ax);

    AXContextMonitor& axContextMonitor_;
    std::vector<std::string> sharedPromptKeywords_;
    std::vector<std::string> cursorPromptKeywords_;
    std::vector<std::string> codexPromptKeywords_;
    std::vector<std::string> terminalKeywords_;
    std::unordered_set<std::string> researchBundleIDs_;
    // The shared list followed by each surface's own, built once.
    std::vector<std::string> cursorAllKeywords_;
    std::vector<std::string> codexAllKeywords_;
};

} // namespace plovane
