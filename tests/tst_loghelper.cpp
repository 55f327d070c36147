#include <QtTest>

#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include "storage/globals.h"
#include "storage/loghelper.h"

#include "testfiles.h"

namespace {

const char kLockChildEnv[] = "AQ_TST_LOCK_FILE";
const int kStampBytes = 40;

// Child mode: hold an exclusive lock on a file until the parent closes our stdin.
int runLockHolder(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0)
        return 2;
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    ::close(fd);
    return 0;
}

// The expected UTF-16LE bytes, built by hand from the code units.
QByteArray utf16le(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xff));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

struct Entry
{
    QString stamp;
    QByteArray text;
    bool lineEnd = false;
};

// Splits a log whose entries all carry textBytes bytes of text.
QList<Entry> splitEntries(const QByteArray &log, int textBytes)
{
    QList<Entry> entries;
    const int size = kStampBytes + textBytes + 4;
    for (int at = 0; at + size <= log.size(); at += size) {
        Entry e;
        const QByteArray stamp = log.mid(at, kStampBytes);
        e.stamp = QString::fromUtf16(reinterpret_cast<const char16_t *>(stamp.constData()), kStampBytes / 2);
        e.text = log.mid(at + kStampBytes, textBytes);
        e.lineEnd = log.mid(at + kStampBytes + textBytes, 4) == QByteArray("\r\0\n\0", 4);
        entries.append(e);
    }
    return entries;
}

bool isStamp(const QString &stamp)
{
    static const QRegularExpression re(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d $"));
    return re.match(stamp).hasMatch();
}

QDateTime wholeSecond(const QDateTime &t)
{
    return QDateTime::fromSecsSinceEpoch(t.toSecsSinceEpoch());
}

} // namespace

class Tst_LogHelper : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    QSettings *m_settings = nullptr;

    // A LogHelper whose setting is prefix (a null prefix leaves the key out).
    LogHelper *makeHelper(const QString &prefix)
    {
        delete m_settings;
        m_settings = new QSettings(m_dir->filePath("Options.ini"), QSettings::IniFormat);
        m_settings->clear();
        if (!prefix.isNull())
            m_settings->setValue("SystemLog/RuntimeLogDir", prefix);
        pSettings = m_settings;
        return new LogHelper(this);
    }

    QString logPath() const { return m_dir->filePath("mivo.log"); }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
    }

    void cleanup()
    {
        qDeleteAll(findChildren<LogHelper *>());
        delete m_settings;
        m_settings = nullptr;
        pSettings = nullptr;
        delete m_dir;
        m_dir = nullptr;
    }

    void pathFromSetting_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("path");

        QTest::newRow("no setting: working directory") << QString() << "mivo.log";
        QTest::newRow("prefix ending in separator") << "C:/logs/" << "C:/logs/mivo.log";
        QTest::newRow("prefix without separator") << "C:/logs" << "C:/logsmivo.log";
        QTest::newRow("empty value") << "" << "mivo.log";
    }

    void pathFromSetting()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, path);
        QTest::ignoreMessage(QtDebugMsg, qPrintable("Runtime Log: " + path));
        LogHelper *log = makeHelper(prefix);
        QCOMPARE(log->logFilePath, path);
    }

    void withoutSettingWritesInWorkingDirectory()
    {
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        LogHelper *log = makeHelper(QString());
        log->writeLog(L"x");
        QVERIFY(QDir::setCurrent(cwd));
        QCOMPARE(readFileBytes(logPath()).size(), kStampBytes + 2 + 4);
    }

    void prefixWithoutSeparatorNamesFileBesideDirectory()
    {
        QVERIFY(QDir(m_dir->path()).mkdir("logs"));
        LogHelper *log = makeHelper(m_dir->filePath("logs"));
        log->writeLog(L"x");
        QVERIFY(QFile::exists(m_dir->filePath("logsmivo.log")));
        QVERIFY(!QFile::exists(m_dir->filePath("logs/mivo.log")));
    }

    void entryBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("textBytes");

        QTest::newRow("empty text: stamp and line end only") << QString() << QByteArray();
        QTest::newRow("ascii") << "ab" << QByteArray::fromHex("61006200");
        QTest::newRow("record stored text") << QString::fromUtf8("插入系统日志")
                                            << QByteArray::fromHex("d2636551fb7cdf7ee565d75f");
        QTest::newRow("open failure text") << QString::fromUtf8("打开系统日志出错")
                                           << QByteArray::fromHex("5362005ffb7cdf7ee565d75ffa511995");
        // Beyond the BMP: two UTF-16 code units even where wchar_t is 32-bit.
        QTest::newRow("surrogate pair") << QString::fromUtf8("\xF0\x9F\x98\x80") << QByteArray::fromHex("3dd800de");
    }

    void entryBytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, textBytes);

        LogHelper *log = makeHelper(m_dir->path() + "/");
        const QDateTime before = wholeSecond(QDateTime::currentDateTime());
        log->writeLog(text.toStdWString().c_str());
        const QDateTime after = QDateTime::currentDateTime();

        const QByteArray bytes = readFileBytes(logPath());
        QCOMPARE(bytes.size(), kStampBytes + textBytes.size() + 4);
        QVERIFY2(!bytes.startsWith("\xff\xfe"), "no byte-order mark");
        const QList<Entry> entries = splitEntries(bytes, textBytes.size());
        QCOMPARE(entries.size(), 1);
        QVERIFY2(isStamp(entries[0].stamp), qPrintable(entries[0].stamp));
        const QDateTime stamped = QDateTime::fromString(entries[0].stamp.trimmed(), "yyyy-MM-dd hh:mm:ss");
        QVERIFY(stamped >= before && stamped <= after);
        QCOMPARE(entries[0].text, textBytes);
        QVERIFY(entries[0].lineEnd);
    }

    void nullTextIsEmptyEntry()
    {
        LogHelper *log = makeHelper(m_dir->path() + "/");
        log->writeLog(nullptr);
        QCOMPARE(readFileBytes(logPath()).size(), kStampBytes + 4);
    }

    void entriesAppendToExistingFile()
    {
        {
            QFile f(logPath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old!");
        }
        LogHelper *log = makeHelper(m_dir->path() + "/");
        log->writeLog(L"one");
        log->writeLog(L"two");

        const QByteArray bytes = readFileBytes(logPath());
        QVERIFY(bytes.startsWith("old!"));
        const QList<Entry> entries = splitEntries(bytes.mid(4), 6);
        QCOMPARE(bytes.size(), 4 + 2 * (kStampBytes + 6 + 4));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0].text, utf16le("one"));
        QCOMPARE(entries[1].text, utf16le("two"));
        for (const Entry &e : entries) {
            QVERIFY(isStamp(e.stamp));
            QVERIFY(e.lineEnd);
        }
    }

    void fileHeldByAnotherProcessLosesEntry()
    {
        LogHelper *log = makeHelper(m_dir->path() + "/");
        log->writeLog(L"before");
        const QByteArray first = readFileBytes(logPath());

        QProcess holder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kLockChildEnv, logPath());
        holder.setProcessEnvironment(env);
        holder.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(holder.waitForStarted(20000));
        while (!holder.canReadLine() && holder.state() == QProcess::Running)
            holder.waitForReadyRead(20000);
        QCOMPARE(holder.readLine(), QByteArray("locked\n"));

        static int messages;
        messages = 0;
        QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &) { ++messages; });
        log->writeLog(L"lost");
        log->writeLogRepeated("lost too", 3);
        qInstallMessageHandler(previous);
        QCOMPARE(messages, 0);
        QCOMPARE(readFileBytes(logPath()), first);

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(20000));
        QCOMPARE(holder.exitCode(), 0);

        log->writeLog(L"after");
        QCOMPARE(readFileBytes(logPath()).size(), first.size() + kStampBytes + 10 + 4);
    }

    void missingFolderIsMade()
    {
        LogHelper *log = makeHelper(m_dir->path() + "/logs/today/");
        log->writeLog(L"kept");
        QCOMPARE(readFileBytes(m_dir->filePath("logs/today/mivo.log")).size(), kStampBytes + 8 + 4);
        QCOMPARE(log->problem(), QString());
        QVERIFY(!log->hasProblem());
    }

    // A file where the folder should be: no folder can be made, also for root.
    void unwritableFolderIsReportedOnce()
    {
        QVERIFY(QFile(m_dir->filePath("taken")).open(QIODevice::WriteOnly));
        LogHelper *log = makeHelper(m_dir->path() + "/taken/");

        static QStringList warnings;
        warnings.clear();
        QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext &, const QString &text) {
                if (type == QtWarningMsg)
                    warnings << text;
            });
        log->writeLog(L"lost");
        log->writeLogRepeated("lost", 2);
        const QString reason = log->problem();
        qInstallMessageHandler(previous);

        QCOMPARE(reason, QString("The runtime log folder %1 does not exist and cannot be created.")
                             .arg(QDir::toNativeSeparators(m_dir->filePath("taken"))));
        QVERIFY(log->hasProblem());
        QCOMPARE(warnings.size(), 1);
        QVERIFY2(warnings[0].contains(reason), qPrintable(warnings[0]));
    }

    void repeatedEqualsSingleCalls_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");

        QTest::newRow("none") << QString::fromUtf8("插入系统日志") << 0;
        QTest::newRow("one") << QString::fromUtf8("插入系统日志") << 1;
        QTest::newRow("three empty texts") << QString() << 3;
        QTest::newRow("more than one write buffer") << QString::fromUtf8("插入系统日志") << 5000;
    }

    void repeatedEqualsSingleCalls()
    {
        QFETCH(QString, text);
        QFETCH(int, count);

        QVERIFY(QDir(m_dir->path()).mkdir("single"));
        QVERIFY(QDir(m_dir->path()).mkdir("batch"));
        LogHelper *single = makeHelper(m_dir->path() + "/single/");
        LogHelper *batch = makeHelper(m_dir->path() + "/batch/");
        const std::wstring wide = text.toStdWString();
        const QDateTime before = wholeSecond(QDateTime::currentDateTime());
        for (int i = 0; i < count; ++i)
            single->writeLog(wide.c_str());
        batch->writeLogRepeated(text, count);
        const QDateTime after = QDateTime::currentDateTime();

        const QByteArray a = readFileBytes(single->logFilePath);
        const QByteArray b = readFileBytes(batch->logFilePath);
        QCOMPARE(b.size(), a.size());
        QCOMPARE(b.size(), count * (kStampBytes + 2 * text.size() + 4));
        const QList<Entry> entries = splitEntries(b, 2 * text.size());
        QCOMPARE(entries.size(), count);
        QDateTime previous = before;
        for (const Entry &e : entries) {
            QVERIFY2(isStamp(e.stamp), qPrintable(e.stamp));
            const QDateTime stamped = QDateTime::fromString(e.stamp.trimmed(), "yyyy-MM-dd hh:mm:ss");
            QVERIFY(stamped >= previous && stamped <= after);
            previous = stamped;
            QCOMPARE(e.text, utf16le(text));
            QVERIFY(e.lineEnd);
        }
        // Apart from the time stamps the two files are identical.
        const QList<Entry> singles = splitEntries(a, 2 * text.size());
        for (int i = 0; i < count; ++i)
            QCOMPARE(singles[i].text, entries[i].text);
    }
};

int main(int argc, char **argv)
{
    const QByteArray lockPath = qgetenv(kLockChildEnv);
    if (!lockPath.isEmpty())
        return runLockHolder(lockPath);
    QCoreApplication app(argc, argv);
    Tst_LogHelper tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_loghelper.moc"
