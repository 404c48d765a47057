#include "hud/HUDWindowController.h"

#include "hud/HUDPanel.h"
#include "hud/HUDView.h"

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QVBoxLayout>

namespace plovane {

namespace {
constexpr int kWidth = HUDWindowController::kPanelWidth;
constexpr int kHeight = HUDWindowController::kPanelHeight;
constexpr int kFromLeft = 40;
constexpr int kFromBottom = 120;
} // namespace

QRect HUDWindowController::defaultFrameFor(const QRect& screen)
{
    // 40 from the left and 120 above the bottom edge, measured to the panel's lower-left corner.
    return {screen.left() + kFromLeft, screen.top() + screen.height() - kFromBottom - kHeight, kWidth, kHeight};
}

HUDWindowController::HUDWindowController(DiveEngine& engine, HUDMenuActions menuActions, ScreenWatch* screenWatch)
    : panel_(std::make_unique<HUDPanel>())
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    defaultFrame_ = defaultFrameFor(screen ? screen->geometry() : QRect(0, 0, 1280, 800));
    panel_->setGeometry(defaultFrame_);
    HUDViewEnvironment env;
    env.menuActions = std::move(menuActions);
    env.screenWatch = screenWatch;
    view_ = new HUDView(engine, std::move(env), panel_.get());
    auto* layout = new QVBoxLayout(panel_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    frameAnimation_ = new QPropertyAnimation(panel_.get(), "geometry", panel_.get());
    frameAnimation_->setDuration(200);
    frameAnimation_->setEasingCurve(QEasingCurve::InOutQuad);
}

HUDWindowController::~HUDWindowController() = default;

void HUDWindowController::show()
{
    if (!panel_->isVisible()) {
        const QRect placed = placedOnScreens(panel_->geometry(), screensWhenHidden_, currentScreenLayout());
        if (placed != panel_->geometry())
            panel_->setGeometry(placed);
    }
    panel_->orderFrontRegardless();
}

void HUDWindowController::hide()
{
    if (panel_->isVisible())
        screensWhenHidden_ = currentScreenLayout();
    panel_->hide();
}

void HUDWindowController::toggle()
{
    if (panel_->isVisible())
        hide();
    else
        show();
}

bool HUDWindowController::isVisible() const { return panel_->isVisible(); }

void HUDWindowController::windowManagerTookOver() { panel_->windowManagerTookOver(); }

void HUDWindowController::reposition(QPoint point)
{
    const QRect frame(point, panel_->size());
    defaultFrame_ = frame;
    animateTo(frame);
}

void HUDWindowController::enterDecompressionLayout()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect v = screen->availableGeometry();
    animateTo(QRect(v.left() + v.width() / 4, v.top() + v.height() / 4, v.width() / 2, v.height() / 2));
}

void HUDWindowController::restoreDefaultLayout() { animateTo(defaultFrame_); }

void HUDWindowController::animateTo(const QRect& frame)
{
    frameAnimation_->stop();
    if (!panel_->isVisible()) {
        panel_->setGeometry(frame);
        return;
    }
    frameAnimation_->setStartValue(panel_->geometry());
    frameAnimation_->setEndValue(frame);
    frameAnimation_->start();
}

} // namespace plovane
