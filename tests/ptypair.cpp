#include "ptypair.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

bool makeRaw(int fd)
{
    termios tio;
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

PtyPair::PtyPair()
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    makeRaw(m_slave);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    hangUp();
}

bool PtyPair::write(const QByteArray &bytes)
{
    int done = 0;
    QElapsedTimer timer;
    timer.start();
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += int(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (timer.elapsed() > 30000)
            return false;
        pollfd p{m_master, POLLOUT, 0};
        ::poll(&p, 1, 100);
    }
    return true;
}

QByteArray PtyPair::read(int minBytes, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer timer;
    timer.start();
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, int(n));
            if (out.size() >= minBytes)
                return out;
            continue;
        }
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0)
            return out;
        pollfd p{m_master, POLLIN, 0};
        ::poll(&p, 1, int(qMin<qint64>(left, 50)));
    }
}

void PtyPair::hangUp()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_master = m_slave = -1;
}
