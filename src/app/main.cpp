#include "app/Application.h"
#include "app/FileArguments.h"

#include <QApplication>
#include <QDir>
#include <clocale>

int main(int argc, char** argv) {
    QApplication qtApplication(argc, argv);
    // libmpv refuses to start under a numeric locale other than "C"; Qt has just set
    // the user's one.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setOrganizationName(QStringLiteral("Vistrel"));
    QCoreApplication::setApplicationName(QStringLiteral("vistrel"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Vistrel"));

    vistrel::Application application;
    application.start(vistrel::pathsFromArguments(QCoreApplication::arguments().mid(1), QDir::currentPath()));
    return qtApplication.exec();
}
