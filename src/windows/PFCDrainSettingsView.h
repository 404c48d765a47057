#pragma once

#include "platform/Scheduler.h"
#include "platform/Signal.h"
#include "platform/qt/AnimationDriver.h"
#include "windows/Controls.h"
#include "windows/NumericText.h"
#include "windows/WindowEnvironment.h"
#include "windows/WindowStyle.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace plovane {



// The drain settings: how long a full gauge lasts while working (the difficulty) and how
// long a rest takes to refill it, each on a slider written straight to the settings. A
// preview bar over the pet plays a short drain whenever the session length changes, and
// the session length shows as a large survival figure.
class PFCDrainSettingsView final : public QWidget {
    Q_OBJECT
public:
    explicit PFCDrainSettingsView(WindowEnvironment env = {}, QWidget* parent = nullptr);
    ~PFCDrainSettingsView() override;

    static constexpr double kColumnWidth = 360.0;

    // View state and presentation, for tests.
    double previewO2() const { return previewO2_; }
    double presentedBarLevel() const { return barLevel_.value(); }
    // The fill's colour as drawn now: the step's level decides it, eased in like the width.
    QColor presentedBarColor() const;
    bool previewRunning() const { return previewStep_.isPending(); }
    QString survivalText() const { return survival_.text(); }
    QColor survivalColor() const;
    QString restText() const;
    StepSlider& sessionSlider() const { return *sessionSlider_; }
    StepSlider& restSlider() const { return *restSlider_; }
    AnimationDriver& animationDriver() { return driver_; }
    QRectF previewBarRect() const { return barRect_; }
    QRectF spriteRect() const { return spriteRect_; }
    QRectF survivalRect() const { return survivalRect_; }
    // Whether the pet's sprite loaded; otherwise the "dog.fill" symbol stands in.
    bool showsSprite() const { return !sprite_.isNull(); }
    // Applies pending changes of the observed objects at once (normally queued).
    void refreshNow();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void scheduleRefresh();
    void triggerPreviewAnimation();
    void previewStep(int n);
    void setPreviewO2(double level);
    void loadSprite();
    void relayout();
    void syncSliders();

    void paintPreview(QPainter& p) const;
    void paintSurvival(QPainter& p) const;
    void paintDifficultyCard(QPainter& p) const;
    void paintRestCard(QPainter& p) const;
    void paintFootnote(QPainter& p) const;
    void paintCardBackground(QPainter& p, const QRectF& r) const;
    bool zh() const;

    HUDSettings& settings_;
    AppLanguage& language_;
    std::unique_ptr<Scheduler> ownScheduler_;
    Scheduler& scheduler_;
    AnimationDriver driver_;

    double previewO2_{100.0};
    AnimatedValue barLevel_;
    // The fill's colour eases from `barColorFrom_` to the colour of the level's hue.
    AnimatedValue barTint_;
    QColor barColorFrom_;
    windows::Hue barHue_;
    windows::NumericText survival_;
    windows::NumericText rest_;
    TaskHandle previewStep_;
    std::vector<TaskHandle> refills_;
    double lastSessionMinutes_{0};

    QPixmap sprite_;
    std::string spriteFor_;
    bool refreshQueued_{false};
    std::vector<Connection> observers_;
    std::shared_ptr<PFCDrainSettingsView*> alive_;

    QPointer<StepSlider> sessionSlider_;
    QPointer<StepSlider> restSlider_;

    // Layout, in view coordinates.
    double columnLeft_{0};
    QRectF barRect_;
    QRectF spriteRect_;
    QRectF survivalRect_;
    QRectF difficultyRect_;
    QRectF restRect_;
    QRectF footnoteRect_;
};

} // namespace plovane
