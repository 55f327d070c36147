#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

#include "device/frameassembler.h"

// One thing the link has to do in answer to an event.
struct LinkAction
{
    enum class Kind {
        Code,           // emit status code `value`
        Frame,          // emit `bytes` as a realtime frame
        Package,        // emit `bytes` as the stored-record package
        Progress,       // `value` of `total` records of the package have arrived
        Send,           // write the command byte `value`
        StartKeepTimer, // (re)start the poll tick
        StartGuard,     // (re)start the download guard
        StopKeepTimer,
        StopTimers,     // stop the poll tick and the download guard
        ClosePort,
        Debug           // write `bytes` to the debug log
    };

    Kind kind = Kind::Code;
    int value = 0;
    int total = 0;
    QByteArray bytes;
};

using LinkActions = QVector<LinkAction>;

// Everything the serial link decides, without a port, timers or QObject:
// it takes what happened (bytes arrived, a tick, the guard ran out, a start
// or a stop) and answers with what to do. DataSerialPort performs the
// actions; the fuzz target drives this same class. The state of the two
// timers is mirrored here, since they are what the link's mode is read from.
class LinkLogic
{
public:
    using Mode = FrameAssembler::Mode;

    // Status codes, as DataSerialPort::CommuStatus names them.
    enum Code {
        FrameError = 1,
        NoPort = 2,
        Timeout = 3,
        CrcError = 4,
        Offline = 6,
        DownloadError = 7,
        UnknownPackage = 8
    };

    // Consecutive silent ticks that make the instrument offline.
    static constexpr int kOfflineTicks = 4;
    // Download progress is passed on at most this often.
    static constexpr int kProgressIntervalMs = 200;

    // The starts are called after the port was opened (or not).
    LinkActions startRealtime(bool portOpen);
    LinkActions stopRealtime();
    LinkActions startDownload(bool portOpen);
    LinkActions stopDownload();
    // Bytes taken from the port; nowMs is a monotonic clock for the
    // progress throttle.
    LinkActions bytesArrived(const QByteArray &bytes, qint64 nowMs);
    LinkActions keepTick(bool portOpen);
    LinkActions guardExpired();

    Mode mode() const;
    bool keepTimerActive() const { return m_keepActive; }
    bool guardActive() const { return m_guardActive; }
    bool frameReceived() const { return m_frameReceived; }
    int timeoutCount() const { return m_timeoutCount; }
    const FrameAssembler &assembler() const { return m_assembler; }

private:
    // One message from the front of the buffer (stray frames in a download
    // aside); returns once nothing more is to be settled now.
    void settle(qint64 nowMs, LinkActions *out);
    void progress(const FrameAssembler::Result &r, qint64 nowMs, LinkActions *out);
    void stopTimers(LinkActions *out);

    FrameAssembler m_assembler;   // receive buffer and stray-frame count
    bool m_keepActive = false;
    bool m_guardActive = false;
    bool m_frameReceived = false;
    int m_timeoutCount = 0;

    // The package of the current download as far as it is known.
    int m_progressTotal = -1;
    int m_progressReceived = -1;
    qint64 m_progressAtMs = 0;
};
