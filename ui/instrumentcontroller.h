#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

#include "model/pelnorxlogitem.h"

class QThread;
struct DownloadedRecord;
class DataSerialPort;
class LoadThread;

// The window's session with the instrument and the history: it owns the
// serial link and the worker thread the link runs in, creates the history
// database and the loader, and knows whether a recording runs and which
// history table the window shows. The window talks to the link and the
// loader through its own signals; this class keeps what they need.
class InstrumentController : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(InstrumentController)

public:
    // The history database in dataDirectory, beside the program when empty.
    explicit InstrumentController(const QString &dataDirectory, QObject *parent = nullptr);
    // Stops the worker thread; the link is deleted there as it finishes.
    ~InstrumentController() override;

    DataSerialPort *link() const { return m_link; }
    LoadThread *loader() const { return m_loader; }

    const bool &recording() const { return m_recording; }
    const bool &showingDownload() const { return m_downloading; }
    // The archived run the window shows (a RunArchive id), 0 when it shows
    // one of the live tables.
    qint64 shownArchivedRun() const { return m_shownRun; }

    // Before the link is asked to poll: the configured port, an empty
    // recording table. The previous recording moves to the archive; when it
    // could not, the sentence that tells the user why (it is then kept in
    // the table and the new readings join it), else empty.
    QString beginRecording();
    void endRecording();
    // The same recording again after its port came back: the table keeps
    // its rows and the ids go on.
    void resumeRecording();
    // Before the link is asked for the stored records: the configured port,
    // an empty download table. Returns as beginRecording.
    QString beginDownload();

    // Reads a run of the archive (or RunArchive's current pseudo-runs) and
    // makes it the record set the window shows, so that a unit change reads
    // it again. Null with *error set when it could not be read; the shown
    // set is then unchanged.
    QList<PelnorXLogItem> *openRun(qint64 id, QString *error);
    // The window no longer shows the archived run (it was deleted): an
    // empty live recording set.
    void forgetShownRun();

    // Whether the reading was stored in the recording table.
    bool storeReading(const PelnorXLogItem &record);
    // How many of the downloaded records were stored.
    int storeDownloaded(const QVector<DownloadedRecord> &records);

    // Why the link last reported no port (a DataSerialPort::PortFailure and
    // the sentence for the user); cleared by the call. The link tells it just
    // before the status code, so it is here when the code is handled.
    struct PortFailure
    {
        int reason = -1;
        QString text;
    };
    PortFailure takePortFailure();

private:
    void applyPortSettings();

    DataSerialPort *m_link = nullptr;
    QThread *m_thread = nullptr;
    LoadThread *m_loader = nullptr;
    PortFailure m_portFailure;
    bool m_recording = false;
    bool m_downloading = false;
    qint64 m_shownRun = 0;
};
