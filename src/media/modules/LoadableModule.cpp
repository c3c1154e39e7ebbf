#include "media/modules/LoadableModule.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>
#include <utility>

namespace vistrel {

LoadableModule::LoadableModule(QString fileName, const char* pathVariable, Category category)
    : m_fileName(std::move(fileName)), m_pathVariable(pathVariable), m_category(category) {}

QStringList LoadableModule::candidatePaths(const QString& fileName, const char* pathVariable,
                                           const QString& programFolder) {
    QStringList paths;
    if (const QString named = qEnvironmentVariable(pathVariable); !named.isEmpty())
        paths << named;
    const QDir folder(programFolder);
    paths << folder.filePath(fileName)
          << QDir::cleanPath(folder.filePath(QStringLiteral(VISTREL_MODULE_DIR_FROM_PROGRAM "/") + fileName));
    return paths;
}

// Asked of the kernel: the application object, which knows the program's folder, may
// not exist yet, or ever (the decoder helper makes none).
QString LoadableModule::programFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return {};
    return QFile::decodeName(QByteArray::fromStdString(program.parent_path().native()));
}

std::optional<QString> LoadableModule::locate(const QString& fileName, const char* pathVariable) {
    for (const QString& path : candidatePaths(fileName, pathVariable, programFolder()))
        if (QFileInfo(path).isFile())
            return path;
    return std::nullopt;
}

void LoadableModule::loadAhead(const QString& fileName, const char* pathVariable) {
    if (const std::optional<QString> path = locate(fileName, pathVariable))
        // Never closed: the module stays for the process, and resolve() opens it again.
        ::dlopen(QFile::encodeName(*path).constData(), RTLD_LAZY | RTLD_LOCAL);
}

QFunctionPointer LoadableModule::resolve(const char* symbol) {
    const QStringList paths = candidatePaths(m_fileName, m_pathVariable, programFolder());
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
