#include "status/TrayHost.h"

namespace plovane {

std::string_view describe(TrayHost host)
{
    switch (host) {
    case TrayHost::none:
        return "none";
    case TrayHost::xembed:
        return "XEmbed system tray";
    case TrayHost::statusNotifier:
    case TrayHost::inlineStatusNotifier:
        return "StatusNotifierItem host";
    }
    return "none";
}

} // namespace plovane
