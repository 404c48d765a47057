#pragma once

class QWidget;

namespace plovane {

// Asks an X11 window manager to keep a top-level window out of the taskbar and the
// pager and on every virtual desktop (sway: on every workspace, by its own rule). Must be
// called before each show (a withdrawn window loses its states). Does nothing on other
// platforms.
void requestSkipTaskbarAndSticky(QWidget& window);

// Keeps a window from ever being handed the keyboard focus: its WM_HINTS say it takes no
// input, and its WM_PROTOCOLS no longer offer WM_TAKE_FOCUS, which Qt offers on every
// window and which some window managers (sway among them) take as a wish for the focus
// when they map it. Call before each show. Does nothing on other platforms.
void refuseKeyboardFocus(QWidget& window);

} // namespace plovane
