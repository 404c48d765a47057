#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

struct xcb_connection_t;

namespace plovane {

// Closes the program's open menus (the pet's, the status item's, their submenus) when
// the user has gone elsewhere. On an X server of its own a menu holds the pointer and the
// keyboard and sees every click and key; under Xwayland it sees neither once the user
// clicks or types into a native window, so while a menu is open this also closes it
// when the keyboard focus goes to a window not ours, and when the compositor saw input
// that never reached us. The front application changing is reported from outside.
class MenuDismissal final : public QObject {
public:
    // Seconds since the compositor last saw input, to any window; empty where none is
    // asked (an X session, where the menu itself sees everything).
    using IdleReading = std::function<double()>;

    explicit MenuDismissal(IdleReading compositorIdle = {});
    ~MenuDismissal() override;

    // The user moved to another application: menus open for more than a moment close (a
    // change reported just after a menu opened happened before it did).
    void frontApplicationChanged();
    // Closes every open menu, submenus first.
    static void closeAll();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void menuOpened();
    void menuClosed();
    void check();
    std::uint32_t activeWindow() const;
    bool isOurs(std::uint32_t window) const;

    IdleReading compositorIdle_;
    xcb_connection_t* x_{nullptr};
    std::uint32_t activeWindowAtom_{0};
    // While a menu is open: the active window when it opened, since when it is open and
    // since when we had no input.
    bool open_{false};
    std::uint32_t activeAtOpen_{0};
    QElapsedTimer openFor_;
    QElapsedTimer sinceOurInput_;
    QTimer check_;
};

} // namespace plovane
