#pragma once

class QWidget;
class QWindow;

namespace plovane {

// Asks an X11 window manager to keep a top-level window out of the taskbar and the
// pager and on every virtual desktop. Must be called before each show (a withdrawn window
// loses its states). Does nothing on other platforms, or for a window no window manager
// handles.
void requestSkipTaskbarAndSticky(QWidget& window);

// The same for a shown window, once a new window manager has taken over the screen: one
// that has taken the window over takes the request, and one about to reads the window's
// own properties, which the manager before may have rewritten (xfwm4 reads openbox's
// "every desktop" without the sticky state as its last desktop). Does nothing for a hidden
// window, which says it all again when shown, or off X11.
void restateSkipTaskbarAndSticky(QWidget& window);

// Keeps a window from ever being handed the keyboard focus: its WM_HINTS say it takes no
// input, and its WM_PROTOCOLS no longer offer WM_TAKE_FOCUS, which Qt offers on every
// window and which some window managers take as a wish for the focus when they map it.
// Call before each show. Does nothing on other platforms.
void refuseKeyboardFocus(QWidget& window);

// Asks the window manager to take back a "demands attention" mark it gave the window
// (some do when they map a window that cannot take the focus while another has it). Does
// nothing when there is none, off X11, or for a window no window manager handles.
void withdrawAttentionRequest(QWidget& window);

// Whether the X11 window manager gives a window the keyboard focus on a click, or when the
// pointer enters it, whatever its input hint says, and places floating windows by rules of
// its own: i3, and the one wlroots compositors (sway among them) run for Xwayland. A panel
// that must float at its own place and never be focused stays out of such a manager's
// hands (override-redirect). False off X11 and when no window manager gives its name.
bool windowManagerOverridesPanelHints();

// Types an unmanaged popup as a popup menu (_NET_WM_WINDOW_TYPE_POPUP_MENU). The
// compositors that run Xwayland for wlroots hand the keyboard to any unmanaged window
// not typed as a menu, tooltip or the like, and Qt types its popups as normal windows.
// Call once the window exists and before it is shown. Does nothing off X11.
void typeAsPopupMenu(QWindow& window);

// Stacking of our own windows against the floating HUD.

// Takes a shown window that no window manager handles off the screen, or puts it back,
// while the toolkit goes on counting it as shown: no window manager can stack another
// window above it (the compositors that run Xwayland for wlroots draw such windows over
// all others). Does nothing for a managed or hidden window, or off X11.
void keepOutOfSight(QWindow& window, bool out);

// Maps again a shown window that no window manager handles when the X server has it
// unmapped though it was not taken out of sight: a manager that was still taking over the
// windows it found as the window left its hands can give it back unmapped. True when it
// was. Does nothing for a managed or hidden window, or off X11.
bool mapAgainIfLost(QWindow& window);

// Puts a top-level window into the window manager's "above" layer, or takes it out again
// (the HUD steps down from it while the user works in a window of ours). A mapped window
// asks the window manager; an unmapped one has the property edited. Does nothing off X11.
void setKeptAbove(QWindow& window, bool above);

// Takes a window out of the program's window group: Qt puts every window in the group of
// the program's hidden client leader and makes tool windows transient for it, and window
// managers (openbox, xfwm4) then stack a group's utility windows together with its other
// windows instead of in their own layer. Call before each show and again after it (the
// toolkit names the leader again as it maps the window). Does nothing off X11.
void leaveWindowGroup(QWindow& window);

// A fixed-size window with a title and a close button: its Motif hints offer the window
// manager moving and closing only (no minimise, maximise or resize) and decorations
// without minimise and maximise buttons. Call before each show. Does nothing off X11.
void offerOnlyMoveAndClose(QWindow& window);

} // namespace plovane
