#include "device/dataserialport.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
Q_LOGGING_CATEGORY(lcLink, "aq.device.link", QtWarningMsg)

// The device file behind a port name ("ttyUSB0" is /dev/ttyUSB0), as Qt
// opens it; on Windows the name itself.
QString portLocation(const QString &name)
{
#ifdef Q_OS_UNIX
    if (!name.isEmpty() && !QDir::isAbsolutePath(name))
        return QStringLiteral("/dev/") + name;
#endif
    return name;
}
} // namespace

static_assert(int(LinkLogic::FrameError) == DataSerialPort::CommuFrameError
                  && int(LinkLogic::NoPort) == DataSerialPort::CommuNoPort
                  && int(LinkLogic::Timeout) == DataSerialPort::CommuTimeout
                  && int(LinkLogic::CrcError) == DataSerialPort::CommuCrcError
                  && int(LinkLogic::Offline) == DataSerialPort::CommuOffline
                  && int(LinkLogic::DownloadError) == DataSerialPort::CommuDownloadError
                  && int(LinkLogic::UnknownPackage) == DataSerialPort::CommuUnknownPackage,
              "the link's decisions and its signal use the same status codes");

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

    m_clock.start();
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
        m_portFailure = PortLost;
        m_portFailurePath = portLocation(com);
        emit commuError(CommuPortOpened);
        qDebug("open serialport succeed");
    } else {
        noteOpenFailure(com);
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
        noteOpenFailure(com);
        qDebug("open serialport failed");
        emit portOpenFailed(m_portFailure, m_portFailurePath);
        emit commuError(CommuNoPort);
        return;
    }
    m_portFailure = PortLost;
    m_portFailurePath = portLocation(com);
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

DataSerialPort::PortFailure DataSerialPort::classifyOpenFailure(QSerialPort::SerialPortError error,
                                                                bool deviceExists, bool readWritable)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return PortMissing;
    case QSerialPort::PermissionError:
        if (!deviceExists)
            return PortMissing;
        return readWritable ? PortInUse : PortPermissionDenied;
    case QSerialPort::OpenError:
        return PortInUse;
    default:
        return deviceExists ? PortFailureOther : PortMissing;
    }
}

void DataSerialPort::noteOpenFailure(const QString &com)
{
    m_portFailurePath = portLocation(com);
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(m_portFailurePath);
    const bool exists = QFileInfo::exists(m_portFailurePath);
    const bool readWritable = ::access(path.constData(), R_OK | W_OK) == 0;
#else
    // Windows names no device file; a refused open there means in use.
    const bool exists = m_serialPort->error() != QSerialPort::DeviceNotFoundError;
    const bool readWritable = true;
#endif
    m_portFailure = classifyOpenFailure(m_serialPort->error(), exists, readWritable);
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

void DataSerialPort::startRealtime()
{
    openConfigured();
    perform(m_logic.startRealtime(m_serialPort->isOpen()));
}

void DataSerialPort::stopRealtime()
{
    perform(m_logic.stopRealtime());
}

void DataSerialPort::startDownload()
{
    openConfigured();
    perform(m_logic.startDownload(m_serialPort->isOpen()));
}

void DataSerialPort::stopDownload()
{
    perform(m_logic.stopDownload());
}

void DataSerialPort::onKeepTimerTimeout()
{
    perform(m_logic.keepTick(m_serialPort->isOpen()));
}

void DataSerialPort::onDownloadTimerTimeout()
{
    perform(m_logic.guardExpired());
}

void DataSerialPort::read()
{
    QByteArray bytes;
    {
        QMutexLocker locker(m_mutex.get());
        bytes = m_serialPort->readAll();
    }
    // Signals go out with the mutex released.
    perform(m_logic.bytesArrived(bytes, m_clock.elapsed()));
}

void DataSerialPort::perform(const LinkActions &actions)
{
    int keepMs = 0;
    int guardMs = 0;
    {
        QMutexLocker locker(&m_settingsMutex);
        keepMs = m_keepIntervalMs;
        guardMs = m_downloadGuardMs;
    }
    using Kind = LinkAction::Kind;
    for (const LinkAction &a : actions) {
        switch (a.kind) {
        case Kind::Code:
            if (a.value == CommuNoPort)
                emit portOpenFailed(m_portFailure, m_portFailurePath);
            emit commuError(a.value);
            break;
        case Kind::Frame:
            emit recvDataFrame(a.bytes);
            break;
        case Kind::Package:
            emit recvDataStored(a.bytes);
            break;
        case Kind::Progress:
            emit downloadProgress(a.value, a.total);
            break;
        case Kind::Send:
            send(QByteArray(1, char(a.value)));
            break;
        case Kind::StartKeepTimer:
            m_keepTimer->start(keepMs);
            break;
        case Kind::StartGuard:
            m_downloadTimer->start(guardMs);
            break;
        case Kind::StopKeepTimer:
            m_keepTimer->stop();
            break;
        case Kind::StopTimers:
            m_downloadTimer->stop();
            m_keepTimer->stop();
            break;
        case Kind::ClosePort:
            close();
            break;
        case Kind::Debug:
            qDebug("%s", a.bytes.constData());
            break;
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
