#include "ui/downloadsession.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

#include "device/dataserialport.h"
#include "ui/devicetexts.h"
#include "ui/downloadprogress.h"
#include "ui/downloadwait.h"
#include "ui/mainwindow.h"
#include "ui/mainwindowform.h"
#include "ui/qprocessindicator.h"
#include "ui/unitlabels.h"

DownloadSession::DownloadSession(MainWindow &window)
    : m_window(window)
    , m_wait(std::make_unique<DownloadWait>(window.m_indicator.get(), &window))
{
    QObject::connect(m_wait.get(), &DownloadWait::cancelRequested, &window, [this] { cancel(); });
}

DownloadSession::~DownloadSession() = default;

void DownloadSession::run()
{
    m_active = true;
    m_received = -1;
    m_total = -1;
    m_clock.start();
    emit m_window.download();
    m_window.statusBar()->showMessage(QCoreApplication::translate("MainWindow", "Stored data receiving..."));

    QAction *button = m_window.m_actDownload;
    button->setText(QCoreApplication::translate("MainWindow", "Cancel Download"));
    button->setStatusTip(QCoreApplication::translate("MainWindow", "Cancel the download (Esc)"));
    const QRect g = m_window.geometry();
    m_wait->run(g.left() + g.width() / 2, g.top() + g.height() / 2,
                m_window.ui->mainToolBar->widgetForAction(button));
    m_active = false;
    button->setText(QCoreApplication::translate("MainWindow", "Download"));
    button->setStatusTip(QCoreApplication::translate("MainWindow", "Download Stored Data"));
}

void DownloadSession::showProgress(int received, int total)
{
    if (m_linkStopsPending > 0 || !m_active)
        return;
    const qint64 now = m_clock.elapsed();
    if (m_total < 0) {
        // The rate is measured from here: the wait for the first bytes is
        // the instrument's, not the line's.
        m_rateStartReceived = received;
        m_rateStartMs = now;
    }
    m_received = received;
    m_total = total;
    const qint64 left = downloadSecondsLeft(m_rateStartReceived, m_rateStartMs, received, now, total);
    m_window.statusBar()->showMessage(downloadProgressText(received, total, left, QLocale()));
}

void DownloadSession::cancel()
{
    if (!m_active)
        return;
    emit m_window.stopdownload();
    quietLinkUntilStopped();
    m_window.statusBar()->showMessage(
        QCoreApplication::translate("MainWindow", "Download cancelled: nothing of it was stored"));
    end();
}

void DownloadSession::end()
{
    m_active = false;
    m_window.closeLoading();
}

void DownloadSession::failed(int code)
{
    const QString arrived = downloadArrivedText(m_received, m_total, QLocale());
    emit m_window.stopdownload();
    quietLinkUntilStopped();
    end();
    if (!firstBoxFor(code))
        return;
    const QString reason = trMainWindow(commuStatusSource(code));
    QMessageBox::critical(&m_window, QCoreApplication::translate("MainWindow", "Download Error"),
        QCoreApplication::translate("MainWindow",
            "The download did not complete (%1): %2 had arrived. Nothing of it was stored.\n"
            "Please download again.").arg(reason, arrived),
        QMessageBox::Ok);
}

bool DownloadSession::firstBoxFor(int code)
{
    if (m_boxShown.contains(code))
        return false;
    m_boxShown.insert(code);
    return true;
}

void DownloadSession::start()
{
    newEpisode();
    m_portOpenedSinceStart = false;
}

void DownloadSession::newEpisode()
{
    m_boxShown.clear();
}

void DownloadSession::quietLinkUntilStopped()
{
    // The link answers in order: once this round trip is back, everything
    // it sent before the stop has been delivered and ignored.
    ++m_linkStopsPending;
    QMetaObject::invokeMethod(m_window.m_dataSerialPort, [this] {
        QMetaObject::invokeMethod(&m_window, [this] { --m_linkStopsPending; }, Qt::QueuedConnection);
    }, Qt::QueuedConnection);
}
