#pragma once

#include "windows/SecondaryWindow.h"
#include "windows/WindowEnvironment.h"

#include <functional>
#include <memory>

namespace plovane {

class HUDSettings;
class PermissionCenter;

// Owns the first-run setup window: opens it at the first launch (until the user has
// chosen Continue or Skip) and whenever the menu asks, writes the chosen features into
// the settings and asks for the permissions they need.
class FirstRunSetupController {
public:
    // `requestAccessibility`, when given, asks for accessibility in place of the
    // permission centre alone, so the application can say what switching it on means.
    explicit FirstRunSetupController(WindowEnvironment env = {}, std::function<void()> requestAccessibility = {});
    ~FirstRunSetupController();
    FirstRunSetupController(const FirstRunSetupController&) = delete;
    FirstRunSetupController& operator=(const FirstRunSetupController&) = delete;

    // Opens the window unless the setup was completed before.
    void showIfNeeded(HUDSettings& settings, PermissionCenter& permissionCenter);
    // Brings an open window forward, or builds a new one from the current settings.
    void show(HUDSettings& settings, PermissionCenter& permissionCenter);
    // Closes and drops the window, if any.
    void close();

    // The window while one is kept (also after its close button hid it).
    SecondaryWindow* window() const { return window_.get(); }

private:
    WindowEnvironment env_;
    std::function<void()> requestAccessibility_;
    std::unique_ptr<SecondaryWindow> window_;
};

} // namespace plovane
