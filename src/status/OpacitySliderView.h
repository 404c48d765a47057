#pragma once

#include <QWidget>

class QLabel;
class QSlider;

namespace plovane {

// The idle-opacity row of the status menu: a title, a slider from 10 % to 100 % and the
// value. Every movement sets the HUD's idle opacity at once (the settings store coalesces
// the writes to disk). The slider's position is taken from the setting once, when the
// row is made.
class OpacitySliderView final : public QWidget {
public:
    explicit OpacitySliderView(QWidget* parent = nullptr);

    // Re-labels the title for the current language.
    void updateLanguage();

    // The slider's resolution: positions per unit of opacity.
    static constexpr int kSteps = 1000;
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 36;

    QSlider& slider() const { return *slider_; }
    QLabel& titleLabel() const { return *titleLabel_; }
    QLabel& valueLabel() const { return *valueLabel_; }

private:
    void sliderChanged(int position);

    QLabel* titleLabel_;
    QLabel* valueLabel_;
    QSlider* slider_;
};

} // namespace plovane
