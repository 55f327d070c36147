#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
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

// Serves the line until a signal arrives or the line is lost. Answers are
// queued and written as the line takes them, so a long package never stops
// the reading of further commands.
int serve(const Line &line, InstrumentSimulator *sim, bool verbose)
{
    QByteArray out;
    int outPos = 0;
    char buf[4096];
    for (;;) {
        pollfd fds[2];
        fds[0].fd = line.fd;
        fds[0].events = short(POLLIN | (outPos < out.size() ? POLLOUT : 0));
        fds[0].revents = 0;
        fds[1].fd = g_signalPipe[0];
        fds[1].events = POLLIN;
        fds[1].revents = 0;
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            logLine(QStringLiteral("poll failed: %1").arg(errnoText()));
            return kExitFailure;
        }
        if (fds[1].revents != 0)
            return kExitOk;

        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::read(line.fd, buf, sizeof buf);
            if (n > 0) {
                for (ssize_t i = 0; i < n; ++i) {
                    const InstrumentSimulator::Answer a = sim->respond(buf[i]);
                    if (verbose) {
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
                    out += a.bytes;
                }
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                logLine(QStringLiteral("the line %1 was lost").arg(line.path));
                return kExitFailure;
            }
        }

        while (outPos < out.size()) {
            const ssize_t n = ::write(line.fd, out.constData() + outPos, size_t(out.size() - outPos));
            if (n > 0) {
                outPos += int(n);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                break;
            logLine(QStringLiteral("cannot write to %1: %2").arg(line.path, errnoText()));
            return kExitFailure;
        }
        if (outPos == out.size()) {
            out.clear();
            outPos = 0;
        } else if (outPos > 65536) {
            out.remove(0, outPos);
            outPos = 0;
        }
    }
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

    // The first line of stdout is the device path, and the only thing ever
    // written there: callers read it to find the line.
    std::fprintf(stdout, "%s\n", qPrintable(line.path));
    std::fflush(stdout);

    if (options.verbose)
        logLine(QStringLiteral("serving %1 (seed %2)").arg(line.path).arg(options.config.seed));

    InstrumentSimulator sim(options.config);
    const int code = serve(line, &sim, options.verbose);

    if (!options.link.isEmpty())
        removeLink(options.link, line.path);
    ::close(line.fd);
    if (line.keptSlave >= 0)
        ::close(line.keptSlave);
    if (options.verbose)
        logLine(QStringLiteral("stopped"));
    return code;
}
