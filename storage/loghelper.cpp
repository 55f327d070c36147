#include "storage/loghelper.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QVariant>
#include <QtEndian>

#include "storage/appfiles.h"
#include "storage/globals.h"

namespace {

Q_LOGGING_CATEGORY(lcRuntimeLog, "aq.storage.runtimelog", QtWarningMsg)

const char kStampFormat[] = "yyyy-MM-dd hh:mm:ss ";
constexpr int kStampChars = 20; // 40 bytes in the file
constexpr int kFlushBytes = 64 * 1024;

void appendUtf16Le(QByteArray &out, const QString &text)
{
    const int at = out.size();
    out.resize(at + 2 * text.size());
    qToLittleEndian<quint16>(text.utf16(), text.size(), out.data() + at);
}

void appendStamp(QByteArray &out, const QDateTime &when)
{
    // A locale with wider digits must not shift the text: the stamp is
    // always 20 code units.
    appendUtf16Le(out, when.toString(QLatin1String(kStampFormat))
                           .leftJustified(kStampChars, QLatin1Char(' '), true));
}

QByteArray textAndLineEnd(const QString &text)
{
    QByteArray bytes;
    appendUtf16Le(bytes, text);
    bytes.append("\r\0\n\0", 4);
    return bytes;
}

} // namespace

LogHelper::LogHelper(QObject *parent)
    : QObject(parent)
{
    // The setting is a prefix, not a directory: it must end in a separator
    // itself to put the file inside a folder. Without it a portable copy
    // writes to the working folder, an installed one to the user's data
    // folder.
    QString prefix = appFiles().logPrefix;
    if (pSettings)
        prefix = pSettings->value(QStringLiteral("SystemLog/RuntimeLogDir"), prefix).toString();
    logFilePath = prefix + QStringLiteral("mivo.log");
    qDebug().noquote() << QStringLiteral("Runtime Log: ") + logFilePath;
}

void LogHelper::writeLog(const wchar_t *text)
{
    // wchar_t is UTF-32 on Linux; the file holds UTF-16 everywhere.
    const QString str = text ? QString::fromWCharArray(text) : QString();

    const PlatformFile::Handle file = openFile();
    if (file == PlatformFile::InvalidHandle)
        return;
    QByteArray entry;
    entry.reserve(2 * kStampChars + 2 * str.size() + 4);
    appendStamp(entry, QDateTime::currentDateTime());
    entry.append(textAndLineEnd(str));
    PlatformFile::appendBytes(file, entry.constData(), entry.size());
    PlatformFile::closeFile(file);
}

void LogHelper::writeLogRepeated(const QString &text, int count)
{
    if (count <= 0)
        return;
    const PlatformFile::Handle file = openFile();
    if (file == PlatformFile::InvalidHandle)
        return;

    const QByteArray tail = textAndLineEnd(text);
    QByteArray stamp;
    qint64 stampSecond = -1;
    QByteArray buffer;
    buffer.reserve(kFlushBytes + 2 * kStampChars + tail.size());
    for (int i = 0; i < count; ++i) {
        // The stamp only changes with the second; format it once per second.
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        const qint64 second = now >= 0 ? now / 1000 : (now - 999) / 1000;
        if (second != stampSecond) {
            stampSecond = second;
            stamp.clear();
            appendStamp(stamp, QDateTime::fromMSecsSinceEpoch(second * 1000));
        }
        buffer.append(stamp);
        buffer.append(tail);
        if (buffer.size() >= kFlushBytes) {
            PlatformFile::appendBytes(file, buffer.constData(), buffer.size());
            buffer.resize(0); // keeps the reserved capacity
        }
    }
    PlatformFile::appendBytes(file, buffer.constData(), buffer.size());
    PlatformFile::closeFile(file);
}

QString LogHelper::problem()
{
    const QString folder = QFileInfo(logFilePath).absolutePath();
    if (!QFileInfo::exists(folder))
        QDir().mkpath(folder);
    const QString reason = whyNotWritable();
    if (!reason.isEmpty())
        reportOnce(reason);
    return reason;
}

bool LogHelper::hasProblem() const
{
    return m_reported;
}

PlatformFile::Handle LogHelper::openFile()
{
    PlatformFile::Handle file = PlatformFile::openForAppendExclusive(logFilePath);
    if (file != PlatformFile::InvalidHandle)
        return file;
    const QString folder = QFileInfo(logFilePath).absolutePath();
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder)) {
        file = PlatformFile::openForAppendExclusive(logFilePath);
        if (file != PlatformFile::InvalidHandle)
            return file;
    }
    // A file held by another process is let go of soon; anything else stays.
    const QString reason = whyNotWritable();
    if (!reason.isEmpty())
        reportOnce(reason);
    return PlatformFile::InvalidHandle;
}

QString LogHelper::whyNotWritable() const
{
    const QFileInfo file(logFilePath);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir()) {
        return tr("The runtime log folder %1 does not exist and cannot be created.")
            .arg(QDir::toNativeSeparators(folder.filePath()));
    }
    const bool writable = file.exists() ? file.isFile() && file.isWritable() : folder.isWritable();
    if (!writable)
        return tr("The runtime log %1 cannot be written.").arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    return QString();
}

void LogHelper::reportOnce(const QString &reason)
{
    if (m_reported)
        return;
    m_reported = true;
    qCWarning(lcRuntimeLog).noquote() << "runtime log entries are lost:" << reason;
}
