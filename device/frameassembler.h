#pragma once

#include <QByteArray>
#include <QtGlobal>

// Cuts the instrument's byte stream into messages: 18-byte realtime frames
// (0x02 … CRC, 0x03) and stored-record packages (0x04, count, records, 0x03).
// Each call to next() looks at the front of the buffer and settles at most one
// message; what follows it waits for the next call.
class FrameAssembler
{
public:
    // The link's working mode, which decides what a message at the front means.
    enum class Mode { Idle, Realtime, Download };

    enum class Outcome {
        Empty,                  // nothing buffered
        PartialFrame,           // starts with 0x02, fewer than 18 bytes
        PartialPackage,         // starts with 0x04 during a download, not complete yet
        Frame,                  // a good realtime frame in `message`
        FrameError,             // byte 17 is not the end byte
        CrcError,               // end byte right, checksum wrong
        StrayFrame,             // a frame during a download, dropped
        DownloadAbandoned,      // the sixth stray frame of one download; buffer cleared
        IdleFrame,              // a frame with no mode running; buffer cleared
        Package,                // a complete stored-record package in `message`
        PackageOutsideDownload, // 0x04 with no download running; buffer cleared
        UnknownStart            // any other first byte; buffer cleared
    };

    struct Result
    {
        Outcome outcome = Outcome::Empty;
        int bufferLength = 0;   // bytes buffered when the front was examined
        QByteArray message;     // Frame: 18 bytes; Package: 8·N + 4 bytes
        quint8 computedCrc = 0; // CrcError only
        qint8 receivedCrc = 0;  // CrcError only; the instrument's byte read as signed
        int strayFrames = 0;    // StrayFrame, DownloadAbandoned: count in this download
        int packageRecords = -1; // PartialPackage, Package: the count N once its bytes are in
    };

    // The stray frame that abandons a download.
    static constexpr int kStrayFrameLimit = 6;

    void append(const QByteArray &bytes);
    Result next(Mode mode);

    // Drops every buffered byte.
    void clear();
    // A new download: empty buffer, no stray frames counted.
    void beginDownload();

    int size() const { return m_buffer.size() - m_head; }
    bool isEmpty() const { return size() == 0; }
    int strayFrameCount() const { return m_strayFrameCount; }

private:
    quint8 byteAt(int i) const { return quint8(m_buffer.at(m_head + i)); }
    void consume(int n);

    // Consumed bytes are skipped by moving m_head; they are cut off the front
    // only once they outweigh the live bytes, so a long package arriving in
    // small chunks is never copied over and over.
    QByteArray m_buffer;
    int m_head = 0;
    int m_strayFrameCount = 0;
};
