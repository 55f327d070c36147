#include <QtTest>

#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTimer>

#include <sys/ipc.h>
#include <sys/sem.h>
#include <sys/shm.h>
#include <unistd.h>

#include "app/singleapplication.h"
#include "app/startup.h"
#include "ui/mainwindow.h"

#include "testsupport.h"

// The whole program as a process, in application folders of its own.
//
// Most cases run a copy of the real aq7316-logger. Where a case needs a hand
// on the window (pressing Record, ending the loop with the restart code,
// answering a modal box), a copy of this executable runs instead, with a
// file "processfaults-child.mode" beside it: it then calls runLogger() as
// main.cpp does, and a timer installed as the application object is built
// drives the window. A mode file rather than an argument, because the copy
// that a restart starts gets no arguments. Driver lines on stderr start
// with "child: ".
//
// Every child gets TMPDIR pointing into the test's own folder. The guard's
// shared block, its semaphore and its owner lock are keyed on files under
// QDir::tempPath(), so the children compete only with each other, never with
// a logger or another test running on the same machine.

namespace {

const char kModeFile[] = "processfaults-child.mode";
const char kInstanceKey[] = "some unique key string";
constexpr int kTimeout = 60000;     // ASan start-ups on a loaded machine
constexpr int kAliveMs = 2000;

// ---------------------------------------------------------------------------
// Child side

QString g_childMode;
QString g_modeFilePath;

void say(const QString &line)
{
    const QByteArray bytes = "child: " + line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

MainWindow *shownWindow()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *w : widgets) {
        auto *window = qobject_cast<MainWindow *>(w);
        if (window && window->isVisible())
            return window;
    }
    return nullptr;
}

void driveChild(QTimer *timer)
{
    static bool windowSeen = false;

    if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        if (box->isVisible()) {
            say(QStringLiteral("box title=[%1] text=[%2]").arg(box->windowTitle(), box->text()));
            box->done(QMessageBox::Ok);
        }
        return;
    }

    MainWindow *window = shownWindow();
    if (!window || windowSeen)
        return;
    windowSeen = true;
    say(QStringLiteral("window shown maximized=%1")
            .arg(int(window->windowState().testFlag(Qt::WindowMaximized))));

    if (g_childMode == QLatin1String("restart")) {
        timer->stop();
        // The copy that the restart starts runs the program plainly.
        QFile file(g_modeFilePath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write("plain\n");
        file.close();
        say(QStringLiteral("ending the event loop with %1").arg(kRestartCode));
        QCoreApplication::exit(kRestartCode);
    } else if (g_childMode == QLatin1String("record")) {
        const auto actions = window->findChildren<QAction *>();
        for (QAction *action : actions) {
            if (action->text() == MainWindow::tr("Record")) {
                action->trigger();
                break;
            }
        }
        say(QStringLiteral("recording=%1").arg(int(window->isRecording())));
    }
}

// Runs inside the application object's constructor, once its event
// dispatcher exists, so the driver's timer can be made there.
void installChildDriver()
{
    say(QStringLiteral("pid=%1 mode=%2").arg(QCoreApplication::applicationPid()).arg(g_childMode));
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, timer, [timer] { driveChild(timer); });
    timer->start();
}

QString childModeBesideExecutable()
{
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (exe.isEmpty())
        return QString();
    g_modeFilePath = QFileInfo(exe).absolutePath() + QLatin1Char('/') + QLatin1String(kModeFile);
    QFile file(g_modeFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}

// ---------------------------------------------------------------------------
// Parent side

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Alive and not a zombie waiting for a parent that does not reap it.
bool isAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const int close = line.lastIndexOf(')');
    if (close < 0 || close + 2 >= line.size())
        return false;
    const char state = line.at(close + 2);
    return state != 'Z' && state != 'X';
}

// The pids that "child: pid=N" lines of a log name, in order.
QList<qint64> childPids(const QString &log)
{
    QList<qint64> pids;
    const QRegularExpression re(QStringLiteral("child: pid=(\\d+)"));
    auto it = re.globalMatch(log);
    while (it.hasNext())
        pids << it.next().captured(1).toLongLong();
    return pids;
}

// Checks cond every quarter second until it holds: for conditions that are
// costly to look at, such as a query on the program's database. The wait
// between checks is a polling period, not a hope that something is done.
bool pollUntil(const std::function<bool()> &cond, int timeoutMs = kTimeout)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (cond())
            return true;
        if (clock.hasExpired(timeoutMs))
            return false;
        QTest::qWait(250);
    }
}

// One started program. stderr goes to a file in append mode, so that a copy
// started detached by the program writes on into the same file after its
// starter has gone (a pipe would be closed under it).
class Child
{
public:
    Child(const QString &folder, const QString &executable, const QProcessEnvironment &env)
        : m_log(QStringLiteral("%1/stderr-%2.log").arg(folder).arg(++s_count))
    {
        m_process.setProgram(folder + QLatin1Char('/') + executable);
        m_process.setWorkingDirectory(folder);
        m_process.setProcessEnvironment(env);
        m_process.setStandardInputFile(QProcess::nullDevice());
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(m_log, QIODevice::Append);
        m_process.start();
        if (m_process.waitForStarted(kTimeout))
            m_pid = m_process.processId();
    }

    ~Child()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(kTimeout);
        }
    }

    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    QProcess &process() { return m_process; }
    qint64 pid() const { return m_pid; }
    QString log() const { return readText(m_log); }
    bool running() const { return m_process.state() == QProcess::Running; }

    bool waitForLog(const QString &text, int timeoutMs = kTimeout)
    {
        return QTest::qWaitFor([&] { return log().contains(text); }, timeoutMs);
    }

    // Waits on the finished signal: true when the process ends in time.
    bool waitForEnd(int timeoutMs = kTimeout) { return m_process.waitForFinished(timeoutMs); }

    void killHard()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(kTimeout);
    }

private:
    static int s_count;
    QProcess m_process;
    QString m_log;
    qint64 m_pid = 0;
};

int Child::s_count = 0;

using Row = QVariantList;

} // namespace

class Tst_ProcessFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void secondStartEndsAndKilledFirstDoesNotLockOut();
    void restartCodeStartsAFreshFirstInstance();
    void killDuringRecordingKeepsCommittedRows();
    void unopenableDatabaseWaitsOnTheBoxInTheRealProgram();
    void unopenableDatabaseShowsBoxAndEndsWithMinusOne();
    void garbageOptionsStartAndStayUntouched_data();
    void garbageOptionsStartAndStayUntouched();
    void garbageUnitCodesSurviveLiveReadings();

private:
    QString newFolder(const QString &name, bool withLanguages = true);
    void placeLogger(const QString &folder);
    void placeChild(const QString &folder, const QByteArray &mode);
    std::unique_ptr<Child> start(const QString &folder, const QString &executable);
    std::unique_ptr<Child> startLogger(const QString &folder) { return start(folder, QStringLiteral("aq7316-logger")); }
    std::unique_ptr<Child> startChild(const QString &folder) { return start(folder, m_testExeName); }
    QString startSimulator();
    QByteArray options(const QString &folder, const QByteArray &systemLines) const;
    QList<Row> readRows(const QString &folder, QString *integrity = nullptr);
    bool killEverythingStarted();
    void removeGuardObjects();
    void checkNoSanitizerReport();

    QTemporaryDir m_root;
    QString m_tmp;          // TMPDIR of every child
    QString m_binDir;
    QString m_testExeName;
    QProcessEnvironment m_env;
    std::unique_ptr<QProcess> m_sim;
    std::vector<std::unique_ptr<Child>> m_children;
};

void Tst_ProcessFaults::initTestCase()
{
    QVERIFY(m_root.isValid());
    m_tmp = m_root.path() + QStringLiteral("/tmp");
    QVERIFY(QDir().mkpath(m_tmp));

    m_binDir = builtProgramsDir();
    QVERIFY2(QFileInfo(m_binDir + "/aq7316-logger").isExecutable(), qPrintable(m_binDir));
    QVERIFY2(QFileInfo(m_binDir + "/aq7316-sim").isExecutable(), qPrintable(m_binDir));
    m_testExeName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();

    m_env = QProcessEnvironment::systemEnvironment();
    m_env.insert(QStringLiteral("TMPDIR"), m_tmp);
    m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    m_env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // The offscreen platform's own leaks, when the test runs without the
    // suppressions the test script passes.
    const QString suppressions = QFINDTESTDATA("lsan.supp");
    if (!m_env.value(QStringLiteral("LSAN_OPTIONS")).contains(QLatin1String("suppressions=")) && !suppressions.isEmpty())
        m_env.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=") + suppressions);
    const QString runtimeDir = m_root.path() + QStringLiteral("/runtime");
    QVERIFY(QDir().mkpath(runtimeDir));
    QFile::setPermissions(runtimeDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
}

void Tst_ProcessFaults::cleanup()
{
    checkNoSanitizerReport();
    const bool allGone = killEverythingStarted();
    if (allGone)
        removeGuardObjects();
    QVERIFY2(allGone, "a child of the test could not be ended");
}

void Tst_ProcessFaults::cleanupTestCase()
{
    if (killEverythingStarted())
        removeGuardObjects();
}

QString Tst_ProcessFaults::newFolder(const QString &name, bool withLanguages)
{
    const QString folder = m_root.path() + QLatin1Char('/') + name;
    if (!QDir().mkpath(folder))
        return QString();
    if (withLanguages) {
        QDir().mkpath(folder + "/languages");
        const QDir source(m_binDir + "/languages");
        const auto files = source.entryList(QDir::Files);
        for (const QString &file : files)
            QFile::copy(source.filePath(file), folder + "/languages/" + file);
    }
    return folder;
}

// applicationDirPath() follows /proc/self/exe, so a link would put the
// program's files beside the original: only a copy lives in the folder.
void Tst_ProcessFaults::placeLogger(const QString &folder)
{
    QVERIFY(QFile::copy(m_binDir + "/aq7316-logger", folder + "/aq7316-logger"));
}

void Tst_ProcessFaults::placeChild(const QString &folder, const QByteArray &mode)
{
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), folder + QLatin1Char('/') + m_testExeName));
    QVERIFY(writeBytes(folder + QLatin1Char('/') + QLatin1String(kModeFile), mode + '\n'));
}

std::unique_ptr<Child> Tst_ProcessFaults::start(const QString &folder, const QString &executable)
{
    return std::make_unique<Child>(folder, executable, m_env);
}

QString Tst_ProcessFaults::startSimulator()
{
    m_sim = std::make_unique<QProcess>();
    m_sim->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The first line on stdout names the pseudo-terminal.
    return startSimulatorProcess(*m_sim, QStringList(), kTimeout);
}

QByteArray Tst_ProcessFaults::options(const QString &folder, const QByteArray &systemLines) const
{
    return "[System]\n" + systemLines + "[SystemLog]\nRuntimeLogDir=" + folder.toUtf8() + "/\n";
}

// A reader of its own beside the program's connection. The program may be
// in the middle of a write: wait for its lock instead of failing at once.
QList<Row> Tst_ProcessFaults::readRows(const QString &folder, QString *integrity)
{
    QList<Row> rows;
    const QString name = QStringLiteral("processfaults-reader");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(folder + "/systemlog.db");
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("select * from AQ7316 order by id"))) {
                while (query.next()) {
                    Row row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row << query.value(i);
                    rows << row;
                }
            }
            if (integrity && query.exec(QStringLiteral("pragma integrity_check")) && query.next())
                *integrity = query.value(0).toString();
            query.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

// Only what this test started: its children, copies started detached by
// them (their executables lie in this test's folder), the simulator.
bool Tst_ProcessFaults::killEverythingStarted()
{
    for (auto &child : m_children)
        child->killHard();
    m_children.clear();

    const QString root = m_root.path() + QLatin1Char('/');
    QList<qint64> strays;
    QDirIterator proc(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (proc.hasNext()) {
        proc.next();
        bool isPid = false;
        const qint64 pid = proc.fileName().toLongLong(&isPid);
        if (!isPid || pid == QCoreApplication::applicationPid())
            continue;
        const QString exe = QFileInfo(proc.filePath() + "/exe").symLinkTarget();
        if (exe.startsWith(root) && isAlive(pid)) {
            ::kill(pid_t(pid), SIGKILL);
            strays << pid;
        }
    }
    bool allGone = true;
    for (qint64 pid : strays) {
        if (!QTest::qWaitFor([pid] { return !isAlive(pid); }, kTimeout)) {
            qWarning("pid %lld survived SIGKILL", pid);
            allGone = false;
        }
    }

    if (m_sim) {
        m_sim->terminate();
        if (!m_sim->waitForFinished(kTimeout)) {
            m_sim->kill();
            m_sim->waitForFinished(kTimeout);
        }
        m_sim.reset();
    }
    return allGone;
}

// A child killed with SIGKILL leaves the guard's block and semaphore in the
// kernel. They are keyed (ftok) on files in the children's TMPDIR; remove
// them so that each case starts from a clean slate and nothing outlives the
// test. Only when none of this test's loggers runs any more.
void Tst_ProcessFaults::removeGuardObjects()
{
    const QDir tmp(m_tmp);
    const auto files = tmp.entryList(QStringList{QStringLiteral("qipc_*")}, QDir::Files);
    for (const QString &file : files) {
        const key_t key = ::ftok(QFile::encodeName(tmp.filePath(file)).constData(), 'Q');
        if (key == key_t(-1))
            continue;
        if (file.startsWith(QLatin1String("qipc_sharedmemory_"))) {
            const int id = ::shmget(key, 0, 0);
            if (id >= 0)
                ::shmctl(id, IPC_RMID, nullptr);
        } else if (file.startsWith(QLatin1String("qipc_systemsem_"))) {
            const int id = ::semget(key, 0, 0);
            if (id >= 0)
                ::semctl(id, 0, IPC_RMID);
        }
    }
    // The children's owner lock: the same name, in their TMPDIR.
    const QString lockName = QFileInfo(SingleApplication::ownerLockPath(QLatin1String(kInstanceKey))).fileName();
    QFile::remove(tmp.filePath(lockName));
}

void Tst_ProcessFaults::checkNoSanitizerReport()
{
    for (const auto &child : m_children) {
        const QString log = child->log();
        QVERIFY2(!log.contains(QLatin1String("ERROR: AddressSanitizer"))
                     && !log.contains(QLatin1String("ERROR: LeakSanitizer"))
                     && !log.contains(QLatin1String("runtime error:")),
                 qPrintable(log.right(4000)));
    }
}

// ---------------------------------------------------------------------------

void Tst_ProcessFaults::secondStartEndsAndKilledFirstDoesNotLockOut()
{
    const QString first = newFolder(QStringLiteral("guard"));
    placeLogger(first);
    // The later start runs from a folder of its own: it must leave no trace.
    const QString second = newFolder(QStringLiteral("guard-second"), false);
    placeLogger(second);
    QVERIFY(writeBytes(first + "/Options.ini", options(first, QByteArray())));

    m_children.push_back(startLogger(first));
    Child &a = *m_children.back();
    QVERIFY2(a.waitForLog(QStringLiteral("serialport stread")), qPrintable(a.log()));
    QVERIFY(a.log().contains(QLatin1String("System Log: ") + first + "/systemlog.db"));
    QVERIFY(a.log().contains(QLatin1String("Runtime Log: ") + first + "/mivo.log"));
    QVERIFY(a.log().contains(QLatin1String("create database table success")));
    QVERIFY2(!a.waitForEnd(kAliveMs), qPrintable(a.log()));

    m_children.push_back(startLogger(second));
    Child &b = *m_children.back();
    QVERIFY2(b.waitForEnd(), "a second start keeps running");
    QCOMPARE(b.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(b.process().exitCode(), 0);
    QVERIFY2(!b.log().contains(QLatin1String("Runtime Log:")), qPrintable(b.log()));
    QVERIFY(!b.log().contains(QLatin1String("System Log:")));
    QVERIFY(!QFile::exists(second + "/systemlog.db"));
    QVERIFY(!QFile::exists(second + "/Options.ini"));
    QVERIFY(a.running());

    // SIGKILL: no destructor runs, the block stays in the kernel.
    a.killHard();

    m_children.push_back(startLogger(first));
    Child &c = *m_children.back();
    QVERIFY2(c.waitForLog(QStringLiteral("serialport stread")), qPrintable(c.log()));
    QVERIFY2(c.log().contains(QLatin1String("database table created already")), qPrintable(c.log()));
    QVERIFY2(!c.waitForEnd(kAliveMs), "the block of a killed instance locks the program out");

    // And the new one is the guard now.
    m_children.push_back(startLogger(second));
    Child &d = *m_children.back();
    QVERIFY(d.waitForEnd());
    QCOMPARE(d.process().exitCode(), 0);
    QVERIFY(c.running());
}

void Tst_ProcessFaults::restartCodeStartsAFreshFirstInstance()
{
    const QString folder = newFolder(QStringLiteral("restart"));
    placeChild(folder, "restart");
    placeLogger(folder);
    QVERIFY(writeBytes(folder + "/Options.ini", options(folder, "LANGUAGE=1\n")));

    // The translators' stacks run through Qt's own code, which keeps no
    // frame pointers: unwind slowly so that the suppression above matches.
    QProcessEnvironment env = m_env;
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) + QStringLiteral("fast_unwind_on_malloc=0"));
    m_children.push_back(std::make_unique<Child>(folder, m_testExeName, env));
    Child &old = *m_children.back();
    QVERIFY2(old.waitForEnd(), qPrintable(old.log()));
    QCOMPARE(old.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(old.process().exitCode(), kRestartCode);

    // The fresh copy writes on into the same log.
    QVERIFY2(QTest::qWaitFor([&] { return childPids(old.log()).size() >= 2; }, kTimeout), qPrintable(old.log()));
    const QList<qint64> pids = childPids(old.log());
    QCOMPARE(pids.size(), 2);
    QCOMPARE(pids.first(), old.pid());
    const qint64 fresh = pids.last();
    QVERIFY(fresh != old.pid());

    QVERIFY2(QTest::qWaitFor([&] { return old.log().count(QLatin1String("child: window shown maximized=1")) == 2; },
                             kTimeout),
             qPrintable(old.log()));
    // Both copies took the stored language.
    QCOMPARE(old.log().count(QStringLiteral("中文系统")), 2);
    QCOMPARE(old.log().count(QLatin1String("/languages/pelnor_zh.qm")), 2);
    QVERIFY(isAlive(fresh));
    QVERIFY2(!QTest::qWaitFor([fresh] { return !isAlive(fresh); }, kAliveMs),
             "the restarted copy ended: it took the old process for a running instance");

    // It holds the guard: the next start is a later instance.
    m_children.push_back(startLogger(folder));
    Child &later = *m_children.back();
    // Seen once under heavy load: the later start did not end. Its own log
    // and the restarted copy's tell whether it became a first instance or
    // waited on the block.
    QVERIFY2(later.waitForEnd(), qPrintable(later.log() + QLatin1String("\n--- restarted copy:\n") + old.log()));
    QCOMPARE(later.process().exitCode(), 0);
    QVERIFY(isAlive(fresh));
}

void Tst_ProcessFaults::killDuringRecordingKeepsCommittedRows()
{
    const QString pty = startSimulator();
    QVERIFY2(!pty.isEmpty() && QFile::exists(pty), "the simulator did not start");

    const QString folder = newFolder(QStringLiteral("record"));
    placeChild(folder, "record");
    placeLogger(folder);
    QVERIFY(writeBytes(folder + "/Options.ini", options(folder, "SERIALPORTNAME=" + pty.toUtf8() + '\n')));

    m_children.push_back(startChild(folder));
    Child &recorder = *m_children.back();
    QVERIFY2(recorder.waitForLog(QStringLiteral("child: recording=1")), qPrintable(recorder.log()));
    QVERIFY2(pollUntil([&] { return readRows(folder).size() >= 6; }), qPrintable(recorder.log()));

    const QList<Row> before = readRows(folder);
    QVERIFY(before.size() >= 6);
    recorder.killHard();

    m_children.push_back(startLogger(folder));
    Child &next = *m_children.back();
    QVERIFY2(next.waitForLog(QStringLiteral("serialport stread")), qPrintable(next.log()));
    QVERIFY2(!next.waitForEnd(kAliveMs), qPrintable(next.log()));

    QString integrity;
    const QList<Row> after = readRows(folder, &integrity);
    QCOMPARE(integrity, QStringLiteral("ok"));
    QVERIFY2(after.size() >= before.size(),
             qPrintable(QStringLiteral("%1 rows before the kill, %2 after").arg(before.size()).arg(after.size())));
    for (int i = 0; i < before.size(); ++i)
        QCOMPARE(after.at(i), before.at(i));
    // Every row complete: 17 columns, a date and time, a wind speed.
    for (const Row &row : after) {
        QCOMPARE(row.size(), 17);
        QVERIFY(!row.at(1).toString().isEmpty());
        QVERIFY(!row.at(2).toString().isEmpty());
        QVERIFY(!row.at(5).isNull());
    }
}

void Tst_ProcessFaults::unopenableDatabaseWaitsOnTheBoxInTheRealProgram()
{
    const QString folder = newFolder(QStringLiteral("nodb-real"));
    placeLogger(folder);
    // Tests run as root: a directory in the file's place is what fails to open.
    QVERIFY(QDir().mkpath(folder + "/systemlog.db"));
    QVERIFY(writeBytes(folder + "/Options.ini", options(folder, QByteArray())));

    m_children.push_back(startLogger(folder));
    Child &logger = *m_children.back();
    QVERIFY2(logger.waitForLog(QStringLiteral("打开系统日志出错!")), qPrintable(logger.log()));
    // The modal box holds the program until it is answered.
    QVERIFY2(!logger.waitForEnd(kAliveMs), qPrintable(logger.log()));
    QVERIFY(!logger.log().contains(QLatin1String("create database table")));
    QVERIFY(!logger.log().contains(QLatin1String("serialport stread")));

    // The runtime log has the failure, translated, UTF-16LE.
    const QByteArray runtimeLog = readBytes(folder + "/mivo.log");
    const QString text = QTextCodec::codecForName("UTF-16LE")->toUnicode(runtimeLog);
    QVERIFY2(text.endsWith(QLatin1String("Open system log failed\r\n")), qPrintable(text));
}

void Tst_ProcessFaults::unopenableDatabaseShowsBoxAndEndsWithMinusOne()
{
    const QString folder = newFolder(QStringLiteral("nodb-child"));
    placeChild(folder, "plain");
    QVERIFY(QDir().mkpath(folder + "/systemlog.db"));
    QVERIFY(writeBytes(folder + "/Options.ini", options(folder, QByteArray())));

    m_children.push_back(startChild(folder));
    Child &child = *m_children.back();
    QVERIFY2(child.waitForEnd(), qPrintable(child.log()));
    const QString log = child.log();
    QVERIFY2(log.contains(QLatin1String("child: box title=[Open] text=[Open System Log failed]")), qPrintable(log));
    QCOMPARE(log.count(QLatin1String("child: box")), 1);
    QVERIFY(!log.contains(QLatin1String("child: window shown")));
    QCOMPARE(child.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.process().exitCode(), 255);  // exit(-1)
}

void Tst_ProcessFaults::garbageOptionsStartAndStayUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("languageLine");   // empty: none at all

    QTest::newRow("unknown codes, language 5, baud abc")
        << QByteArray("[System]\n"
                      "SERIALPORTNAME=\xff\xfe\x01\x7f/dev/none\n"
                      "SERIALPORTBAUD=abc\n"
                      "QUERYPERIOD=-5\n"
                      "LANGUAGE=5\n"
                      "TemperaterUnit=7\n"
                      "WindUnit=99\n"
                      "AreaUnit=-1\n"
                      "VolumeUnit=3\n"
                      "ExportPath=\x01\x02\x03\n")
        << QString();
    QTest::newRow("numbers beyond 32 bits")
        << QByteArray("[System]\n"
                      "SERIALPORTBAUD=99999999999999999999999\n"
                      "QUERYPERIOD=1e400\n"
                      "LANGUAGE=99999999999999999999\n"
                      "TemperaterUnit=2147483648\n"
                      "WindUnit=-2147483649\n"
                      "AreaUnit=18446744073709551617\n"
                      "VolumeUnit=0x7fffffff\n")
        << QStringLiteral("English system");
    QByteArray junk;
    QRandomGenerator random(7316);
    for (int i = 0; i < 4096; ++i)
        junk += char(random.bounded(256));
    QTest::newRow("binary bytes only") << junk << QStringLiteral("English system");
    QTest::newRow("binary bytes in the System group")
        << QByteArray("[System]\nLANGUAGE=1\n") + junk
        << QStringLiteral("中文系统");
}

void Tst_ProcessFaults::garbageOptionsStartAndStayUntouched()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, languageLine);

    const QString folder = newFolder(QStringLiteral("garbage-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
    placeLogger(folder);
    const QString ini = folder + "/Options.ini";
    QVERIFY(writeBytes(ini, content));
    const QDateTime written = QFileInfo(ini).lastModified();

    m_children.push_back(startLogger(folder));
    Child &logger = *m_children.back();
    QVERIFY2(logger.waitForLog(QStringLiteral("serialport stread")), qPrintable(logger.log()));
    QVERIFY2(!logger.waitForEnd(kAliveMs), qPrintable(logger.log()));

    const QString log = logger.log();
    QVERIFY(log.contains(QLatin1String("create database table success")));
    if (languageLine.isEmpty()) {
        QVERIFY2(!log.contains(QLatin1String("English system")) && !log.contains(QStringLiteral("中文系统")),
                 qPrintable(log));
        // No translator: neither the file's path nor its absence is reported.
        QVERIFY2(!log.contains(QLatin1String("pelnor_")), qPrintable(log));
    } else {
        QVERIFY2(log.contains(languageLine), qPrintable(log));
    }

    // Only OK in the options dialog and an export write the file.
    QCOMPARE(readBytes(ini), content);
    QCOMPARE(QFileInfo(ini).lastModified(), written);
    logger.killHard();
    QCOMPARE(readBytes(ini), content);
}

// Unit codes nobody knows, used for every row, header and axis while live
// readings come in.
void Tst_ProcessFaults::garbageUnitCodesSurviveLiveReadings()
{
    const QString pty = startSimulator();
    QVERIFY2(!pty.isEmpty() && QFile::exists(pty), "the simulator did not start");

    const QString folder = newFolder(QStringLiteral("garbage-units"));
    placeChild(folder, "record");
    const QByteArray content = options(folder, "SERIALPORTNAME=" + pty.toUtf8()
                                                   + "\nLANGUAGE=5\nTemperaterUnit=7\nWindUnit=99\n"
                                                     "AreaUnit=-1\nVolumeUnit=2147483647\n");
    QVERIFY(writeBytes(folder + "/Options.ini", content));

    m_children.push_back(startChild(folder));
    Child &recorder = *m_children.back();
    QVERIFY2(recorder.waitForLog(QStringLiteral("child: recording=1")), qPrintable(recorder.log()));
    QVERIFY2(pollUntil([&] { return readRows(folder).size() >= 4 || !recorder.running(); }),
             qPrintable(recorder.log()));
    QVERIFY2(recorder.running(), qPrintable(recorder.log().right(4000)));
    QCOMPARE(readBytes(folder + "/Options.ini"), content);
}

int main(int argc, char *argv[])
{
    g_childMode = childModeBesideExecutable();
    if (!g_childMode.isEmpty()) {
        qAddPreRoutine(installChildDriver);
        return runLogger(argc, argv);
    }

    QCoreApplication app(argc, argv);
    Tst_ProcessFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_processfaults.moc"
