#include "app/SeriesPanel.h"

#include "app/MenuCommands.h"
#include "core/capture/PictureSeries.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vistrel {

namespace {

QPushButton* button(const QString& title, const char* name, QWidget* parent) {
    auto* pushButton = new QPushButton(title, parent);
    pushButton->setObjectName(QString::fromLatin1(name));
    pushButton->setAutoDefault(false);
    return pushButton;
}

} // namespace

SeriesPanel::SeriesPanel(PictureSeries& series, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_series(series) {
    setObjectName(QStringLiteral("seriesPanel"));
    setWindowTitle(tr("Picture Series"));
    buildLayout();
    connectControls();
    followSeries();
}

SeriesPanel::~SeriesPanel() = default;

void SeriesPanel::buildLayout() {
    m_shotsPerMinute = new QLineEdit(this);
    m_shotsPerMinute->setObjectName(QStringLiteral("shotsPerMinute"));
    m_shotsPerMinute->setPlaceholderText(tr("e.g. 30"));
    m_infoText = new QLabel(this);
    m_infoText->setObjectName(QStringLiteral("infoText"));
    m_infoText->setTextFormat(Qt::PlainText);
    m_infoText->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 20);
    m_start = button(tr("Start"), "start", this);
    m_stop = button(tr("Stop"), "stop", this);
    m_close = button(tr("Close"), "close", this);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Frames per minute:"), m_shotsPerMinute);
    fields->addRow(tr("Last frame:"), m_infoText);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
}

void SeriesPanel::connectControls() {
    connect(m_shotsPerMinute, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_series.setShotsPerMinute(text.toStdString()); });
    connect(m_shotsPerMinute, &QLineEdit::returnPressed, this,
            [this] { m_series.start(); });
    connect(m_start, &QPushButton::clicked, this, [this] { m_series.start(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { m_series.stop(); });
    connect(m_close, &QPushButton::clicked, this, [this] { m_series.closePanel(); });
}

void SeriesPanel::followSeries() {
    PictureSeries& series = m_series;
    m_runningEvents = series.runningChanged.connect([this](const bool& running) { showRunning(running); });
    m_infoTextEvents = series.infoTextChanged.connect(
        [this](const std::string& text) { m_infoText->setText(QString::fromStdString(text)); });
    m_rateEvents = series.shotsPerMinuteChanged.connect([this](const std::string& text) { showRate(text); });
    showRunning(series.running());
    m_infoText->setText(QString::fromStdString(series.infoText()));
    showRate(series.shotsPerMinute());
}

// The rate cannot change under a running series, nor the panel close.
void SeriesPanel::showRunning(bool running) {
    m_start->setEnabled(!running);
    m_stop->setEnabled(running);
    m_close->setEnabled(!running);
    m_shotsPerMinute->setReadOnly(running);
}

// Only a change from elsewhere is shown: rewriting the field the user types in would
// move the cursor.
void SeriesPanel::showRate(const std::string& text) {
    const QString rate = QString::fromStdString(text);
    if (m_shotsPerMinute->text() != rate)
        m_shotsPerMinute->setText(rate);
}

// A tool window shares its parent's window shortcuts; here a key without a command
// modifier stays with the panel's own controls (a field, a button, Escape).
bool SeriesPanel::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride &&
        !holdsCommandModifier(static_cast<QKeyEvent*>(event)->modifiers())) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

// Escape asks like Close does.
void SeriesPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_series.closePanel();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The window's own close button asks like Close does; the series hides the panel.
void SeriesPanel::closeEvent(QCloseEvent* event) {
    event->ignore();
    m_series.closePanel();
}

} // namespace vistrel
