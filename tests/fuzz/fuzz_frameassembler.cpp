#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <QByteArray>
#include <QVector>

#include "device/frameassembler.h"
#include "device/linklogic.h"
#include "device/wireformat.h"

// Fuzz target for the serial link's decisions: the LinkLogic that
// DataSerialPort drives, fed the bytes cut into the chunks in which readyRead
// would deliver them.
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
// afresh with the port opened (empty buffer; a download also counts its
// stray frames from zero and sends its request); "idle" is the download
// guard running out, which stops the timers and leaves both the port and the
// buffer as they were. Each arrival moves a made-up clock on by 37 ms, which
// the download progress is throttled by.
//
// Every segment is delivered three times over, in separate links: whole, one
// byte at a time, and in the chosen chunks. The link settles at most one
// message per arrival (stray frames in a download aside), so what it has
// passed on after an arrival legitimately depends on the chunking: two frames
// in one chunk give one frame now and the second at the next arrival. Each
// segment therefore ends with a drain, the link given empty arrivals until
// its buffer stops shrinking, as further arrivals would; then its state is
// recorded and one keep tick is given, if the tick is running.
//
//   Messages are cut from the front of the buffer, and a message that is
//   passed on consumes exactly its own bytes whatever follows it, so the
//   sequence of what the link does (codes, frames, packages, bytes sent,
//   timers started and stopped, the port closed) is the same for every
//   chunking, up to and including the first action that discards bytes it
//   has not examined or closes the port: code 8 (a bad first byte or a
//   package outside a download, whole buffer cleared), or the port closed (a
//   frame while idle, the sixth stray frame, a complete package). How much
//   such an action throws away is the rest of whatever had arrived by then,
//   which does depend on the chunking, and so does everything after it until
//   the next realtime or download start resets the link. The comparison
//   therefore covers each run's actions while it is in step, and marks the
//   point where a run falls out of step; the three runs must agree exactly on
//   that record. Left out of it are the debug lines (they tell the buffer
//   length), the progress and the guard's restarts (one per arrival).
//
// Besides: no crash and no sanitizer report; the buffer never exceeds the
// largest package plus the chunk that just arrived; every frame passed on is
// 18 bytes, 0x02 ... CRC-8 of bytes 1-15, 0x03; every package starts with
// 0x04 and is 8·N + 4 long for the count N in its bytes 1-2; each message
// and code belongs to the mode it arrived in; after a drain the buffer holds
// at most the beginning of one message; progress comes only during a
// download, never after its package, with one total, the count of the
// package, and a received count that never falls nor exceeds it, at most
// once per 200 ms after the first.

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

using Mode = FrameAssembler::Mode;
using Outcome = FrameAssembler::Outcome;
using Kind = LinkAction::Kind;

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

// An action in the record, or a mark.
struct Event
{
    int kind = 0;           // a LinkAction::Kind, or one of the marks below
    QByteArray message;
    int detail = 0;

    bool operator==(const Event &o) const { return kind == o.kind && message == o.message && detail == o.detail; }
};

constexpr int kSegmentMark = -1;
constexpr int kOutOfStep = -2;
constexpr int kState = -3;
constexpr qint64 kArrivalStepMs = 37;

class Link
{
public:
    explicit Link(const QByteArray &stream) : m_stream(stream)
    {
        // The runs begin as after a download that timed out: idle, port open.
        m_logic.guardExpired();
    }

    void start(const Segment &segment, int index)
    {
        record({kSegmentMark, QByteArray(), index});
        if (segment.mode == Mode::Idle) {
            perform(m_logic.guardExpired(), m_logic.mode());
            require(m_logic.mode() == Mode::Idle, "the guard left a mode running");
            return;
        }
        // As the window does: a running mode is stopped before another starts.
        if (m_logic.guardActive())
            perform(m_logic.stopDownload(), Mode::Download);
        else if (m_logic.keepTimerActive())
            perform(m_logic.stopRealtime(), Mode::Realtime);
        m_inStep = true;
        m_open = true;
        if (segment.mode == Mode::Realtime) {
            perform(m_logic.startRealtime(true), Mode::Idle);
        } else {
            m_progressTotal = -1;
            m_progressReceived = -1;
            m_packageDone = false;
            perform(m_logic.startDownload(true), Mode::Idle);
        }
        require(m_logic.mode() == segment.mode, "a start left the link in another mode");
    }

    void arrive(const QByteArray &chunk)
    {
        // A closed port delivers nothing.
        if (!m_open)
            return;
        m_now += kArrivalStepMs;
        const Mode before = m_logic.mode();
        const LinkActions actions = m_logic.bytesArrived(chunk, m_now);
        require(m_logic.assembler().size() <= wire::kMaxPackageSize + chunk.size(),
                "buffer beyond the largest package");
        perform(actions, before);
    }

    void finish()
    {
        drain();
        // A start resets only what its own mode uses: the frame flag is
        // realtime's, the stray count the download's.
        const Mode mode = m_logic.mode();
        const int modeState = mode == Mode::Realtime ? int(m_logic.frameReceived())
                            : mode == Mode::Download ? m_logic.assembler().strayFrameCount() : 0;
        record({kState, QByteArray::number(m_logic.assembler().size()),
                int(mode) | (m_logic.timeoutCount() << 2) | (modeState << 8)});
        if (m_logic.keepTimerActive())
            perform(m_logic.keepTick(m_open), m_logic.mode());
    }

    const QVector<Event> &events() const { return m_events; }

private:
    void drain()
    {
        for (;;) {
            if (!m_open || m_logic.assembler().isEmpty())
                return;
            const int before = m_logic.assembler().size();
            arrive(QByteArray());
            if (m_logic.assembler().size() == before)
                break;
        }
        if (!m_open || m_logic.assembler().isEmpty())
            return;
        // What is left is the beginning of one message, too short to settle.
        FrameAssembler probe = m_logic.assembler();
        const FrameAssembler::Result r = probe.next(m_logic.mode());
        require(r.outcome == Outcome::PartialFrame || r.outcome == Outcome::PartialPackage,
                "a drained buffer still holds a settled message");
        require(r.bufferLength == m_logic.assembler().size(), "a drained buffer changed on a second look");
    }

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
        require(m_progressTotal < 0 || m_progressTotal == records, "progress told another total");
    }

    void checkProgress(const LinkAction &a, Mode mode)
    {
        require(mode == Mode::Download, "progress outside a download");
        require(!m_packageDone, "progress after the package");
        require(a.total >= 0 && a.total <= wire::kMaxRecords, "progress total out of range");
        require(m_progressTotal < 0 || a.total == m_progressTotal, "progress total changed");
        require(a.value >= 0 && a.value <= a.total, "progress beyond its total");
        require(a.value >= m_progressReceived, "progress went back");
        require(m_progressTotal < 0 || m_now - m_progressAt >= LinkLogic::kProgressIntervalMs,
                "progress faster than its throttle");
        m_progressTotal = a.total;
        m_progressReceived = a.value;
        m_progressAt = m_now;
    }

    // Performs what the link would, with `mode` the mode the event found.
    void perform(const LinkActions &actions, Mode mode)
    {
        for (const LinkAction &a : actions) {
            switch (a.kind) {
            case Kind::Debug:
            case Kind::StartGuard:
                break;
            case Kind::Progress:
                checkProgress(a, mode);
                break;
            case Kind::Frame:
                require(mode == Mode::Realtime, "frame passed on outside realtime");
                checkFrame(a.bytes);
                record({int(a.kind), a.bytes, 0});
                break;
            case Kind::Package:
                require(mode == Mode::Download, "package passed on outside a download");
                checkPackage(a.bytes);
                m_packageDone = true;
                record({int(a.kind), a.bytes, 0});
                break;
            case Kind::Code:
                switch (a.value) {
                case LinkLogic::FrameError:
                case LinkLogic::CrcError:
                    require(mode == Mode::Realtime, "frame fault outside realtime");
                    break;
                case LinkLogic::DownloadError:
                    require(mode == Mode::Download, "download abandoned outside a download");
                    require(m_logic.assembler().strayFrameCount() == FrameAssembler::kStrayFrameLimit,
                            "abandoned before the sixth stray frame");
                    require(m_logic.assembler().isEmpty(), "abandoned download left bytes");
                    break;
                case LinkLogic::UnknownPackage:
                    require(m_logic.assembler().isEmpty(), "a refused start left bytes");
                    break;
                default:
                    break;
                }
                record({int(a.kind), QByteArray(), a.value});
                if (a.value == LinkLogic::UnknownPackage)
                    fallOutOfStep();
                break;
            case Kind::ClosePort:
                require(m_logic.mode() == Mode::Idle, "port closed with a mode running");
                record({int(a.kind), QByteArray(), 0});
                fallOutOfStep();
                m_open = false;
                break;
            case Kind::Send:
            case Kind::StartKeepTimer:
            case Kind::StopKeepTimer:
            case Kind::StopTimers:
                record({int(a.kind), QByteArray(), a.value});
                break;
            }
        }
    }

    LinkLogic m_logic;
    const QByteArray m_stream;
    bool m_open = true;
    bool m_inStep = true;
    qint64 m_now = 0;
    int m_progressTotal = -1;
    int m_progressReceived = -1;
    qint64 m_progressAt = 0;
    bool m_packageDone = false;
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
        link.finish();
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
