#include "windows/FirstRunSetupController.h"

#include "sensing/PermissionCenter.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"
#include "settings/Strings.h"
#include "windows/FirstRunSetupView.h"
#include "windows/SecondaryWindows.h"

namespace plovane {

FirstRunSetupController::FirstRunSetupController(WindowEnvironment env, std::function<void()> requestAccessibility)
    : env_(std::move(env)), requestAccessibility_(std::move(requestAccessibility))
{
}

FirstRunSetupController::~FirstRunSetupController() = default;

void FirstRunSetupController::showIfNeeded(HUDSettings& settings, PermissionCenter& permissionCenter)
{
    if (settings.hasCompletedFirstRunSetup.get())
        return;
    show(settings, permissionCenter);
}

void FirstRunSetupController::show(HUDSettings& settings, PermissionCenter& permissionCenter)
{
    if (window_ && window_->isVisible()) {
        // The open window keeps the positions the user left in it.
        window_->bringToFront();
        return;
    }
    auto onConfirm = [this, &settings, &permissionCenter](bool ai, bool screen, bool knock) {
        settings.aiIdeSensingEnabled = ai;
        settings.screenIntelligenceEnabled = screen;
        settings.knockHintEnabled = knock;
        settings.hasCompletedFirstRunSetup = true;
        // The switch positions decide, not the settings as they now stand.
        if (ai) {
            if (requestAccessibility_)
                requestAccessibility_();
            else
                permissionCenter.requestAccessibilityIfNeeded();
        }
        if (screen)
            permissionCenter.requestScreenRecordingIfNeeded();
        close();
    };
    auto onSkip = [this, &settings] {
        settings.hasCompletedFirstRunSetup = true;
        close();
    };
    auto* view = new FirstRunSetupView(settings.aiIdeSensingEnabled.get(), settings.screenIntelligenceEnabled.get(),
                                       settings.knockHintEnabled.get(), std::move(onConfirm), std::move(onSkip), env_);
    AppLanguage& language = env_.language ? *env_.language : AppLanguage::shared();
    auto window = std::make_unique<SecondaryWindow>(QString(), kFirstRunSetupSize);
    window->titleFollows(language, [](Language l) { return Strings::firstRunTitle(l); });
    window->setContent(view);
    window->present();
    // A window the user closed with its close button is let go here.
    if (window_)
        window_.release()->deleteLater();
    window_ = std::move(window);
}

void FirstRunSetupController::close()
{
    if (!window_)
        return;
    window_->close();
    // The buttons that lead here belong to the window: let it go once their click is done.
    window_.release()->deleteLater();
}

} // namespace plovane
