#pragma once

class QWidget;

namespace plovane {

// Asks an X11 window manager to keep a top-level window out of the taskbar and the
// pager and on every virtual desktop. Must be called before each show (a withdrawn
// window loses its states). Does nothing on other platforms.
void requestSkipTaskbarAndSticky(QWidget& window);

} // namespace plovane
