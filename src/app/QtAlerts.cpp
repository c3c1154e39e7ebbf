#include "app/QtAlerts.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>

namespace vistrel {

std::unique_ptr<QMessageBox> QtAlerts::createWarningBox(const std::string& message,
                                                        const std::string& informativeText, QWidget* parent,
                                                        const std::string& button) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(QMessageBox::Warning);
    box->setWindowTitle(QGuiApplication::applicationDisplayName());
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromStdString(message));
    box->setInformativeText(QString::fromStdString(informativeText));
    box->setStandardButtons(QMessageBox::Ok);
    box->button(QMessageBox::Ok)->setText(QString::fromStdString(button));
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

void QtAlerts::showWarning(const std::string& message, const std::string& informativeText,
                           const std::string& button) {
    createWarningBox(message, informativeText, m_parent, button)->exec();
}

} // namespace vistrel
