#pragma once

#include "platform/qt/AnimationDriver.h"
#include "windows/WindowStyle.h"

#include <QAbstractButton>
#include <QSlider>

#include <algorithm>

namespace plovane {

// A slider painted like the platform's: a thin track filled in the accent colour up to a
// round white knob. Keyboard, wheel and dragging are QSlider's own.
class StepSlider final : public QSlider {
    Q_OBJECT
public:
    explicit StepSlider(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {120, 22}; }

    // Where the knob's centre is drawn for `value`, and the value nearest to a position.
    double knobCentre(int value) const;
    int valueAt(double x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double knobSide() const { return std::min<double>(height() - 2, 20.0); }
};

// One switch with its two-line label (a bold title over a wrapping description); only
// the switch itself takes clicks. The thumb slides on a spring.
class FeatureToggle final : public QAbstractButton {
    Q_OBJECT
public:
    FeatureToggle(AnimationDriver& driver, QWidget* parent = nullptr);

    void setTexts(const QString& title, const QString& description);
    const QString& title() const { return title_; }
    const QString& description() const { return description_; }
    // Dims the whole row (title, description and switch) to this opacity.
    void setRowOpacity(double opacity);
    double rowOpacity() const { return rowOpacity_; }

    // Height of the row laid out `width` wide.
    int heightForWidth(int width) const override;
    bool hasHeightForWidth() const override { return true; }
    QRectF switchRect() const;

    static constexpr double kSwitchWidth = 38.0;
    static constexpr double kSwitchHeight = 22.0;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void checkStateSet() override;
    void nextCheckState() override;

private:
    double textWidth() const;
    QString title_;
    QString description_;
    double rowOpacity_{1.0};
    AnimatedValue thumb_;
};

// A push button in one of two looks: plain text without a border, or the prominent
// accent-filled default button.
class PushButton final : public QAbstractButton {
    Q_OBJECT
public:
    enum class Look { borderless, prominent };
    PushButton(Look look, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look look_;
};

} // namespace plovane
