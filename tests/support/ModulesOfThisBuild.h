#pragma once

#include <QtGlobal>

namespace vistrel::test {

// Points the program's module look-ups at the modules of this build, wherever the test
// program runs from; a variable already set (a run without one of them) is kept.
inline void useModulesOfThisBuild() {
    const char* const modules[][2] = {{"VISTREL_MOVIE_MODULE", VISTREL_MOVIE_MODULE},
                                      {"VISTREL_FORMATS_MODULE", VISTREL_FORMATS_MODULE},
                                      {"VISTREL_METADATA_MODULE", VISTREL_METADATA_MODULE}};
    for (const auto& [variable, file] : modules)
        if (qEnvironmentVariableIsEmpty(variable))
            qputenv(variable, file);
}

} // namespace vistrel::test
