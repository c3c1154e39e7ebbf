#include <QGuiApplication>
#include "ModulesOfThisBuild.h"

#include <QStandardPaths>
#include <gtest/gtest.h>

// Image plugins and the MIME database need an application object.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    vistrel::test::useModulesOfThisBuild();
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
