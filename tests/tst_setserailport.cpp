#include <QtTest>

#include <functional>
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSettings>
#include <QStyle>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTimer>

#include "ui/setserailport.h"
#include "ptypair.h"
#include "storage/globals.h"
#include "storage/systemsetting.h"

namespace {

// exec() result when the dialog had to be closed from outside.
constexpr int kStuck = 99;

// Accepts every modal message box that comes up while it lives and notes
// "title|text" of each; the dialog's constructor may show one.
class MessageBoxCloser : public QObject
{
public:
    MessageBoxCloser()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            seen << box->windowTitle() + QLatin1Char('|') + box->text();
            box->done(QMessageBox::Ok);
        });
        m_timer.start(10);
    }

    QStringList seen;

private:
    QTimer m_timer;
};

const char *const kAllButtons[] = {"rbUnitC",   "rbUnitF",   "rbUnitMm",  "rbUnitFt",  "rbUnitMs",
                                   "rbUnitKnt", "rbUnitKmh", "rbUnitFtm", "rbUnitMph", "rbUnitCmm",
                                   "rbUnitCfm", "rbEnglish", "rbChinese"};

QRadioButton *radio(QDialog &dialog, const char *name)
{
    return dialog.findChild<QRadioButton *>(QString::fromLatin1(name));
}

QComboBox *portBox(QDialog &dialog)
{
    return dialog.findChild<QComboBox *>(QStringLiteral("cb_SerialPort"));
}

void click(QDialog &dialog, const char *name)
{
    auto *button = dialog.findChild<QAbstractButton *>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QPoint where = button->rect().center();
    // A radio button takes clicks on its indicator and text only, not on
    // the empty rest of its row.
    if (qobject_cast<QRadioButton *>(button)) {
        QStyleOption option;
        option.initFrom(button);
        where = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button).center();
    }
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, where);
}

QStringList checkedIn(QDialog &dialog, const char *group)
{
    QStringList names;
    const auto buttons = dialog.findChild<QGroupBox *>(QString::fromLatin1(group))->findChildren<QRadioButton *>();
    for (QRadioButton *button : buttons) {
        if (button->isChecked())
            names << button->objectName();
    }
    return names;
}

QStringList listedPorts()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        names << port.portName();
    return names;
}

} // namespace

class Tst_SetSerailPort : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_ini;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<MessageBoxCloser> m_boxes;
    QMap<QString, QString> m_before;

    // Options.ini with these keys, then the settings objects on it.
    void load(const QVariantMap &keys)
    {
        {
            QSettings file(m_ini, QSettings::IniFormat);
            for (auto it = keys.cbegin(); it != keys.cend(); ++it)
                file.setValue(it.key(), it.value());
        }
        pSettings = new QSettings(m_ini, QSettings::IniFormat);
        pSystemSetting = new SystemSetting;
        m_before = fileContents();
    }

    void loadWithPort(const QString &port, QVariantMap keys = {})
    {
        keys.insert(QStringLiteral("System/SERIALPORTNAME"), port);
        load(keys);
    }

    QMap<QString, QString> fileContents() const
    {
        pSettings->sync();
        QSettings file(m_ini, QSettings::IniFormat);
        QMap<QString, QString> contents;
        const QStringList keys = file.allKeys();
        for (const QString &key : keys)
            contents.insert(key, file.value(key).toString());
        return contents;
    }

    // Keys whose value is new or different since load().
    QMap<QString, QString> written() const
    {
        QMap<QString, QString> changed;
        const QMap<QString, QString> now = fileContents();
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (m_before.value(it.key()) != it.value())
                changed.insert(it.key(), it.value());
        }
        return changed;
    }

    void verifyPendingEqualsInForce()
    {
        const SystemSetting *s = pSystemSetting;
        QCOMPARE(s->pendingLanguage, s->language);
        QCOMPARE(s->pendingTempUnit, s->tempUnit);
        QCOMPARE(s->pendingWindUnit, s->windUnit);
        QCOMPARE(s->pendingAreaUnit, s->areaUnit);
        QCOMPARE(s->pendingVolumeUnit, s->volumeUnit);
    }

    // Runs the dialog modally; act drives it from inside its event loop.
    int run(int mode, const std::function<void(setSerailPort &)> &act)
    {
        setSerailPort dialog(mode, nullptr);
        QTimer::singleShot(0, &dialog, [&] {
            act(dialog);
            if (QTest::currentTestFailed() && dialog.isVisible())
                dialog.done(kStuck);
        });
        QTimer::singleShot(20000, &dialog, [&] { dialog.done(kStuck); });
        return dialog.exec();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_ini = m_dir.filePath(QStringLiteral("Options.ini"));
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(m_pty->isValid());
        // A pseudo-terminal is never enumerated as a serial port.
        QVERIFY(!listedPorts().contains(m_pty->slavePath()));
    }

    void init()
    {
        QFile::remove(m_ini);
        m_boxes = std::make_unique<MessageBoxCloser>();
    }

    void cleanup()
    {
        m_boxes.reset();
        delete pSystemSetting;
        pSystemSetting = nullptr;
        delete pSettings;
        pSettings = nullptr;
    }

    void formShowsTheOptionsInTheirGroups()
    {
        loadWithPort(m_pty->slavePath());
        setSerailPort dialog(0, nullptr);
        QCOMPARE(dialog.objectName(), QStringLiteral("setSerailPort"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Options Set"));
        QCOMPARE(dialog.size(), QSize(504, 477));
        // Exclusivity works per group box, so each button must sit in its own.
        const QMap<QString, QStringList> groups{
            {QStringLiteral("groupUnitTemp"), {"rbUnitC", "rbUnitF"}},
            {QStringLiteral("groupUnitArea"), {"rbUnitMm", "rbUnitFt"}},
            {QStringLiteral("groupBox_3"), {"rbUnitMs", "rbUnitKnt", "rbUnitKmh", "rbUnitFtm", "rbUnitMph"}},
            {QStringLiteral("groupBox_4"), {"rbUnitCmm", "rbUnitCfm"}},
            {QStringLiteral("groupBox_2"), {"rbEnglish", "rbChinese"}},
        };
        for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
            for (const QString &name : it.value())
                QCOMPARE(radio(dialog, qPrintable(name))->parent()->objectName(), it.key());
        }
        QCOMPARE(radio(dialog, "rbUnitC")->text(), QString::fromUtf8("℃"));
        QCOMPARE(radio(dialog, "rbUnitF")->text(), QString::fromUtf8("℉"));
        QCOMPARE(radio(dialog, "rbUnitFt")->text(), QString::fromUtf8("ft²"));
        QCOMPARE(radio(dialog, "rbUnitFtm")->text(), QStringLiteral("ft/min"));
    }

    void okWithoutChangesWritesNothing()
    {
        loadWithPort(m_pty->slavePath());
        QCOMPARE(run(0, [](setSerailPort &d) { click(d, "pb_set_SerialPort"); }), int(QDialog::Rejected));
        QCOMPARE(written(), (QMap<QString, QString>{}));
        QCOMPARE(pSystemSetting->serialPortName, m_pty->slavePath());
        QCOMPARE(pSystemSetting->windUnit, 0);
        QVERIFY(m_boxes->seen.isEmpty());
    }

    void buildingTheDialogWritesNoPendingField()
    {
        loadWithPort(m_pty->slavePath(), {{"System/LANGUAGE", 1},
                                          {"System/TemperaterUnit", 1},
                                          {"System/WindUnit", 3},
                                          {"System/AreaUnit", 1},
                                          {"System/VolumeUnit", 1}});
        SystemSetting *s = pSystemSetting;
        s->pendingLanguage = s->pendingTempUnit = s->pendingWindUnit = s->pendingAreaUnit = s->pendingVolumeUnit = -7;

        setSerailPort dialog(0, nullptr);
        QCOMPARE(s->pendingLanguage, -7);
        QCOMPARE(s->pendingTempUnit, -7);
        QCOMPARE(s->pendingWindUnit, -7);
        QCOMPARE(s->pendingAreaUnit, -7);
        QCOMPARE(s->pendingVolumeUnit, -7);
        QCOMPARE(checkedIn(dialog, "groupUnitTemp"), QStringList{"rbUnitF"});
        QCOMPARE(checkedIn(dialog, "groupBox_3"), QStringList{"rbUnitKnt"});
        QCOMPARE(checkedIn(dialog, "groupUnitArea"), QStringList{"rbUnitFt"});
        QCOMPARE(checkedIn(dialog, "groupBox_4"), QStringList{"rbUnitCfm"});
        QCOMPARE(checkedIn(dialog, "groupBox_2"), QStringList{"rbChinese"});
    }

    void choosingAUnitAppliesOnlyIt_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("code");
        QTest::newRow("ft/min") << "rbUnitFtm" << "System/WindUnit" << 4;
        QTest::newRow("km/h") << "rbUnitKmh" << "System/WindUnit" << 1;
        QTest::newRow("mph") << "rbUnitMph" << "System/WindUnit" << 2;
        QTest::newRow("knots") << "rbUnitKnt" << "System/WindUnit" << 3;
        QTest::newRow("Fahrenheit") << "rbUnitF" << "System/TemperaterUnit" << 1;
        QTest::newRow("square feet") << "rbUnitFt" << "System/AreaUnit" << 1;
        QTest::newRow("CFM") << "rbUnitCfm" << "System/VolumeUnit" << 1;
    }

    void choosingAUnitAppliesOnlyIt()
    {
        QFETCH(QString, button);
        QFETCH(QString, key);
        QFETCH(int, code);

        loadWithPort(m_pty->slavePath());
        const int result = run(0, [&](setSerailPort &d) {
            click(d, qPrintable(button));
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(written(), (QMap<QString, QString>{{key, QString::number(code)}}));
        const SystemSetting *s = pSystemSetting;
        const QMap<QString, int> inForce{{"System/WindUnit", s->windUnit},
                                          {"System/TemperaterUnit", s->tempUnit},
                                          {"System/AreaUnit", s->areaUnit},
                                          {"System/VolumeUnit", s->volumeUnit}};
        QCOMPARE(inForce.value(key), code);
        verifyPendingEqualsInForce();
    }

    void chineseIsAppliedAndAccepted()
    {
        loadWithPort(m_pty->slavePath());
        const int result = run(0, [](setSerailPort &d) {
            click(d, "rbChinese");
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(pSystemSetting->language, 1);
        QCOMPARE(written(), (QMap<QString, QString>{{"System/LANGUAGE", "1"}}));
    }

    void chineseThenEnglishWritesNothing()
    {
        loadWithPort(m_pty->slavePath());
        const int result = run(0, [](setSerailPort &d) {
            click(d, "rbChinese");
            click(d, "rbEnglish");
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(pSystemSetting->pendingLanguage, 0);
        QCOMPARE(pSystemSetting->language, 0);
        QCOMPARE(written(), (QMap<QString, QString>{}));
    }

    void closingWithoutOkDiscardsTheChoices_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Escape key") << 1;
        QTest::newRow("window close button") << 2;
    }

    void closingWithoutOkDiscardsTheChoices()
    {
        QFETCH(int, how);

        loadWithPort(m_pty->slavePath());
        const int result = run(0, [how](setSerailPort &d) {
            for (const char *name : {"rbChinese", "rbUnitF", "rbUnitKnt", "rbUnitFt", "rbUnitCfm"})
                click(d, name);
            if (how == 0)
                click(d, "pb_Cancel_SerialPort");
            else if (how == 1)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                d.close();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        verifyPendingEqualsInForce();
        QCOMPARE(pSystemSetting->language, 0);

        // Reopened and confirmed, nothing of the discarded choices comes back.
        QCOMPARE(run(0, [](setSerailPort &d) { click(d, "pb_set_SerialPort"); }), int(QDialog::Rejected));
        QCOMPARE(pSystemSetting->language, 0);
        QCOMPARE(pSystemSetting->tempUnit, 0);
        QCOMPARE(pSystemSetting->windUnit, 0);
        QCOMPARE(pSystemSetting->areaUnit, 0);
        QCOMPARE(pSystemSetting->volumeUnit, 0);
        QCOMPARE(written(), (QMap<QString, QString>{}));
    }

    void portOnlyModeChangesOnlyThePort()
    {
        PtyPair other;
        QVERIFY(other.isValid());
        loadWithPort(m_pty->slavePath());
        const int result = run(1, [&](setSerailPort &d) {
            for (const char *name : kAllButtons)
                QVERIFY2(!radio(d, name)->isEnabled(), name);
            QVERIFY(portBox(d)->isEnabled());
            click(d, "rbChinese");
            click(d, "rbUnitFtm");
            // Another port offered in the list and picked.
            portBox(d)->addItem(other.slavePath());
            portBox(d)->setCurrentIndex(portBox(d)->count() - 1);
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(pSystemSetting->serialPortName, other.slavePath());
        QCOMPARE(pSystemSetting->language, 0);
        QCOMPARE(pSystemSetting->windUnit, 0);
        QCOMPARE(written(), (QMap<QString, QString>{{"System/SERIALPORTNAME", other.slavePath()}}));
    }

    void flowBoxShowsTheStoredFlowUnit_data()
    {
        QTest::addColumn<int>("windUnit");
        QTest::addColumn<int>("volumeUnit");
        QTest::addColumn<QStringList>("velChecked");
        QTest::addColumn<QStringList>("flowChecked");
        QTest::newRow("wind 5, CMM") << 5 << 0 << QStringList() << QStringList{"rbUnitCmm"};
        QTest::newRow("wind 5, CFM") << 5 << 1 << QStringList() << QStringList{"rbUnitCfm"};
        QTest::newRow("wind 6, CMM") << 6 << 0 << QStringList() << QStringList{"rbUnitCmm"};
        QTest::newRow("wind 6, CFM") << 6 << 1 << QStringList() << QStringList{"rbUnitCfm"};
        QTest::newRow("m/s, CFM") << 0 << 1 << QStringList{"rbUnitMs"} << QStringList{"rbUnitCfm"};
        QTest::newRow("ft/min, CMM") << 4 << 0 << QStringList{"rbUnitFtm"} << QStringList{"rbUnitCmm"};
    }

    void flowBoxShowsTheStoredFlowUnit()
    {
        QFETCH(int, windUnit);
        QFETCH(int, volumeUnit);
        QFETCH(QStringList, velChecked);
        QFETCH(QStringList, flowChecked);

        loadWithPort(m_pty->slavePath(), {{"System/WindUnit", windUnit}, {"System/VolumeUnit", volumeUnit}});
        const int result = run(0, [&](setSerailPort &d) {
            QCOMPARE(checkedIn(d, "groupBox_3"), velChecked);
            QCOMPARE(checkedIn(d, "groupBox_4"), flowChecked);
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(pSystemSetting->windUnit, windUnit);
        QCOMPARE(pSystemSetting->volumeUnit, volumeUnit);
        QCOMPARE(written(), (QMap<QString, QString>{}));
    }

    void storedCodeOutOfRangeIsKept_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("group");
        QTest::newRow("temperature 2") << "System/TemperaterUnit" << "groupUnitTemp";
        QTest::newRow("wind 7") << "System/WindUnit" << "groupBox_3";
        QTest::newRow("area 2") << "System/AreaUnit" << "groupUnitArea";
        QTest::newRow("flow 2") << "System/VolumeUnit" << "groupBox_4";
        QTest::newRow("language 2") << "System/LANGUAGE" << "groupBox_2";
    }

    void storedCodeOutOfRangeIsKept()
    {
        QFETCH(QString, key);
        QFETCH(QString, group);

        const int code = key == QLatin1String("System/WindUnit") ? 7 : 2;
        loadWithPort(m_pty->slavePath(), {{key, code}});
        const int result = run(0, [&](setSerailPort &d) {
            QCOMPARE(checkedIn(d, qPrintable(group)), QStringList());
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(written(), (QMap<QString, QString>{}));
        QCOMPARE(fileContents().value(key), QString::number(code));
        verifyPendingEqualsInForce();
    }

    void unlistedConfiguredPortIsKept_data()
    {
        QTest::addColumn<bool>("underDev");
        QTest::newRow("full device path") << false;
        QTest::newRow("name under /dev") << true;
    }

    void unlistedConfiguredPortIsKept()
    {
        QFETCH(bool, underDev);

        QString port = m_pty->slavePath();
        if (underDev) {
            QVERIFY(port.startsWith(QLatin1String("/dev/")));
            port = port.mid(5);
        }
        loadWithPort(port);
        const int result = run(0, [&](setSerailPort &d) {
            QVERIFY(portBox(d)->findText(port) >= 0);
            QCOMPARE(portBox(d)->currentText(), port);
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(pSystemSetting->serialPortName, port);
        QCOMPARE(written(), (QMap<QString, QString>{}));
        QVERIFY(m_boxes->seen.isEmpty());
    }

    void listedPortStoredByItsPathIsKept()
    {
        const auto ports = QSerialPortInfo::availablePorts();
        if (ports.isEmpty())
            QSKIP("this machine lists no serial port");
        const QSerialPortInfo listed = ports.first();
        if (listed.systemLocation() == listed.portName())
            QSKIP("the listed port's name is its path");

        loadWithPort(listed.systemLocation());
        const int result = run(0, [&](setSerailPort &d) {
            QCOMPARE(portBox(d)->currentText(), listed.portName());
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(pSystemSetting->serialPortName, listed.systemLocation());
        QCOMPARE(written(), (QMap<QString, QString>{}));
    }

    void vanishedPortGivesWayToTheFirstListed()
    {
        const QStringList ports = listedPorts();
        if (ports.isEmpty())
            QSKIP("this machine lists no serial port");

        loadWithPort(QStringLiteral("/dev/aq7316-vanished-port"));
        const int result = run(0, [&](setSerailPort &d) {
            QCOMPARE(portBox(d)->count(), ports.size());
            QCOMPARE(portBox(d)->currentText(), ports.first());
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(pSystemSetting->serialPortName, ports.first());
        QCOMPARE(written(), (QMap<QString, QString>{{"System/SERIALPORTNAME", ports.first()}}));
        QVERIFY(m_boxes->seen.isEmpty());
    }

    void noPortAtAllIsReportedAndNothingStored()
    {
        if (!listedPorts().isEmpty())
            QSKIP("this machine lists serial ports");

        loadWithPort(QStringLiteral("COM3"));
        const int result = run(0, [](setSerailPort &d) {
            QCOMPARE(portBox(d)->count(), 0);
            click(d, "pb_set_SerialPort");
        });
        QCOMPARE(m_boxes->seen, QStringList{"No Serial Port found|OK"});
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(pSystemSetting->serialPortName, QStringLiteral("COM3"));
        QCOMPARE(written(), (QMap<QString, QString>{}));
    }
};

QTEST_MAIN(Tst_SetSerailPort)
#include "tst_setserailport.moc"
