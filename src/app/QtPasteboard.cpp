#include "app/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace vistrel {

QtPasteboard::QtPasteboard() = default;
QtPasteboard::~QtPasteboard() = default;

// The clipboard takes ownership of the data it is given, so each declaration
// starts a fresh set that every setData then publishes whole.
void QtPasteboard::declareTypes(const std::vector<std::string>&) {
    m_pending = std::make_unique<QMimeData>();
    QGuiApplication::clipboard()->clear();
}

void QtPasteboard::setData(const std::string& type, const std::vector<std::uint8_t>& bytes) {
    if (!m_pending)
        m_pending = std::make_unique<QMimeData>();
    m_pending->setData(QString::fromStdString(type),
                       QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    auto* published = new QMimeData;
    for (const QString& format : m_pending->formats())
        published->setData(format, m_pending->data(format));
    QGuiApplication::clipboard()->setMimeData(published);
}

} // namespace vistrel
