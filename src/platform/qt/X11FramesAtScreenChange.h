#pragma once

#include <QAbstractNativeEventFilter>
#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>

#include <array>
#include <cstdint>
#include <optional>

class QWidget;

namespace plovane {

// Where our shown windows stand, from the X server's events in the order they came. As
// the screens change, window managers move windows of their own accord (xfwm4 pulls one
// that would be cut off towards the screen), and such a move can reach the toolkit before
// the change itself does, or after we placed the window, and then passes for the place
// the user left the window in. Here the places stand still from the first sign of a
// change of screens until the change is dealt with, and where the window manager put
// windows meanwhile does not count, nor what it tells of a window we placed before it
// tells it is where we asked. Off X11 it knows nothing.
class X11FramesAtScreenChange final : public QObject, public QAbstractNativeEventFilter {
public:
    explicit X11FramesAtScreenChange(QObject* parent = nullptr);
    ~X11FramesAtScreenChange() override;

    // The frame of `window` where it stood before the change under way began, or where it
    // stands when none is; nothing where the server never told its place.
    std::optional<QRect> frameOf(const QWidget& window) const;
    // We moved `window` (it has its new place in the toolkit) to deal with the change.
    void placed(const QWidget& window);
    // The change is dealt with: the windows stand where they stood before it, or where we
    // placed them.
    void changeHandled();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // Whether an event of the RandR extension tells of screens other than those the
    // toolkit knows: the server repeats what stayed the same as it tells of a change.
    bool changesScreens(const void* event);

    // The first event of the RandR extension; 0 without it.
    std::uint8_t randrFirstEvent_{0};
    // Where the server last put each of our shown windows (its top-left corner on the
    // screen, in device pixels).
    QHash<std::uint32_t, QPoint> places_;
    // The same before the change under way began.
    std::optional<QHash<std::uint32_t, QPoint>> beforeChange_;
    // Where we placed windows that the server has not told there yet, and until when we
    // wait to hear it.
    struct Asked {
        QPoint place;
        QDeadlineTimer until;
    };
    QHash<std::uint32_t, Asked> asked_;
    // What the server last told of each output: the monitor it shows and whether it is
    // there.
    QHash<std::uint32_t, std::array<std::uint32_t, 2>> outputs_;
    // Events of the extension that no change of screens follows are forgotten after this.
    QTimer forget_;
};

} // namespace plovane
