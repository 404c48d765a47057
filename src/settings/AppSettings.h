#pragma once

#include "settings/AchillesTarget.h"

#include <memory>

namespace plovane {

class UserDefaults;

// The health targets the user watches, persisted in the user defaults. Also reads the
// two older stored forms. Keeping at least one target chosen is the menu's job.
class AppSettings {
public:
    // Loads the saved targets from `defaults`, which must outlive this object; writes
    // nothing.
    explicit AppSettings(UserDefaults& defaults);
    // Loads from UserDefaults::standard().
    AppSettings();

    const AchillesTargetSet& achillesTargets() const { return achillesTargets_; }
    // Stores the set and writes it at once, also when it is unchanged.
    void setAchillesTargets(AchillesTargetSet targets);

private:
    explicit AppSettings(std::shared_ptr<UserDefaults> defaults);
    AchillesTargetSet load() const;

    std::shared_ptr<UserDefaults> keepAlive_;
    UserDefaults& defaults_;
    AchillesTargetSet achillesTargets_;
};

} // namespace plovane
