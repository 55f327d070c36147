#include "storage/loadthread.h"

#include <QDebug>

#include "storage/globals.h"
#include "storage/systemlogmanager.h"

LoadThread::LoadThread(QObject *parent)
    : QObject(parent)
{
}

void LoadThread::run(bool bOnDownloading)
{
    auto *list = new QList<PelnorXLogItem>;
    if (pSystemLogManager) {
        if (bOnDownloading)
            pSystemLogManager->querySystemLogIn(list);
        else
            pSystemLogManager->querySystemLog(list);
    }
    qDebug("LoadThread  rum  %d", list->size());
    emit loadFinish(list);
}
