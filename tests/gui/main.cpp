#include <QApplication>
#include "ModulesOfThisBuild.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

// Widgets need a QApplication; settings and paths are isolated from the user's own.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    vistrel::test::useModulesOfThisBuild();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("VistrelTests");
    QCoreApplication::setApplicationName("vistrel-gui-tests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
