#pragma once

#include "platform/Observable.h"
#include "settings/Language.h"

#include <memory>
#include <string_view>

namespace plovane {

class UserDefaults;

// The current interface language of the process. Loaded once from the user defaults;
// views observe it and redraw when it changes. Only toggle() persists the choice.
class AppLanguage final : public ObservableObject {
public:
    // Where the choice is stored.
    static constexpr const char* kDefaultsKey = "tessivar.language";

    // The process-wide instance, loaded from UserDefaults::standard() on first access.
    static AppLanguage& shared();

    // Loads the stored choice from `defaults`, which must outlive this object. Used by
    // shared() and by tests that want a fresh instance on their own store.
    explicit AppLanguage(UserDefaults& defaults);

    // Assigning changes the interface at once but is not remembered for the next launch.
    Published<Language> language{*this, Language::zh};

    // Switches to the other language and stores it.
    void toggle();

    // The label of the switch: "EN" while Chinese is shown, "中" while English is.
    std::string_view toggleLabel() const;
    bool isZh() const { return language.get() == Language::zh; }

private:
    AppLanguage(std::shared_ptr<UserDefaults> defaults);

    std::shared_ptr<UserDefaults> keepAlive_;
    UserDefaults& defaults_;
};

} // namespace plovane
