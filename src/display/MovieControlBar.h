#pragma once

#include "core/view/ViewGestures.h"

#include <QWidget>

class QLabel;
class QSlider;
class QTimer;
class QToolButton;

namespace vistrel {

class Movie;

// The movie's own controls in the bottom strip of the picture view: play/pause,
// position with elapsed and total time, and volume (256 = full). It refers to the
// movie without owning it; the view clears it before the movie goes. While shown it
// follows the movie on a timer; while hidden it does nothing.
class MovieControlBar : public QWidget {
    Q_OBJECT
  public:
    // It fills the strip in which presses on the view start no drag.
    static constexpr int barHeight = ViewGestures::controlStripHeight;
    static constexpr int positionSteps = 10000;
    static constexpr int fullVolume = 256;

    explicit MovieControlBar(QWidget* parent = nullptr);

    void setMovie(Movie* movie);
    Movie* movie() const { return m_movie; }

    // Reads the movie's state into the controls.
    void refresh();
    // "m:ss / m:ss", or with hours when the movie is that long.
    QString timeText() const;

    QToolButton* playButton() const { return m_playButton; }
    QSlider* positionSlider() const { return m_positionSlider; }
    QSlider* volumeSlider() const { return m_volumeSlider; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void togglePlaying();
    void seekToSlider(int step);
    void setVolumeFromSlider(int volume);

    Movie* m_movie = nullptr;
    QToolButton* m_playButton;
    QSlider* m_positionSlider;
    QLabel* m_timeLabel;
    QSlider* m_volumeSlider;
    QTimer* m_refreshTimer;
};

} // namespace vistrel
