#include "ui/windowmessages.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

#include "storage/appfiles.h"

void WindowMessages::about(QWidget *parent)
{
    const QString text = QCoreApplication::translate("MainWindow", "AQ7316 Anemometer")
        + QStringLiteral("\n\r") + QStringLiteral("V1.1 \n\r")
        + QStringLiteral("Based on Qt 5.7.1 (MSVC2015, 32 bit)\n\r") + QStringLiteral("Built at ")
        + QLatin1String(__DATE__) + QStringLiteral("\n\r")
        + QCoreApplication::translate("MainWindow", "The program is Data Logger For AQ7316")
        + QStringLiteral("\n\r")
        // Where settings, history and runtime log are: the first thing to
        // know when one of them cannot be written.
        + appFilesDescription();
    QMessageBox box(QMessageBox::Information, QCoreApplication::translate("MainWindow", "About"), text,
        QMessageBox::NoButton, parent);
    box.addButton(QCoreApplication::translate("MainWindow", "OK"), QMessageBox::AcceptRole);
    box.exec();
}

void WindowMessages::noSerialPort(QWidget *parent, const QString &detail)
{
    QMessageBox box(QMessageBox::Information, QCoreApplication::translate("MainWindow", "Error"),
        QCoreApplication::translate("MainWindow", "no serialport"), QMessageBox::NoButton, parent);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.addButton(QCoreApplication::translate("MainWindow", "OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool WindowMessages::offlineAskForOptions(QWidget *parent)
{
    QMessageBox box(QMessageBox::Question, QCoreApplication::translate("MainWindow", "No Data Received"),
        QCoreApplication::translate("MainWindow",
            "Device is Offline. You can select Cancel and Power on Device, Or you can "
            "select OK and alter Serial Port."),
        QMessageBox::NoButton, parent);
    QPushButton *cancel
        = box.addButton(QCoreApplication::translate("MainWindow", "Cancel"), QMessageBox::RejectRole);
    QPushButton *ok = box.addButton(QCoreApplication::translate("MainWindow", "OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(cancel);
    box.exec();
    return box.clickedButton() == ok;
}

void WindowMessages::restartNeeded(QWidget *parent)
{
    QMessageBox::warning(parent, QCoreApplication::translate("MainWindow", "Restart"),
        QCoreApplication::translate("MainWindow", "APP need reset"), QMessageBox::Ok);
}
