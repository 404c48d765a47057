#pragma once

struct xcb_connection_t;

namespace plovane {

// The toolkit's own connection to the X server, or null when the application does not
// run on X11 (or is not running yet, or any more).
xcb_connection_t* toolkitX11Connection();

} // namespace plovane
