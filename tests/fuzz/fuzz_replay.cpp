#include <cstdint>
#include <cstdio>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QVector>

#include "device/wireformat.h"

// Runs the fuzz target over a corpus without libFuzzer, so that the normal
// build checks every committed input:
//   fuzz_replay DIR|FILE...        feed every file to the target
//   fuzz_replay --make-corpus DIR  write the seed inputs
// A failed check aborts inside the target.

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

enum : quint8 { Idle = 0, Realtime = 1, Download = 2 };

// A segment descriptor: mode, fixed chunk size 1..32, or varying sizes.
quint8 segment(quint8 mode, int chunk, bool vary = false)
{
    return quint8(mode | ((chunk - 1) << 2) | (vary ? 0x80 : 0));
}

// One-segment input.
QByteArray single(quint8 descriptor, const QByteArray &bytes)
{
    return QByteArray(1, char(0)) + char(descriptor) + bytes;
}

// Several segments; every part but the last padded to a multiple of 4 bytes
// with `pad`, since the lengths count in units of 4.
QByteArray multi(const QVector<quint8> &descriptors, QVector<QByteArray> parts, char pad = 0x55)
{
    QByteArray out(1, char(descriptors.size() - 1));
    for (quint8 d : descriptors)
        out += char(d);
    for (int i = 0; i + 1 < parts.size(); ++i) {
        while (parts[i].size() % 4)
            parts[i] += pad;
        out += char(qMin(255, parts[i].size() / 4));
    }
    for (const QByteArray &p : parts)
        out += p;
    return out;
}

QByteArray frame(quint16 speed, qint16 temperature, quint8 battery = 4)
{
    wire::FrameFields f;
    f.speedMmPerS = speed;
    f.temperatureDeciC = temperature;
    f.batteryLevel = battery;
    f.windUnit = quint8(speed % 5);
    f.areaMantissa = 1234;
    f.areaDecimals = 2;
    return wire::encodeRealtimeFrame(f);
}

QByteArray package(int records)
{
    QVector<wire::RecordFields> list;
    for (int i = 0; i < records; ++i) {
        wire::RecordFields r;
        r.speedMmPerS = quint16(100 + 37 * i);
        r.temperatureDeciC = qint16(250 - 11 * i);
        r.areaMantissa = quint16(i);
        r.areaDecimals = quint8(i % 3);
        r.flags = quint8(i & 1);
        list.append(r);
    }
    return wire::encodeStoredPackage(list);
}

QByteArray with(QByteArray bytes, int index, char value)
{
    bytes[index] = value;
    return bytes;
}

QByteArray frames(int n)
{
    QByteArray out;
    for (int i = 0; i < n; ++i)
        out += frame(quint16(500 * i), qint16(200 + i));
    return out;
}

QVector<QPair<QString, QByteArray>> seeds()
{
    const QByteArray f1 = frame(1234, 215);
    const QByteArray f2 = frame(0, -400, 0);
    const QByteArray badEnd = with(f1, 17, 0x13);
    const QByteArray badCrc = with(f1, 16, char(f1.at(16) ^ 0x5A));
    const QByteArray p0 = package(0);
    const QByteArray p3 = package(3);
    const QByteArray p40 = package(40);

    QVector<QPair<QString, QByteArray>> s;
    s << qMakePair(QStringLiteral("realtime-one-frame"), single(segment(Realtime, 18), f1));
    s << qMakePair(QStringLiteral("realtime-frame-in-two-parts"), single(segment(Realtime, 10), f1));
    s << qMakePair(QStringLiteral("realtime-two-frames-one-chunk"), single(segment(Realtime, 32), f1 + f2));
    s << qMakePair(QStringLiteral("realtime-ten-frames-varying"), single(segment(Realtime, 1, true), frames(10)));
    s << qMakePair(QStringLiteral("realtime-bytewise"), single(segment(Realtime, 1), f1 + f2 + f1));
    s << qMakePair(QStringLiteral("realtime-bad-end"), single(segment(Realtime, 7), badEnd + f1));
    s << qMakePair(QStringLiteral("realtime-bad-crc"), single(segment(Realtime, 18), badCrc + f2));
    s << qMakePair(QStringLiteral("realtime-bad-end-and-crc"), single(segment(Realtime, 5), with(badEnd, 16, 0)));
    s << qMakePair(QStringLiteral("realtime-garbage-first"), single(segment(Realtime, 3), QByteArray("\x55\xAA") + f1));
    s << qMakePair(QStringLiteral("realtime-package-refused"), single(segment(Realtime, 9), p3 + f1));
    s << qMakePair(QStringLiteral("realtime-partial-tail"), single(segment(Realtime, 4), f1 + f2.left(11)));
    s << qMakePair(QStringLiteral("realtime-frame-start-in-garbage"), single(segment(Realtime, 32, true), QByteArray(20, 0x02) + f1));
    s << qMakePair(QStringLiteral("download-empty-package"), single(segment(Download, 4), p0));
    s << qMakePair(QStringLiteral("download-three-records"), single(segment(Download, 5), p3));
    s << qMakePair(QStringLiteral("download-forty-records-varying"), single(segment(Download, 1, true), p40));
    s << qMakePair(QStringLiteral("download-stray-then-package"), single(segment(Download, 32), f1 + p3));
    s << qMakePair(QStringLiteral("download-stray-split-package"), single(segment(Download, 13), f1 + f2 + p3));
    s << qMakePair(QStringLiteral("download-six-strays"), single(segment(Download, 18), frames(6) + p3));
    s << qMakePair(QStringLiteral("download-five-strays-then-package"), single(segment(Download, 32, true), frames(5) + p0));
    s << qMakePair(QStringLiteral("download-garbage"), single(segment(Download, 8), QByteArray::fromHex("102030040001")));
    s << qMakePair(QStringLiteral("download-truncated-package"), single(segment(Download, 6), p40.left(100)));
    s << qMakePair(QStringLiteral("download-header-only"), single(segment(Download, 1), p3.left(3)));
    s << qMakePair(QStringLiteral("download-package-then-more"), single(segment(Download, 32), p3 + f1 + p0));
    s << qMakePair(QStringLiteral("download-slow-package"), single(segment(Download, 3), package(200)));
    s << qMakePair(QStringLiteral("download-huge-count"), single(segment(Download, 32), QByteArray("\x04\xFF\xFF") + QByteArray(200, 0x11)));
    s << qMakePair(QStringLiteral("download-no-end-byte"), single(segment(Download, 7), with(p3, p3.size() - 1, 0x42)));
    s << qMakePair(QStringLiteral("idle-frame"), single(segment(Idle, 18), f1 + f2));
    s << qMakePair(QStringLiteral("idle-package"), single(segment(Idle, 3), p3));
    s << qMakePair(QStringLiteral("idle-partial-frame"), single(segment(Idle, 2), f1.left(9)));
    s << qMakePair(QStringLiteral("garbage-bytes"), single(segment(Realtime, 32, true), QByteArray::fromHex("ff00fe0102030405161503020400")));
    s << qMakePair(QStringLiteral("realtime-then-download"),
                   multi({segment(Realtime, 18), segment(Download, 11)}, {f1 + f2.left(6), f1 + p3}));
    s << qMakePair(QStringLiteral("download-then-realtime"),
                   multi({segment(Download, 32), segment(Realtime, 3)}, {p3.left(20), f1 + f2}));
    s << qMakePair(QStringLiteral("download-timeout-then-idle"),
                   multi({segment(Download, 4), segment(Idle, 5)}, {p40.left(40), p40.mid(40) + f1}));
    s << qMakePair(QStringLiteral("realtime-partial-then-idle"),
                   multi({segment(Realtime, 9), segment(Idle, 9)}, {f1.left(8), f1.mid(8) + f2}, 0x02));
    s << qMakePair(QStringLiteral("four-segments"),
                   multi({segment(Realtime, 1), segment(Download, 32, true), segment(Idle, 7), segment(Realtime, 18)},
                         {f1 + badCrc, f2 + p3, f1, frames(3)}));
    s << qMakePair(QStringLiteral("garbage-resets-then-frames"),
                   multi({segment(Realtime, 5), segment(Realtime, 5)}, {QByteArray("\x77") + f1, f2}));
    return s;
}

int makeCorpus(const QString &dir)
{
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "fuzz_replay: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    const auto all = seeds();
    for (const auto &seed : all) {
        QFile file(QDir(dir).filePath(QStringLiteral("seed-") + seed.first));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(seed.second) != seed.second.size()) {
            std::fprintf(stderr, "fuzz_replay: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    std::printf("%d seeds written to %s\n", all.size(), qPrintable(dir));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && QByteArray(argv[1]) == "--make-corpus")
        return makeCorpus(QString::fromLocal8Bit(argv[2]));

    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            const QDir dir(path);
            const auto names = dir.entryList(QDir::Files, QDir::Name);
            for (const QString &name : names)
                files << dir.filePath(name);
        } else {
            files << path;
        }
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: fuzz_replay DIR|FILE... | --make-corpus DIR (no input found)\n");
        return 1;
    }
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "fuzz_replay: cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    std::printf("fuzz_replay: %d inputs passed\n", files.size());
    return 0;
}
