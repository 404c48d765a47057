#pragma once

#include "platform/Observable.h"
#include "settings/CharacterID.h"

#include <memory>
#include <vector>

namespace plovane {

class UserDefaults;

// The user's display and behaviour settings. Every property is published and written
// through to the user defaults on each assignment (also of an unchanged value). The
// store is read once, at construction, after moving the values of three older keys.
class HUDSettings final : public ObservableObject {
public:
    // The process-wide instance, loaded from UserDefaults::standard() on first access.
    static HUDSettings& shared();

    // Migrates and loads from `defaults`, which must outlive this object and receives
    // every later write. Used by shared() and by tests that want a fresh instance.
    explicit HUDSettings(UserDefaults& defaults);
    ~HUDSettings() override;

    // Opacity of the HUD in its calm states.
    Published<double> idleOpacity{*this, 0.4};
    Published<CharacterID> characterID{*this, CharacterID::builtIn(SpriteCharacter::tuffin)};
    // Minutes of work that empty a full gauge, and of rest that refill it.
    Published<double> sessionMinutes{*this, 45.0};
    Published<double> restMinutes{*this, 10.0};
    Published<bool> hasShownWelcome{*this, false};
    Published<bool> chaosEnabled{*this, false};
    Published<bool> compactMode{*this, false};
    Published<bool> knockHintEnabled{*this, false};
    Published<bool> hasCompletedFirstRunSetup{*this, false};
    // Turning AI IDE sensing off also turns screen intelligence off; turning screen
    // intelligence on also turns AI IDE sensing on.
    Published<bool> aiIdeSensingEnabled{*this, false};
    Published<bool> screenIntelligenceEnabled{*this, false};

    // The built-in character chosen, or tuffin while a custom one is chosen.
    SpriteCharacter character() const;
    void setCharacter(SpriteCharacter character);

private:
    explicit HUDSettings(std::shared_ptr<UserDefaults> defaults);

    void migrateOlderKeys();
    void load();
    void connectWriteThrough();

    std::shared_ptr<UserDefaults> keepAlive_;
    UserDefaults& defaults_;
    std::vector<Connection> hooks_;
};

} // namespace plovane
