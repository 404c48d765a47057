#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace plovane {

// The kind of status area that shows our status item.
enum class TrayHost {
    // No status area at all: the item waits out of sight for one to appear.
    none,
    // An XEmbed system tray: the icon is our own window and the menu pops up as ours.
    xembed,
    // A StatusNotifierItem host: the panel draws the icon and shows the menu from its
    // D-Bus export, which carries plain items only (no widget rows, one-line titles).
    statusNotifier,
    // The same, in a panel that opens a submenu inside the menu itself and keeps the
    // menu within the screen's height, scrolling only an open submenu (GNOME Shell):
    // rows of its own height past that are out of reach, and an open submenu gets what
    // the rows leave. It opens that menu on a click; a double click asks for ours too.
    inlineStatusNotifier,
};

std::string_view describe(TrayHost host);
// Whether the panel shows the menu from its D-Bus export.
inline bool drawsExportedMenu(TrayHost host)
{
    return host == TrayHost::statusNotifier || host == TrayHost::inlineStatusNotifier;
}

// Which status area shows the item, followed as panels come, go and come back.
class StatusArea {
public:
    virtual ~StatusArea() = default;
    virtual TrayHost host() const = 0;
    // Run on the main thread each time the host changes.
    void setOnChanged(std::function<void(TrayHost)> handler) { onChanged_ = std::move(handler); }
    // The bus name of our StatusNotifierItem, registered with every watcher that appears.
    virtual void setItemService(const std::string& /*service*/) {}

protected:
    void changed(TrayHost host) const
    {
        if (onChanged_)
            onChanged_(host);
    }

private:
    std::function<void(TrayHost)> onChanged_;
};

// A status area that changes only when told to (tests).
class FixedStatusArea final : public StatusArea {
public:
    explicit FixedStatusArea(TrayHost host) : host_(host) {}
    TrayHost host() const override { return host_; }
    void switchTo(TrayHost host)
    {
        host_ = host;
        changed(host);
    }

private:
    TrayHost host_;
};

} // namespace plovane
