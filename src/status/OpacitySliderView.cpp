#include "status/OpacitySliderView.h"

#include "status/StatusMenuModel.h"
#include "settings/AppLanguage.h"
#include "settings/HUDSettings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

#include <cmath>

namespace plovane {

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

// The palette's text colour at half strength, for values beside their title.
QColor secondaryText(const QWidget& widget)
{
    QColor colour = widget.palette().color(QPalette::WindowText);
    colour.setAlphaF(0.55f);
    return colour;
}

} // namespace

OpacitySliderView::OpacitySliderView(QWidget* parent)
    : QWidget(parent), titleLabel_(new QLabel(this)), valueLabel_(new QLabel(this)),
      slider_(new QSlider(Qt::Horizontal, this))
{
    setFixedSize(kWidth, kHeight);
    const double value = HUDSettings::shared().idleOpacity;

    QFont titleFont = font();
    titleFont.setPixelSize(12);
    titleFont.setWeight(QFont::Normal);
    titleLabel_->setFont(titleFont);
    titleLabel_->setFixedWidth(70);
    updateLanguage();

    QFont valueFont = font();
    valueFont.setPixelSize(11);
    valueFont.setWeight(QFont::Medium);
    valueFont.setStyleHint(QFont::Monospace, QFont::PreferDefault);
    valueLabel_->setFont(valueFont);
    QPalette valuePalette = valueLabel_->palette();
    valuePalette.setColor(QPalette::WindowText, secondaryText(*this));
    valueLabel_->setPalette(valuePalette);
    valueLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    valueLabel_->setFixedWidth(34);
    // Worked out from the stored value itself, which may lie outside the slider's range.
    valueLabel_->setText(qs(opacityValueText(value)));

    slider_->setRange(kSteps / 10, kSteps);
    slider_->setTracking(true);
    slider_->setValue(static_cast<int>(std::lround(value * kSteps)));
    connect(slider_, &QSlider::valueChanged, this, [this](int position) { sliderChanged(position); });

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 0, 14, 0);
    row->setSpacing(6);
    row->addWidget(titleLabel_, 0, Qt::AlignVCenter);
    row->addWidget(slider_, 1, Qt::AlignVCenter);
    row->addWidget(valueLabel_, 0, Qt::AlignVCenter);
}

void OpacitySliderView::updateLanguage()
{
    titleLabel_->setText(qs(opacityTitle(AppLanguage::shared().language)));
}

void OpacitySliderView::sliderChanged(int position)
{
    // The slider's own value is stored, never the rounded percentage shown.
    const double value = static_cast<double>(position) / kSteps;
    HUDSettings::shared().idleOpacity = value;
    valueLabel_->setText(qs(opacityValueText(value)));
}

} // namespace plovane
