#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>
#include <optional>

class QWindow;

namespace plovane {

// The window the X11 window manager names active (_NET_ACTIVE_WINDOW on the root window),
// followed through the toolkit's own events while asked to. It tells of activations the
// toolkit misses: under Xwayland, a click into a native window while a menu of ours holds
// the keyboard moves the activation without a word to the toolkit once the menu closes.
// Off X11, and under a window manager that names no active window, it tells nothing.
class X11ActiveWindowWatch final : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit X11ActiveWindowWatch(QObject* parent = nullptr);
    ~X11ActiveWindowWatch() override;

    // Follows the active window while `on`; costs nothing while off.
    void setFollowing(bool on);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

Q_SIGNALS:
    // The window manager named another window active: `ours` is that window when it is
    // one of this program's, else null (another program's window, a native one, or none).
    void activeChanged(QWindow* ours);

private:
    void readActive();
    // The program's window with this X id, if any.
    static QWindow* ownWindow(std::uint32_t id);

    bool following_{false};
    bool readPending_{false};
    std::uint32_t activeAtom_{0};
    std::uint32_t root_{0};
    // What the window manager named last while followed.
    std::optional<std::uint32_t> lastActive_;
};

} // namespace plovane
