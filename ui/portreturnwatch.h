#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// Watches for a serial port that went away to come back: every poll it
// asks whether the port is there again (a device path that exists, or a
// port the system lists by that name). The time limit runs from the first
// start and is kept across restarts until reset(), so a port that shows up
// but cannot be opened does not extend the wait.
class PortReturnWatch : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(PortReturnWatch)

public:
    static constexpr int kPollMs = 1000;
    static constexpr int kLimitMs = 10 * 60 * 1000;

    explicit PortReturnWatch(QObject *parent = nullptr);

    // For tests: a shorter poll and limit.
    void setIntervals(int pollMs, int limitMs);

    void start(const QString &portName);
    void stop();
    // The next start begins a new time limit.
    void reset();
    bool isWatching() const { return m_timer.isActive(); }

    // Whether the port of that name is present now.
    static bool portPresent(const QString &portName);

signals:
    void returned();
    void gaveUp();

private:
    void poll();

    QTimer m_timer;
    QElapsedTimer m_since;
    QString m_portName;
    int m_limitMs = kLimitMs;
};
