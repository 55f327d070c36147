#pragma once

#include <cstdint>
#include <random>

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "device/wireformat.h"

// What the simulated instrument shows and stores, and which faults it plays.
struct SimulatorConfig
{
    double speedMs = 3.5;
    double temperatureC = 21.5;
    quint16 areaMantissa = 50;
    quint8 areaDecimals = 2;        // area = mantissa / 10^decimals
    bool areaInSquareFeet = false;
    quint8 windUnit = 0;            // unit the display shows: 0 m/s … 4 ft/min
    quint8 volumeUnit = 0;          // 0 CMM, 1 CFM
    quint8 temperatureUnit = 0;     // 0 °C, 1 °F
    quint8 deviceState = 0;         // 0 normal, 1 no wheel
    quint8 batteryLevel = 4;        // 0–4 bars, above 4 empty
    bool drift = false;
    quint32 seed = 1;
    int records = 10;               // 0 … wire::kMaxRecords

    // Faults; 0 (or -1 where noted) switches a fault off.
    bool silent = false;
    int silentAfter = -1;           // answer this many commands, then nothing
    int badCrcEvery = 0;            // every K-th realtime frame
    int badEndEvery = 0;            // every K-th realtime frame
    int strayFrames = 0;            // frames pushed right before the package
    int cutPackageAt = -1;          // send only this many bytes of the package
    int garbageEvery = 0;           // garbage instead of every K-th answer
};

// Speed and temperature wandering smoothly around a base value: a damped
// random walk whose steps are small compared with the bounds.
class DriftModel
{
public:
    DriftModel(double baseSpeedMs, double baseTemperatureC, quint32 seed);

    void step();
    double speedMs() const { return m_speed; }
    double temperatureC() const { return m_temperature; }

private:
    double gauss();

    std::mt19937 m_rng;
    double m_baseSpeed;
    double m_baseTemperature;
    double m_speed;
    double m_temperature;
    double m_speedRate = 0.0;
    double m_minSpeed, m_maxSpeed, m_minTemperature, m_maxTemperature;
};

// The instrument's side of the protocol: command bytes in, answer bytes out.
// No I/O and no clock; everything random comes from the configured seed.
class InstrumentSimulator
{
public:
    struct Answer
    {
        QByteArray bytes;   // empty when nothing is sent
        QString note;       // what was sent, for a log
    };

    explicit InstrumentSimulator(const SimulatorConfig &config);

    // One byte from the computer. 0x15 and 0x16 are answered, anything else
    // is ignored.
    Answer respond(char command);

    // The package as the instrument holds it, before any fault is applied.
    const QByteArray &storedPackage() const { return m_package; }

private:
    wire::FrameFields nextFrameFields();
    QByteArray realtimeAnswer(QString *note);
    QByteArray downloadAnswer(QString *note);
    QByteArray garbage();

    SimulatorConfig m_config;
    DriftModel m_drift;
    std::mt19937 m_garbageRng;
    QByteArray m_package;
    int m_answers = 0;          // commands answered, garbage included
    int m_realtimeFrames = 0;   // frames sent in answer to 0x15
};

// Rounds to the wire's units, clamped to what the fields can carry.
quint16 toMmPerS(double speedMs);
qint16 toDeciC(double temperatureC);
