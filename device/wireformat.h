#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// The instrument's wire format: command bytes, framing, the frame checksum
// and the encoders that build frames and packages. The simulator and the
// tests use these encoders; the decoders live beside the link's consumers.
namespace wire {

constexpr char kRealtimeQuery = 0x15;
constexpr char kDownloadRequest = 0x16;
constexpr char kFrameStart = 0x02;
constexpr char kEnd = 0x03;           // ends both a frame and a package
constexpr char kPackageStart = 0x04;
constexpr int kFrameSize = 18;
constexpr int kRecordSize = 8;
constexpr int kPackageOverhead = 4;   // start byte, two count bytes, end byte
constexpr int kMaxRecords = 65535;
constexpr int kMaxPackageSize = kRecordSize * kMaxRecords + kPackageOverhead;

// CRC-8/NRSC-5: polynomial 0x31, initial 0xFF, no reflection, no final XOR.
quint8 crc8(const char *data, int len);
inline quint8 crc8(const QByteArray &data) { return crc8(data.constData(), data.size()); }

// Raw payload of a realtime frame, as the instrument sends it.
struct FrameFields
{
    quint8 byte1 = 0;               // not interpreted by the program
    quint8 deviceState = 0;         // 0 normal, 1 no wheel
    quint16 speedMmPerS = 0;        // always mm/s, whatever the display shows
    quint8 windUnit = 0;            // unit the instrument shows the speed in
    quint16 areaMantissa = 0;
    quint8 areaDecimals = 0;        // area = mantissa / 10^decimals
    quint8 areaUnit = 0;            // low nibble of byte 9: 1 ft², other m²
    quint8 volumeUnit = 0;          // high nibble of byte 9: 1 CFM, other CMM
    qint16 temperatureDeciC = 0;    // always tenths of °C
    quint8 temperatureUnit = 0;     // unit the instrument shows: 1 °F
    quint16 bytes13to14 = 0;        // not interpreted by the program
    quint8 batteryLevel = 4;        // 0–4, above 4 empty
};

// Raw content of one stored record.
struct RecordFields
{
    quint16 speedMmPerS = 0;
    qint16 temperatureDeciC = 0;
    quint16 areaMantissa = 0;
    quint8 areaDecimals = 0;
    quint8 flags = 0;               // bit 0: area in ft²
};

// 18 bytes: start, 15 payload bytes, CRC-8 of the payload, end.
QByteArray encodeRealtimeFrame(const FrameFields &fields);

// 8 bytes, big-endian fields.
QByteArray encodeStoredRecord(const RecordFields &record);

// Start byte, count, the records in order, end byte. At most kMaxRecords.
QByteArray encodeStoredPackage(const QVector<RecordFields> &records);

} // namespace wire
