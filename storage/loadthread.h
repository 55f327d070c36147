#pragma once

#include <QList>
#include <QObject>

#include "model/pelnorxlogitem.h"

// Reads one history table into a new list and hands it over. Lives in the GUI
// thread (the database connection and its message boxes belong there); it is
// driven through queued connections so that its work runs in the next pass of
// an event loop.
class LoadThread : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(LoadThread)

public:
    explicit LoadThread(QObject *parent = nullptr);

public slots:
    // true reads AQ7316IN (the last download), false AQ7316 (the recording).
    void run(bool bOnDownloading);

signals:
    // Emitted once per run; the receiver owns the list and deletes it.
    void loadFinish(QList<PelnorXLogItem> *list);
};
