#pragma once

#include "status/TrayHost.h"

#include <QAbstractNativeEventFilter>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

#include <cstdint>

struct xcb_connection_t;

namespace plovane {

// The desktop's status areas, watched for as long as the program runs: a
// StatusNotifierWatcher on the session bus with a host registered (a panel that draws
// status items itself) is preferred, else the XEmbed system tray of the X screen. Both
// come, go and come back (a panel started after us at login, a panel restarted); the item
// is registered with each watcher that appears, and a line is logged each time the item
// appears in a status area. Nothing is polled: the bus and the X server say when. Which
// program holds the watcher tells how its panel shows our menu.
class DesktopStatusArea final : public QObject, public StatusArea, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    DesktopStatusArea();
    ~DesktopStatusArea() override;

    TrayHost host() const override { return host_; }
    void setItemService(const std::string& service) override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private Q_SLOTS:
    void watcherHostsChanged();

private:
    void watcherAppeared();
    void watcherGone();
    void registerItem();
    void readHostRegistered();
    void followTrayManager(std::uint32_t window);
    void readWatcherKind();
    TrayHost current() const;
    void update();

    QDBusServiceWatcher serviceWatcher_;
    QString itemService_;
    bool watcherPresent_{false};
    bool hostRegistered_{false};
    // The watcher is GNOME Shell's, which shows the menu its own way.
    bool watcherInline_{false};
    // Replies to questions asked of an earlier watcher are ignored.
    unsigned watcherGeneration_{0};

    xcb_connection_t* x_{nullptr};
    std::uint32_t traySelection_{0};
    std::uint32_t managerAtom_{0};
    std::uint32_t trayWindow_{0};

    TrayHost host_{TrayHost::none};
};

} // namespace plovane
