#include <QtTest>

#include <memory>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include "model/pelnorxlogitem.h"
#include "storage/globals.h"
#include "storage/loadthread.h"
#include "storage/systemlogmanager.h"
#include "ui/messageboxnotice.h"

namespace {

PelnorXLogItem makeItem(const QString &date, double speed)
{
    PelnorXLogItem item{};
    item.date = date;
    item.time = QStringLiteral("10:00:00");
    item.windspeed_ms = speed;
    return item;
}

} // namespace

// Plays the main window: asks through loadbg, receives through onLoadFinished,
// both wired as the window wires them.
class Tst_LoadThread : public QObject
{
    Q_OBJECT

signals:
    void loadbg(bool bOnDownloading);

public slots:
    void onLoadFinished(QList<PelnorXLogItem> *list) { m_received.append(list); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SystemLogManager> m_manager;
    LoadThread *m_loader = nullptr;
    QList<QList<PelnorXLogItem> *> m_received;

    // Two recorded rows in AQ7316, three downloaded rows in AQ7316IN.
    void fillTables()
    {
        m_manager->insertSystemLog(makeItem("2024-3-7", 1.0));
        m_manager->insertSystemLog(makeItem("2024-3-7", 2.0));
        for (double speed : {10.0, 11.0, 12.0})
            m_manager->insertSystemLogIn(makeItem(" ", speed));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_manager = std::make_unique<SystemLogManager>(m_dir->path(), nullptr);
        pSystemLogManager = m_manager.get();
        m_loader = new LoadThread(this);
        QVERIFY(connect(this, SIGNAL(loadbg(bool)), m_loader, SLOT(run(bool)), Qt::QueuedConnection));
        QVERIFY(connect(m_loader, SIGNAL(loadFinish(QList<PelnorXLogItem>*)), this,
                        SLOT(onLoadFinished(QList<PelnorXLogItem>*)), Qt::QueuedConnection));
    }

    void cleanup()
    {
        delete m_loader;
        m_loader = nullptr;
        qDeleteAll(m_received);
        m_received.clear();
        pSystemLogManager = nullptr;
        m_manager.reset();
        m_dir.reset();
    }

    void runReadsTheChosenTable_data()
    {
        QTest::addColumn<bool>("downloading");
        QTest::addColumn<QList<double>>("speeds");
        QTest::addColumn<QString>("date");

        QTest::newRow("downloaded records") << true << QList<double>{10.0, 11.0, 12.0} << " ";
        QTest::newRow("recorded readings") << false << QList<double>{1.0, 2.0} << "2024-3-7";
    }

    void runReadsTheChosenTable()
    {
        QFETCH(bool, downloading);
        QFETCH(QList<double>, speeds);
        QFETCH(QString, date);
        fillTables();

        QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("LoadThread  rum  %1").arg(speeds.size())));
        emit loadbg(downloading);
        QTRY_COMPARE_WITH_TIMEOUT(m_received.size(), 1, 20000);
        const QList<PelnorXLogItem> &list = *m_received[0];
        QCOMPARE(list.size(), speeds.size());
        for (int i = 0; i < list.size(); ++i) {
            QCOMPARE(list[i].id, quint32(i + 1));
            QCOMPARE(list[i].windspeed_ms, speeds[i]);
            QCOMPARE(list[i].date, date);
        }
    }

    void emptyTableGivesEmptyList()
    {
        QTest::ignoreMessage(QtDebugMsg, "LoadThread  rum  0");
        emit loadbg(false);
        QTRY_COMPARE_WITH_TIMEOUT(m_received.size(), 1, 20000);
        QVERIFY(m_received[0]->isEmpty());
    }

    void runWaitsForTheEventLoop()
    {
        fillTables();
        int finished = 0;
        connect(m_loader, &LoadThread::loadFinish, this, [&finished] { ++finished; });
        emit loadbg(true);
        // Nothing happens inside the emission: the window empties its table
        // and opens the busy indicator first.
        QCOMPARE(finished, 0);
        QVERIFY(m_received.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(m_received.size(), 1, 20000);
        QCOMPARE(finished, 1);
    }

    void requestsAnsweredInOrderWithOwnLists()
    {
        fillTables();
        emit loadbg(true);
        emit loadbg(false);
        emit loadbg(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_received.size(), 3, 20000);
        QCOMPARE(m_received[0]->size(), 3);
        QCOMPARE(m_received[1]->size(), 2);
        QCOMPARE(m_received[2]->size(), 3);
        QVERIFY(m_received[0] != m_received[1] && m_received[1] != m_received[2] && m_received[0] != m_received[2]);
        // Each list is its receiver's own: changing one leaves the next alone.
        m_received[0]->clear();
        QCOMPARE(m_received[2]->size(), 3);
    }

    void unopenableDatabaseStillAnswers()
    {
        fillTables();
        // A database in a folder that vanished after start-up.
        QVERIFY(QDir(m_dir->path()).removeRecursively());

        QStringList boxes;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&boxes] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                boxes << box->windowTitle() + "|" + box->text();
                box->done(QMessageBox::Ok);
            }
        });
        closer.start(20);

        QTest::ignoreMessage(QtDebugMsg, "打开系统日志出错!");
        QTest::ignoreMessage(QtDebugMsg, "LoadThread  rum  0");
        emit loadbg(true);
        QTRY_COMPARE_WITH_TIMEOUT(m_received.size(), 1, 20000);
        QVERIFY(m_received[0]->isEmpty());
        QCOMPARE(boxes, QStringList{"Open|Open System Log failed"});
    }
};

int main(int argc, char **argv)
{
    // Storage reports its failures through the window's message boxes.
    installMessageBoxNotice();
    QApplication app(argc, argv);
    Tst_LoadThread tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_loadthread.moc"
