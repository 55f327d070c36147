#pragma once

#include <QObject>
#include <QPointer>

class QProcessIndicator;
class QWidget;

// The wait for the instrument's stored records. The busy indicator spins
// and the window takes no input, as behind a modal dialog, with two
// exceptions that let the user give up: the one widget passed to run()
// (the Download button, which then cancels) and the Escape key.
class DownloadWait : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(DownloadWait)

public:
    DownloadWait(QProcessIndicator *indicator, QWidget *window);
    ~DownloadWait() override;

    // Shows the indicator with its top-left corner at (x, y) and returns
    // once it has been closed (closeLoading).
    void run(int x, int y, QWidget *passThrough);
    bool isRunning() const { return m_running; }

signals:
    // Escape was pressed during the wait.
    void cancelRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QProcessIndicator *m_indicator;
    QWidget *m_window;
    QPointer<QWidget> m_passThrough;
    bool m_running = false;
};
