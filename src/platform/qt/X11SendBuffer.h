#pragma once

namespace plovane {

// Lets the X connection take a whole repaint without waiting. The kernel reports a
// local socket writable only while less than a quarter of its send buffer is queued,
// and the X library waits for that before each write: with the default buffer, a
// repaint of more than ~50 KB (a bobbing pet) made the main thread sleep until the X
// server had read the previous one. Asks for the largest buffer the system allows.
// Returns the send buffer now in place in bytes, or 0 when not on X11.
int widenX11SendBuffer();

} // namespace plovane
