#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>

#include <cstdint>

class QWidget;

namespace plovane {

// Keeps a shown window that no window manager handles above the windows a manager brings
// in later: those come up above it (i3 puts each into a frame of its own, made on top),
// so it is raised again whenever the manager's list of windows or their order changes.
// Off X11 it does nothing.
class X11KeptOnTop final : public QObject, public QAbstractNativeEventFilter {
public:
    explicit X11KeptOnTop(QWidget& window);
    ~X11KeptOnTop() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QPointer<QWidget> window_;
    std::uint32_t root_{0};
    std::uint32_t clientList_{0};
    std::uint32_t clientListStacking_{0};
    bool raisePending_{false};
};

} // namespace plovane
