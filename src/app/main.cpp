#include "app/Application.h"
#include "app/FileArguments.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    QApplication qtApplication(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Vistrel"));
    QCoreApplication::setApplicationName(QStringLiteral("vistrel"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Vistrel"));

    vistrel::Application application;
    application.start(vistrel::pathsFromArguments(QCoreApplication::arguments().mid(1), QDir::currentPath()));
    return qtApplication.exec();
}
