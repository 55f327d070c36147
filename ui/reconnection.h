#pragma once

#include <QElapsedTimer>
#include <QString>

class MainWindow;
class PortReturnWatch;

// A recording that survives the adapter being pulled and plugged back:
// the wait for the port, the resume on the same table, the stop when it
// does not come back. Part of MainWindow, whose signals it emits.
class Reconnection
{
public:
    explicit Reconnection(MainWindow &window);

    void portLost(const QString &detail);
    bool isWaiting() const;
    // No longer waited for: recording stopped or the port is back.
    void reset();
    // The status keeps saying the recording resumed for a while.
    bool justResumed() const;
    // Record pressed: an earlier resume is not told any more.
    void forgetResume() { m_resumedAt.invalidate(); }
    void setIntervals(int pollMs, int limitMs);

private:
    void resumeRecording();
    void portDidNotReturn();

    MainWindow &m_window;
    // Owned by the window.
    PortReturnWatch *m_watch = nullptr;
    QElapsedTimer m_resumedAt;
};
