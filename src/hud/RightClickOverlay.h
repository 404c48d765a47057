#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>

namespace plovane {

// A transparent widget laid over the pet that takes both mouse buttons itself: a left
// press toggles work and rest at once (on press, not release; every press of a double
// click counts), a right press asks for the menu at the click's own screen position.
// Neither press travels further, so pressing the pet never drags the panel. It also
// reports the pointer entering and leaving, which is the pet's hover.
class RightClickOverlay final : public QWidget {
    Q_OBJECT
public:
    explicit RightClickOverlay(QWidget* parent = nullptr);

    std::function<void()> onLeftClick;
    std::function<void(QPoint globalPos)> onRightClick;
    std::function<void(bool inside)> onHoverChanged;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

} // namespace plovane
