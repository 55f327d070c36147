#include "simprocess.h"

#include <csignal>

#include <sys/types.h>

#include "testsupport.h"

SimulatorProcess::~SimulatorProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(m_waitMs);
    }
}

bool SimulatorProcess::start(const QStringList &args)
{
    m_path = startSimulatorProcess(m_process, args, m_waitMs);
    return !m_path.isEmpty();
}

bool SimulatorProcess::signal(int sig)
{
    return ::kill(pid_t(m_process.processId()), sig) == 0;
}

void SimulatorProcess::killHard()
{
    ::kill(pid_t(m_process.processId()), SIGKILL);
    m_process.waitForFinished(m_waitMs);
}

QVector<SimAnswer> SimulatorProcess::answers()
{
    m_log += m_process.readAllStandardError();
    QVector<SimAnswer> out;
    static const QByteArray prefix("aq7316-sim: received ");
    QList<QByteArray> lines = m_log.split('\n');
    lines.removeLast();   // not yet a whole line
    for (const QByteArray &line : lines) {
        if (!line.startsWith(prefix))
            continue;
        const QByteArray rest = line.mid(prefix.size());   // "15, sent realtime frame: 02 ..."
        if (!rest.contains(", sent "))
            continue;   // an ignored byte
        SimAnswer a;
        a.command = char(rest.left(2).toInt(nullptr, 16));
        const QByteArray what = rest.mid(rest.indexOf(", sent ") + 7);
        const int colon = what.indexOf(": ");
        a.note = QString::fromLatin1(colon < 0 ? what : what.left(colon));
        if (colon >= 0)
            a.hex = what.mid(colon + 2);
        out << a;
    }
    return out;
}

QVector<SimAnswer> SimulatorProcess::answersTo(char command)
{
    QVector<SimAnswer> out;
    for (const SimAnswer &a : answers())
        if (a.command == command)
            out << a;
    return out;
}
