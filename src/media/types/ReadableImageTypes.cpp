#include "media/types/ReadableImageTypes.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <algorithm>

namespace vistrel {

namespace {

// The formats the toolkit's image reader handles without a plugin.
const QList<QByteArray> builtInMimeTypes = {"image/bmp",           "image/png",
                                            "image/x-portable-bitmap", "image/x-portable-graymap",
                                            "image/x-portable-pixmap", "image/x-xbitmap",
                                            "image/x-xpixmap"};

const QString imageReaderInterface = QStringLiteral("org.qt-project.Qt.QImageIOHandlerFactoryInterface");

void addPluginTypes(const QString& file, QList<QByteArray>& types) {
    const QJsonObject metaData = QPluginLoader(file).metaData();
    if (metaData.value(QLatin1String("IID")).toString() != imageReaderInterface)
        return;
    const QJsonArray named = metaData.value(QLatin1String("MetaData")).toObject().value(QLatin1String("MimeTypes")).toArray();
    for (const QJsonValue& type : named)
        types.append(type.toString().toLatin1());
}

} // namespace

QList<QByteArray> ReadableImageTypes::mimeTypes() {
    QList<QByteArray> types = builtInMimeTypes;
    for (const QString& folder : QCoreApplication::libraryPaths()) {
        const QDir plugins(folder + QLatin1String("/imageformats"));
        for (const QString& name : plugins.entryList(QDir::Files))
            addPluginTypes(plugins.absoluteFilePath(name), types);
    }
    std::sort(types.begin(), types.end());
    types.erase(std::unique(types.begin(), types.end()), types.end());
    return types;
}

} // namespace vistrel
