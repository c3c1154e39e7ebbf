#pragma once

#include <QString>
#include <QWidget>

class QDoubleSpinBox;
class QSlider;

namespace vistrel {

// A slider for quick moves and a spin box for exact values, showing one number.
// The spin box takes the whole range; the slider covers the range most values lie
// in and stops at its ends. Only the user's edits are announced (valueEdited);
// showValue puts a value on display without announcing it.
class SliderSpinBox : public QWidget {
    Q_OBJECT

  public:
    struct Range {
        double minimum;
        double maximum;
        double sliderMinimum;
        double sliderMaximum;
        double step;
        int decimals;
        QString suffix;
    };

    SliderSpinBox(const Range& range, QWidget* parent = nullptr);

    void showValue(double value);
    double value() const;
    QSlider* slider() const { return m_slider; }
    QDoubleSpinBox* spinBox() const { return m_spinBox; }

  signals:
    void valueEdited(double value);

  private:
    int sliderPosition(double value) const;
    void sliderMoved(int position);
    void spinBoxChanged(double value);

    QSlider* m_slider;
    QDoubleSpinBox* m_spinBox;
    // Slider positions per unit: one position per smallest step the spin box shows.
    double m_positionsPerUnit;
};

} // namespace vistrel
