#pragma once

#include <memory>

#include <QByteArray>
#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include "device/linklogic.h"

class QTimer;

// The serial link to the instrument. It lives in a worker thread of its own
// and is driven only through queued slots; it answers with the received
// frames and packages and with status codes.
class DataSerialPort : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(DataSerialPort)

public:
    enum CommuStatus {
        CommuUnknownError = 0,
        CommuFrameError = 1,
        CommuNoPort = 2,
        CommuTimeout = 3,
        CommuCrcError = 4,
        CommuLengthError = 5,
        CommuOffline = 6,
        CommuDownloadError = 7,
        CommuUnknownPackage = 8,
        CommuPortOpened = 9
    };
    Q_ENUM(CommuStatus)

    // Why the port could not be opened (or was lost), told just before each
    // CommuNoPort so that the user learns what to do about it.
    enum PortFailure {
        PortFailureOther = 0,
        PortMissing = 1,
        PortPermissionDenied = 2,
        PortInUse = 3,
        PortLost = 4
    };
    Q_ENUM(PortFailure)

    // The failure behind a refused open: Qt reports a device that is locked
    // or held exclusively by another program as a permission error too, so
    // whether the device exists and whether this user may read and write it
    // tell the cases apart.
    static PortFailure classifyOpenFailure(QSerialPort::SerialPortError error, bool deviceExists,
                                           bool readWritable);

    static constexpr int kKeepIntervalMs = 500;
    static constexpr int kDownloadGuardMs = 150000;

    explicit DataSerialPort();
    ~DataSerialPort() override;

    // Port name and baud rate for the next start; called from the GUI thread.
    void setPortSettings(const QString &portName, int baud);
    // Poll period and download guard; for tests only, before a start.
    void setIntervals(int keepMs, int downloadGuardMs);

    // Call in the link's thread (e.g. through a blocking queued invocation).
    Q_INVOKABLE bool isPortOpen() const;

signals:
    void recvDataFrame(QByteArray frame);
    void recvDataStored(QByteArray package);
    void commuError(int status);
    // Records of the stored-record package received so far, of its count;
    // from the moment the count has arrived until the package is complete,
    // a few times a second.
    void downloadProgress(int received, int total);
    // Emitted right before commuError(CommuNoPort): a PortFailure and the
    // device the link tried (its full path where the system has one).
    void portOpenFailed(int reason, QString port);

public slots:
    void open(const QString &com, int baud);
    void open(const QString &com, int baud, int dateBits, int stopBits, int parity);
    void close();
    void send(const QByteArray &data);

private slots:
    void startRealtime();
    void stopRealtime();
    void startDownload();
    void stopDownload();
    void read();
    void onKeepTimerTimeout();
    void onDownloadTimerTimeout();
    void onPortError(QSerialPort::SerialPortError error);

private:
    void perform(const LinkActions &actions);
    void openConfigured();
    void noteOpenFailure(const QString &com);

    QSerialPort *m_serialPort = nullptr;
    std::unique_ptr<QMutex> m_mutex;
    QTimer *m_keepTimer = nullptr;
    QTimer *m_downloadTimer = nullptr;
    // What to do about each arrival, tick and start: modes, counters and the
    // receive buffer.
    LinkLogic m_logic;
    QElapsedTimer m_clock;

    // Raised at every open, so that a close queued for a lost device never
    // hits a port opened again in the meantime.
    quint64 m_openCount = 0;
    quint64 m_lostCloseQueued = 0;

    // What the next CommuNoPort is about: the last refused open, or a port
    // lost after it opened.
    PortFailure m_portFailure = PortFailureOther;
    QString m_portFailurePath;

    mutable QMutex m_settingsMutex;
    QString m_portName = QStringLiteral("COM3");
    int m_baud = 9600;
    int m_keepIntervalMs = kKeepIntervalMs;
    int m_downloadGuardMs = kDownloadGuardMs;
};
