#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for the instrument's serial line: the test
// talks through the master side, the program opens the slave by its path.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Writes all bytes to the master side (the program reads them).
    bool write(const QByteArray &bytes);
    // Reads what the program sent, waiting up to timeoutMs for at least
    // minBytes to arrive.
    QByteArray read(int minBytes, int timeoutMs);
    // Closes the master and the kept slave: the line hangs up, as when the
    // instrument's adapter is pulled.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;     // kept open so the line does not hang up between opens
    QString m_slavePath;
};

// Puts a terminal into raw mode: no echo, no line editing, no signals.
bool makeRaw(int fd);
