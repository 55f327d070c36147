#include "app/singleapplication.h"

#include <cstring>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace {

Q_LOGGING_CATEGORY(lcGuard, "aq.app.guard", QtWarningMsg)

// Two copies started at the same moment: the one that lost the owner lock
// gives the winner this long to create its block.
constexpr int kSettleTimeoutMs = 2000;
constexpr int kSettleStepMs = 20;

} // namespace

SingleApplication::SingleApplication(int &argc, char *argv[], const QString &uniqueKey,
                                     int pollIntervalMs)
    : QApplication(argc, argv)
    , m_pollInterval(pollIntervalMs)
    , m_lockPath(ownerLockPath(uniqueKey))
{
    sharedMemory.setKey(uniqueKey);

    QElapsedTimer settle;
    settle.start();
    for (;;) {
        if (sharedMemory.attach(QSharedMemory::ReadWrite)) {
            // On Unix a block outlives an owner killed with SIGKILL, so the
            // block alone proves nothing: its owner also holds the lock file
            // while it lives. A free lock means the owner has died (or has
            // just handed over for a restart) and this start takes over.
            if (takeOwnerLock() != OwnerLock::Acquired) {
                running = true;
                return;
            }
            qCDebug(lcGuard) << "taking over a block left by an ended instance";
            running = false;
            // Start afresh where possible: the last detach removes the old
            // block, and creating one takes over its semaphore too. While
            // another process is still attached the old block stays and is
            // used as it is.
            sharedMemory.detach();
            if (sharedMemory.create(BlockSize, QSharedMemory::ReadWrite)
                || sharedMemory.attach(QSharedMemory::ReadWrite)) {
                startGuard();
                return;
            }
            if (!settle.hasExpired(kSettleTimeoutMs))
                continue;
            break;
        }

        const OwnerLock lock = takeOwnerLock();
        if (lock == OwnerLock::HeldElsewhere && !settle.hasExpired(kSettleTimeoutMs)) {
            QThread::msleep(kSettleStepMs);
            continue;
        }

        if (sharedMemory.create(BlockSize, QSharedMemory::ReadWrite)) {
            running = false;
            startGuard();
            return;
        }
        // Created by someone else between the attach and the create: look at it.
        if (sharedMemory.error() == QSharedMemory::AlreadyExists && !settle.hasExpired(kSettleTimeoutMs))
            continue;
        qCDebug(lcGuard) << "create failed:" << sharedMemory.errorString();
        break;
    }

    running = false;
    qDebug() << "Unable to create single instance.";
    // Running unguarded: claim nothing, so a later start is not kept out.
    dropOwnerLock();
}

SingleApplication::~SingleApplication()
{
    releaseGuard();
}

bool SingleApplication::isRunning() const
{
    return running;
}

bool SingleApplication::sendMessage(const QString &message)
{
    if (!running)
        return false;

    QByteArray bytes("1");
    bytes += message.toUtf8();
    bytes += '\0';

    if (!sharedMemory.lock())
        return false;
    const int count = qMin(bytes.size(), sharedMemory.size());
    if (count > 0)
        std::memcpy(sharedMemory.data(), bytes.constData(), size_t(count));
    sharedMemory.unlock();
    return count > 0;
}

void SingleApplication::releaseGuard()
{
    if (m_timer)
        m_timer->stop();
    // The lock goes first: a copy that starts before the detach below finds
    // the block without an owner and takes it over instead of quitting.
    dropOwnerLock();
    if (sharedMemory.isAttached())
        sharedMemory.detach();
}

QString SingleApplication::ownerLockPath(const QString &uniqueKey)
{
    const QByteArray hash = QCryptographicHash::hash(uniqueKey.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QDir(QDir::tempPath()).filePath(QStringLiteral("aq7316-guard-%1.lock").arg(QString::fromLatin1(hash)));
}

void SingleApplication::checkForMessage()
{
    if (!sharedMemory.isAttached() || !sharedMemory.lock())
        return;
    char *data = static_cast<char *>(sharedMemory.data());
    const QByteArray copy(data, sharedMemory.size());
    const bool waiting = !copy.isEmpty() && copy.at(0) != '0';
    // Reset under the same lock as the copy, so that a message written in
    // between cannot be wiped out unseen.
    if (waiting)
        data[0] = '0';
    sharedMemory.unlock();

    if (!waiting)
        return;
    QByteArray text = copy.mid(1);
    const int end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    emit messageAvailable(QString::fromUtf8(text));
}

SingleApplication::OwnerLock SingleApplication::takeOwnerLock()
{
#ifdef Q_OS_UNIX
    if (m_lockFd >= 0)
        return OwnerLock::Acquired;
    const QByteArray path = QFile::encodeName(m_lockPath);
    int fd;
    do {
        // Close-on-exec: a restarted copy must not inherit the lock.
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        qCDebug(lcGuard) << "cannot open" << m_lockPath << std::strerror(errno);
        return OwnerLock::Unavailable;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        m_lockFd = fd;
        return OwnerLock::Acquired;
    }
    const int err = errno;
    ::close(fd);
    return err == EWOULDBLOCK ? OwnerLock::HeldElsewhere : OwnerLock::Unavailable;
#else
    // Elsewhere the system drops a named block together with its last
    // process, so a block that exists always has a live owner.
    return OwnerLock::Unavailable;
#endif
}

void SingleApplication::dropOwnerLock()
{
#ifdef Q_OS_UNIX
    if (m_lockFd < 0)
        return;
    // The file stays: removing a lock file races with a starter that has it open.
    ::flock(m_lockFd, LOCK_UN);
    ::close(m_lockFd);
    m_lockFd = -1;
#endif
}

void SingleApplication::startGuard()
{
    if (sharedMemory.lock()) {
        const int size = sharedMemory.size();
        if (size > 0) {
            char *data = static_cast<char *>(sharedMemory.data());
            // A block taken over may still hold an old message.
            std::memset(data, 0, size_t(size));
            data[0] = '0';
        }
        sharedMemory.unlock();
    }

    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &SingleApplication::checkForMessage);
    m_timer->start(m_pollInterval);
}
