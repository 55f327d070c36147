#include "ui/storageprompt.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>

#include "storage/systemlogmanager.h"

StoragePrompt::Choice StoragePrompt::askAboutBrokenDatabase(QWidget *parent, const QString &path,
                                                            const QString &reason)
{
    QMessageBox box(QMessageBox::Warning, tr("History Database"),
                    tr("The history database %1 cannot keep readings.\n%2")
                        .arg(QDir::toNativeSeparators(path), reason),
                    QMessageBox::NoButton, parent);
    box.setInformativeText(tr("Set it aside to start a new, empty history (the old file is kept under "
                              "a new name), or go on without storing readings until the program ends."));
    QPushButton *setAside = box.addButton(tr("Set Aside"), QMessageBox::AcceptRole);
    QPushButton *goOn = box.addButton(tr("Go On Without Storing"), QMessageBox::RejectRole);
    box.setDefaultButton(setAside);
    box.setEscapeButton(goOn);
    box.exec();
    return box.clickedButton() == setAside ? SetAside : GoOnWithoutStoring;
}

bool StoragePrompt::resolveBrokenDatabase(QWidget *parent, SystemLogManager &manager)
{
    if (manager.healthProblem().isEmpty())
        return manager.isStoring();
    const Choice choice = askAboutBrokenDatabase(parent, manager.databasePath(), manager.healthProblem());
    if (choice == SetAside) {
        if (manager.setAside())
            return true;
        QMessageBox::warning(parent, tr("History Database"),
                             tr("The history database could not be set aside and renewed: %1\n"
                                "Readings are shown but not stored until the program ends.")
                                 .arg(manager.healthProblem()));
    }
    manager.goOnWithoutStoring();
    return false;
}
