#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

// One "received XX, sent ..." line of the simulator's --verbose log.
struct SimAnswer
{
    char command = 0;
    QString note;       // "realtime frame", "garbage (12 bytes)", "nothing (silent)", ...
    QByteArray hex;     // upper-case, space-separated; the head only for a package
};

// aq7316-sim as a child process, as a user would run it beside the logger;
// killed when the test leaves, whatever happened.
class SimulatorProcess
{
public:
    explicit SimulatorProcess(int waitMs = 20000) : m_waitMs(waitMs) {}
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // Starts it and reads the device path from its first line.
    bool start(const QStringList &args);

    QProcess &process() { return m_process; }
    QString path() const { return m_path; }

    // Sends a signal to it, as another program (or the user) would.
    bool signal(int sig);
    // SIGKILL, then waits for it to end: the instrument's side vanishes.
    void killHard();

    // Every command answered so far, in order (needs --verbose).
    QVector<SimAnswer> answers();
    QVector<SimAnswer> answersTo(char command);

private:
    QProcess m_process;
    QString m_path;
    QByteArray m_log;
    int m_waitMs;
};
