#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

// Run by run-under-weston.sh, which starts a compositor of its own and selects Qt's
// Wayland platform; settings and paths are isolated from the user's own.
int main(int argc, char** argv) {
    QStandardPaths::setTestModeEnabled(true);
    // The formats module of this build, wherever the test program runs from.
    if (qEnvironmentVariableIsEmpty("VISTREL_FORMATS_MODULE"))
        qputenv("VISTREL_FORMATS_MODULE", VISTREL_FORMATS_MODULE);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("VistrelTests");
    QCoreApplication::setApplicationName("vistrel-wayland-tests");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
