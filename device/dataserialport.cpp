#include "device/dataserialport.h"

#include <QDebug>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QTimer>

#include "device/wireformat.h"

namespace {
Q_LOGGING_CATEGORY(lcLink, "aq.device.link", QtWarningMsg)
} // namespace

DataSerialPort::DataSerialPort()
    : m_serialPort(new QSerialPort(this))   // a child, so it moves to the link's thread
    , m_mutex(std::make_unique<QMutex>())
{
    connect(m_serialPort, &QSerialPort::readyRead, this, &DataSerialPort::read);
    connect(m_serialPort, &QSerialPort::errorOccurred, this, &DataSerialPort::onPortError);

    m_keepTimer = new QTimer(this);
    m_downloadTimer = new QTimer(this);
    connect(m_keepTimer, &QTimer::timeout, this, &DataSerialPort::onKeepTimerTimeout);
    connect(m_downloadTimer, &QTimer::timeout, this, &DataSerialPort::onDownloadTimerTimeout);

    qDebug("serialport stread");
}

DataSerialPort::~DataSerialPort()
{
    if (m_serialPort->isOpen())
        m_serialPort->close();
}

void DataSerialPort::setPortSettings(const QString &portName, int baud)
{
    QMutexLocker locker(&m_settingsMutex);
    m_portName = portName;
    m_baud = baud;
}

void DataSerialPort::setIntervals(int keepMs, int downloadGuardMs)
{
    QMutexLocker locker(&m_settingsMutex);
    m_keepIntervalMs = keepMs;
    m_downloadGuardMs = downloadGuardMs;
}

bool DataSerialPort::isPortOpen() const
{
    return m_serialPort->isOpen();
}

FrameAssembler::Mode DataSerialPort::mode() const
{
    if (m_downloadTimer->isActive())
        return FrameAssembler::Mode::Download;
    if (m_keepTimer->isActive())
        return FrameAssembler::Mode::Realtime;
    return FrameAssembler::Mode::Idle;
}

void DataSerialPort::open(const QString &com, int baud)
{
    QMutexLocker locker(m_mutex.get());
    ++m_openCount;
    if (m_serialPort->isOpen()) {
        qDebug("serial is opened");
        m_serialPort->close();
    }
    m_serialPort->setPortName(com);
    if (m_serialPort->open(QIODevice::ReadWrite)) {
        m_serialPort->setBaudRate(baud, QSerialPort::AllDirections);
        m_serialPort->setDataBits(QSerialPort::Data8);
        m_serialPort->setFlowControl(QSerialPort::NoFlowControl);
        m_serialPort->setStopBits(QSerialPort::OneStop);
        m_serialPort->setParity(QSerialPort::NoParity);
        m_serialPort->clear(QSerialPort::AllDirections);
        emit commuError(CommuPortOpened);
        qDebug("open serialport succeed");
    } else {
        qDebug("open serialport failed");
    }
}

void DataSerialPort::open(const QString &com, int baud, int dateBits, int stopBits, int parity)
{
    QMutexLocker locker(m_mutex.get());
    ++m_openCount;
    if (m_serialPort->isOpen()) {
        qDebug("serial is opened");
        m_serialPort->close();
    }
    m_serialPort->setPortName(com);
    if (!m_serialPort->open(QIODevice::ReadWrite)) {
        qDebug("open serialport failed");
        emit commuError(CommuNoPort);
        return;
    }
    m_serialPort->setBaudRate(baud, QSerialPort::AllDirections);
    if (dateBits >= 5 && dateBits <= 8)
        m_serialPort->setDataBits(QSerialPort::DataBits(dateBits));
    switch (stopBits) {
    case 0: m_serialPort->setStopBits(QSerialPort::OneStop); break;
    case 1: m_serialPort->setStopBits(QSerialPort::OneAndHalfStop); break;
    case 2: m_serialPort->setStopBits(QSerialPort::TwoStop); break;
    default: break;
    }
    switch (parity) {
    case 0: m_serialPort->setParity(QSerialPort::NoParity); break;
    case 1: m_serialPort->setParity(QSerialPort::EvenParity); break;
    case 2: m_serialPort->setParity(QSerialPort::OddParity); break;
    default: break;
    }
    m_serialPort->setFlowControl(QSerialPort::NoFlowControl);
    emit commuError(CommuPortOpened);
    qDebug("open serialport succeed");
}

void DataSerialPort::close()
{
    if (m_serialPort->isOpen())
        m_serialPort->close();
}

void DataSerialPort::send(const QByteArray &data)
{
    QMutexLocker locker(m_mutex.get());
    if (!m_serialPort->isOpen())
        return;
    const int zero = data.indexOf('\0');
    const int n = zero < 0 ? data.size() : zero;
    if (n > 0)
        m_serialPort->write(data.constData(), n);
    m_serialPort->flush();
}

void DataSerialPort::openConfigured()
{
    QString name;
    int baud = 0;
    {
        QMutexLocker locker(&m_settingsMutex);
        name = m_portName;
        baud = m_baud;
    }
    open(name, baud);
}

bool DataSerialPort::openForStart()
{
    openConfigured();
    if (m_serialPort->isOpen())
        return true;
    emit commuError(CommuNoPort);
    return false;
}

void DataSerialPort::startRealtime()
{
    m_timeoutCount = 0;
    m_frameReceived = false;
    m_assembler.clear();
    if (!openForStart())
        return;
    QMutexLocker locker(&m_settingsMutex);
    // The first query goes out with the first tick, not now.
    m_keepTimer->start(m_keepIntervalMs);
}

void DataSerialPort::stopRealtime()
{
    m_keepTimer->stop();
    close();
}

void DataSerialPort::startDownload()
{
    m_timeoutCount = 0;
    m_assembler.beginDownload();
    if (!openForStart())
        return;
    {
        QMutexLocker locker(&m_settingsMutex);
        m_downloadTimer->start(m_downloadGuardMs);
        m_keepTimer->start(m_keepIntervalMs);
    }
    send(QByteArray(1, wire::kDownloadRequest));
}

void DataSerialPort::stopDownload()
{
    m_downloadTimer->stop();
    m_keepTimer->stop();
    close();
}

void DataSerialPort::onKeepTimerTimeout()
{
    if (!m_serialPort->isOpen()) {
        emit commuError(CommuNoPort);
        return;
    }
    if (!m_downloadTimer->isActive()) {
        if (m_frameReceived) {
            m_frameReceived = false;
        } else {
            emit commuError(CommuTimeout);
            if (++m_timeoutCount >= 4) {
                emit commuError(CommuOffline);
                m_timeoutCount = 0;
            }
        }
        send(QByteArray(1, wire::kRealtimeQuery));
        return;
    }
    if (m_assembler.isEmpty()) {
        ++m_timeoutCount;
        emit commuError(CommuTimeout);
    }
    if (m_timeoutCount >= 4) {
        emit commuError(CommuOffline);
        m_timeoutCount = 0;
    }
}

void DataSerialPort::onDownloadTimerTimeout()
{
    emit commuError(CommuTimeout);
    m_downloadTimer->stop();
    m_keepTimer->stop();
}

void DataSerialPort::read()
{
    {
        QMutexLocker locker(m_mutex.get());
        m_assembler.append(m_serialPort->readAll());
    }
    m_timeoutCount = 0;

    using Outcome = FrameAssembler::Outcome;
    // One message per call, as bytes arrive; the exception is a live frame
    // straying into a download. Nothing is sent during a download, so no
    // further bytes would come to release a package that arrived in the
    // same chunk behind it: the download would fail with the whole package
    // already received. Go on with the rest of the buffer instead.
    for (;;) {
        const FrameAssembler::Result r = m_assembler.next(mode());
        switch (r.outcome) {
        case Outcome::Empty:
            return;
        case Outcome::PartialFrame:
            qDebug("REAL PACKAGE len- %d", r.bufferLength);
            return;
        case Outcome::StrayFrame:
            qDebug("REAL PACKAGE len- %d", r.bufferLength);
            if (m_assembler.isEmpty())
                return;
            continue;
        case Outcome::DownloadAbandoned:
            qDebug("REAL PACKAGE len- %d", r.bufferLength);
            m_downloadTimer->stop();
            m_keepTimer->stop();
            emit commuError(CommuDownloadError);
            close();
            return;
        case Outcome::IdleFrame:
            qDebug("REAL PACKAGE len- %d", r.bufferLength);
            close();
            return;
        case Outcome::FrameError:
            qDebug("REAL PACKAGE len- %d", r.bufferLength);
            emit commuError(CommuFrameError);
            return;
        case Outcome::CrcError:
            qDebug("REAL PACKAGE len- %d", r.bufferLength);
            qDebug("CRC Error:%d-%d", int(r.computedCrc), int(r.receivedCrc));
            emit commuError(CommuCrcError);
            return;
        case Outcome::Frame:
            qDebug("REAL PACKAGE len- %d", r.bufferLength);
            m_frameReceived = true;
            emit recvDataFrame(r.message);
            return;
        case Outcome::PartialPackage:
            qDebug("STORE PACKAGE len- %d", r.bufferLength);
            return;
        case Outcome::PackageOutsideDownload:
            qDebug("STORE PACKAGE len- %d", r.bufferLength);
            qDebug("unknown 0x4 Package");
            emit commuError(CommuUnknownPackage);
            return;
        case Outcome::Package:
            qDebug("STORE PACKAGE len- %d", r.bufferLength);
            m_downloadTimer->stop();
            m_keepTimer->stop();
            emit recvDataStored(r.message);
            close();
            return;
        case Outcome::UnknownStart:
            qDebug("unknown Package len-%d", r.bufferLength);
            emit commuError(CommuUnknownPackage);
            return;
        }
    }
}

void DataSerialPort::onPortError(QSerialPort::SerialPortError error)
{
    // A vanished adapter, or a hung-up line that reads 0 bytes forever, keeps the
    // port "open" while its read notifier fires without pause. Close it, but from
    // the event loop rather than inside the port's own notification; the keep
    // tick then reports the port as gone.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (!m_serialPort->isOpen() || m_lostCloseQueued == m_openCount)
        return;
    m_lostCloseQueued = m_openCount;
    const quint64 lostOpen = m_openCount;
    QMetaObject::invokeMethod(this, [this, lostOpen, error] {
        if (lostOpen != m_openCount || !m_serialPort->isOpen())
            return;
        qCInfo(lcLink) << "closing" << m_serialPort->portName() << "after" << error
                       << m_serialPort->errorString();
        close();
    }, Qt::QueuedConnection);
}
