#include "app/QtDocumentOpener.h"

#include "media/support/LogCategories.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace vistrel {

std::optional<std::string> QtDocumentOpener::resourcePath(const std::string& name) const {
    const QString fileName = QString::fromStdString(name);
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QStringList candidates{
        programFolder.filePath(fileName),
        programFolder.filePath(QStringLiteral(VISTREL_DATA_DIR_FROM_VIEWER "/") + fileName),
    };
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath().toStdString();
    return std::nullopt;
}

void QtDocumentOpener::open(const std::optional<std::string>& path) {
    if (!path)
        qCInfo(lcWindows) << "no document to open";
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(*path))))
        qCWarning(lcWindows) << "no program opened" << QString::fromStdString(*path);
}

} // namespace vistrel
