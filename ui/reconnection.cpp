#include "ui/reconnection.h"

#include <QCoreApplication>
#include <QStatusBar>

#include "device/dataserialport.h"
#include "storage/globals.h"
#include "storage/systemsetting.h"
#include "ui/downloadsession.h"
#include "ui/instrumentcontroller.h"
#include "ui/mainwindow.h"
#include "ui/portreturnwatch.h"
#include "ui/recordchart.h"
#include "ui/windowmessages.h"

namespace {

// After a resume, the status keeps saying so for this long before the
// usual per-reading text returns.
const qint64 kResumedNoticeMs = 5000;

} // namespace

Reconnection::Reconnection(MainWindow &window)
    : m_window(window)
    , m_watch(new PortReturnWatch(&window))
{
    QObject::connect(m_watch, &PortReturnWatch::returned, &window, [this] { resumeRecording(); });
    QObject::connect(m_watch, &PortReturnWatch::gaveUp, &window, [this] { portDidNotReturn(); });
}

void Reconnection::portLost(const QString &detail)
{
    emit m_window.stopQuery();
    m_window.m_session->quietLinkUntilStopped();
    m_watch->start(pSystemSetting->serialPortName);
    if (m_window.m_session->firstBoxFor(DataSerialPort::CommuNoPort))
        WindowMessages::noSerialPort(&m_window, detail);
    if (m_watch->isWatching())
        m_window.statusBar()->showMessage(
            QCoreApplication::translate("MainWindow", "Instrument disconnected: waiting for it to come back…"));
}

void Reconnection::resumeRecording()
{
    if (!m_window.m_recording)
        return;
    // The same table goes on: nothing is emptied or archived, ids continue,
    // and the chart leaves the missing time blank.
    m_window.m_controller->resumeRecording();
    m_window.m_plot->beginSegment();
    emit m_window.startQuery();
    m_resumedAt.start();
    m_window.statusBar()->showMessage(
        QCoreApplication::translate("MainWindow", "Instrument reconnected: recording resumed"));
}

void Reconnection::portDidNotReturn()
{
    if (m_window.m_recording)
        m_window.stopRecording();
    m_window.statusBar()->showMessage(
        QCoreApplication::translate("MainWindow", "The instrument did not come back: recording stopped"));
}

bool Reconnection::isWaiting() const
{
    return m_watch->isWatching();
}

void Reconnection::reset()
{
    m_watch->reset();
}

bool Reconnection::justResumed() const
{
    return m_resumedAt.isValid() && m_resumedAt.elapsed() < kResumedNoticeMs;
}

void Reconnection::setIntervals(int pollMs, int limitMs)
{
    m_watch->setIntervals(pollMs, limitMs);
}
