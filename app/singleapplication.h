#pragma once

#include <QApplication>
#include <QSharedMemory>
#include <QString>

class QTimer;

// The application object that keeps the program to one copy. The first
// instance owns a small named shared block and polls it; a later instance
// finds the block, leaves a message in it and quits.
//
// Block layout: byte 0 is the state, '0' (idle) or '1' (a message waits);
// from byte 1 the message in UTF-8, ended by a zero byte when it fits.
class SingleApplication : public QApplication
{
    Q_OBJECT
    Q_DISABLE_COPY(SingleApplication)

public:
    // 1 state byte plus up to 255 bytes of message text.
    static constexpr int BlockSize = 256;
    static constexpr int DefaultPollInterval = 1000;

    explicit SingleApplication(int &argc, char *argv[], const QString &uniqueKey,
                      int pollIntervalMs = DefaultPollInterval);
    ~SingleApplication() override;

    bool isRunning() const;
    bool sendMessage(const QString &message);

    // Gives the guard up while the process still runs: stops polling, drops
    // the owner lock and detaches the block. Call it right before starting a
    // fresh copy of the program, so that copy becomes the first instance.
    void releaseGuard();

    // The file whose exclusive lock the first instance holds for its whole
    // life; the kernel drops the lock when the process dies, however it dies.
    static QString ownerLockPath(const QString &uniqueKey);

signals:
    void messageAvailable(QString message);

public slots:
    void checkForMessage();

private:
    enum class OwnerLock { Acquired, HeldElsewhere, Unavailable };

    OwnerLock takeOwnerLock();
    void dropOwnerLock();
    void startGuard();

    bool running = false;
    QSharedMemory sharedMemory;
    QTimer *m_timer = nullptr;
    int m_pollInterval = DefaultPollInterval;
    QString m_lockPath;
    int m_lockFd = -1;
};
