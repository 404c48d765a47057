#pragma once

class QWidget;

namespace plovane {

// Asks an X11 window manager to keep a top-level window out of the taskbar and the
// pager and on every virtual desktop. Must be called before each show (a withdrawn window
// loses its states). Does nothing on other platforms, or for a window no window manager
// handles.
void requestSkipTaskbarAndSticky(QWidget& window);

// Keeps a window from ever being handed the keyboard focus: its WM_HINTS say it takes no
// input, and its WM_PROTOCOLS no longer offer WM_TAKE_FOCUS, which Qt offers on every
// window and which some window managers take as a wish for the focus when they map it. Call before each show. Does nothing on other platforms.
void refuseKeyboardFocus(QWidget& window);

// Whether the X11 window manager gives a window the keyboard focus on a click, or when the
// pointer enters it, whatever its input hint says, and places floating windows by rules of
// its own: i3, and the one wlroots compositors (sway among them) run for Xwayland. A panel
// that must float at its own place and never be focused stays out of such a manager's
// hands (override-redirect). False off X11 and when no window manager gives its name.
bool windowManagerOverridesPanelHints();

} // namespace plovane
