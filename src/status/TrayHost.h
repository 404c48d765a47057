#pragma once

#include <string_view>

namespace plovane {

// The kind of status area the desktop offers our tray icon.
enum class TrayHost {
    // No status area at all: the icon stays out of sight.
    none,
    // An XEmbed system tray: the icon is our own window and the menu pops up as ours.
    xembed,
    // A StatusNotifierItem host: the panel draws the icon and shows the menu from its
    // D-Bus export, which carries plain items only (no widget rows, one-line titles).
    statusNotifier,
};

// Asks the session bus and the X server which host Qt will hand our icon to: a
// StatusNotifierItem host when a watcher on the session bus has one registered, else
// the XEmbed tray when one is running.
TrayHost probeTrayHost();

std::string_view describe(TrayHost host);

} // namespace plovane
