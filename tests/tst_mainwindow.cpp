#include <QtTest>

#include <QChartView>
#include <QDateTimeAxis>
#include <QLCDNumber>
#include <QLabel>
#include <QLineSeries>
#include <QSettings>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QDir>
#include <QToolBar>

#include "device/wireformat.h"
#include "storage/globals.h"
#include "storage/loghelper.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/mainwindow.h"
#include "ui/qprocessindicator.h"

#include "modalanswer.h"
#include "testglobals.h"

using namespace QtCharts;

// The window built in a temporary application folder, fed through its
// slots as the link and the loader would feed it.
class Tst_MainWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    MainWindow *m_window = nullptr;

    template<typename T>
    T *child(const char *name) const
    {
        T *w = m_window->findChild<T *>(QLatin1String(name));
        Q_ASSERT(w);
        return w;
    }

    QString lcd(const char *name) const { return child<QLCDNumber>(name)->accessibleName(); }
    QString label(const char *name) const { return child<QLabel>(name)->text(); }
    QString status() const { return m_window->statusBar()->currentMessage(); }
    QAbstractItemModel *model() const { return child<QTableView>("tv_Record")->model(); }

    QString cell(int row, int column) const
    {
        return model()->index(row, column).data(Qt::DisplayRole).toString();
    }

    QStringList rowTexts(int row) const
    {
        QStringList out;
        for (int c = 0; c < model()->columnCount(); ++c)
            out << cell(row, c);
        return out;
    }

    QStringList headers() const
    {
        QStringList out;
        for (int c = 0; c < model()->columnCount(); ++c)
            out << model()->headerData(c, Qt::Horizontal).toString();
        return out;
    }

    QLineSeries *series(int i) const
    {
        return qobject_cast<QLineSeries *>(child<QChartView>("wv_Plot")->chart()->series().at(i));
    }

    QDateTimeAxis *timeAxis() const
    {
        return qobject_cast<QDateTimeAxis *>(
            child<QChartView>("wv_Plot")->chart()->axes(Qt::Horizontal).first());
    }

    QList<PelnorXLogItem> stored(bool downloaded) const
    {
        QList<PelnorXLogItem> list;
        if (downloaded)
            pSystemLogManager->querySystemLogIn(&list);
        else
            pSystemLogManager->querySystemLog(&list);
        return list;
    }

    void frame(const wire::FrameFields &f)
    {
        QVERIFY(QMetaObject::invokeMethod(m_window, "onRecvDataFrame",
                                          Q_ARG(QByteArray, wire::encodeRealtimeFrame(f))));
    }

    void package(const QByteArray &bytes)
    {
        QVERIFY(QMetaObject::invokeMethod(m_window, "slotDownloadItem", Q_ARG(QByteArray, bytes)));
    }

    static wire::FrameFields normalFrame()
    {
        wire::FrameFields f;
        f.speedMmPerS = 5000;          // 5.000 m/s
        f.temperatureDeciC = -100;     // -10.0 °C
        f.areaMantissa = 1234;
        f.areaDecimals = 3;            // 1.234 m²
        f.batteryLevel = 4;
        return f;
    }

    void resetUnits()
    {
        pSystemSetting->tempUnit = pSystemSetting->windUnit = 0;
        pSystemSetting->areaUnit = pSystemSetting->volumeUnit = 0;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setUpGlobals(m_dir.path());
    }

    void init()
    {
        resetUnits();
        QFile::remove(m_dir.filePath("systemlog.db"));
        m_window = new MainWindow(m_dir.path(), nullptr);
        m_window->resize(1400, 800);
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        dropHistoryManager();
    }

    void startsEmptyWithHeadersAndZeros()
    {
        QCOMPARE(model()->rowCount(), 0);
        QCOMPARE(headers(), (QStringList{"Date", "Time", "Temp-C", "wind-ms", "Area-Mm", "Volume-CMM",
                                         "WindChill-C"}));
        QCOMPARE(lcd("numTemp"), QString("0.0"));
        QCOMPARE(lcd("numWind"), QString("0.000"));
        QCOMPARE(lcd("numArea"), QString("0.000"));
        QCOMPARE(lcd("numVolume"), QString("0.0"));
        QCOMPARE(label("lbState"), QString("Unknown"));
        QCOMPARE(m_window->windowTitle(), QString("AQ7316 Anemometer"));
        auto *view = child<QTableView>("tv_Record");
        const int widths[] = {90, 70, 100, 80, 80, 120, 95};
        for (int c = 0; c < 7; ++c)
            QCOMPARE(view->columnWidth(c), widths[c]);
        QCOMPARE(series(0)->name(), QString("Temperature"));
        QCOMPARE(series(1)->name(), QString("Vel"));
        QCOMPARE(series(0)->count(), 0);
        QVERIFY(!m_window->isRecording());
    }

    void toolbarsCarryTheActions()
    {
        QStringList texts;
        for (QAction *a : child<QToolBar>("mainToolBar")->actions())
            texts << (a->isSeparator() ? QString("|") : a->text());
        QCOMPARE(texts, (QStringList{"|", "Download", "Record", "|", "Export", "Set", "|", "About", "History"}));
        const QList<QAction *> side = child<QToolBar>("toprighttoolbar")->actions();
        QCOMPARE(side.size(), 1);
        QCOMPARE(side.first()->text(), QString("Side In/Out"));
    }

    void sideToggleTwiceRestoresPanel()
    {
        m_window->show();
        QAction *side = child<QToolBar>("toprighttoolbar")->actions().first();
        auto *panel = child<QWidget>("sidewidget");
        QVERIFY(!panel->isHidden());
        side->trigger();
        QVERIFY(panel->isHidden());
        side->trigger();
        QVERIFY(!panel->isHidden());
    }

    void liveFrameReachesPanelTableChartAndDatabase()
    {
        frame(normalFrame());

        QCOMPARE(label("lbState"), QString("Normal"));
        QCOMPARE(lcd("numWind"), QString("5.000"));
        QCOMPARE(label("unitWind"), QString("m/s"));
        QCOMPARE(lcd("numTemp"), QString("-10.0"));
        QCOMPARE(lcd("numArea"), QString("1.234"));
        QCOMPARE(lcd("numVolume"), QString("370.200"));   // 1.234 m² × 5 m/s × 60
        QCOMPARE(label("unitVolume"), QString("CMM"));

        QCOMPARE(model()->rowCount(), 1);
        const QStringList row = rowTexts(0);
        QCOMPARE(row.mid(2), (QStringList{"-10.0", "5.000", "1.234", "370.200", "-17.4"}));
        QVERIFY(QRegularExpression("^\\d{4}-\\d{1,2}-\\d{1,2}$").match(row.at(0)).hasMatch());
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(row.at(1)).hasMatch());

        QCOMPARE(series(0)->count(), 1);
        QCOMPARE(series(1)->count(), 1);
        QCOMPARE(series(1)->at(0).y(), 5.0);
        QCOMPARE(series(0)->at(0).y(), -10.0);
        QCOMPARE(timeAxis()->min(), timeAxis()->max());
        QCOMPARE(qint64(series(1)->at(0).x()), timeAxis()->max().toMSecsSinceEpoch());

        const QList<PelnorXLogItem> db = stored(false);
        QCOMPARE(db.size(), 1);
        QCOMPARE(db.first().windspeed_ms, 5.0);
        QCOMPARE(db.first().date, row.at(0));
        QCOMPARE(status(), QString("Realtime data received"));
    }

    void instrumentUnitsOnPanelUserUnitsInTable()
    {
        pSystemSetting->windUnit = 3;   // knots
        wire::FrameFields f = normalFrame();
        f.windUnit = 1;                 // the instrument shows km/h
        f.temperatureUnit = 1;          // and °F
        frame(f);
        QCOMPARE(lcd("numWind"), QString("18.000"));
        QCOMPARE(label("unitWind"), QString("Km/h"));
        QCOMPARE(lcd("numTemp"), QString("14.0"));       // -10 °C = 14 °F
        QCOMPARE(label("unitTemp"), QString("du-F"));
        QCOMPARE(cell(0, 3), QString("9.720"));           // 5 m/s × 1.944
        QCOMPARE(cell(0, 2), QString("-10.0"));           // the user keeps °C
        QCOMPARE(series(1)->at(0).y(), 5.0 * 1.944);
    }

    void noWheelAndUnknownState()
    {
        wire::FrameFields f = normalFrame();
        f.deviceState = 1;
        frame(f);
        QCOMPARE(label("lbState"), QString("No Wheel"));
        QCOMPARE(lcd("numTemp"), QString("-.-"));
        QCOMPARE(cell(0, 2), QString("-.-"));
        QCOMPARE(cell(0, 6), QString("-.-"));
        QCOMPARE(cell(0, 3), QString("5.000"));
        QCOMPARE(m_window->temperaturePoints().size(), 0);
        QCOMPARE(m_window->windPoints().size(), 1);

        f.deviceState = 2;
        frame(f);
        QCOMPARE(label("lbState"), QString("Unknown"));
        QCOMPARE(lcd("numTemp"), QString("-10.0"));
        QCOMPARE(cell(1, 2), QString("-10.0"));
        QCOMPARE(m_window->temperaturePoints().size(), 1);

        const QList<PelnorXLogItem> db = stored(false);
        QCOMPARE(db.size(), 2);
        QCOMPARE(db.at(0).devstate, 1);
        QCOMPARE(db.at(0).temperature_c, -10.0);   // measured values stored all the same
        QCOMPARE(db.at(1).devstate, 2);
    }

    void batteryPictureLoadedOnlyOnChange()
    {
        m_window->show();
        auto *battery = child<QLabel>("lbBattle");
        wire::FrameFields f = normalFrame();
        f.batteryLevel = 2;
        frame(f);
        const qint64 first = battery->pixmap(Qt::ReturnByValue).cacheKey();
        frame(f);
        QCOMPARE(battery->pixmap(Qt::ReturnByValue).cacheKey(), first);
        f.batteryLevel = 200;   // any level above 4: the empty picture
        frame(f);
        QVERIFY(battery->pixmap(Qt::ReturnByValue).cacheKey() != first);
    }

    void threeRecordPackageAtItsChartTimes()
    {
        QVector<wire::RecordFields> recs(3);
        for (int i = 0; i < 3; ++i) {
            recs[i].speedMmPerS = quint16(1000 * (i + 1));
            recs[i].temperatureDeciC = qint16(200 + i);
            recs[i].areaMantissa = 100;
            recs[i].areaDecimals = 2;
        }
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        package(wire::encodeStoredPackage(recs));
        const qint64 after = QDateTime::currentMSecsSinceEpoch();

        QCOMPARE(status(), QString("Stored data received"));
        QCOMPARE(model()->rowCount(), 3);
        QCOMPARE(cell(0, 0), QString(" "));
        QCOMPARE(cell(0, 1), QString(" "));
        QCOMPARE(cell(2, 3), QString("3.000"));
        QCOMPARE(headers().at(3), QString("wind-ms"));

        const QVector<QPointF> &wind = m_window->windPoints();
        QCOMPARE(wind.size(), 3);
        const qint64 now = timeAxis()->max().toMSecsSinceEpoch();
        QVERIFY(now >= before && now <= after);
        QCOMPARE(qint64(wind.at(0).x()), now - 1500);
        QCOMPARE(qint64(wind.at(1).x()), now - 1000);
        QCOMPARE(qint64(wind.at(2).x()), now - 500);
        QCOMPARE(timeAxis()->min().toMSecsSinceEpoch(), now - 1500);

        // The panel shows the last record in the user's units.
        QCOMPARE(label("lbState"), QString("Normal"));
        QCOMPARE(lcd("numWind"), QString("3.000"));
        QCOMPARE(lcd("numTemp"), QString("20.2"));

        const QList<PelnorXLogItem> db = stored(true);
        QCOMPARE(db.size(), 3);
        QCOMPARE(db.at(0).id + 1, db.at(1).id);
        QCOMPARE(db.at(2).windspeed_ms, 3.0);
        QCOMPARE(db.at(0).date, QString(" "));
        QCOMPARE(child<QTableView>("tv_Record")->currentIndex().row(), 2);
    }

    void emptyPackageShowsNoReading()
    {
        package(QByteArray::fromHex("04000003"));
        QCOMPARE(status(), QString("Stored data received"));
        QCOMPARE(model()->rowCount(), 0);
        QCOMPARE(model()->columnCount(), 7);
        for (const char *n : {"numArea", "numTemp", "numVolume", "numWind"})
            QCOMPARE(lcd(n), QString("-.-"));
        QCOMPARE(label("lbState"), QString("Normal"));
    }

    void corruptPackageChangesOnlyTheStatus()
    {
        frame(normalFrame());
        const QStringList before = rowTexts(0);
        QByteArray bad = wire::encodeStoredPackage(QVector<wire::RecordFields>(2));
        bad[bad.size() - 1] = 0x05;
        package(bad);
        QCOMPARE(status(), QString("Stored data received Error"));
        QCOMPARE(model()->rowCount(), 1);
        QCOMPARE(rowTexts(0), before);
        QCOMPARE(stored(true).size(), 0);
        QVERIFY(!m_window->busyIndicator()->isAnimating());
    }

    void unitChangeRebuildsRowsFromTheDatabase()
    {
        wire::FrameFields f = normalFrame();
        frame(f);
        f.deviceState = 1;     // no temperature point for this one
        frame(f);
        f.deviceState = 0;
        f.speedMmPerS = 1000;
        frame(f);
        QCOMPARE(m_window->temperaturePoints().size(), 2);

        pSystemSetting->tempUnit = 1;
        pSystemSetting->windUnit = 1;
        auto *list = new QList<PelnorXLogItem>(stored(false));
        QCOMPARE(list->size(), 3);
        m_window->updateAxes();
        m_window->resetTableColumns();
        QVERIFY(QMetaObject::invokeMethod(m_window, "onLoadFinished",
                                          Q_ARG(QList<PelnorXLogItem> *, list)));

        QCOMPARE(model()->rowCount(), 3);
        QCOMPARE(headers().at(2), QString("Temp-F"));
        QCOMPARE(headers().at(3), QString("wind-kmh"));
        QCOMPARE(cell(0, 2), QString("14.0"));
        QCOMPARE(cell(0, 3), QString("18.000"));
        QCOMPARE(cell(1, 2), QString("-.-"));
        QCOMPARE(cell(2, 3), QString("3.600"));

        // Points keep their times and take the new unit; the reading without
        // a temperature keeps none.
        const QVector<QPointF> &wind = m_window->windPoints();
        const QVector<QPointF> &temp = m_window->temperaturePoints();
        QCOMPARE(wind.size(), 3);
        QCOMPARE(wind.at(2).y(), 3.6);
        QCOMPARE(temp.size(), 2);
        QCOMPARE(temp.at(0).x(), wind.at(0).x());
        QCOMPARE(temp.at(1).x(), wind.at(2).x());
        QCOMPARE(temp.at(0).y(), 14.0);
        QVERIFY(!m_window->busyIndicator()->isAnimating());
    }

    void rebuildWithMoreRecordsThanPointsStaysInBounds()
    {
        frame(normalFrame());
        auto *list = new QList<PelnorXLogItem>(stored(false));
        list->append(list->first());
        list->append(list->first());
        m_window->resetTableColumns();
        QVERIFY(QMetaObject::invokeMethod(m_window, "onLoadFinished",
                                          Q_ARG(QList<PelnorXLogItem> *, list)));
        QCOMPARE(model()->rowCount(), 3);
        QCOMPARE(m_window->windPoints().size(), 1);
    }

    void emptyOrNullListOnlyClosesIndicator()
    {
        frame(normalFrame());
        QVERIFY(QMetaObject::invokeMethod(m_window, "onLoadFinished",
                                          Q_ARG(QList<PelnorXLogItem> *, new QList<PelnorXLogItem>())));
        QVERIFY(QMetaObject::invokeMethod(m_window, "onLoadFinished",
                                          Q_ARG(QList<PelnorXLogItem> *, nullptr)));
        QCOMPARE(model()->rowCount(), 1);
    }

    void exportWithEmptyTableOnlyWarns()
    {
        ModalAnswer answer;
        QVERIFY(QMetaObject::invokeMethod(m_window, "slotExportBar", Q_ARG(bool, false)));
        QVERIFY(answer.answered());
        QCOMPARE(answer.title(), QString("Error"));
        QCOMPARE(answer.text(), QString("No Data to Export"));
    }

    void exportCancelledAtTheFormatQuestion()
    {
        frame(normalFrame());
        bool asked = false;
        m_window->setDirectoryPicker([&](QWidget *, const QString &, const QString &) {
            asked = true;
            return QString();
        });
        ModalAnswer answer("Cancel");
        QVERIFY(QMetaObject::invokeMethod(m_window, "slotExportBar", Q_ARG(bool, false)));
        QCOMPARE(answer.title(), QString("Export"));
        QCOMPARE(answer.buttons(), (QStringList{"PDF", "CSV", "Cancel"}));
        QVERIFY(!asked);
    }

    void exportCsvMatchesTheTableAndRemembersTheFolder()
    {
        QTemporaryDir out;
        frame(normalFrame());
        frame(normalFrame());
        QString seenStart;
        m_window->setDirectoryPicker([&](QWidget *, const QString &, const QString &start) {
            seenStart = start;
            return out.path();
        });
        pSystemSetting->exportPath = "C:/";
        {
            ModalAnswer answer("CSV");
            QVERIFY(QMetaObject::invokeMethod(m_window, "slotExportBar", Q_ARG(bool, false)));
        }
        QCOMPARE(seenStart, QString("C:/"));
        QCOMPARE(pSystemSetting->exportPath, out.path());
        pSettings->sync();
        QCOMPARE(pSettings->value("System/ExportPath").toString(), out.path());
        QCOMPARE(status(), QString("Exporting...Done"));

        const QStringList files = QDir(out.path()).entryList({"TamskAnemometer_export_*.csv"});
        QCOMPARE(files.size(), 1);
        QFile f(out.filePath(files.first()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 4);   // header, two rows, nothing after the last line end
        QCOMPARE(lines.at(0), QByteArray("Date,Time,Temp-C,wind-ms,Area-Mm,Volume-CMM,WindChill-C,"));
        QCOMPARE(lines.at(1), (rowTexts(0).join(',') + ",").toUtf8());
        QCOMPARE(lines.at(2), (rowTexts(1).join(',') + ",").toUtf8());
        QVERIFY(lines.at(3).isEmpty());
    }

    void exportToSameFolderWritesNoSetting()
    {
        QTemporaryDir out;
        frame(normalFrame());
        pSettings->remove("System/ExportPath");
        pSettings->sync();
        pSystemSetting->exportPath = out.path();
        m_window->setDirectoryPicker([&](QWidget *, const QString &, const QString &) { return out.path(); });
        ModalAnswer answer("PDF");
        QVERIFY(QMetaObject::invokeMethod(m_window, "slotExportBar", Q_ARG(bool, false)));
        pSettings->sync();
        QVERIFY(!pSettings->contains("System/ExportPath"));
        const QStringList files = QDir(out.path()).entryList({"TamskAnemometer_export_*.pdf"});
        QCOMPARE(files.size(), 1);
        QFile f(out.filePath(files.first()));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(5) == "%PDF-");
        QCOMPARE(status(), QString("Exporting...Done"));
    }

    void failedExportIsNotReportedAsDone()
    {
        frame(normalFrame());
        const QString gone = m_dir.filePath("no/such/folder");
        m_window->setDirectoryPicker([&](QWidget *, const QString &, const QString &) { return gone; });
        QAction *exportAction = child<QToolBar>("mainToolBar")->actions().at(4);
        QCOMPARE(exportAction->text(), QString("Export"));
        for (const char *format : {"CSV", "PDF"}) {
            ModalAnswer answers(QStringList{format, QString()});
            QVERIFY(QMetaObject::invokeMethod(m_window, "slotExportBar", Q_ARG(bool, false)));
            QCOMPARE(answers.count(), 2);
            QCOMPARE(answers.title(1), QString("Export"));
            QVERIFY(answers.text(1).contains(gone));
        }
        QVERIFY(status() != QString("Exporting...Done"));
        QCOMPARE(status(), QString("Export failed"));
        QVERIFY(exportAction->isEnabled());
    }

    void firstReadingSetsBothEndsOfTheTimeAxis()
    {
        frame(normalFrame());
        const QDateTime first = timeAxis()->min();
        QCOMPARE(timeAxis()->max(), first);
        QTRY_VERIFY(QDateTime::currentDateTime() > first.addMSecs(5));
        frame(normalFrame());
        QCOMPARE(timeAxis()->min(), first);
        QVERIFY(timeAxis()->max() > first);
    }
};

QTEST_MAIN(Tst_MainWindow)
#include "tst_mainwindow.moc"
