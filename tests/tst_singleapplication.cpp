#include <QtTest>

#include <cstdio>
#include <memory>
#include <vector>

#include <QDateTime>
#include <QProcess>
#include <QSharedMemory>
#include <QSocketNotifier>

#include <unistd.h>

#include "app/singleapplication.h"

// The guard is exercised with real processes: this executable started as
//   tst_singleapplication --child KEY MODE [MESSAGE-AS-HEX]
// builds a SingleApplication with KEY and acts out MODE:
//   probe         report, try to send, end (as the program's start-up would)
//   send          same; used for the later starts
//   serve         stay up, poll every second, print each message
//   serve-manual  stay up, poll only on the "poll" command
// Lines on stdout: "running=0|1", "send=0|1", "message=<text>", "polled",
// "released". Commands on stdin: "poll", "release", "quit".

namespace {

const char kProgramMessage[] = "message from other instance.";
constexpr int kTimeout = 20000;

void say(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int childMain(int argc, char **argv)
{
    const QString key = QString::fromLocal8Bit(argv[2]);
    const QByteArray mode(argv[3]);
    const QString message = argc > 4 ? QString::fromUtf8(QByteArray::fromHex(argv[4]))
                                     : QString::fromLatin1(kProgramMessage);
    // An hour: in practice never, the test polls by command.
    const int interval = mode == "serve-manual" ? 3600 * 1000 : SingleApplication::DefaultPollInterval;

    SingleApplication app(argc, argv, key, interval);
    say(QStringLiteral("running=%1").arg(int(app.isRunning())));
    if (mode == "probe" || mode == "send") {
        say(QStringLiteral("send=%1").arg(int(app.sendMessage(message))));
        return 0;
    }

    QObject::connect(&app, &SingleApplication::messageAvailable, &app,
                     [](const QString &text) { say(QStringLiteral("message=") + text); });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input.setEnabled(false);
            app.quit();
            return;
        }
        pending.append(buf, int(n));
        int end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray command = pending.left(end);
            pending.remove(0, end + 1);
            if (command == "poll") {
                app.checkForMessage();
                say(QStringLiteral("polled"));
            } else if (command == "release") {
                app.releaseGuard();
                say(QStringLiteral("released"));
            } else if (command == "quit") {
                app.quit();
            }
        }
    });
    return app.exec();
}

// One child process and what it printed.
class Instance
{
public:
    Instance(const QString &key, const QByteArray &mode, const QString &message = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] {
            m_buffer += m_process.readAllStandardOutput();
            int end;
            while ((end = m_buffer.indexOf('\n')) >= 0) {
                m_lines << QString::fromUtf8(m_buffer.left(end));
                m_buffer.remove(0, end + 1);
            }
        });
        QStringList args{QStringLiteral("--child"), key, QString::fromLatin1(mode)};
        if (!message.isNull())
            args << QString::fromLatin1(message.toUtf8().toHex());
        m_process.start(QCoreApplication::applicationFilePath(), args);
    }

    ~Instance()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        command("quit");
        if (!m_process.waitForFinished(kTimeout)) {
            m_process.kill();
            m_process.waitForFinished(kTimeout);
        }
    }

    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;

    // The value of the first "name=value" line, null while there is none.
    QString value(const QString &name) const
    {
        const QString prefix = name + QLatin1Char('=');
        for (const QString &line : m_lines) {
            if (line.startsWith(prefix))
                return line.mid(prefix.size());
        }
        return QString();
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const QString &line : m_lines) {
            if (line.startsWith(QLatin1String("message=")))
                texts << line.mid(8);
        }
        return texts;
    }

    int count(const QString &line) const { return int(m_lines.count(line)); }
    void command(const QByteArray &text) { m_process.write(text + '\n'); }
    bool finished() const { return m_process.state() == QProcess::NotRunning; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_buffer;
    QStringList m_lines;
};

// The state byte as another process sees it; 'x' when there is no block.
char stateByte(const QString &key)
{
    QSharedMemory block(key);
    if (!block.attach(QSharedMemory::ReadOnly) || !block.lock())
        return 'x';
    const char state = block.size() > 0 ? static_cast<const char *>(block.constData())[0] : 'x';
    block.unlock();
    return state;
}

} // namespace

#define WAIT_STARTED(inst, expectRunning)                                                           \
    do {                                                                                            \
        QTRY_VERIFY_WITH_TIMEOUT(!(inst).value(QStringLiteral("running")).isNull(), kTimeout);     \
        QCOMPARE((inst).value(QStringLiteral("running")), QString::number(expectRunning));          \
    } while (false)

#define WAIT_ENDED_NORMALLY(inst)                                                                   \
    do {                                                                                            \
        QTRY_VERIFY_WITH_TIMEOUT((inst).finished(), kTimeout);                                     \
        QCOMPARE((inst).process().exitStatus(), QProcess::NormalExit);                              \
        QCOMPARE((inst).process().exitCode(), 0);                                                   \
    } while (false)

#define POLL(inst)                                                                                  \
    do {                                                                                            \
        const int before = (inst).count(QStringLiteral("polled"));                                  \
        (inst).command("poll");                                                                     \
        QTRY_COMPARE_WITH_TIMEOUT((inst).count(QStringLiteral("polled")), before + 1, kTimeout);    \
    } while (false)

class Tst_SingleApplication : public QObject
{
    Q_OBJECT

private:
    QString m_key;
    int m_serial = 0;
    std::vector<std::unique_ptr<Instance>> m_instances;

    Instance &start(const QByteArray &mode, const QString &message = QString())
    {
        m_instances.push_back(std::make_unique<Instance>(m_key, mode, message));
        return *m_instances.back();
    }

private slots:
    void init()
    {
        m_key = QStringLiteral("aq7316-tst-guard-%1-%2-%3")
                    .arg(QCoreApplication::applicationPid())
                    .arg(QDateTime::currentMSecsSinceEpoch())
                    .arg(++m_serial);
    }

    void cleanup()
    {
        m_instances.clear();
        // Drop a block a failed case may have left behind (a detach that
        // leaves no one attached removes it), and the owner lock file.
        // Creating it once more also takes over its semaphore, so both go
        // when this object does.
        QSharedMemory leftover(m_key);
        if (leftover.attach())
            leftover.detach();
        (void)leftover.create(1);
        QFile::remove(SingleApplication::ownerLockPath(m_key));
    }

    void firstStartOwnsAnIdleBlock()
    {
        Instance &probe = start("probe");
        WAIT_STARTED(probe, 0);
        QTRY_COMPARE_WITH_TIMEOUT(probe.value(QStringLiteral("send")), QStringLiteral("0"), kTimeout);
        WAIT_ENDED_NORMALLY(probe);

        Instance &first = start("serve");
        WAIT_STARTED(first, 0);
        QCOMPARE(stateByte(m_key), '0');
    }

    void laterStartIsAnnouncedByTheNextPoll()
    {
        Instance &first = start("serve");
        WAIT_STARTED(first, 0);

        Instance &later = start("send");
        WAIT_STARTED(later, 1);
        QTRY_COMPARE_WITH_TIMEOUT(later.value(QStringLiteral("send")), QStringLiteral("1"), kTimeout);
        WAIT_ENDED_NORMALLY(later);

        // The one-second timer delivers it.
        QTRY_COMPARE_WITH_TIMEOUT(first.messages().size(), 1, kTimeout);
        QCOMPARE(first.messages().first(), QString::fromLatin1(kProgramMessage));
        QCOMPARE(stateByte(m_key), '0');
        POLL(first);
        QCOMPARE(first.messages().size(), 1);
    }

    void messageText_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("received");
        QTest::newRow("program message") << QString::fromLatin1(kProgramMessage)
                                         << QString::fromLatin1(kProgramMessage);
        QTest::newRow("non-ASCII text") << QString::fromUtf8("Grüße, 风速 ℃") << QString::fromUtf8("Grüße, 风速 ℃");
        QTest::newRow("empty text") << QString() << QString();
        // The block holds 255 bytes of text after the state byte.
        QTest::newRow("text longer than the block") << QString(300, QLatin1Char('x')) << QString(255, QLatin1Char('x'));
    }

    void messageText()
    {
        QFETCH(QString, sent);
        QFETCH(QString, received);

        Instance &first = start("serve-manual");
        WAIT_STARTED(first, 0);
        Instance &later = start("send", sent.isNull() ? QStringLiteral("") : sent);
        WAIT_STARTED(later, 1);
        WAIT_ENDED_NORMALLY(later);
        QCOMPARE(stateByte(m_key), '1');

        POLL(first);
        QCOMPARE(first.messages(), QStringList{received});
        QCOMPARE(stateByte(m_key), '0');
    }

    void twoLaterStartsBeforeOnePollGiveOneMessage()
    {
        Instance &first = start("serve-manual");
        WAIT_STARTED(first, 0);
        for (const char *text : {"one", "two"}) {
            Instance &later = start("send", QString::fromLatin1(text));
            WAIT_STARTED(later, 1);
            WAIT_ENDED_NORMALLY(later);
        }

        POLL(first);
        QCOMPARE(first.messages(), QStringList{QStringLiteral("two")});
        POLL(first);
        QCOMPARE(first.messages().size(), 1);
    }

    void newStartAfterNormalEndIsFirst()
    {
        Instance &first = start("serve");
        WAIT_STARTED(first, 0);
        first.command("quit");
        WAIT_ENDED_NORMALLY(first);
        QCOMPARE(stateByte(m_key), 'x');

        Instance &next = start("probe");
        WAIT_STARTED(next, 0);
        WAIT_ENDED_NORMALLY(next);
    }

    void newStartAfterKilledOwnerIsFirst_data()
    {
        QTest::addColumn<bool>("messageWaiting");
        QTest::addColumn<bool>("lockFileRemoved");
        QTest::addColumn<bool>("attachedElsewhere");
        QTest::newRow("owner killed") << false << false << false;
        QTest::newRow("owner killed, lock file removed") << false << true << false;
        QTest::newRow("owner killed, block still attached elsewhere") << false << false << true;
        QTest::newRow("owner killed with a message waiting") << true << false << true;
    }

    void newStartAfterKilledOwnerIsFirst()
    {
        QFETCH(bool, messageWaiting);
        QFETCH(bool, lockFileRemoved);
        QFETCH(bool, attachedElsewhere);

        Instance &owner = start("serve-manual");
        WAIT_STARTED(owner, 0);
        if (messageWaiting) {
            Instance &later = start("send");
            WAIT_ENDED_NORMALLY(later);
        }
        owner.process().kill();
        QTRY_VERIFY_WITH_TIMEOUT(owner.finished(), kTimeout);
        QCOMPARE(owner.process().exitStatus(), QProcess::CrashExit);
        if (lockFileRemoved)
            QVERIFY(QFile::remove(SingleApplication::ownerLockPath(m_key)));

        // The block outlives its owner. Attaching to look at it would remove
        // it again on detach, so without a process attached its Unix key file
        // stands for it.
        QSharedMemory stale(m_key);
        if (attachedElsewhere) {
            QVERIFY2(stale.attach(), qPrintable(stale.errorString()));
            QCOMPARE(stateByte(m_key), messageWaiting ? '1' : '0');
        } else {
            QVERIFY(QFile::exists(stale.nativeKey()));
        }

        Instance &next = start("serve-manual");
        WAIT_STARTED(next, 0);
        QCOMPARE(stateByte(m_key), '0');
        if (attachedElsewhere)
            stale.detach();

        // And it guards: the start after it is a later one and is heard.
        Instance &later = start("send");
        WAIT_STARTED(later, 1);
        WAIT_ENDED_NORMALLY(later);
        POLL(next);
        QCOMPARE(next.messages(), QStringList{QString::fromLatin1(kProgramMessage)});
    }

    void releasedGuardLetsANewStartBeFirst()
    {
        Instance &old = start("serve-manual");
        WAIT_STARTED(old, 0);
        old.command("release");
        QTRY_COMPARE_WITH_TIMEOUT(old.count(QStringLiteral("released")), 1, kTimeout);

        Instance &restarted = start("serve-manual");
        WAIT_STARTED(restarted, 0);
        QVERIFY(!old.finished());

        Instance &later = start("send");
        WAIT_STARTED(later, 1);
        WAIT_ENDED_NORMALLY(later);
        POLL(restarted);
        POLL(old);
        QCOMPARE(restarted.messages().size(), 1);
        QCOMPARE(old.messages().size(), 0);

        // The old process ending does not take the new copy's block along.
        old.command("quit");
        WAIT_ENDED_NORMALLY(old);
        Instance &another = start("send");
        WAIT_STARTED(another, 1);
        WAIT_ENDED_NORMALLY(another);
        POLL(restarted);
        QCOMPARE(restarted.messages().size(), 2);
    }

    void simultaneousStartsElectOneFirst()
    {
        Instance &a = start("serve-manual");
        Instance &b = start("serve-manual");
        QTRY_VERIFY_WITH_TIMEOUT(!a.value(QStringLiteral("running")).isNull(), kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!b.value(QStringLiteral("running")).isNull(), kTimeout);
        QStringList states{a.value(QStringLiteral("running")), b.value(QStringLiteral("running"))};
        states.sort();
        QCOMPARE(states, (QStringList{QStringLiteral("0"), QStringLiteral("1")}));
    }
};

int main(int argc, char *argv[])
{
    if (argc >= 4 && qstrcmp(argv[1], "--child") == 0)
        return childMain(argc, argv);

    QCoreApplication app(argc, argv);
    Tst_SingleApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleapplication.moc"
