#pragma once

#include "app/AppServices.h"
#include "app/QtTranslations.h"
#include "packs/QtPackImportDesktop.h"
#include "app/SystemSound.h"
#include "platform/linux/LinuxPlatform.h"
#include "windows/WindowEnvironment.h"

#include <memory>

namespace plovane {

class DiveEngine;
class QtScheduler;

// The real services of the application on a Linux desktop: the engine with the sensors
// of the probed desktop, the Qt HUD panel, the knock bridge on its TCP port and the
// theme's message sound. Create it on the main thread once the QApplication exists.
class LinuxAppServices final : public AppServices {
public:
    explicit LinuxAppServices(QtScheduler& mainThread);
    ~LinuxAppServices() override;

    Scheduler& mainScheduler() override;
    void becomeAccessory() override;
    void registerEmbeddedFonts() override;
    std::unique_ptr<EngineControl> makeEngine() override;
    std::unique_ptr<HudControl> makeHud(EngineControl& engine, HUDMenuActions menuActions) override;
    std::unique_ptr<KnockBridgeControl> makeKnockBridge(std::uint16_t port) override;
    void playKnockSound() override;
    std::unique_ptr<WindowControl> openDrainSettingsWindow() override;
    std::unique_ptr<WindowControl> openDailyReportWindow(EngineControl& engine) override;
    std::unique_ptr<FirstRunSetupControl> makeFirstRunSetup(std::function<void()> requestAccessibility) override;
    std::unique_ptr<StatusItemControl> makeStatusItem(StatusMenuActions actions) override;
    void quit() override;
    PackImportDesktop& packImportDesktop() override;

private:
    WindowEnvironment windowEnvironment() const;

    QtScheduler& mainThread_;
    LinuxSensingPlatform platform_;
    SystemSound knockSound_;
    QtPackImportDesktop packImportDesktop_;
    // Qt's own dialog texts in the language the user chose.
    QtTranslations qtTranslations_;
    // The engine made by makeEngine(), which the HUD draws from; owned by its control.
    DiveEngine* engine_{nullptr};
};

} // namespace plovane
