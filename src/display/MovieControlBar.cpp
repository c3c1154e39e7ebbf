#include "display/MovieControlBar.h"

#include "core/media/Movie.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdint>

namespace vistrel {

namespace {

constexpr int refreshIntervalMs = 250;

QString clockText(double seconds, bool withHours) {
    const auto total = static_cast<long long>(std::max(0.0, seconds));
    const long long hours = total / 3600;
    const long long minutes = total / 60 % 60;
    const long long secs = total % 60;
    if (withHours)
        return QString::asprintf("%lld:%02lld:%02lld", hours, minutes, secs);
    return QString::asprintf("%lld:%02lld", total / 60, secs);
}

QSlider* makeSlider(int maximum, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(0, maximum);
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}

} // namespace

MovieControlBar::MovieControlBar(QWidget* parent)
    : QWidget(parent), m_playButton(new QToolButton(this)), m_positionSlider(makeSlider(positionSteps, this)),
      m_timeLabel(new QLabel(this)), m_volumeSlider(makeSlider(fullVolume, this)),
      m_refreshTimer(new QTimer(this)) {
    setFixedHeight(barHeight);
    // The standard look, whatever colours the window around the movie has.
    setPalette(QApplication::palette(this));
    setAutoFillBackground(false);
    m_playButton->setFocusPolicy(Qt::NoFocus);
    m_playButton->setAutoRaise(true);
    m_volumeSlider->setMaximumWidth(100);
    m_volumeSlider->setToolTip(tr("Volume"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 8, 2);
    layout->addWidget(m_playButton);
    layout->addWidget(m_positionSlider, 1);
    layout->addWidget(m_timeLabel);
    layout->addSpacing(8);
    layout->addWidget(m_volumeSlider);

    connect(m_playButton, &QToolButton::clicked, this, &MovieControlBar::togglePlaying);
    // refresh() blocks the sliders' signals, so these only see the user's changes. A drag
    // seeks once, at its release; clicks on the groove seek at once.
    connect(m_positionSlider, &QSlider::valueChanged, this, [this](int step) {
        if (!m_positionSlider->isSliderDown())
            seekToSlider(step);
    });
    connect(m_positionSlider, &QSlider::sliderReleased, this,
            [this] { seekToSlider(m_positionSlider->value()); });
    connect(m_volumeSlider, &QSlider::valueChanged, this, &MovieControlBar::setVolumeFromSlider);
    m_refreshTimer->setInterval(refreshIntervalMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &MovieControlBar::refresh);
    refresh();
}

void MovieControlBar::setMovie(Movie* movie) {
    m_movie = movie;
    refresh();
}

void MovieControlBar::refresh() {
    const bool playing = m_movie && m_movie->isPlaying();
    m_playButton->setIcon(style()->standardIcon(playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    m_playButton->setToolTip(playing ? tr("Pause") : tr("Play"));
    setEnabled(m_movie != nullptr);
    m_timeLabel->setText(timeText());
    if (!m_movie)
        return;
    if (!m_positionSlider->isSliderDown()) {
        const double length = m_movie->duration().seconds();
        const double fraction = length > 0.0 ? m_movie->currentTime().seconds() / length : 0.0;
        const QSignalBlocker blocker(m_positionSlider);
        m_positionSlider->setValue(static_cast<int>(std::clamp(fraction, 0.0, 1.0) * positionSteps));
    }
    if (!m_volumeSlider->isSliderDown()) {
        const QSignalBlocker blocker(m_volumeSlider);
        m_volumeSlider->setValue(std::clamp<int>(m_movie->volume(), 0, fullVolume));
    }
}

QString MovieControlBar::timeText() const {
    if (!m_movie)
        return QStringLiteral("--:-- / --:--");
    const double length = m_movie->duration().seconds();
    const bool withHours = length >= 3600.0;
    return clockText(m_movie->currentTime().seconds(), withHours) + QStringLiteral(" / ") +
           clockText(length, withHours);
}

void MovieControlBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
    m_refreshTimer->start();
}

void MovieControlBar::hideEvent(QHideEvent* event) {
    m_refreshTimer->stop();
    QWidget::hideEvent(event);
}

void MovieControlBar::paintEvent(QPaintEvent* event) {
    (void)event;
    QPainter painter(this);
    QColor background = palette().color(QPalette::Window);
    background.setAlpha(230);
    painter.fillRect(rect(), background);
}

void MovieControlBar::togglePlaying() {
    if (!m_movie)
        return;
    if (m_movie->isPlaying())
        m_movie->stop();
    else
        m_movie->play();
    refresh();
}

void MovieControlBar::seekToSlider(int step) {
    if (!m_movie)
        return;
    const MovieTime length = m_movie->duration();
    const auto value = static_cast<std::int64_t>(static_cast<double>(length.value) * step / positionSteps);
    m_movie->setCurrentTime(MovieTime{value, length.scale});
    m_timeLabel->setText(timeText());
}

void MovieControlBar::setVolumeFromSlider(int volume) {
    if (m_movie)
        m_movie->setVolume(static_cast<std::int16_t>(volume));
}

} // namespace vistrel
