#include <QApplication>
#include "ModulesOfThisBuild.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

// Run by run-under-weston.sh, which starts a compositor of its own and selects Qt's
// Wayland platform; settings and paths are isolated from the user's own.
int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    vistrel::test::useModulesOfThisBuild();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("VistrelTests");
    QCoreApplication::setApplicationName("vistrel-wayland-tests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
