#include "ui/portreturnwatch.h"

#include <QFileInfo>
#include <QSerialPortInfo>

PortReturnWatch::PortReturnWatch(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &PortReturnWatch::poll);
}

void PortReturnWatch::setIntervals(int pollMs, int limitMs)
{
    m_timer.setInterval(pollMs);
    m_limitMs = limitMs;
}

void PortReturnWatch::start(const QString &portName)
{
    m_portName = portName;
    if (!m_since.isValid())
        m_since.start();
    m_timer.start();
}

void PortReturnWatch::stop()
{
    m_timer.stop();
}

void PortReturnWatch::reset()
{
    m_timer.stop();
    m_since.invalidate();
}

bool PortReturnWatch::portPresent(const QString &portName)
{
    // A path (a device node or a link to one) is there or not; a bare name
    // such as COM3 is looked up among the system's ports.
    if (portName.contains(QLatin1Char('/')))
        return QFileInfo::exists(portName);
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        if (port.portName() == portName || port.systemLocation() == portName)
            return true;
    }
    return false;
}

void PortReturnWatch::poll()
{
    if (portPresent(m_portName)) {
        m_timer.stop();
        emit returned();
        return;
    }
    if (m_since.elapsed() >= m_limitMs) {
        reset();
        emit gaveUp();
    }
}
