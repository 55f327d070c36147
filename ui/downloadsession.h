#pragma once

#include <memory>

#include <QElapsedTimer>
#include <QSet>

class DownloadWait;
class MainWindow;

// The link in the field, as the window follows it: a download's progress,
// its cancel and failure, and what is remembered between two presses of
// Record or Download (one box per failure, the port having opened, stop
// requests whose answer has not come back). Part of MainWindow, whose
// signals it emits.
class DownloadSession
{
public:
    explicit DownloadSession(MainWindow &window);
    ~DownloadSession();

    bool isActive() const { return m_active; }
    // The package's count is known: bytes of it have arrived.
    bool packageStarted() const { return m_total >= 0; }
    // Waits (in the busy indicator's loop) for the download the window
    // has just asked for; returns when it ended.
    void run();
    void showProgress(int received, int total);
    void cancel();
    void end();
    void failed(int code);

    // The link's codes and frames are ignored until its stops are answered.
    bool linkQuiet() const { return m_linkStopsPending > 0; }
    void quietLinkUntilStopped();
    bool firstBoxFor(int code);
    // Record or Download pressed: every failure may have its box again.
    void start();
    void newEpisode();
    void portOpened() { m_portOpenedSinceStart = true; }
    bool portOpenedSinceStart() const { return m_portOpenedSinceStart; }

private:
    MainWindow &m_window;
    std::unique_ptr<DownloadWait> m_wait;
    // The window is waiting for the package; what of it has arrived.
    bool m_active = false;
    int m_received = -1;
    int m_total = -1;
    int m_rateStartReceived = 0;
    qint64 m_rateStartMs = 0;
    QElapsedTimer m_clock;
    // Stop requests whose answer has not come back from the link: what the
    // link sent before them is of a stopped download or recording.
    int m_linkStopsPending = 0;
    // Codes already answered with a box since the last start or user action.
    QSet<int> m_boxShown;
    // The port opened since Record or Download was pressed: a later loss
    // is an unplug, not a missing adapter.
    bool m_portOpenedSinceStart = false;
};
