#pragma once

#include <QPoint>

#include <optional>

namespace plovane {

// Where the pointer is on screen, asked of the display server; nothing when it is over no
// window of the X display at all: over the bare desktop, or over a native window under
// Xwayland, where the X server keeps the last place it saw. Without X11, QCursor::pos().
std::optional<QPoint> pointerPlace();

// Whether a pointer button is down, also while another program holds the pointer (a
// window manager moving a window). Without X11, as far as the toolkit has seen.
bool pointerButtonHeld();

} // namespace plovane
