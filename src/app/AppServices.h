#pragma once

#include "status/StatusItemControl.h"
#include "engine/DailyStats.h"
#include "hud/HUDMenuActions.h"
#include "platform/Signal.h"
#include "settings/AchillesTarget.h"
#include "settings/DiveState.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace plovane {

class DiveEngine;
class PackImportDesktop;
class Scheduler;

// The shell's handle on the dive engine: the operations launch, termination, the knock
// handler and the menus use, and what the status item shows of it.
class EngineControl {
public:
    virtual ~EngineControl() = default;
    virtual void setAchillesTargets(const AchillesTargetSet& targets) = 0;
    virtual AchillesTargetSet achillesTargets() const = 0;
    virtual void start() = 0;
    // Stops the loop and saves what today has booked since the last save.
    virtual void stop() = 0;
    virtual void triggerManualSurface() = 0;
    virtual void triggerKnockHint(double seconds) = 0;

    virtual DiveState state() const = 0;
    // True while the engine asks for the large decompression layout.
    virtual bool shouldEnterDecompressionLayout() const = 0;
    // One line on the IDE the user works in; "disabled" while AI IDE sensing is off.
    virtual std::string ideStateSummary() const = 0;
    virtual const DailyStats& dailyStats() const = 0;

    // Change notifications on the main thread, after the value has changed (and only
    // when it has).
    [[nodiscard]] virtual Connection onStateChanged(std::function<void()> handler) = 0;
    [[nodiscard]] virtual Connection onIdeStateSummaryChanged(std::function<void()> handler) = 0;
    // Before any published value of the engine changes (views that show the day follow it).
    [[nodiscard]] virtual Connection onWillChange(std::function<void()> handler) = 0;
    // The engine itself, for the windows that draw from it; null for stand-ins.
    virtual DiveEngine* diveEngine() { return nullptr; }
};

// The floating HUD panel for one engine.
class HudControl {
public:
    virtual ~HudControl() = default;
    // Shows the panel without taking focus from the application the user works in.
    virtual void show() = 0;
    // Hides a visible panel, shows a hidden one.
    virtual void toggle() = 0;
};

// The knock port listener. `onKnock` runs on the bridge's own thread.
class KnockBridgeControl {
public:
    virtual ~KnockBridgeControl() = default;
    virtual void setOnKnock(std::function<void()> handler) = 0;
    // Failures to listen are logged by the bridge; the application runs on without knocks.
    virtual void start() = 0;
    virtual void stop() = 0;
};

// A secondary window the delegate keeps: its close button only hides it.
class WindowControl {
public:
    virtual ~WindowControl() = default;
    virtual bool isVisible() const = 0;
    // Raises it, makes it the active window and the application the active one.
    virtual void bringToFront() = 0;
};

// The first-run setup: the delegate makes one at creation (no window yet).
class FirstRunSetupControl {
public:
    virtual ~FirstRunSetupControl() = default;
    // Opens the setup window unless the user chose Continue or Skip before.
    virtual void showIfNeeded() = 0;
    // Brings an open setup window forward, or opens a new one from the current settings.
    virtual void show() = 0;
};

// Everything the application delegate creates or calls outside itself, so launch and
// termination can run against fakes in tests.
class AppServices {
public:
    virtual ~AppServices() = default;
    // Runs tasks on the main thread; safe to post to from any thread.
    virtual Scheduler& mainScheduler() = 0;
    // No taskbar entry and no main window of our own: we live in the HUD and the tray.
    virtual void becomeAccessory() = 0;
    virtual void registerEmbeddedFonts() = 0;
    // The engine with its real sensors; not started.
    virtual std::unique_ptr<EngineControl> makeEngine() = 0;
    // The HUD's right-click menu runs `menuActions`.
    virtual std::unique_ptr<HudControl> makeHud(EngineControl& engine, HUDMenuActions menuActions) = 0;
    virtual std::unique_ptr<KnockBridgeControl> makeKnockBridge(std::uint16_t port) = 0;
    // The knock chime; falls back to the plain beep when the sound theme has none.
    virtual void playKnockSound() = 0;
    // Secondary windows, each built anew (title in the current language), centred, shown
    // and activated. The report needs the real engine: without one it gives nothing.
    virtual std::unique_ptr<WindowControl> openDrainSettingsWindow() = 0;
    virtual std::unique_ptr<WindowControl> openDailyReportWindow(EngineControl& engine) = 0;
    virtual std::unique_ptr<FirstRunSetupControl> makeFirstRunSetup(std::function<void()> requestAccessibility) = 0;

    // The status item in the desktop's panel with its menu, whose rows call `actions`.
    // Never null: on a desktop without a status area the item stays out of sight.
    virtual std::unique_ptr<StatusItemControl> makeStatusItem(StatusMenuActions actions) = 0;
    // Leaves the event loop; termination follows.
    virtual void quit() = 0;
    // File dialog, alerts and file manager for the character-pack rows; its alert also
    // carries what the menu says about permissions.
    virtual PackImportDesktop& packImportDesktop() = 0;
};

} // namespace plovane
