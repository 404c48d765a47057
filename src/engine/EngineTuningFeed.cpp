#include "engine/EngineTuningFeed.h"

#include "engine/DiveEngine.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"

namespace plovane {

EngineTuningFeed::EngineTuningFeed(DiveEngine& engine, HUDSettings& settings, AppLanguage& language)
    : engine_(engine), settings_(settings), language_(language)
{
    // didSet fires after the new value is in place, so push() reads it.
    connections_.push_back(settings_.sessionMinutes.didSet.connect([this](double) { push(); }));
    connections_.push_back(settings_.restMinutes.didSet.connect([this](double) { push(); }));
    connections_.push_back(settings_.chaosEnabled.didSet.connect([this](bool) { push(); }));
    connections_.push_back(language_.language.didSet.connect([this](Language) { push(); }));
    push();
}

EngineTuning EngineTuningFeed::current(const HUDSettings& settings, const AppLanguage& language)
{
    return EngineTuning{
        .sessionMinutes = settings.sessionMinutes.get(),
        .restMinutes = settings.restMinutes.get(),
        .chaosEnabled = settings.chaosEnabled.get(),
        .language = language.language.get(),
    };
}

void EngineTuningFeed::push()
{
    engine_.setTuning(current(settings_, language_));
}

} // namespace plovane
