#pragma once

#include "platform/Signal.h"
#include "windows/Controls.h"
#include "platform/qt/AnimationDriver.h"
#include "windows/WindowEnvironment.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

namespace plovane {




// The first-run setup: one switch for each opt-in feature (AI IDE sensing, screen
// intelligence, knock interaction), notes, and Skip / Continue. It keeps the switch
// positions to itself; Continue hands them to its owner, Skip only says so. Screen
// intelligence can only be on while AI IDE sensing is.
class FirstRunSetupView final : public QWidget {
    Q_OBJECT
public:
    using Confirm = std::function<void(bool aiIdeSensing, bool screenIntelligence, bool knockInteraction)>;

    FirstRunSetupView(bool initialAiIdeSensing, bool initialScreenIntelligence, bool initialKnockInteraction,
                      Confirm onConfirm, std::function<void()> onSkip, WindowEnvironment env = {},
                      QWidget* parent = nullptr);
    ~FirstRunSetupView() override;

    static constexpr double kFrameWidth = 520.0;

    bool enableAiIdeSensing() const;
    bool enableScreenIntelligence() const;
    bool enableKnockInteraction() const;

    FeatureToggle& aiIdeSensingSwitch() const { return *ai_; }
    FeatureToggle& screenIntelligenceSwitch() const { return *screen_; }
    FeatureToggle& knockInteractionSwitch() const { return *knock_; }
    PushButton& skipButton() const { return *skip_; }
    PushButton& continueButton() const { return *continue_; }
    AnimationDriver& animationDriver() { return driver_; }
    // Height the content needs, with the designed padding and gaps.
    double contentHeight() const;
    // The padding above and below the content, and the gap between its blocks, as laid out.
    double verticalPadding() const { return spacing().padding; }
    double blockGap() const { return spacing().gap; }
    QRectF headingRect() const { return headingRect_; }
    QRectF notesRect() const { return notesRect_; }
    // Applies a pending language change at once (normally queued).
    void refreshNow();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void applyTexts();
    void applyDependency();
    void relayout();
    bool zh() const;
    struct Spacing {
        double padding;
        double gap;
    };
    // As designed, or less when the content would not fit the window otherwise.
    Spacing spacing() const;

    AppLanguage& language_;
    AnimationDriver driver_;
    Confirm onConfirm_;
    std::function<void()> onSkip_;
    QPointer<FeatureToggle> ai_;
    QPointer<FeatureToggle> screen_;
    QPointer<FeatureToggle> knock_;
    QPointer<PushButton> skip_;
    QPointer<PushButton> continue_;
    std::vector<Connection> observers_;
    bool refreshQueued_{false};

    QRectF headingRect_;
    QRectF notesRect_;
};

} // namespace plovane
