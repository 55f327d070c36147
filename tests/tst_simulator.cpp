#include <QtTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "ptypair.h"
#include "testsupport.h"
#include "tools/aq7316-sim/options.h"
#include "tools/aq7316-sim/simulator.h"

namespace {

constexpr int kWaitMs = 15000;

// A decoder written for this test alone, straight from the byte tables, so
// the simulator is checked against the protocol and not against the
// program's own decoders or encoders.
quint8 crcNrsc5(const QByteArray &bytes)
{
    quint8 crc = 0xFF;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 0x80) ? quint8((crc << 1) ^ 0x31) : quint8(crc << 1);
    }
    return crc;
}

int u8(const QByteArray &b, int i) { return quint8(b.at(i)); }
int u16(const QByteArray &b, int i) { return (u8(b, i) << 8) | u8(b, i + 1); }
int s16(const QByteArray &b, int i) { return qint16(quint16(u16(b, i))); }

struct Frame
{
    bool framingOk = false;     // start byte, end byte and CRC
    int deviceState = 0;
    int speedMm = 0;
    int windUnit = 0;
    int areaMantissa = 0;
    int areaDecimals = 0;
    int areaUnit = 0;
    int volumeUnit = 0;
    int temperatureDeci = 0;
    int temperatureUnit = 0;
    int battery = 0;
};

Frame decodeFrame(const QByteArray &b)
{
    Frame f;
    if (b.size() != 18)
        return f;
    f.framingOk = u8(b, 0) == 0x02 && u8(b, 17) == 0x03 && u8(b, 16) == crcNrsc5(b.mid(1, 15));
    f.deviceState = u8(b, 2);
    f.speedMm = u16(b, 3);
    f.windUnit = u8(b, 5);
    f.areaMantissa = u16(b, 6);
    f.areaDecimals = u8(b, 8);
    f.areaUnit = u8(b, 9) & 0x0F;
    f.volumeUnit = u8(b, 9) >> 4;
    f.temperatureDeci = s16(b, 10);
    f.temperatureUnit = u8(b, 12);
    f.battery = u8(b, 15);
    return f;
}

struct Record
{
    int speedMm = 0;
    int temperatureDeci = 0;
    int areaMantissa = 0;
    int areaDecimals = 0;
    int flags = 0;
};

// False unless the bytes are exactly one whole package.
bool decodePackage(const QByteArray &b, QVector<Record> *records)
{
    if (b.size() < 4 || u8(b, 0) != 0x04)
        return false;
    const int n = u16(b, 1);
    if (b.size() != 8 * n + 4 || u8(b, b.size() - 1) != 0x03)
        return false;
    records->clear();
    for (int j = 0; j < n; ++j) {
        const int o = 3 + 8 * j;
        records->append({u16(b, o), s16(b, o + 2), u16(b, o + 4), u8(b, o + 6), u8(b, o + 7)});
    }
    return true;
}

// One letter per piece of an answer: F good frame, C frame with a wrong CRC,
// E frame with a wrong end byte, B frame with both, P whole package,
// X incomplete package, G anything else; "-" for no answer.
QString classify(const QByteArray &answer)
{
    if (answer.isEmpty())
        return QStringLiteral("-");
    QString s;
    int i = 0;
    while (i < answer.size()) {
        const QByteArray rest = answer.mid(i);
        if (u8(rest, 0) == 0x02 && rest.size() >= 18) {
            const bool endOk = u8(rest, 17) == 0x03;
            const bool crcOk = u8(rest, 16) == crcNrsc5(rest.mid(1, 15));
            s += endOk && crcOk ? QLatin1Char('F') : !endOk && !crcOk ? QLatin1Char('B')
               : !crcOk ? QLatin1Char('C') : QLatin1Char('E');
            i += 18;
            continue;
        }
        QVector<Record> records;
        if (u8(rest, 0) == 0x04)
            s += decodePackage(rest, &records) ? QLatin1Char('P') : QLatin1Char('X');
        else
            s += QLatin1Char('G');
        break;
    }
    return s;
}

bool parse(const QStringList &args, SimulatorOptions *options)
{
    QString error;
    return parseSimulatorArguments(args, options, &error) == ParseResult::Run;
}

QString binDir()
{
    return builtProgramsDir();
}

// Reads from a terminal until n bytes have come or the time is up.
QByteArray readFd(int fd, int n, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    char buf[65536];
    while (out.size() < n) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got > 0) {
            out.append(buf, int(got));
            continue;
        }
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, int(qMin<qint64>(left, 100)));
    }
    return out;
}

bool writeFd(int fd, const QByteArray &bytes)
{
    return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
}

// The line as the logger opens it: read-write, not the controlling
// terminal, raw.
class ClientLine
{
public:
    explicit ClientLine(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        if (m_fd >= 0 && !makeRaw(m_fd)) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~ClientLine()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ClientLine(const ClientLine &) = delete;
    ClientLine &operator=(const ClientLine &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // True once the other side has hung up.
    bool waitForHangUp(int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        char buf[256];
        while (timer.elapsed() < timeoutMs) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0 && (p.revents & (POLLHUP | POLLERR)))
                return true;
            if (p.revents & POLLIN) {
                const ssize_t n = ::read(m_fd, buf, sizeof buf);
                if (n == 0 || (n < 0 && errno == EIO))
                    return true;
            }
        }
        return false;
    }
    bool send(char command) { return writeFd(m_fd, QByteArray(1, command)); }
    QByteArray read(int n, int timeoutMs = kWaitMs) { return readFd(m_fd, n, timeoutMs); }

private:
    int m_fd = -1;
};

// The real executable; killed when the test leaves, whatever happened.
class SimProcess
{
public:
    ~SimProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kWaitMs);
        }
    }

    // Starts the simulator and reads the device path from its first line.
    bool start(const QStringList &args)
    {
        m_path = startSimulatorProcess(m_process, args, kWaitMs);
        return !m_path.isEmpty();
    }

    QProcess &process() { return m_process; }
    QString path() const { return m_path; }
    bool signal(int sig) { return ::kill(pid_t(m_process.processId()), sig) == 0; }

private:
    QProcess m_process;
    QString m_path;
};

} // namespace

class Tst_simulator : public QObject
{
    Q_OBJECT

private slots:
    // The engine, in-process.
    void valueOptions_data();
    void valueOptions();
    void badOptionValues_data();
    void badOptionValues();
    void faults_data();
    void faults();
    void cutPackageSendsItsHead_data();
    void cutPackageSendsItsHead();
    void strayFramesCarryCurrentValues();
    void garbageHoldsNoProtocolBytes();
    void storedRecords_data();
    void storedRecords();
    void storedRecordsFollowTheSeed();
    void driftIsSmoothBoundedAndSeeded();
    void valuesHoldStillWithoutDrift();

    // The executable, through a real pseudo-terminal.
    void processAnswersWithTheGivenValues_data();
    void processAnswersWithTheGivenValues();
    void processPackages_data();
    void processPackages();
    void processKeepsReadingDuringALongPackage();
    void processReadsWhileAPackageIsUnread();
    void processLineIsRaw();
    void processSilent();
    void processKeepsTheLineBetweenOpens();
    void processLinkAndSignal_data();
    void processLinkAndSignal();
    void processRefusesToReplaceAFileWithTheLink();
    void processOnExistingPort();
    void processVerboseWritesOnlyTheFirstLineToStdout();
    void processRejectsBadValues_data();
    void processRejectsBadValues();
    void processPacesTheLine();
    void processUnplugsAndReplugs();
};

void Tst_simulator::valueOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("expected");

    auto hex = [](const char *t) { return QByteArray::fromHex(t); };
    QTest::newRow("speed 5 m/s is 0x1388 mm/s") << QStringList{"--speed", "5"} << 3 << hex("1388");
    QTest::newRow("speed 12.345 rounds to 12345 mm/s")
        << QStringList{"--speed", "12.345"} << 3 << hex("3039");
    QTest::newRow("speed at its limit") << QStringList{"--speed=65.535"} << 3 << hex("FFFF");
    QTest::newRow("speed 0") << QStringList{"--speed", "0"} << 3 << hex("0000");
    QTest::newRow("temperature -10 C is 0xFF9C")
        << QStringList{"--temperature", "-10"} << 10 << hex("FF9C");
    QTest::newRow("temperature -0.1 C is 0xFFFF")
        << QStringList{"--temperature", "-0.1"} << 10 << hex("FFFF");
    QTest::newRow("temperature 25 C is 0x00FA")
        << QStringList{"--temperature", "25"} << 10 << hex("00FA");
    QTest::newRow("temperature lowest") << QStringList{"--temperature", "-3276.8"} << 10 << hex("8000");
    QTest::newRow("area 1.234 ft2 shown in CFM")
        << QStringList{"--area", "1.234", "--area-unit", "ft2", "--volume-unit", "1"} << 6
        << hex("04D20311");
    QTest::newRow("area 1.234 m2 shown in CMM")
        << QStringList{"--area", "1.234", "--area-unit", "m2"} << 6 << hex("04D20300");
    QTest::newRow("area trailing zero counts as a decimal")
        << QStringList{"--area", "1.20"} << 6 << hex("007802");
    QTest::newRow("area without decimals") << QStringList{"--area", "65535"} << 6 << hex("FFFF00");
    QTest::newRow("area leading zeros") << QStringList{"--area", "0.005"} << 6 << hex("000503");
    QTest::newRow("area in ft2 shown in CMM")
        << QStringList{"--area-unit", "ft2", "--volume-unit", "0"} << 9 << hex("01");
    QTest::newRow("area in m2 shown in CFM")
        << QStringList{"--area-unit", "m2", "--volume-unit", "1"} << 9 << hex("10");
    QTest::newRow("wind shown in ft/min") << QStringList{"--wind-unit", "4"} << 5 << hex("04");
    QTest::newRow("wind shown in km/h") << QStringList{"--wind-unit", "1"} << 5 << hex("01");
    QTest::newRow("temperature shown in F") << QStringList{"--temperature-unit", "1"} << 12 << hex("01");
    QTest::newRow("device state no wheel") << QStringList{"--device-state", "1"} << 2 << hex("01");
    QTest::newRow("device state unknown") << QStringList{"--device-state", "200"} << 2 << hex("C8");
    QTest::newRow("battery 0") << QStringList{"--battery", "0"} << 15 << hex("00");
    QTest::newRow("battery above 4") << QStringList{"--battery", "5"} << 15 << hex("05");
}

void Tst_simulator::valueOptions()
{
    QFETCH(QStringList, args);
    QFETCH(int, offset);
    QFETCH(QByteArray, expected);

    SimulatorOptions options;
    QVERIFY(parse(args, &options));
    InstrumentSimulator sim(options.config);
    for (int i = 0; i < 3; ++i) {
        const QByteArray frame = sim.respond(0x15).bytes;
        QCOMPARE(classify(frame), QStringLiteral("F"));
        QCOMPARE(frame.mid(offset, expected.size()).toHex(' '), expected.toHex(' '));
    }
}

void Tst_simulator::badOptionValues_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("negative speed") << QStringList{"--speed", "-1"} << "--speed";
    QTest::newRow("speed above 65.535") << QStringList{"--speed", "65.536"} << "--speed";
    QTest::newRow("speed not a number") << QStringList{"--speed", "fast"} << "--speed";
    QTest::newRow("speed nan") << QStringList{"--speed", "nan"} << "--speed";
    QTest::newRow("speed with a comma") << QStringList{"--speed", "1,5"} << "--speed";
    QTest::newRow("speed without value") << QStringList{"--speed"} << "--speed";
    QTest::newRow("temperature too high") << QStringList{"--temperature", "3276.8"} << "--temperature";
    QTest::newRow("temperature too low") << QStringList{"--temperature", "-3276.9"} << "--temperature";
    QTest::newRow("area mantissa too big") << QStringList{"--area", "6553.6"} << "--area";
    QTest::newRow("area negative") << QStringList{"--area", "-1"} << "--area";
    QTest::newRow("area with exponent") << QStringList{"--area", "1e3"} << "--area";
    QTest::newRow("area unit unknown") << QStringList{"--area-unit", "yd2"} << "--area-unit";
    QTest::newRow("wind unit 5") << QStringList{"--wind-unit", "5"} << "--wind-unit";
    QTest::newRow("volume unit 2") << QStringList{"--volume-unit", "2"} << "--volume-unit";
    QTest::newRow("temperature unit 2") << QStringList{"--temperature-unit", "2"} << "--temperature-unit";
    QTest::newRow("device state 256") << QStringList{"--device-state", "256"} << "--device-state";
    QTest::newRow("battery negative") << QStringList{"--battery", "-1"} << "--battery";
    QTest::newRow("records 65536") << QStringList{"--records", "65536"} << "--records";
    QTest::newRow("records fractional") << QStringList{"--records", "2.5"} << "--records";
    QTest::newRow("seed too big") << QStringList{"--seed", "4294967296"} << "--seed";
    QTest::newRow("silent after negative") << QStringList{"--silent-after", "-1"} << "--silent-after";
    QTest::newRow("bad crc every 0") << QStringList{"--bad-crc-every", "0"} << "--bad-crc-every";
    QTest::newRow("bad end every 0") << QStringList{"--bad-end-every", "0"} << "--bad-end-every";
    QTest::newRow("garbage every 0") << QStringList{"--garbage-every", "0"} << "--garbage-every";
    QTest::newRow("stray frames negative") << QStringList{"--stray-frames", "-2"} << "--stray-frames";
    QTest::newRow("cut package beyond the largest")
        << QStringList{"--cut-package", "524285"} << "--cut-package";
    QTest::newRow("baud not a line speed")
        << QStringList{"--port", "/dev/null", "--baud", "9601"} << "--baud";
    QTest::newRow("baud without port") << QStringList{"--baud", "9600"} << "--baud";
    QTest::newRow("flag given a value") << QStringList{"--drift=yes"} << "--drift";
    QTest::newRow("unknown option") << QStringList{"--colour", "red"} << "--colour";
    QTest::newRow("stray argument") << QStringList{"extra"} << "extra";
    QTest::newRow("line rate 0") << QStringList{"--line-rate", "0"} << "--line-rate";
    QTest::newRow("replug without unplug") << QStringList{"--replug-after", "1"} << "--replug-after";
    QTest::newRow("unplug an existing port")
        << QStringList{"--port", "/dev/null", "--unplug-after", "1"} << "--unplug-after";
}

void Tst_simulator::badOptionValues()
{
    QFETCH(QStringList, args);
    QFETCH(QString, mentions);

    SimulatorOptions options;
    QString error;
    QCOMPARE(parseSimulatorArguments(args, &options, &error), ParseResult::Error);
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

void Tst_simulator::faults_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QString>("answers");

    const QByteArray six(6, 0x15);
    QTest::newRow("no fault") << QStringList() << QByteArray("\x15\x15\x16") << "F F P";
    QTest::newRow("other bytes ignored")
        << QStringList() << QByteArray("\x00\x03\x41\x17\x14\x15", 6) << "- - - - - F";
    QTest::newRow("silent") << QStringList{"--silent"} << QByteArray("\x15\x16\x15") << "- - -";
    QTest::newRow("silent after 2")
        << QStringList{"--silent-after", "2"} << QByteArray("\x15\x16\x15\x16") << "F P - -";
    QTest::newRow("silent after 0") << QStringList{"--silent-after", "0"} << QByteArray("\x15\x16") << "- -";
    QTest::newRow("silent after counts commands only")
        << QStringList{"--silent-after", "1"} << QByteArray("\x41\x15\x15") << "- F -";
    QTest::newRow("bad crc every 3") << QStringList{"--bad-crc-every", "3"} << six << "F F C F F C";
    QTest::newRow("bad crc every frame") << QStringList{"--bad-crc-every", "1"} << QByteArray("\x15\x15") << "C C";
    QTest::newRow("bad crc counts frames, not packages")
        << QStringList{"--bad-crc-every", "2"} << QByteArray("\x15\x16\x15") << "F P C";
    QTest::newRow("bad end every 2") << QStringList{"--bad-end-every", "2"} << QByteArray("\x15\x15\x15\x15") << "F E F E";
    QTest::newRow("bad crc and bad end together")
        << QStringList{"--bad-crc-every", "2", "--bad-end-every", "3"} << six << "F C E C F B";
    QTest::newRow("stray frames 3")
        << QStringList{"--stray-frames", "3"} << QByteArray("\x16\x15") << "FFFP F";
    QTest::newRow("stray frames 0") << QStringList{"--stray-frames", "0"} << QByteArray("\x16") << "P";
    QTest::newRow("stray frames are never faulty")
        << QStringList{"--stray-frames", "2", "--bad-crc-every", "1"} << QByteArray("\x16\x15") << "FFP C";
    QTest::newRow("cut package") << QStringList{"--cut-package", "10"} << QByteArray("\x16\x15") << "X F";
    QTest::newRow("cut beyond the package's size")
        << QStringList{"--records", "2", "--cut-package", "20"} << QByteArray("\x16") << "P";
    QTest::newRow("stray frames before a cut package")
        << QStringList{"--stray-frames", "1", "--cut-package", "3"} << QByteArray("\x16") << "FX";
    QTest::newRow("garbage every 2")
        << QStringList{"--garbage-every", "2"} << QByteArray("\x15\x15\x16\x16") << "F G P G";
    QTest::newRow("garbage counts as an answer for silent after")
        << QStringList{"--garbage-every", "2", "--silent-after", "3"}
        << QByteArray("\x15\x15\x15\x15") << "F G F -";
}

void Tst_simulator::faults()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, commands);
    QFETCH(QString, answers);

    SimulatorOptions options;
    QVERIFY(parse(args + QStringList{"--seed", "11"}, &options));
    InstrumentSimulator sim(options.config);
    QStringList got;
    for (char c : commands)
        got << classify(sim.respond(c).bytes);
    QCOMPARE(got.join(QLatin1Char(' ')), answers);
}

void Tst_simulator::cutPackageSendsItsHead_data()
{
    QTest::addColumn<int>("cut");
    // 5 records: 44 bytes.
    QTest::newRow("nothing") << 0;
    QTest::newRow("start byte only") << 1;
    QTest::newRow("header only") << 3;
    QTest::newRow("inside a record") << 20;
    QTest::newRow("all but the end byte") << 43;
}

void Tst_simulator::cutPackageSendsItsHead()
{
    QFETCH(int, cut);
    SimulatorOptions whole;
    QVERIFY(parse({"--records", "5", "--seed", "3"}, &whole));
    SimulatorOptions cutOptions;
    QVERIFY(parse({"--records", "5", "--seed", "3", "--cut-package", QString::number(cut)}, &cutOptions));

    const QByteArray full = InstrumentSimulator(whole.config).respond(0x16).bytes;
    QCOMPARE(full.size(), 44);
    InstrumentSimulator sim(cutOptions.config);
    QCOMPARE(sim.respond(0x16).bytes.toHex(' '), full.left(cut).toHex(' '));
    // The instrument keeps answering after a cut download.
    QCOMPARE(classify(sim.respond(0x15).bytes), QStringLiteral("F"));
}

void Tst_simulator::strayFramesCarryCurrentValues()
{
    SimulatorOptions options;
    QVERIFY(parse({"--stray-frames", "4", "--speed", "5", "--temperature", "-10", "--records", "1"},
                  &options));
    InstrumentSimulator sim(options.config);
    const QByteArray answer = sim.respond(0x16).bytes;
    QCOMPARE(answer.size(), 4 * 18 + 12);
    for (int i = 0; i < 4; ++i) {
        const Frame f = decodeFrame(answer.mid(18 * i, 18));
        QVERIFY(f.framingOk);
        QCOMPARE(f.speedMm, 5000);
        QCOMPARE(f.temperatureDeci, -100);
    }
    QVector<Record> records;
    QVERIFY(decodePackage(answer.mid(72), &records));
    QCOMPARE(records.size(), 1);
}

void Tst_simulator::garbageHoldsNoProtocolBytes()
{
    SimulatorOptions options;
    QVERIFY(parse({"--garbage-every", "1", "--seed", "5"}, &options));
    InstrumentSimulator sim(options.config);
    QSet<QByteArray> distinct;
    for (int i = 0; i < 50; ++i) {
        const QByteArray g = sim.respond(i % 2 ? 0x15 : 0x16).bytes;
        QVERIFY(g.size() >= 8 && g.size() <= 32);
        for (char c : g)
            QVERIFY2(c != 0x02 && c != 0x03 && c != 0x04, qPrintable(QString::fromLatin1(g.toHex(' '))));
        distinct.insert(g);
    }
    QVERIFY(distinct.size() > 40);
}

void Tst_simulator::storedRecords_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("areaUnit");
    QTest::newRow("none") << 0 << "m2";
    QTest::newRow("one in ft2") << 1 << "ft2";
    QTest::newRow("three in m2") << 3 << "m2";
    QTest::newRow("a hundred in ft2") << 100 << "ft2";
    QTest::newRow("the most a package holds") << 65535 << "m2";
}

void Tst_simulator::storedRecords()
{
    QFETCH(int, count);
    QFETCH(QString, areaUnit);

    SimulatorOptions options;
    QVERIFY(parse({"--records", QString::number(count), "--area", "2.75", "--area-unit", areaUnit,
                   "--speed", "8", "--temperature", "15", "--seed", "9"},
                  &options));
    InstrumentSimulator sim(options.config);
    const QByteArray package = sim.respond(0x16).bytes;
    QCOMPARE(package.size(), 8 * count + 4);
    QVector<Record> records;
    QVERIFY(decodePackage(package, &records));
    QCOMPARE(records.size(), count);

    QSet<int> speeds;
    QSet<int> temperatures;
    for (const Record &r : qAsConst(records)) {
        QCOMPARE(r.areaMantissa, 275);
        QCOMPARE(r.areaDecimals, 2);
        QCOMPARE(r.flags, areaUnit == QLatin1String("ft2") ? 1 : 0);
        QVERIFY(r.speedMm >= 0 && r.speedMm <= 40000);
        QVERIFY(r.temperatureDeci >= -400 && r.temperatureDeci <= 600);
        speeds.insert(r.speedMm);
        temperatures.insert(r.temperatureDeci);
    }
    if (count >= 3) {
        QVERIFY(speeds.size() > 1);
        QVERIFY(temperatures.size() > 1);
    }
}

void Tst_simulator::storedRecordsFollowTheSeed()
{
    SimulatorOptions a, b;
    QVERIFY(parse({"--records", "50", "--seed", "100"}, &a));
    QVERIFY(parse({"--records", "50", "--seed", "101"}, &b));
    InstrumentSimulator simA(a.config);
    InstrumentSimulator simA2(a.config);
    InstrumentSimulator simB(b.config);
    const QByteArray first = simA.respond(0x16).bytes;
    QCOMPARE(simA2.respond(0x16).bytes, first);
    QVERIFY(simB.respond(0x16).bytes != first);
    // The instrument's memory does not change between downloads, nor with
    // the live frames in between.
    simA.respond(0x15);
    QCOMPARE(simA.respond(0x16).bytes, first);
}

void Tst_simulator::driftIsSmoothBoundedAndSeeded()
{
    SimulatorOptions options;
    QVERIFY(parse({"--drift", "--seed", "7", "--speed", "2", "--temperature", "20"}, &options));
    InstrumentSimulator sim(options.config);
    InstrumentSimulator twin(options.config);
    QSet<int> speeds;
    QSet<int> temperatures;
    Frame previous = decodeFrame(sim.respond(0x15).bytes);
    twin.respond(0x15);
    for (int i = 0; i < 2000; ++i) {
        const QByteArray bytes = sim.respond(0x15).bytes;
        QCOMPARE(twin.respond(0x15).bytes, bytes);
        const Frame f = decodeFrame(bytes);
        QVERIFY(f.framingOk);
        QVERIFY(f.speedMm >= 0 && f.speedMm <= 40000);
        QVERIFY(f.temperatureDeci >= -400 && f.temperatureDeci <= 600);
        // Half a second apart: no jumps.
        QVERIFY2(qAbs(f.speedMm - previous.speedMm) < 1000, qPrintable(QString::number(i)));
        QVERIFY2(qAbs(f.temperatureDeci - previous.temperatureDeci) < 5, qPrintable(QString::number(i)));
        speeds.insert(f.speedMm);
        temperatures.insert(f.temperatureDeci);
        previous = f;
    }
    QVERIFY(speeds.size() > 50);
    QVERIFY(temperatures.size() > 5);

    SimulatorOptions other = options;
    other.config.seed = 8;
    InstrumentSimulator otherSim(other.config);
    InstrumentSimulator fresh(options.config);
    QByteArray a, b;
    for (int i = 0; i < 20; ++i) {
        a += fresh.respond(0x15).bytes;
        b += otherSim.respond(0x15).bytes;
    }
    QVERIFY(a != b);
}

void Tst_simulator::valuesHoldStillWithoutDrift()
{
    SimulatorOptions options;
    QVERIFY(parse({"--speed", "2", "--temperature", "20", "--seed", "7"}, &options));
    InstrumentSimulator sim(options.config);
    const QByteArray first = sim.respond(0x15).bytes;
    for (int i = 0; i < 20; ++i)
        QCOMPARE(sim.respond(0x15).bytes, first);
}

void Tst_simulator::processAnswersWithTheGivenValues_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QVector<int>>("expected");  // state, speed, wind unit, mantissa, decimals,
                                                 // area unit, volume unit, temperature,
                                                 // temperature unit, battery

    QTest::newRow("every display unit changed, below freezing")
        << QStringList{"--speed", "12.345", "--temperature", "-10", "--area", "1.234", "--area-unit", "ft2",
                       "--wind-unit", "2", "--volume-unit", "1", "--temperature-unit", "1",
                       "--device-state", "1", "--battery", "3"}
        << QVector<int>{1, 12345, 2, 1234, 3, 1, 1, -100, 1, 3};
    QTest::newRow("limits")
        << QStringList{"--speed", "65.535", "--temperature", "3276.7", "--area", "65535",
                       "--wind-unit", "4", "--device-state", "255", "--battery", "255"}
        << QVector<int>{255, 65535, 4, 65535, 0, 0, 0, 32767, 0, 255};
    QTest::newRow("plain values")
        << QStringList{"--speed", "0.5", "--temperature", "21.5", "--area", "0.50", "--battery", "0"}
        << QVector<int>{0, 500, 0, 50, 2, 0, 0, 215, 0, 0};
}

void Tst_simulator::processAnswersWithTheGivenValues()
{
    QFETCH(QStringList, args);
    QFETCH(QVector<int>, expected);

    SimProcess sim;
    QVERIFY(sim.start(args + QStringList{"--records", "3"}));
    ClientLine line(sim.path());
    QVERIFY(line.isOpen());

    QVERIFY(line.send(0x15));
    const Frame f = decodeFrame(line.read(18));
    QVERIFY(f.framingOk);
    const QVector<int> got{f.deviceState, f.speedMm, f.windUnit, f.areaMantissa, f.areaDecimals,
                           f.areaUnit, f.volumeUnit, f.temperatureDeci, f.temperatureUnit, f.battery};
    QCOMPARE(got, expected);

    QVERIFY(line.send(0x16));
    QVector<Record> records;
    QVERIFY(decodePackage(line.read(28), &records));
    QCOMPARE(records.size(), 3);
    for (const Record &r : qAsConst(records)) {
        QCOMPARE(r.areaMantissa, expected.at(3));
        QCOMPARE(r.areaDecimals, expected.at(4));
        QCOMPARE(r.flags & 1, expected.at(5));
    }
}

void Tst_simulator::processPackages_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("no records") << 0;
    QTest::newRow("three records") << 3;
}

void Tst_simulator::processPackages()
{
    QFETCH(int, count);
    SimProcess sim;
    QVERIFY(sim.start({"--records", QString::number(count)}));
    ClientLine line(sim.path());
    QVERIFY(line.isOpen());
    QVERIFY(line.send(0x16));
    const QByteArray package = line.read(8 * count + 4);
    if (count == 0)
        QCOMPARE(package.toHex(' '), QByteArray("04 00 00 03"));
    QVector<Record> records;
    QVERIFY(decodePackage(package, &records));
    QCOMPARE(records.size(), count);
    // Nothing follows the package.
    QVERIFY(line.send(0x15));
    QVERIFY(decodeFrame(line.read(18)).framingOk);
}

void Tst_simulator::processKeepsReadingDuringALongPackage()
{
    SimProcess sim;
    QVERIFY(sim.start({"--records", "65535", "--speed", "5"}));
    ClientLine line(sim.path());
    QVERIFY(line.isOpen());
    QVERIFY(line.send(0x16));
    // The package is far bigger than the terminal's buffer; the query sent
    // while it is still queued must be read and answered after it.
    QVERIFY(line.send(0x15));
    const QByteArray bytes = line.read(524284 + 18, 60000);
    QCOMPARE(bytes.size(), 524284 + 18);
    QVector<Record> records;
    QVERIFY(decodePackage(bytes.left(524284), &records));
    QCOMPARE(records.size(), 65535);
    const Frame f = decodeFrame(bytes.mid(524284));
    QVERIFY(f.framingOk);
    QCOMPARE(f.speedMm, 5000);
}

void Tst_simulator::processReadsWhileAPackageIsUnread()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ttyAQ"));
    SimProcess sim;
    QVERIFY(sim.start({"--verbose", "--records", "65535", "--link", link}));
    ClientLine line(sim.path());
    QVERIFY(line.isOpen());
    QVERIFY(line.send(0x16));
    QVERIFY(line.send(0x15));
    // Nobody reads the line: the package stays queued, yet the query behind
    // it is taken in and a signal still ends the simulator cleanly.
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += sim.process().readAllStandardError()).contains("received 15"), kWaitMs);
    QVERIFY(sim.signal(SIGTERM));
    QVERIFY(sim.process().waitForFinished(kWaitMs));
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void Tst_simulator::processLineIsRaw()
{
    SimProcess sim;
    QVERIFY(sim.start({}));
    const int fd = ::open(QFile::encodeName(sim.path()).constData(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    termios tio;
    const bool got = ::tcgetattr(fd, &tio) == 0;
    ::close(fd);
    QVERIFY(got);
    // 0x03 and 0x15 are data: no signals, no line editing, no echo, no
    // translation of output bytes.
    QCOMPARE(tio.c_lflag & (ISIG | ICANON | ECHO | IEXTEN), tcflag_t(0));
    QCOMPARE(tio.c_iflag & (ICRNL | IXON | ISTRIP), tcflag_t(0));
    QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
    QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
}

void Tst_simulator::processSilent()
{
    SimProcess sim;
    QVERIFY(sim.start({"--silent"}));
    ClientLine line(sim.path());
    QVERIFY(line.isOpen());
    QVERIFY(line.send(0x15));
    QVERIFY(line.send(0x16));
    // Silence is the assertion, so a bounded wait is the test.
    QCOMPARE(line.read(1, 1000), QByteArray());
    QCOMPARE(sim.process().state(), QProcess::Running);
}

void Tst_simulator::processKeepsTheLineBetweenOpens()
{
    SimProcess sim;
    QVERIFY(sim.start({"--speed", "5"}));
    for (int round = 0; round < 3; ++round) {
        {
            ClientLine line(sim.path());
            QVERIFY(line.isOpen());
            QVERIFY(line.send(0x15));
            const Frame f = decodeFrame(line.read(18));
            QVERIFY(f.framingOk);
            QCOMPARE(f.speedMm, 5000);
        }
        // The client has closed the line; a simulator that lets it hang up
        // would see the line lost now and quit. Its staying is the
        // assertion, so a bounded wait is the test.
        QVERIFY(!sim.process().waitForFinished(round == 0 ? 1000 : 100));
    }
}

void Tst_simulator::processLinkAndSignal_data()
{
    QTest::addColumn<int>("sig");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void Tst_simulator::processLinkAndSignal()
{
    QFETCH(int, sig);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ttyAQ7316"));
    // A link left behind by an earlier run that was killed.
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/pts/99"), link));

    SimProcess sim;
    QVERIFY(sim.start({"--link", link, "--speed", "5"}));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path());

    {
        ClientLine line(link);
        QVERIFY(line.isOpen());
        QVERIFY(line.send(0x15));
        QCOMPARE(decodeFrame(line.read(18)).speedMm, 5000);
    }

    QVERIFY(sim.signal(sig));
    QVERIFY(sim.process().waitForFinished(kWaitMs));
    QCOMPARE(sim.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process().exitCode(), 0);
    struct stat st;
    QVERIFY(::lstat(QFile::encodeName(link).constData(), &st) != 0);
}

void Tst_simulator::processRefusesToReplaceAFileWithTheLink()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();

    QProcess p;
    p.start(binDir() + QStringLiteral("/aq7316-sim"), {"--link", path});
    QVERIFY(p.waitForFinished(kWaitMs));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(p.readAllStandardOutput().isEmpty());
    QVERIFY(!QFileInfo(path).isSymLink());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void Tst_simulator::processOnExistingPort()
{
    PtyPair pair;
    QVERIFY(pair.isValid());
    SimProcess sim;
    QVERIFY(sim.start({"--port", pair.slavePath(), "--temperature", "-10", "--records", "0"}));
    QCOMPARE(sim.path(), pair.slavePath());

    QVERIFY(pair.write(QByteArray(1, 0x15)));
    const Frame f = decodeFrame(pair.read(18, kWaitMs));
    QVERIFY(f.framingOk);
    QCOMPARE(f.temperatureDeci, -100);
    QVERIFY(pair.write(QByteArray(1, 0x16)));
    QCOMPARE(pair.read(4, kWaitMs).toHex(' '), QByteArray("04 00 00 03"));
}

void Tst_simulator::processVerboseWritesOnlyTheFirstLineToStdout()
{
    SimProcess sim;
    QVERIFY(sim.start({"--verbose", "--records", "2"}));
    {
        ClientLine line(sim.path());
        QVERIFY(line.isOpen());
        QVERIFY(line.send(0x15));
        QCOMPARE(line.read(18).size(), 18);
        QVERIFY(line.send(0x16));
        QCOMPARE(line.read(20).size(), 20);
    }
    QVERIFY(sim.signal(SIGTERM));
    QVERIFY(sim.process().waitForFinished(kWaitMs));
    QCOMPARE(sim.process().exitCode(), 0);
    QCOMPARE(sim.process().readAllStandardOutput(), QByteArray());
    const QByteArray log = sim.process().readAllStandardError();
    QVERIFY2(log.contains("received 15") && log.contains("received 16"), log.constData());
}

void Tst_simulator::processRejectsBadValues_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("speed not a number") << QStringList{"--speed", "abc"} << "--speed";
    QTest::newRow("records too many") << QStringList{"--records", "70000"} << "--records";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "--frobnicate";
}

void Tst_simulator::processRejectsBadValues()
{
    QFETCH(QStringList, args);
    QFETCH(QString, mentions);
    QProcess p;
    p.start(binDir() + QStringLiteral("/aq7316-sim"), args);
    QVERIFY(p.waitForFinished(kWaitMs));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardOutput().isEmpty());
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(mentions));
}

void Tst_simulator::processPacesTheLine()
{
    SimProcess sim;
    QVERIFY(sim.start({"--line-rate", "1000", "--records", "250"}));
    ClientLine line(sim.path());
    QVERIFY(line.isOpen());
    QElapsedTimer clock;
    clock.start();
    // 2004 bytes of package at 1000 bytes a second, and a query read and
    // answered while they trickle out.
    QVERIFY(line.send(0x16));
    QVERIFY(line.send(0x15));
    const QByteArray bytes = line.read(2004 + 18);
    const qint64 ms = clock.elapsed();
    QCOMPARE(bytes.size(), 2004 + 18);
    QVERIFY2(ms >= 1800, qPrintable(QString::number(ms)));
    QVector<Record> records;
    QVERIFY(decodePackage(bytes.left(2004), &records));
    QCOMPARE(records.size(), 250);
    QVERIFY(decodeFrame(bytes.mid(2004)).framingOk);
}

void Tst_simulator::processUnplugsAndReplugs()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ttyAQ7316"));
    SimProcess sim;
    QVERIFY(sim.start({"--link", link, "--unplug-after", "2", "--replug-after", "1.5", "--speed", "5"}));
    {
        ClientLine line(link);
        QVERIFY(line.isOpen());
        QVERIFY(line.send(0x15));
        QVERIFY(line.send(0x15));
        QVERIFY(line.send(0x15));   // beyond the second answer: the adapter is gone
        QCOMPARE(line.read(2 * 18).size(), 2 * 18);
        QVERIFY(line.waitForHangUp(kWaitMs));
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // Back after a while, on a new terminal behind the same link.
    QVERIFY(sim.process().waitForReadyRead(kWaitMs));
    const QString second = QString::fromLocal8Bit(sim.process().readLine()).trimmed();
    QVERIFY(!second.isEmpty());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(QFileInfo(link).symLinkTarget(), second);
    ClientLine again(link);
    QVERIFY(again.isOpen());
    for (int i = 0; i < 3; ++i) {
        QVERIFY(again.send(0x15));
        QCOMPARE(decodeFrame(again.read(18)).speedMm, 5000);
    }
    QVERIFY(sim.signal(SIGTERM));
    QVERIFY(sim.process().waitForFinished(kWaitMs));
    QCOMPARE(sim.process().exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(Tst_simulator)
#include "tst_simulator.moc"
