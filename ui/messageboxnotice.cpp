#include "ui/messageboxnotice.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "storage/failurenotice.h"

namespace {
void showMessageBox(const char *titleSource, const char *textSource)
{
    QMessageBox::warning(nullptr, QCoreApplication::translate("QObject", titleSource),
                         QCoreApplication::translate("QObject", textSource), QMessageBox::Ok,
                         QMessageBox::NoButton);
}
} // namespace

void installMessageBoxNotice()
{
    setFailureNotice(&showMessageBox);
}
