#include <QtTest>

#include <QSettings>
#include <QTemporaryDir>

#include "storage/globals.h"
#include "storage/systemsetting.h"

// Each case points pSettings at an Options.ini of its own.
class Tst_SystemSetting : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_ini;
    QSettings *m_settings = nullptr;

    void openIni(const QByteArray &content)
    {
        delete m_settings;
        m_settings = nullptr;
        QFile::remove(m_ini);
        if (!content.isNull()) {
            QFile f(m_ini);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        m_settings = new QSettings(m_ini, QSettings::IniFormat);
        pSettings = m_settings;
    }

    QByteArray fileAfterSync()
    {
        m_settings->sync();
        QFile f(m_ini);
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray();
        return f.readAll();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_ini = m_dir.filePath("Options.ini");
    }

    void cleanupTestCase()
    {
        delete m_settings;
        pSettings = nullptr;
    }

    void defaultsOnFirstRun()
    {
        openIni(QByteArray());
        SystemSetting s;
        QCOMPARE(s.itemMask, ~quint64(0));
        QCOMPARE(s.serialPortName, QString("COM3"));
        QCOMPARE(s.serialPortBaud, 9600);
        QCOMPARE(s.queryPeriod, 500);
#ifdef Q_OS_WIN
        QCOMPARE(s.exportPath, QString("C:/"));
#else
        QCOMPARE(s.exportPath, SystemSetting::defaultExportFolder());
        QVERIFY(!s.exportPath.isEmpty());
#endif
        for (int v : {s.language, s.tempUnit, s.windUnit, s.areaUnit, s.volumeUnit})
            QCOMPARE(v, 0);
        QCOMPARE(s.pendingLanguage, s.language);
        QCOMPARE(s.pendingTempUnit, s.tempUnit);
        QCOMPARE(s.pendingWindUnit, s.windUnit);
        QCOMPARE(s.pendingAreaUnit, s.areaUnit);
        QCOMPARE(s.pendingVolumeUnit, s.volumeUnit);
        // Loading alone never creates the file.
        m_settings->sync();
        QVERIFY(!QFile::exists(m_ini));
        QCOMPARE(SystemSetting::storageProblem(), QString());
    }

    void folderInPlaceOfFileIsReported()
    {
        openIni(QByteArray());
        QVERIFY(QDir().mkdir(m_ini));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("is a folder, not a file"));
        SystemSetting s;
        QCOMPARE(s.serialPortName, QString("COM3"));
        QCOMPARE(SystemSetting::storageProblem(),
                 QDir::toNativeSeparators(m_ini) + " is a folder, not a file: settings cannot be read or saved.");
        QVERIFY(QDir().rmdir(m_ini));
    }

    void storedValues_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("tempUnit");
        QTest::addColumn<int>("windUnit");
        QTest::addColumn<int>("language");

        QTest::newRow("every key") << QByteArray("[System]\nSERIALPORTNAME=/dev/ttyUSB0\nSERIALPORTBAUD=19200\n"
                                                 "LANGUAGE=1\nTemperaterUnit=1\nWindUnit=4\n")
                                   << "/dev/ttyUSB0" << 19200 << 1 << 4 << 1;
        QTest::newRow("baud not a number") << QByteArray("[System]\nSERIALPORTBAUD=abc\n")
                                           << "COM3" << 0 << 0 << 0 << 0;
        QTest::newRow("huge number") << QByteArray("[System]\nSERIALPORTBAUD=99999999999999999999\nWindUnit=-7\n")
                                     << "COM3" << 0 << 0 << -7 << 0;
        QTest::newRow("beyond 32 bits does not wrap") << QByteArray("[System]\nSERIALPORTBAUD=4294977896\nLANGUAGE=4294967297\nTemperaterUnit=-4294967295\n")
                                                     << "COM3" << 0 << 0 << 0 << 0;
        QTest::newRow("unknown codes kept") << QByteArray("[System]\nTemperaterUnit=2\nWindUnit=5\nLANGUAGE=9\n")
                                            << "COM3" << 9600 << 2 << 5 << 9;
        QTest::newRow("binary garbage") << QByteArray::fromHex("00fffe5b5379730174656d5d0a80813d020a")
                                        << "COM3" << 9600 << 0 << 0 << 0;
        QTest::newRow("other group only") << QByteArray("[SystemLog]\nRuntimeLogDir=/tmp/\n")
                                          << "COM3" << 9600 << 0 << 0 << 0;
    }

    void storedValues()
    {
        QFETCH(QByteArray, ini);
        openIni(ini);
        SystemSetting s;
        QTEST(s.serialPortName, "port");
        QTEST(int(s.serialPortBaud), "baud");
        QTEST(int(s.tempUnit), "tempUnit");
        QTEST(int(s.pendingTempUnit), "tempUnit");
        QTEST(int(s.windUnit), "windUnit");
        QTEST(int(s.pendingWindUnit), "windUnit");
        QTEST(int(s.language), "language");
        QTEST(int(s.pendingLanguage), "language");
    }

    void saveWritesOnlyItsKey_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");

        QTest::newRow("port name") << int(SystemSetting::SerialPortName) << "System/SERIALPORTNAME" << "/dev/ttyS1";
        QTest::newRow("baud") << int(SystemSetting::SerialPortBaud) << "System/SERIALPORTBAUD" << "4800";
        QTest::newRow("temperature") << int(SystemSetting::TempUnit) << "System/TemperaterUnit" << "1";
        QTest::newRow("wind") << int(SystemSetting::WindUnit) << "System/WindUnit" << "4";
        QTest::newRow("language") << int(SystemSetting::Language) << "System/LANGUAGE" << "1";
        QTest::newRow("area") << int(SystemSetting::AreaUnit) << "System/AreaUnit" << "1";
        QTest::newRow("volume") << int(SystemSetting::VolumeUnit) << "System/VolumeUnit" << "1";
        QTest::newRow("export path") << int(SystemSetting::ExportPath) << "System/ExportPath" << "/home/u/out";
    }

    void saveWritesOnlyItsKey()
    {
        QFETCH(int, item);
        QFETCH(QString, key);
        QFETCH(QString, value);

        openIni(QByteArray("[System]\nQUERYPERIOD=250\n"));
        SystemSetting s;
        s.serialPortName = "/dev/ttyS1";
        s.serialPortBaud = 4800;
        s.tempUnit = s.windUnit = s.language = s.areaUnit = s.volumeUnit = 1;
        s.windUnit = 4;
        s.pendingWindUnit = 3;   // pending fields are never written
        s.exportPath = "/home/u/out";
        s.save(SystemSetting::SettingItem(item));

        QSettings reread(m_ini, QSettings::IniFormat);
        fileAfterSync();
        reread.sync();
        QStringList keys = reread.allKeys();
        keys.sort();
        QStringList expected{key, "System/QUERYPERIOD"};
        expected.sort();
        QCOMPARE(keys, expected);
        QCOMPARE(reread.value(key).toString(), value);
        QCOMPARE(reread.value("System/QUERYPERIOD").toString(), QString("250"));
    }
};

QTEST_GUILESS_MAIN(Tst_SystemSetting)
#include "tst_systemsetting.moc"
