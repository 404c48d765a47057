#pragma once

#include "platform/WindowManagerWatch.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>

class QSocketNotifier;

namespace plovane {

class XcbConnection;

// The X screen's window manager, followed through its selection (WM_S0 on screen 0),
// which every window manager owns while it runs: the XFixes extension tells of each new
// owner. A new one waits for the one before it to destroy its selection window before it
// takes over the windows; so does this, and then for the new one to give its name on the
// root window (_NET_SUPPORTING_WM_CHECK), which windows that need a manager of a kind go by,
// or for a moment at most, before it announces the take-over. Events come on a connection
// of our own, which wakes the main thread only then.
class XFixesWindowManagerWatch final : public QObject, public WindowManagerWatch {
public:
    // Null when there is no display, or the server lacks the extension.
    static std::unique_ptr<XFixesWindowManagerWatch> open();
    ~XFixesWindowManagerWatch() override;

private:
    XFixesWindowManagerWatch(std::shared_ptr<XcbConnection> connection, std::uint32_t selection);
    void readEvents();
    void ownerChanged(std::uint32_t owner);
    void waitForGoneOrAnnounce(std::uint32_t previous);
    void waitForName();
    bool named() const;
    void announce();

    std::shared_ptr<XcbConnection> connection_;
    std::uint32_t selection_{0};
    // The selection's owner as last told: a window of the running window manager, or none.
    std::uint32_t owner_{0};
    // The window of the manager being replaced, while we wait for it to go.
    std::uint32_t leaving_{0};
    // Set while we wait for the new manager to name itself.
    bool awaitingName_{false};
    QTimer nameDeadline_;
    QSocketNotifier* notifier_{nullptr};
    Connection selectionNotifies_;
    Connection destroyNotifies_;
    Connection propertyNotifies_;
};

} // namespace plovane
