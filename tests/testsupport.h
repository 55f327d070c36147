#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QToolBar>
#include <QWidget>

// Helpers shared by the tests that run the window or the simulator.

// The folder of the built programs: beside the test binary.
inline QString builtProgramsDir()
{
    const QString fromCTest = qEnvironmentVariable("AQ_BIN_DIR");
    return fromCTest.isEmpty() ? QCoreApplication::applicationDirPath() : fromCTest;
}

// Starts aq7316-sim in `process` and returns the device path its first
// line names; empty when it did not start or said nothing in time.
inline QString startSimulatorProcess(QProcess &process, const QStringList &args, int waitMs)
{
    process.start(builtProgramsDir() + QStringLiteral("/aq7316-sim"), args);
    if (!process.waitForStarted(waitMs))
        return QString();
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < waitMs) {
        if (!process.waitForReadyRead(200) && process.state() == QProcess::NotRunning)
            return QString();
    }
    if (!process.canReadLine())
        return QString();
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

// The main tool bar's action with this text, or null.
inline QAction *toolbarAction(const QWidget *window, const QString &text)
{
    for (QAction *a : window->findChild<QToolBar *>(QStringLiteral("mainToolBar"))->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

// Record and Stop Recording are one action whose text changes.
inline QAction *recordToolbarAction(const QWidget *window)
{
    QAction *a = toolbarAction(window, QStringLiteral("Record"));
    return a ? a : toolbarAction(window, QStringLiteral("Stop Recording"));
}
