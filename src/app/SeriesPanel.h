#pragma once

#include "core/events/Signal.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vistrel {

class PictureSeries;

// The picture series panel: the frames per minute as entered, the name of the last
// frame written, and Start / Stop / Close. It invokes the series' actions and follows
// it through its change events; closing it goes through the series, which keeps it
// open while it runs.
class SeriesPanel : public QWidget {
    Q_OBJECT
  public:
    SeriesPanel(PictureSeries& series, QWidget* parent = nullptr);
    ~SeriesPanel() override;

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildLayout();
    void connectControls();
    void followSeries();
    void showRunning(bool running);
    void showRate(const std::string& text);

    PictureSeries& m_series;
    QLineEdit* m_shotsPerMinute = nullptr;
    QLabel* m_infoText = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;
    Connection m_runningEvents;
    Connection m_infoTextEvents;
    Connection m_rateEvents;
};

} // namespace vistrel
