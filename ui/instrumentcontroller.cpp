#include "ui/instrumentcontroller.h"

#include <QThread>

#include "device/dataserialport.h"
#include "device/storedpackage.h"
#include "storage/globals.h"
#include "storage/loadthread.h"
#include "storage/runarchive.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/messageboxnotice.h"
#include "ui/portfailuretext.h"

InstrumentController::InstrumentController(const QString &dataDirectory, QObject *parent)
    : QObject(parent)
{
    // A history database that cannot be opened is told in a message box.
    installMessageBoxNotice();
    pSystemLogManager = dataDirectory.isEmpty() ? new SystemLogManager(nullptr)
                                                : new SystemLogManager(dataDirectory, nullptr);

    m_link = new DataSerialPort();
    connect(m_link, &DataSerialPort::portOpenFailed, this, [this](int reason, const QString &port) {
        m_portFailure = {reason, portFailureText(reason, port)};
    }, Qt::QueuedConnection);
    m_thread = new QThread();
    m_link->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_link, &QObject::deleteLater);
    m_thread->start(QThread::InheritPriority);

    m_loader = new LoadThread(this);
}

InstrumentController::~InstrumentController()
{
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

void InstrumentController::applyPortSettings()
{
    m_link->setPortSettings(pSystemSetting->serialPortName, pSystemSetting->serialPortBaud);
}

QString InstrumentController::beginRecording()
{
    applyPortSettings();
    m_recording = true;
    m_downloading = false;
    m_shownRun = 0;
    pSystemLogManager->deleteSystemLog();
    return pSystemLogManager->takeArchiveFailure();
}

void InstrumentController::endRecording()
{
    m_recording = false;
}

void InstrumentController::resumeRecording()
{
    applyPortSettings();
}

QString InstrumentController::beginDownload()
{
    m_downloading = true;
    m_shownRun = 0;
    pSystemLogManager->deleteSystemLogIn();
    applyPortSettings();
    return pSystemLogManager->takeArchiveFailure();
}

QList<PelnorXLogItem> *InstrumentController::openRun(qint64 id, QString *error)
{
    auto *list = new QList<PelnorXLogItem>();
    RunArchive archive;
    if (archive.loadRun(id, list) < 0) {
        *error = archive.lastError();
        delete list;
        return nullptr;
    }
    // The live tables' pseudo-runs are the live sets themselves: a later
    // reload reads them as it always did.
    m_shownRun = id > 0 ? id : 0;
    if (id == RunArchive::CurrentDownload)
        m_downloading = true;
    else if (id == RunArchive::CurrentRecording)
        m_downloading = false;
    return list;
}

void InstrumentController::forgetShownRun()
{
    m_shownRun = 0;
    m_downloading = false;
}

bool InstrumentController::storeReading(const PelnorXLogItem &record)
{
    return pSystemLogManager->insertSystemLog(record) == 0;
}

int InstrumentController::storeDownloaded(const QVector<DownloadedRecord> &records)
{
    QList<PelnorXLogItem> items;
    items.reserve(records.size());
    for (const DownloadedRecord &r : records)
        items.append(r.item);
    // One transaction for the whole package; rows, ids and log lines are
    // those of storing the records one by one.
    return pSystemLogManager->insertSystemLogInBatch(items);
}

InstrumentController::PortFailure InstrumentController::takePortFailure()
{
    PortFailure failure = m_portFailure;
    m_portFailure = PortFailure();
    return failure;
}
