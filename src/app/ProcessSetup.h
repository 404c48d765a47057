#pragma once

#include <optional>
#include <string>

namespace plovane {

// What the process needs before anything else runs.
namespace processSetup {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so the first file,
// socket or X connection opened later never lands on one of them (and log lines never
// go into it). False when one stays closed.
bool ensureStandardDescriptors();

// A reader that went away (a closed terminal, a log pipe whose end quit, a knock client
// that hung up) makes the write fail with EPIPE instead of ending the process.
void ignoreBrokenPipes();

// Our windows are X11 windows, under Xwayland in a Wayland session: there the HUD keeps
// what a floating panel asks of the window manager (its place and level, every
// workspace, no keyboard focus), which Qt's Wayland platform cannot ask for. So X11 it is
// whenever an X server answers, also when QT_QPA_PLATFORM (often set for all of a Wayland
// user's programs) names Wayland, which one log line then says; another platform the user
// named stands. PLOVANE_QPA_PLATFORM, when set, is the platform whatever else is set. In
// a Wayland session without an X server, one line says what the HUD cannot do there.
// Call before the QApplication exists. True when it chose X11 here.
bool preferX11Platform();

// Why no window can be shown, when the platform Qt will pick is X11 (or not chosen) and
// no X display answers and no Wayland compositor answers on the display named; nothing
// when one can. Qt itself would abort then, in words of its own. Call after the platform
// is chosen.
std::optional<std::string> missingDisplay();

// From now on, until called with 0: a display Qt cannot open after all (the platform
// named cannot start, the display goes in the meantime) ends the process with `status`
// and one line of ours, instead of Qt's abort. For the time the QApplication is made.
void endWhenNoDisplayOpens(int status);

// Without a session bus (none named, none in the runtime folder), D-Bus would start one
// of its own for the X display (autolaunch), and that one, and the accessibility
// services it starts, outlive us. Then we do without a session bus.
void avoidSessionBusAutolaunch();

// Qt's own messages go through our log, which never waits for standard error.
void routeQtMessagesToLog();

} // namespace processSetup
} // namespace plovane
