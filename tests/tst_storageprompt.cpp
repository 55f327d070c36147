#include <QtTest>

#include <QDir>
#include <QTemporaryDir>

#include "modalanswer.h"
#include "storage/systemlogmanager.h"
#include "ui/storageprompt.h"

// The question the window asks about an unusable history database, answered
// as a user would.
class Tst_StoragePrompt : public QObject
{
    Q_OBJECT

private slots:
    void answerDecidesWhatHappensToTheFile_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("storing");
        QTest::newRow("set aside") << "Set Aside" << true;
        QTest::newRow("go on without storing") << "Go On Without Storing" << false;
        QTest::newRow("escape") << "" << false;
    }

    void answerDecidesWhatHappensToTheFile()
    {
        QFETCH(QString, answer);
        QFETCH(bool, storing);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath("systemlog.db");
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(1024, '\x42'));
        }
        SystemLogManager manager(dir.path(), nullptr);

        ModalAnswer user(answer);
        QCOMPARE(StoragePrompt::resolveBrokenDatabase(nullptr, manager), storing);
        QCOMPARE(user.count(), 1);
        QVERIFY2(user.text().contains(QDir::toNativeSeparators(file)), qPrintable(user.text()));
        QVERIFY2(user.text().contains("file is not a database"), qPrintable(user.text()));

        QCOMPARE(manager.insertSystemLog(PelnorXLogItem{}), storing ? 0 : -1);
        QCOMPARE(QDir(dir.path()).entryList({"systemlog.broken-*.db"}).size(), storing ? 1 : 0);
    }
};

QTEST_MAIN(Tst_StoragePrompt)
#include "tst_storageprompt.moc"
