#include "app/QtSettingsStore.h"

#include <QSettings>
#include <QStringList>

namespace vistrel {

namespace {

QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Vistrel"), QStringLiteral("vistrel"))) {}

QtSettingsStore::QtSettingsStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::NativeFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::fileName() const {
    return m_settings->fileName();
}

std::optional<std::string> QtSettingsStore::readString(const std::string& key) const {
    const QVariant value = m_settings->value(toQString(key));
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return value.toString().toStdString();
    default:
        return std::nullopt; // never written, or a list or an undecodable value
    }
}

// The INI format cannot tell a one-element list from a plain text, and writes an
// empty list as an invalid value: both are read back as the list they were.
std::optional<std::vector<std::string>> QtSettingsStore::readStringList(const std::string& key) const {
    const QString qKey = toQString(key);
    if (!m_settings->contains(qKey))
        return std::nullopt;
    const QVariant value = m_settings->value(qKey);
    switch (value.typeId()) {
    case QMetaType::QStringList: {
        std::vector<std::string> values;
        for (const QString& item : value.toStringList())
            values.push_back(item.toStdString());
        return values;
    }
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return std::vector<std::string>{value.toString().toStdString()};
    case QMetaType::UnknownType:
        return std::vector<std::string>{};
    default:
        return std::nullopt;
    }
}

void QtSettingsStore::writeString(const std::string& key, const std::string& value) {
    m_settings->setValue(toQString(key), toQString(value));
    m_settings->sync();
}

void QtSettingsStore::writeStringList(const std::string& key, const std::vector<std::string>& values) {
    QStringList list;
    for (const std::string& item : values)
        list.append(toQString(item));
    m_settings->setValue(toQString(key), list);
    m_settings->sync();
}

} // namespace vistrel
