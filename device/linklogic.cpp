#include "device/linklogic.h"

#include "device/wireformat.h"

namespace {

using Kind = LinkAction::Kind;

void add(LinkActions *out, Kind kind, int value = 0)
{
    LinkAction a;
    a.kind = kind;
    a.value = value;
    out->append(a);
}

void addBytes(LinkActions *out, Kind kind, const QByteArray &bytes)
{
    LinkAction a;
    a.kind = kind;
    a.bytes = bytes;
    out->append(a);
}

void debug(LinkActions *out, const char *text, int n)
{
    addBytes(out, Kind::Debug, QByteArray(text) + QByteArray::number(n));
}

} // namespace

LinkLogic::Mode LinkLogic::mode() const
{
    if (m_guardActive)
        return Mode::Download;
    if (m_keepActive)
        return Mode::Realtime;
    return Mode::Idle;
}

void LinkLogic::stopTimers(LinkActions *out)
{
    m_guardActive = false;
    m_keepActive = false;
    add(out, Kind::StopTimers);
}

LinkActions LinkLogic::startRealtime(bool portOpen)
{
    LinkActions out;
    m_timeoutCount = 0;
    m_frameReceived = false;
    m_assembler.clear();
    if (!portOpen) {
        // The timers stay as they were: a mode already running reports the
        // closed port at its ticks.
        add(&out, Kind::Code, NoPort);
        return out;
    }
    // The first query goes out with the first tick, not now.
    m_keepActive = true;
    add(&out, Kind::StartKeepTimer);
    return out;
}

LinkActions LinkLogic::stopRealtime()
{
    LinkActions out;
    m_keepActive = false;
    add(&out, Kind::StopKeepTimer);
    add(&out, Kind::ClosePort);
    return out;
}

LinkActions LinkLogic::startDownload(bool portOpen)
{
    LinkActions out;
    m_timeoutCount = 0;   // m_frameReceived keeps its value
    m_assembler.beginDownload();
    m_progressTotal = -1;
    m_progressReceived = -1;
    if (!portOpen) {
        add(&out, Kind::Code, NoPort);
        return out;
    }
    m_guardActive = true;
    m_keepActive = true;
    add(&out, Kind::StartGuard);
    add(&out, Kind::StartKeepTimer);
    add(&out, Kind::Send, quint8(wire::kDownloadRequest));
    return out;
}

LinkActions LinkLogic::stopDownload()
{
    LinkActions out;
    stopTimers(&out);
    add(&out, Kind::ClosePort);
    return out;
}

LinkActions LinkLogic::guardExpired()
{
    // The port stays open.
    LinkActions out;
    add(&out, Kind::Code, Timeout);
    stopTimers(&out);
    return out;
}

LinkActions LinkLogic::keepTick(bool portOpen)
{
    LinkActions out;
    if (!portOpen) {
        add(&out, Kind::Code, NoPort);
        return out;
    }
    if (!m_guardActive) {
        if (m_frameReceived) {
            m_frameReceived = false;
        } else {
            add(&out, Kind::Code, Timeout);
            if (++m_timeoutCount >= kOfflineTicks) {
                add(&out, Kind::Code, Offline);
                m_timeoutCount = 0;
            }
        }
        // Every tick queries, answered or not.
        add(&out, Kind::Send, quint8(wire::kRealtimeQuery));
        return out;
    }
    // A package on its way keeps the buffer filled: only a tick that finds
    // nothing at all counts as silent.
    if (m_assembler.isEmpty()) {
        ++m_timeoutCount;
        add(&out, Kind::Code, Timeout);
    }
    if (m_timeoutCount >= kOfflineTicks) {
        add(&out, Kind::Code, Offline);
        m_timeoutCount = 0;
    }
    return out;
}

LinkActions LinkLogic::bytesArrived(const QByteArray &bytes, qint64 nowMs)
{
    LinkActions out;
    m_assembler.append(bytes);
    m_timeoutCount = 0;
    settle(nowMs, &out);
    // The guard measures silence: a download still receiving is never cut
    // off, however long a big package takes at a slow line speed.
    if (!bytes.isEmpty() && m_guardActive)
        add(&out, Kind::StartGuard);
    return out;
}

void LinkLogic::progress(const FrameAssembler::Result &r, qint64 nowMs, LinkActions *out)
{
    if (r.packageRecords < 0)
        return;
    const int received = qMin(r.packageRecords, (r.bufferLength - 3) / wire::kRecordSize);
    if (m_progressTotal == r.packageRecords
        && (received == m_progressReceived || nowMs - m_progressAtMs < kProgressIntervalMs))
        return;
    m_progressTotal = r.packageRecords;
    m_progressReceived = received;
    m_progressAtMs = nowMs;
    LinkAction a;
    a.kind = Kind::Progress;
    a.value = received;
    a.total = r.packageRecords;
    out->append(a);
}

void LinkLogic::settle(qint64 nowMs, LinkActions *out)
{
    using Outcome = FrameAssembler::Outcome;
    // One message per arrival, as bytes come; the exception is a live frame
    // straying into a download. Nothing is sent during a download, so no
    // further bytes would come to release a package that arrived in the
    // same chunk behind it: the download would fail with the whole package
    // already received. Go on with the rest of the buffer instead.
    for (;;) {
        const FrameAssembler::Result r = m_assembler.next(mode());
        switch (r.outcome) {
        case Outcome::Empty:
            return;
        case Outcome::PartialFrame:
            debug(out, "REAL PACKAGE len- ", r.bufferLength);
            return;
        case Outcome::StrayFrame:
            debug(out, "REAL PACKAGE len- ", r.bufferLength);
            if (m_assembler.isEmpty())
                return;
            continue;
        case Outcome::DownloadAbandoned:
            debug(out, "REAL PACKAGE len- ", r.bufferLength);
            stopTimers(out);
            add(out, Kind::Code, DownloadError);
            add(out, Kind::ClosePort);
            return;
        case Outcome::IdleFrame:
            debug(out, "REAL PACKAGE len- ", r.bufferLength);
            add(out, Kind::ClosePort);
            return;
        case Outcome::FrameError:
            debug(out, "REAL PACKAGE len- ", r.bufferLength);
            add(out, Kind::Code, FrameError);
            return;
        case Outcome::CrcError:
            debug(out, "REAL PACKAGE len- ", r.bufferLength);
            addBytes(out, Kind::Debug, "CRC Error:" + QByteArray::number(int(r.computedCrc)) + '-'
                                           + QByteArray::number(int(r.receivedCrc)));
            add(out, Kind::Code, CrcError);
            return;
        case Outcome::Frame:
            debug(out, "REAL PACKAGE len- ", r.bufferLength);
            m_frameReceived = true;
            addBytes(out, Kind::Frame, r.message);
            return;
        case Outcome::PartialPackage:
            debug(out, "STORE PACKAGE len- ", r.bufferLength);
            progress(r, nowMs, out);
            return;
        case Outcome::PackageOutsideDownload:
            debug(out, "STORE PACKAGE len- ", r.bufferLength);
            addBytes(out, Kind::Debug, "unknown 0x4 Package");
            add(out, Kind::Code, UnknownPackage);
            return;
        case Outcome::Package:
            debug(out, "STORE PACKAGE len- ", r.bufferLength);
            stopTimers(out);
            addBytes(out, Kind::Package, r.message);
            add(out, Kind::ClosePort);
            return;
        case Outcome::UnknownStart:
            debug(out, "unknown Package len-", r.bufferLength);
            add(out, Kind::Code, UnknownPackage);
            return;
        }
    }
}
