#pragma once

#include <QFunctionPointer>
#include <QLibrary>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <optional>

namespace vistrel {

// A module of the program (a shared library it loads by itself, not through the
// dynamic linker at start-up), so that the libraries it carries cost nothing until
// first needed. Looked for, in order: the file named by the given environment
// variable; next to the program (the build tree); in the installed module folder
// beside the program's. Never unloaded: code of the module may still run on other
// threads while the process ends, and a QLibrary going away leaves its library loaded.
class LoadableModule {
  public:
    using Category = const QLoggingCategory& (*)();

    // `fileName` as "libvistrel_x.so"; failures are logged in `category`.
    LoadableModule(QString fileName, const char* pathVariable, Category category);

    // The module's exported function `symbol`; nullptr (logged) when the module cannot
    // be found or loaded. Blocks while the module loads; not thread-safe by itself:
    // callers resolve once, under std::call_once.
    QFunctionPointer resolve(const char* symbol);

    // Maps the module named as for the constructor, with every library it carries, on
    // the calling thread, so that a later resolve() finds them mapped: the slow part of
    // loading it, done ahead. Safe before the application object exists, as it makes
    // no QObject; a module that cannot be loaded is left for resolve() to report.
    static void loadAhead(const QString& fileName, const char* pathVariable);

    // The first of the places above that holds `fileName`, for another file that lives
    // beside the modules (the decoder helper's program); nothing when none does.
    static std::optional<QString> locate(const QString& fileName, const char* pathVariable);

  private:
    static QString programFolder();
    // Where the module may be, in order, for a program in `programFolder`.
    static QStringList candidatePaths(const QString& fileName, const char* pathVariable,
                                      const QString& programFolder);

    QString m_fileName;
    const char* m_pathVariable;
    Category m_category;
    QLibrary m_library;
};

} // namespace vistrel
