#include "simulator.h"

#include <cmath>

#include <QStringList>
#include <QVector>

namespace {

// Separate streams for drift, stored records and garbage, so enabling one
// feature does not change the bytes of another for the same seed.
constexpr quint32 kStreamStep = 0x9E3779B9u;

// A realistic range for a handheld anemometer; widened when the configured
// base value lies outside it.
constexpr double kDriftMaxSpeedMs = 40.0;
constexpr double kDriftMinTemperatureC = -40.0;
constexpr double kDriftMaxTemperatureC = 60.0;

// The stored records lie a few drift steps apart, like readings taken a
// couple of seconds apart.
constexpr int kStepsBetweenRecords = 4;

bool isProtocolByte(quint8 b)
{
    return b == quint8(wire::kFrameStart) || b == quint8(wire::kEnd)
        || b == quint8(wire::kPackageStart);
}

} // namespace

quint16 toMmPerS(double speedMs)
{
    return quint16(qBound(0LL, qRound64(speedMs * 1000.0), 65535LL));
}

qint16 toDeciC(double temperatureC)
{
    return qint16(qBound(-32768LL, qRound64(temperatureC * 10.0), 32767LL));
}

DriftModel::DriftModel(double baseSpeedMs, double baseTemperatureC, quint32 seed)
    : m_rng(seed)
    , m_baseSpeed(baseSpeedMs)
    , m_baseTemperature(baseTemperatureC)
    , m_speed(baseSpeedMs)
    , m_temperature(baseTemperatureC)
    , m_minSpeed(0.0)
    , m_maxSpeed(qMin(65.535, qMax(kDriftMaxSpeedMs, baseSpeedMs)))
    , m_minTemperature(qMin(kDriftMinTemperatureC, baseTemperatureC))
    , m_maxTemperature(qMax(kDriftMaxTemperatureC, baseTemperatureC))
{
}

// Box–Muller on the generator's raw output, which the standard fixes, so a
// seed gives the same values with every standard library.
double DriftModel::gauss()
{
    const double u1 = (double(m_rng()) + 1.0) / 4294967297.0;
    const double u2 = double(m_rng()) / 4294967296.0;
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
}

void DriftModel::step()
{
    // The speed has momentum (gusts build up and die down) and is pulled
    // back towards its base; the temperature creeps.
    m_speedRate = 0.8 * m_speedRate + 0.02 * (m_baseSpeed - m_speed) + 0.05 * gauss();
    m_speed += m_speedRate;
    if (m_speed < m_minSpeed || m_speed > m_maxSpeed) {
        m_speed = qBound(m_minSpeed, m_speed, m_maxSpeed);
        m_speedRate = 0.0;
    }
    m_temperature += 0.01 * (m_baseTemperature - m_temperature) + 0.02 * gauss();
    m_temperature = qBound(m_minTemperature, m_temperature, m_maxTemperature);
}

InstrumentSimulator::InstrumentSimulator(const SimulatorConfig &config)
    : m_config(config)
    , m_drift(config.speedMs, config.temperatureC, config.seed)
    , m_garbageRng(config.seed + 2 * kStreamStep)
{
    DriftModel memory(config.speedMs, config.temperatureC, config.seed + kStreamStep);
    const int n = qBound(0, config.records, wire::kMaxRecords);
    QVector<wire::RecordFields> records;
    records.reserve(n);
    for (int j = 0; j < n; ++j) {
        for (int s = 0; s < kStepsBetweenRecords; ++s)
            memory.step();
        wire::RecordFields r;
        r.speedMmPerS = toMmPerS(memory.speedMs());
        r.temperatureDeciC = toDeciC(memory.temperatureC());
        r.areaMantissa = config.areaMantissa;
        r.areaDecimals = config.areaDecimals;
        r.flags = config.areaInSquareFeet ? 0x01 : 0x00;
        records.append(r);
    }
    m_package = wire::encodeStoredPackage(records);
}

InstrumentSimulator::Answer InstrumentSimulator::respond(char command)
{
    Answer answer;
    if (command != wire::kRealtimeQuery && command != wire::kDownloadRequest)
        return answer;
    if (m_config.silent
        || (m_config.silentAfter >= 0 && m_answers >= m_config.silentAfter)) {
        answer.note = QStringLiteral("nothing (silent)");
        return answer;
    }
    ++m_answers;
    if (m_config.garbageEvery > 0 && m_answers % m_config.garbageEvery == 0) {
        answer.bytes = garbage();
        answer.note = QStringLiteral("garbage (%1 bytes)").arg(answer.bytes.size());
        return answer;
    }
    answer.bytes = command == wire::kRealtimeQuery ? realtimeAnswer(&answer.note)
                                                   : downloadAnswer(&answer.note);
    return answer;
}

wire::FrameFields InstrumentSimulator::nextFrameFields()
{
    double speed = m_config.speedMs;
    double temperature = m_config.temperatureC;
    if (m_config.drift) {
        m_drift.step();
        speed = m_drift.speedMs();
        temperature = m_drift.temperatureC();
    }
    wire::FrameFields f;
    f.deviceState = m_config.deviceState;
    f.speedMmPerS = toMmPerS(speed);
    f.windUnit = m_config.windUnit;
    f.areaMantissa = m_config.areaMantissa;
    f.areaDecimals = m_config.areaDecimals;
    f.areaUnit = m_config.areaInSquareFeet ? 1 : 0;
    f.volumeUnit = m_config.volumeUnit;
    f.temperatureDeciC = toDeciC(temperature);
    f.temperatureUnit = m_config.temperatureUnit;
    f.batteryLevel = m_config.batteryLevel;
    return f;
}

QByteArray InstrumentSimulator::realtimeAnswer(QString *note)
{
    ++m_realtimeFrames;
    QByteArray frame = wire::encodeRealtimeFrame(nextFrameFields());
    QStringList faults;
    if (m_config.badCrcEvery > 0 && m_realtimeFrames % m_config.badCrcEvery == 0) {
        frame[16] = char(frame.at(16) ^ 0xFF);
        faults << QStringLiteral("a wrong CRC");
    }
    if (m_config.badEndEvery > 0 && m_realtimeFrames % m_config.badEndEvery == 0) {
        frame[17] = char(~wire::kEnd);
        faults << QStringLiteral("a wrong end byte");
    }
    *note = QStringLiteral("realtime frame");
    if (!faults.isEmpty())
        *note += QStringLiteral(" with ") + faults.join(QStringLiteral(" and "));
    return frame;
}

QByteArray InstrumentSimulator::downloadAnswer(QString *note)
{
    QByteArray out;
    for (int i = 0; i < m_config.strayFrames; ++i)
        out += wire::encodeRealtimeFrame(nextFrameFields());
    const int count = (m_package.size() - wire::kPackageOverhead) / wire::kRecordSize;
    *note = QStringLiteral("package of %1 records").arg(count);
    if (m_config.strayFrames > 0)
        *note = QStringLiteral("%1 stray frames, then ").arg(m_config.strayFrames) + *note;
    if (m_config.cutPackageAt >= 0 && m_config.cutPackageAt < m_package.size()) {
        out += m_package.left(m_config.cutPackageAt);
        *note += QStringLiteral(" cut to %1 of %2 bytes").arg(m_config.cutPackageAt).arg(m_package.size());
    } else {
        out += m_package;
    }
    return out;
}

QByteArray InstrumentSimulator::garbage()
{
    const int n = 8 + int(m_garbageRng() % 25);
    QByteArray out;
    out.reserve(n);
    while (out.size() < n) {
        const quint8 b = quint8(m_garbageRng() & 0xFF);
        if (!isProtocolByte(b))
            out.append(char(b));
    }
    return out;
}
