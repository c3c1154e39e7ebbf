#include <QGuiApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

// Image plugins and the MIME database need an application object.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    // The modules of this build, wherever the test program runs from.
    if (qEnvironmentVariableIsEmpty("VISTREL_MOVIE_MODULE"))
        qputenv("VISTREL_MOVIE_MODULE", VISTREL_MOVIE_MODULE);
    if (qEnvironmentVariableIsEmpty("VISTREL_FORMATS_MODULE"))
        qputenv("VISTREL_FORMATS_MODULE", VISTREL_FORMATS_MODULE);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
