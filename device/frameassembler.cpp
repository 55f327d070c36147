#include "device/frameassembler.h"

#include "device/wireformat.h"

void FrameAssembler::append(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_head > 0 && m_head >= size()) {
        m_buffer.remove(0, m_head);
        m_head = 0;
    }
    m_buffer.append(bytes);
}

void FrameAssembler::clear()
{
    m_buffer.clear();
    m_head = 0;
}

void FrameAssembler::beginDownload()
{
    clear();
    m_strayFrameCount = 0;
}

void FrameAssembler::consume(int n)
{
    m_head += n;
    if (m_head >= m_buffer.size())
        clear();
}

FrameAssembler::Result FrameAssembler::next(Mode mode)
{
    Result r;
    r.bufferLength = size();
    if (r.bufferLength == 0)
        return r;

    const quint8 first = byteAt(0);

    if (first == quint8(wire::kFrameStart)) {
        if (r.bufferLength < wire::kFrameSize) {
            r.outcome = Outcome::PartialFrame;
            return r;
        }
        if (mode == Mode::Download) {
            consume(wire::kFrameSize);
            r.strayFrames = ++m_strayFrameCount;
            if (m_strayFrameCount >= kStrayFrameLimit) {
                clear();
                r.outcome = Outcome::DownloadAbandoned;
            } else {
                r.outcome = Outcome::StrayFrame;
            }
            return r;
        }
        if (mode == Mode::Idle) {
            clear();
            r.outcome = Outcome::IdleFrame;
            return r;
        }
        // The checksum covers the 15 payload bytes only.
        const char *frame = m_buffer.constData() + m_head;
        const quint8 crc = wire::crc8(frame + 1, 15);
        if (byteAt(17) != quint8(wire::kEnd)) {
            r.outcome = Outcome::FrameError;
        } else if (byteAt(16) != crc) {
            r.outcome = Outcome::CrcError;
            r.computedCrc = crc;
            r.receivedCrc = qint8(frame[16]);
        } else {
            r.outcome = Outcome::Frame;
            r.message = QByteArray(frame, wire::kFrameSize);
        }
        // A bad frame is dropped as a whole 18 bytes; no search for the next start byte.
        consume(wire::kFrameSize);
        return r;
    }

    if (first == quint8(wire::kPackageStart)) {
        if (mode != Mode::Download) {
            clear();
            r.outcome = Outcome::PackageOutsideDownload;
            return r;
        }
        // The count is known from the third byte on; the shortest package
        // is one byte longer.
        if (r.bufferLength < 3) {
            r.outcome = Outcome::PartialPackage;
            return r;
        }
        const int records = (byteAt(1) << 8) | byteAt(2);
        r.packageRecords = records;
        const int total = wire::kRecordSize * records + wire::kPackageOverhead;
        if (r.bufferLength < total) {
            r.outcome = Outcome::PartialPackage;
            return r;
        }
        r.outcome = Outcome::Package;
        r.message = m_buffer.mid(m_head, total);
        consume(total);
        return r;
    }

    clear();
    r.outcome = Outcome::UnknownStart;
    return r;
}
