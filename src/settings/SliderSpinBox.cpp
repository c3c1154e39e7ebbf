#include "settings/SliderSpinBox.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <cmath>

namespace vistrel {

SliderSpinBox::SliderSpinBox(const Range& range, QWidget* parent)
    : QWidget(parent), m_slider(new QSlider(Qt::Horizontal, this)), m_spinBox(new QDoubleSpinBox(this)),
      m_positionsPerUnit(std::pow(10.0, range.decimals)) {
    m_spinBox->setRange(range.minimum, range.maximum);
    m_spinBox->setDecimals(range.decimals);
    m_spinBox->setSingleStep(range.step);
    m_spinBox->setSuffix(range.suffix);
    m_spinBox->setAlignment(Qt::AlignRight);
    // One width for every pair, so that the sliders of a form end in one line.
    m_spinBox->setMinimumWidth(100);
    m_slider->setRange(sliderPosition(range.sliderMinimum), sliderPosition(range.sliderMaximum));
    m_slider->setSingleStep(sliderPosition(range.step));
    m_slider->setPageStep(sliderPosition(range.step) * 5);
    m_slider->setMinimumWidth(220);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_spinBox);

    connect(m_slider, &QSlider::valueChanged, this, &SliderSpinBox::sliderMoved);
    connect(m_spinBox, &QDoubleSpinBox::valueChanged, this, &SliderSpinBox::spinBoxChanged);
}

int SliderSpinBox::sliderPosition(double value) const {
    return static_cast<int>(std::lround(value * m_positionsPerUnit));
}

void SliderSpinBox::showValue(double value) {
    const QSignalBlocker sliderQuiet(m_slider);
    const QSignalBlocker spinBoxQuiet(m_spinBox);
    m_slider->setValue(sliderPosition(value));
    m_spinBox->setValue(value);
}

double SliderSpinBox::value() const {
    return m_spinBox->value();
}

void SliderSpinBox::sliderMoved(int position) {
    const double value = position / m_positionsPerUnit;
    {
        const QSignalBlocker quiet(m_spinBox);
        m_spinBox->setValue(value);
    }
    emit valueEdited(value);
}

void SliderSpinBox::spinBoxChanged(double value) {
    {
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(sliderPosition(value));
    }
    emit valueEdited(value);
}

} // namespace vistrel
