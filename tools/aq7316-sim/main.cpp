#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include "options.h"
#include "simulator.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char b = 1;
    const ssize_t ignored = ::write(g_signalPipe[1], &b, 1);
    (void)ignored;
    errno = saved;
}

void logLine(const QString &text)
{
    std::fprintf(stderr, "aq7316-sim: %s\n", qPrintable(text));
}

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A package can be half a megabyte; the log shows its head only.
QString hexDump(const QByteArray &bytes)
{
    constexpr int kShown = 48;
    QString text = QString::fromLatin1(bytes.left(kShown).toHex(' ').toUpper());
    if (bytes.size() > kShown)
        text += QStringLiteral(" ... (%1 bytes)").arg(bytes.size());
    return text;
}

speed_t baudConstant(int baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B9600;
    }
}

// Raw mode: 0x03 and 0x15 are data here, not interrupt or kill characters.
bool makeRaw(int fd, int baud)
{
    termios tio;
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSTOPB | CRTSCTS);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (baud > 0) {
        ::cfsetispeed(&tio, baudConstant(baud));
        ::cfsetospeed(&tio, baudConstant(baud));
    }
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

struct Line
{
    int fd = -1;
    int keptSlave = -1;     // held so the line does not hang up between the client's opens
    QString path;
};

bool openPseudoTerminal(Line *line, QString *error)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        *error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(errnoText());
        return false;
    }
    if (!makeRaw(slave, 0) || !setNonBlocking(master)) {
        *error = QStringLiteral("cannot set up the pseudo-terminal: %1").arg(errnoText());
        ::close(master);
        ::close(slave);
        return false;
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    line->fd = master;
    line->keptSlave = slave;
    line->path = QString::fromLocal8Bit(name);
    return true;
}

bool openDevice(const QString &path, int baud, Line *line, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, errnoText());
        return false;
    }
    if (!::isatty(fd) || !makeRaw(fd, baud)) {
        *error = QStringLiteral("%1 is not a usable serial line: %2").arg(path, errnoText());
        ::close(fd);
        return false;
    }
    ::tcflush(fd, TCIOFLUSH);
    line->fd = fd;
    line->path = path;
    return true;
}

bool createLink(const QString &link, const QString &target, QString *error)
{
    const QByteArray linkName = QFile::encodeName(link);
    struct stat st;
    if (::lstat(linkName.constData(), &st) == 0) {
        // Only a symbolic link (left by an earlier run) is replaced, never a file.
        if (!S_ISLNK(st.st_mode)) {
            *error = QStringLiteral("%1 exists and is not a symbolic link").arg(link);
            return false;
        }
        if (::unlink(linkName.constData()) != 0) {
            *error = QStringLiteral("cannot replace %1: %2").arg(link, errnoText());
            return false;
        }
    }
    if (::symlink(QFile::encodeName(target).constData(), linkName.constData()) != 0) {
        *error = QStringLiteral("cannot create the link %1: %2").arg(link, errnoText());
        return false;
    }
    return true;
}

// Removes the link only while it still points to our line: another run may
// have taken the name over in the meantime.
void removeLink(const QString &link, const QString &target)
{
    const QByteArray linkName = QFile::encodeName(link);
    char buf[4096];
    const ssize_t n = ::readlink(linkName.constData(), buf, sizeof buf - 1);
    if (n < 0)
        return;
    if (QByteArray(buf, int(n)) == QFile::encodeName(target))
        ::unlink(linkName.constData());
}

bool installSignalHandlers()
{
    if (::pipe(g_signalPipe) != 0)
        return false;
    for (int fd : g_signalPipe) {
        setNonBlocking(fd);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        if (::sigaction(sig, &sa, nullptr) != 0)
            return false;
    }
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

void closeLine(Line *line)
{
    if (line->fd >= 0)
        ::close(line->fd);
    if (line->keptSlave >= 0)
        ::close(line->keptSlave);
    line->fd = line->keptSlave = -1;
}

// Bytes the other side has not read yet; 0 when that cannot be told.
int unreadBySlave(const Line &line)
{
    int n = 0;
    if (line.keptSlave < 0 || ::ioctl(line.keptSlave, FIONREAD, &n) != 0)
        return 0;
    return n;
}

// Limits the bytes written to a rate, as a serial line at a given speed
// would: a budget that grows with the time since the output began, so a
// pause in the output is not made up by a burst afterwards.
class Pacer
{
public:
    explicit Pacer(int bytesPerSecond) : m_rate(bytesPerSecond) {}

    bool limited() const { return m_rate > 0; }
    void begin()
    {
        m_clock.start();
        m_sent = 0;
    }
    qint64 allowed() const
    {
        if (!limited())
            return std::numeric_limits<qint64>::max();
        return m_clock.elapsed() * m_rate / 1000 - m_sent;
    }
    void sent(qint64 n) { m_sent += n; }
    // Milliseconds until `bytes` more may go out.
    int waitFor(qint64 bytes) const
    {
        const qint64 due = (m_sent + bytes) * 1000 / m_rate + 1;
        return int(qBound<qint64>(0, due - m_clock.elapsed(), 1000));
    }
    // Writes come in steps of about 10 ms of the line's time, not byte by byte.
    qint64 quantum() const { return qMax(1, m_rate / 100); }

private:
    int m_rate = 0;
    QElapsedTimer m_clock;
    qint64 m_sent = 0;
};

class Server
{
public:
    Server(const SimulatorOptions &options, InstrumentSimulator *sim, Line line)
        : m_options(options), m_sim(sim), m_line(line), m_pacer(options.lineRate)
        , m_unplugDue(options.unplugAfter == 0)
    {
    }

    // Serves until a signal arrives or the line is lost. Answers are queued
    // and written as the line (and the pacing) takes them, so a long package
    // never stops the reading of further commands.
    int run();
    const Line &line() const { return m_line; }

private:
    bool readCommands();
    bool writeQueued();
    void unplug();
    bool replug();
    int pollTimeout() const;

    const SimulatorOptions &m_options;
    InstrumentSimulator *m_sim;
    Line m_line;
    Pacer m_pacer;
    QByteArray m_out;
    int m_outPos = 0;
    int m_answers = 0;
    bool m_unplugDue = false;       // the K-th answer is queued; drop once it is read
    QElapsedTimer m_unplugClock;    // since the last answer left, while unplugDue
    QElapsedTimer m_replugClock;    // since the drop, while a replug is pending
    bool m_replugPending = false;
};

constexpr int kUnplugGraceMs = 50;      // lets the last bytes reach the other side's queue
constexpr int kUnplugReadWaitMs = 2000; // gives up waiting for them to be read

int Server::pollTimeout() const
{
    int timeout = -1;
    auto atMost = [&timeout](int ms) { timeout = timeout < 0 ? ms : qMin(timeout, ms); };
    const qint64 pending = m_out.size() - m_outPos;
    if (pending > 0 && m_pacer.limited() && m_pacer.allowed() < qMin(pending, m_pacer.quantum()))
        atMost(m_pacer.waitFor(qMin(pending, m_pacer.quantum())));
    if (m_unplugDue && pending == 0)
        atMost(20);
    if (m_replugPending)
        atMost(int(qBound<qint64>(0, qint64(m_options.replugAfterS * 1000) - m_replugClock.elapsed(), 1000)));
    return timeout;
}

int Server::run()
{
    for (;;) {
        const qint64 pending = m_out.size() - m_outPos;
        const bool mayWrite = pending > 0 && m_pacer.allowed() >= qMin(pending, m_pacer.quantum());
        pollfd fds[2];
        fds[0].fd = g_signalPipe[0];
        fds[0].events = POLLIN;
        fds[0].revents = 0;
        fds[1].fd = m_line.fd;   // -1 while unplugged: poll skips it
        fds[1].events = short(POLLIN | (mayWrite ? POLLOUT : 0));
        fds[1].revents = 0;
        if (::poll(fds, 2, pollTimeout()) < 0) {
            if (errno == EINTR)
                continue;
            logLine(QStringLiteral("poll failed: %1").arg(errnoText()));
            return kExitFailure;
        }
        if (fds[0].revents != 0)
            return kExitOk;

        if (m_line.fd >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) && !readCommands())
            return kExitFailure;
        if (m_line.fd >= 0 && !writeQueued())
            return kExitFailure;

        if (m_unplugDue && m_out.isEmpty()) {
            if (!m_unplugClock.isValid())
                m_unplugClock.start();
            const qint64 waited = m_unplugClock.elapsed();
            if (waited >= kUnplugGraceMs && (unreadBySlave(m_line) == 0 || waited >= kUnplugReadWaitMs))
                unplug();
        }
        if (m_replugPending && m_replugClock.elapsed() >= qint64(m_options.replugAfterS * 1000) && !replug())
            return kExitFailure;
    }
}

bool Server::readCommands()
{
    char buf[4096];
    const ssize_t n = ::read(m_line.fd, buf, sizeof buf);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        logLine(QStringLiteral("the line %1 was lost").arg(m_line.path));
        return false;
    }
    for (ssize_t i = 0; i < n; ++i) {
        // After the last answer before a drop, the instrument is as good as
        // gone: what else comes is not answered.
        if (m_unplugDue)
            break;
        const InstrumentSimulator::Answer a = m_sim->respond(buf[i]);
        if (m_options.verbose) {
            const QString received = QStringLiteral("received ")
                + QString::fromLatin1(QByteArray(1, buf[i]).toHex().toUpper());
            if (a.note.isEmpty())
                logLine(received + QStringLiteral(" (ignored)"));
            else if (a.bytes.isEmpty())
                logLine(received + QStringLiteral(", sent ") + a.note);
            else
                logLine(received + QStringLiteral(", sent ") + a.note + QStringLiteral(": ")
                        + hexDump(a.bytes));
        }
        if (a.bytes.isEmpty())
            continue;
        if (m_out.size() == m_outPos)
            m_pacer.begin();
        m_out += a.bytes;
        // The adapter is pulled once; after a replug the line stays.
        if (m_options.unplugAfter >= 0 && ++m_answers == m_options.unplugAfter)
            m_unplugDue = true;
    }
    return true;
}

bool Server::writeQueued()
{
    while (m_outPos < m_out.size()) {
        const qint64 n = qMin<qint64>(m_out.size() - m_outPos, m_pacer.allowed());
        if (n <= 0)
            break;
        const ssize_t w = ::write(m_line.fd, m_out.constData() + m_outPos, size_t(n));
        if (w > 0) {
            m_outPos += int(w);
            m_pacer.sent(w);
            continue;
        }
        if (w < 0 && errno == EINTR)
            continue;
        if (w < 0 && errno == EAGAIN) {
            // The other side is not reading: the time the line stands full
            // is not saved up for a burst once it reads again.
            if (m_pacer.limited())
                m_pacer.begin();
            break;
        }
        logLine(QStringLiteral("cannot write to %1: %2").arg(m_line.path, errnoText()));
        return false;
    }
    if (m_outPos == m_out.size()) {
        m_out.clear();
        m_outPos = 0;
    } else if (m_outPos > 65536) {
        m_out.remove(0, m_outPos);
        m_outPos = 0;
    }
    return true;
}

void Server::unplug()
{
    if (m_options.verbose)
        logLine(QStringLiteral("unplugged %1 after %2 answers").arg(m_line.path).arg(m_answers));
    if (!m_options.link.isEmpty())
        removeLink(m_options.link, m_line.path);
    closeLine(&m_line);
    m_unplugDue = false;
    if (m_options.replugAfterS >= 0.0) {
        m_replugPending = true;
        m_replugClock.start();
    }
}

bool Server::replug()
{
    m_replugPending = false;
    QString error;
    if (!openPseudoTerminal(&m_line, &error)
        || (!m_options.link.isEmpty() && !createLink(m_options.link, m_line.path, &error))) {
        logLine(error);
        return false;
    }
    std::fprintf(stdout, "%s\n", qPrintable(m_line.path));
    std::fflush(stdout);
    if (m_options.verbose)
        logLine(QStringLiteral("plugged in again as %1").arg(m_line.path));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);

    SimulatorOptions options;
    QString error;
    switch (parseSimulatorArguments(args, &options, &error)) {
    case ParseResult::Help:
        std::fputs(qPrintable(simulatorHelpText()), stdout);
        return kExitOk;
    case ParseResult::Error:
        logLine(error);
        std::fputs("Try 'aq7316-sim --help' for the list of options.\n", stderr);
        return kExitUsage;
    case ParseResult::Run:
        break;
    }
    if (!options.seedGiven)
        options.config.seed = std::random_device{}();

    if (!installSignalHandlers()) {
        logLine(QStringLiteral("cannot install signal handlers: %1").arg(errnoText()));
        return kExitFailure;
    }

    Line line;
    const bool opened = options.port.isEmpty()
        ? openPseudoTerminal(&line, &error)
        : openDevice(options.port, options.baud, &line, &error);
    if (!opened) {
        logLine(error);
        return kExitFailure;
    }
    if (!options.link.isEmpty() && !createLink(options.link, line.path, &error)) {
        logLine(error);
        return kExitFailure;
    }

    // The first line of stdout is the device path; callers read it to find
    // the line. Nothing else is written there but the path of a new line
    // after a replug.
    std::fprintf(stdout, "%s\n", qPrintable(line.path));
    std::fflush(stdout);

    if (options.verbose)
        logLine(QStringLiteral("serving %1 (seed %2)").arg(line.path).arg(options.config.seed));

    InstrumentSimulator sim(options.config);
    Server server(options, &sim, line);
    const int code = server.run();

    Line last = server.line();
    if (!options.link.isEmpty() && last.fd >= 0)
        removeLink(options.link, last.path);
    closeLine(&last);
    if (options.verbose)
        logLine(QStringLiteral("stopped"));
    return code;
}
