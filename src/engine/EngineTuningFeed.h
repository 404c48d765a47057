#pragma once

#include "engine/EngineTuning.h"
#include "platform/Signal.h"

#include <vector>

namespace plovane {

class AppLanguage;
class DiveEngine;
class HUDSettings;

// Keeps an engine's tuning in step with the user's settings: pushes the current values
// at construction and again after every change, until destroyed. The engine, settings
// and language must outlive the feed.
class EngineTuningFeed {
public:
    EngineTuningFeed(DiveEngine& engine, HUDSettings& settings, AppLanguage& language);
    EngineTuningFeed(const EngineTuningFeed&) = delete;
    EngineTuningFeed& operator=(const EngineTuningFeed&) = delete;

    // The tuning the settings describe now.
    static EngineTuning current(const HUDSettings& settings, const AppLanguage& language);

private:
    void push();

    DiveEngine& engine_;
    HUDSettings& settings_;
    AppLanguage& language_;
    std::vector<Connection> connections_;
};

} // namespace plovane
