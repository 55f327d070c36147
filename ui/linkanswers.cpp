#include "ui/linkanswers.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QStatusBar>

#include "device/dataserialport.h"
#include "ui/devicetexts.h"
#include "ui/downloadsession.h"
#include "ui/instrumentcontroller.h"
#include "ui/livepanel.h"
#include "ui/mainwindow.h"
#include "ui/reconnection.h"
#include "ui/recordtablemodel.h"
#include "ui/unitlabels.h"
#include "ui/windowmessages.h"

LinkAnswers::LinkAnswers(MainWindow &window)
    : m_window(window)
{
}

void LinkAnswers::answer(int error)
{
    DownloadSession &session = *m_window.m_session;
    // Codes of a link the window has stopped are not about anything now.
    if (session.linkQuiet())
        return;
    if (const char *text = commuStatusSource(error))
        m_window.statusBar()->showMessage(trMainWindow(text));
    const bool recording = m_window.m_recording;
    switch (error) {
    case DataSerialPort::CommuFrameError:
        if (!recording)
            session.end();
        break;
    case DataSerialPort::CommuTimeout:
        if (recording)
            break;
        if (!session.isActive())
            m_window.closeLoading();
        else if (session.packageStarted())
            session.failed(error);   // the package stopped arriving
        // Otherwise a poll tick found nothing yet: Offline ends that wait.
        break;
    case DataSerialPort::CommuNoPort:
        noPort(error);
        break;
    case DataSerialPort::CommuPortOpened:
        session.newEpisode();
        session.portOpened();
        if (recording) {
            m_window.m_reconnection->reset();
            if (m_window.m_reconnection->justResumed())
                m_window.statusBar()->showMessage(
                    QCoreApplication::translate("MainWindow", "Instrument reconnected: recording resumed"));
        }
        break;
    case DataSerialPort::CommuOffline:
        offline();
        break;
    case DataSerialPort::CommuDownloadError:
        if (session.isActive()) {
            session.failed(error);
            break;
        }
        if (!recording)
            m_window.closeLoading();
        if (session.firstBoxFor(error))
            QMessageBox::critical(&m_window, QCoreApplication::translate("MainWindow", "Download Error"),
                                  QCoreApplication::translate("MainWindow", "Please download again"), QMessageBox::Ok);
        break;
    default:
        break;
    }
}

void LinkAnswers::noPort(int error)
{
    DownloadSession &session = *m_window.m_session;
    // Why the port did not open; a plain missing port keeps the status
    // line as it is.
    const InstrumentController::PortFailure why = m_window.m_controller->takePortFailure();
    if (why.reason != DataSerialPort::PortMissing && !why.text.isEmpty())
        m_window.statusBar()->showMessage(
            QCoreApplication::translate("MainWindow", "no serialport") + QStringLiteral(": ") + why.text);
    if (m_window.m_recording && (session.portOpenedSinceStart() || m_window.m_reconnection->isWaiting())) {
        m_window.m_reconnection->portLost(why.text);
    } else if (m_window.m_recording) {
        m_window.stopRecording();
        if (session.firstBoxFor(error))
            WindowMessages::noSerialPort(&m_window, why.text);
    } else if (session.isActive() && (session.packageStarted() || session.portOpenedSinceStart())) {
        session.failed(error);
    } else {
        if (session.isActive()) {
            emit m_window.stopdownload();
            session.quietLinkUntilStopped();
        }
        session.end();
        if (session.firstBoxFor(error))
            WindowMessages::noSerialPort(&m_window, why.text);
    }
}

void LinkAnswers::offline()
{
    m_window.m_panel->showState(QCoreApplication::translate("MainWindow", "Offline"));
    if (m_window.m_recording) {
        m_window.stopRecording();
    } else {
        m_window.m_session->end();
        emit m_window.stopdownload();
    }
    if (m_window.m_model->rowCount() >= 1)
        return;

    if (WindowMessages::offlineAskForOptions(&m_window))
        m_window.openOptions(1);
}
