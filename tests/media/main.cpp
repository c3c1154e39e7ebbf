#include <QGuiApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <clocale>

// Image plugins and the MIME database need an application object; libmpv needs
// the C numeric locale.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
