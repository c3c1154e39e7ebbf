#include "app/Fortschritt.h"

#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

namespace vistrel {

Fortschritt::Fortschritt(QObject* parent) : QObject(parent) {}

Fortschritt::~Fortschritt() = default;

QWidget* Fortschritt::window() {
    if (!m_window) {
        m_window = std::make_unique<QWidget>(nullptr, Qt::Tool);
        m_window->setObjectName(QStringLiteral("fortschritt"));
        wieWeit = new QProgressBar(m_window.get());
        wieWeit->setObjectName(QStringLiteral("wieWeit"));
        auto* layout = new QVBoxLayout(m_window.get());
        layout->addWidget(wieWeit);
        windowDidLoad();
    }
    return m_window.get();
}

void Fortschritt::windowDidLoad() {
    wieWeit->setRange(0, 100);
    wieWeit->setValue(0);
}

void Fortschritt::setFortschritt(float value) {
    window();
    wieWeit->setValue(static_cast<int>(static_cast<double>(value)));
}

void Fortschritt::Stop(QObject*) {
    window();
    wieWeit->setValue(0);
    m_window->close();
}

} // namespace vistrel
