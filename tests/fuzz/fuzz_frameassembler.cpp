#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QVector>

#include "device/frameassembler.h"
#include "device/wireformat.h"

// Fuzz target for the byte-stream assembly of the serial link: a
// FrameAssembler driven exactly as DataSerialPort::read() drives it, with the
// bytes cut into the chunks in which readyRead would deliver them.
//
// Input layout:
//   byte 0              segment count s = (byte % 4) + 1
//   bytes 1 .. s        one descriptor per segment:
//                         bits 0-1  mode: 0 idle, 1 realtime, 2 download, 3 realtime
//                         bits 2-6  chunk size - 1 (1..32)
//                         bit 7     vary the chunk sizes (1..32) from this byte
//   next s - 1 bytes    length of each segment but the last, in units of 4 bytes
//   the rest            the bytes from the instrument; the last segment takes
//                       what is left
//
// A segment starts its mode as the link does: realtime and download start
// afresh (empty buffer; a download also counts its stray frames from zero);
// "idle" is the end of a download that timed out, which stops the timers and
// leaves both the port and the buffer as they were.
//
// Every segment is delivered three times over, in separate links: whole, one
// byte at a time, and in the chosen chunks. The link settles at most one
// message per arrival (stray frames in a download aside), so what it has
// passed on after an arrival legitimately depends on the chunking: two frames
// in one chunk give one frame now and the second at the next arrival. Each
// segment therefore ends with a drain, the link called on until it passes
// nothing more on, as further arrivals would. Then:
//
//   Messages are cut from the front of the buffer, and a message that is
//   passed on consumes exactly its own bytes whatever follows it, so the
//   sequence of what is passed on (frames, packages, status outcomes) is the
//   same for every chunking, up to and including the first outcome that
//   discards bytes it has not examined or closes the port: a bad first byte
//   or a package outside a download (whole buffer cleared), a frame while
//   idle, the sixth stray frame, a complete package. How much such an
//   outcome throws away is the rest of whatever had arrived by then, which
//   does depend on the chunking, and so does everything after it until the
//   next realtime or download start resets the link. The comparison
//   therefore covers each run's events while it is in step, and marks the
//   point where a run falls out of step; the three runs must agree exactly on
//   that record.
//
// Besides: no crash and no sanitizer report; the buffer never exceeds the
// largest package plus the chunk that just arrived; every frame passed on is
// 18 bytes, 0x02 ... CRC-8 of bytes 1-15, 0x03; every package starts with
// 0x04 and is 8·N + 4 bytes long for the count N in its bytes 1-2; each
// outcome belongs to the mode it arrived in; after a drain the buffer holds
// at most the beginning of one message.

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

using Mode = FrameAssembler::Mode;
using Outcome = FrameAssembler::Outcome;

void require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_frameassembler: %s\n", what);
        std::abort();
    }
}

struct Segment
{
    Mode mode = Mode::Idle;
    int chunk = 1;
    bool vary = false;
    quint8 seed = 0;
    QByteArray bytes;
};

// A message or status outcome passed on, or a mark in the record.
struct Event
{
    int kind = 0;           // an Outcome, or one of the marks below
    QByteArray message;
    int detail = 0;         // CRC pair, stray count or segment number

    bool operator==(const Event &o) const { return kind == o.kind && message == o.message && detail == o.detail; }
};

constexpr int kSegmentMark = -1;
constexpr int kOutOfStep = -2;

class Link
{
public:
    explicit Link(const QByteArray &stream) : m_stream(stream) {}

    void start(const Segment &segment, int index)
    {
        switch (segment.mode) {
        case Mode::Realtime:
            m_assembler.clear();
            m_open = true;
            m_inStep = true;
            break;
        case Mode::Download:
            m_assembler.beginDownload();
            m_open = true;
            m_inStep = true;
            break;
        case Mode::Idle:
            break;
        }
        m_mode = segment.mode;
        record({kSegmentMark, QByteArray(), index});
    }

    void arrive(const QByteArray &chunk)
    {
        // A closed port delivers nothing.
        if (!m_open)
            return;
        m_assembler.append(chunk);
        require(m_assembler.size() <= wire::kMaxPackageSize + chunk.size(), "buffer beyond the largest package");
        read();
    }

    void drain()
    {
        while (m_open && read()) {
        }
        if (!m_open || m_assembler.isEmpty())
            return;
        // What is left is the beginning of one message, too short to settle.
        FrameAssembler probe = m_assembler;
        const FrameAssembler::Result r = probe.next(m_mode);
        require(r.outcome == Outcome::PartialFrame || r.outcome == Outcome::PartialPackage,
                "a drained buffer still holds a settled message");
        require(r.bufferLength == m_assembler.size(), "a drained buffer changed on a second look");
    }

    const QVector<Event> &events() const { return m_events; }

private:
    void record(const Event &event)
    {
        if (m_inStep)
            m_events.append(event);
    }

    void fallOutOfStep()
    {
        record({kOutOfStep, QByteArray(), 0});
        m_inStep = false;
    }

    void checkFrame(const QByteArray &frame)
    {
        require(frame.size() == wire::kFrameSize, "frame not 18 bytes");
        require(frame.at(0) == wire::kFrameStart, "frame without start byte");
        require(frame.at(17) == wire::kEnd, "frame without end byte");
        require(quint8(frame.at(16)) == wire::crc8(frame.constData() + 1, 15), "frame with a wrong CRC");
        require(m_stream.contains(frame), "frame that never arrived");
    }

    void checkPackage(const QByteArray &package)
    {
        require(package.size() >= wire::kPackageOverhead, "package shorter than its header");
        require(package.at(0) == wire::kPackageStart, "package without start byte");
        const int records = (quint8(package.at(1)) << 8) | quint8(package.at(2));
        require(package.size() == wire::kRecordSize * records + wire::kPackageOverhead, "package length not 8N+4");
        require(m_stream.contains(package), "package that never arrived");
    }

    // One call of the link's read(): true when something was passed on.
    bool read()
    {
        for (;;) {
            const FrameAssembler::Result r = m_assembler.next(m_mode);
            const int kind = int(r.outcome);
            switch (r.outcome) {
            case Outcome::Empty:
            case Outcome::PartialFrame:
            case Outcome::PartialPackage:
                return false;
            case Outcome::StrayFrame:
                require(m_mode == Mode::Download, "stray frame outside a download");
                require(r.strayFrames >= 1 && r.strayFrames < FrameAssembler::kStrayFrameLimit, "stray count");
                record({kind, QByteArray(), r.strayFrames});
                if (m_assembler.isEmpty())
                    return true;
                continue;
            case Outcome::DownloadAbandoned:
                require(m_mode == Mode::Download, "download abandoned outside a download");
                require(r.strayFrames == FrameAssembler::kStrayFrameLimit, "abandoned before the sixth stray frame");
                require(m_assembler.isEmpty(), "abandoned download left bytes");
                record({kind, QByteArray(), r.strayFrames});
                fallOutOfStep();
                m_mode = Mode::Idle;
                m_open = false;
                return true;
            case Outcome::IdleFrame:
                require(m_mode == Mode::Idle, "idle frame in a running mode");
                require(m_assembler.isEmpty(), "idle frame left bytes");
                record({kind, QByteArray(), 0});
                fallOutOfStep();
                m_open = false;
                return true;
            case Outcome::FrameError:
                require(m_mode == Mode::Realtime, "frame error outside realtime");
                record({kind, QByteArray(), 0});
                return true;
            case Outcome::CrcError:
                require(m_mode == Mode::Realtime, "CRC error outside realtime");
                require(quint8(r.receivedCrc) != r.computedCrc, "CRC error with a matching CRC");
                record({kind, QByteArray(), (int(r.computedCrc) << 8) | quint8(r.receivedCrc)});
                return true;
            case Outcome::Frame:
                require(m_mode == Mode::Realtime, "frame passed on outside realtime");
                checkFrame(r.message);
                record({kind, r.message, 0});
                return true;
            case Outcome::PackageOutsideDownload:
                require(m_mode != Mode::Download, "package refused during a download");
                require(m_assembler.isEmpty(), "refused package left bytes");
                record({kind, QByteArray(), 0});
                fallOutOfStep();
                return true;
            case Outcome::Package:
                require(m_mode == Mode::Download, "package passed on outside a download");
                checkPackage(r.message);
                record({kind, r.message, 0});
                fallOutOfStep();
                m_mode = Mode::Idle;
                m_open = false;
                return true;
            case Outcome::UnknownStart:
                require(m_assembler.isEmpty(), "unknown start left bytes");
                record({kind, QByteArray(), 0});
                fallOutOfStep();
                return true;
            }
            require(false, "unknown outcome");
        }
    }

    FrameAssembler m_assembler;
    const QByteArray m_stream;
    Mode m_mode = Mode::Idle;
    bool m_open = true;     // as after a download that timed out
    bool m_inStep = true;
    QVector<Event> m_events;
};

// Chunk sizes 1..32 drawn from a small generator seeded by the descriptor.
int nextChunk(quint32 *state)
{
    *state = *state * 1103515245u + 12345u;
    return int((*state >> 16) % 32) + 1;
}

enum class Cutting { Whole, ByteByByte, Chosen };

QVector<Event> run(const QVector<Segment> &segments, const QByteArray &stream, Cutting cutting)
{
    Link link(stream);
    for (int i = 0; i < segments.size(); ++i) {
        const Segment &s = segments.at(i);
        link.start(s, i);
        quint32 state = s.seed;
        int pos = 0;
        while (pos < s.bytes.size()) {
            int n = s.bytes.size();
            if (cutting == Cutting::ByteByByte)
                n = 1;
            else if (cutting == Cutting::Chosen)
                n = s.vary ? nextChunk(&state) : s.chunk;
            link.arrive(s.bytes.mid(pos, n));
            pos += n;
        }
        link.drain();
    }
    return link.events();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int count = data[0] % 4 + 1;
    const std::size_t header = 1 + std::size_t(count) + std::size_t(count - 1);
    if (size < header)
        return 0;

    const QByteArray stream(reinterpret_cast<const char *>(data + header), int(size - header));
    QVector<Segment> segments(count);
    int pos = 0;
    for (int i = 0; i < count; ++i) {
        const quint8 d = data[1 + i];
        Segment &s = segments[i];
        switch (d & 3) {
        case 0: s.mode = Mode::Idle; break;
        case 2: s.mode = Mode::Download; break;
        default: s.mode = Mode::Realtime; break;
        }
        s.chunk = ((d >> 2) & 31) + 1;
        s.vary = (d & 0x80) != 0;
        s.seed = d;
        const int length = i + 1 < count ? 4 * data[1 + count + i] : stream.size() - pos;
        s.bytes = stream.mid(pos, length);
        pos = qMin(stream.size(), pos + length);
    }

    const QVector<Event> whole = run(segments, stream, Cutting::Whole);
    const QVector<Event> single = run(segments, stream, Cutting::ByteByByte);
    const QVector<Event> chosen = run(segments, stream, Cutting::Chosen);
    require(whole == single, "byte-by-byte delivery passed on something else than whole delivery");
    require(whole == chosen, "chunked delivery passed on something else than whole delivery");
    return 0;
}
