#include "media/modules/LoadableModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <utility>

namespace vistrel {

LoadableModule::LoadableModule(QString fileName, const char* pathVariable, Category category)
    : m_fileName(std::move(fileName)), m_pathVariable(pathVariable), m_category(category) {}

QStringList LoadableModule::candidatePaths() const {
    QStringList paths;
    if (const QString named = qEnvironmentVariable(m_pathVariable); !named.isEmpty())
        paths << named;
    const QDir programFolder(QCoreApplication::applicationDirPath());
    paths << programFolder.filePath(m_fileName)
          << QDir::cleanPath(
                 programFolder.filePath(QStringLiteral(VISTREL_MODULE_DIR_FROM_PROGRAM "/") + m_fileName));
    return paths;
}

QFunctionPointer LoadableModule::resolve(const char* symbol) {
    const QStringList paths = candidatePaths();
    for (const QString& path : paths) {
        if (!QFileInfo(path).isFile())
            continue;
        m_library.setFileName(path);
        const QFunctionPointer function = m_library.resolve(symbol);
        if (function == nullptr)
            qCWarning(m_category).noquote()
                << "cannot load the module" << m_fileName + QLatin1Char(':') << m_library.errorString();
        return function;
    }
    qCWarning(m_category).noquote() << "no module" << m_fileName << "found in" << paths.join(", ");
    return nullptr;
}

} // namespace vistrel
