#include "storage/platformfile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <QString>

namespace PlatformFile {

Handle openForAppendExclusive(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return InvalidHandle;

    // Stands in for the exclusive share mode of Windows: a writer that holds
    // the lock already means the file is busy, and we do not wait for it.
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        ::close(fd);
        return InvalidHandle;
    }
    return fd;
}

void appendBytes(Handle file, const char *data, qint64 size)
{
    if (file == InvalidHandle)
        return;
    const int fd = int(file);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        size -= n;
    }
}

void closeFile(Handle file)
{
    if (file != InvalidHandle)
        ::close(int(file)); // also drops the lock
}

} // namespace PlatformFile
