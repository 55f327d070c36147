#include <QtTest>

#include <QChartView>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QValueAxis>

#include "device/wireformat.h"
#include "storage/globals.h"
#include "storage/runarchive.h"
#include "storage/systemlogmanager.h"
#include "storage/systemsetting.h"
#include "ui/chartinteraction.h"
#include "ui/chartviewport.h"
#include "ui/mainwindow.h"
#include "ui/statspanel.h"

#include "modalanswer.h"
#include "testglobals.h"

using namespace QtCharts;

// The statistics panel and the pointer over the chart, in the real window
// shown offscreen and fed as the link and the loader feed it.
class Tst_WindowStats : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    MainWindow *m_window = nullptr;

    StatsPanel *panel() const { return m_window->findChild<StatsPanel *>(QStringLiteral("wStats")); }
    QChartView *view() const { return m_window->findChild<QChartView *>(QStringLiteral("wv_Plot")); }
    QChart *chart() const { return view()->chart(); }
    QLineSeries *windSeries() const { return qobject_cast<QLineSeries *>(chart()->series().at(1)); }
    QValueAxis *windAxis() const { return qobject_cast<QValueAxis *>(chart()->axes(Qt::Vertical).at(1)); }
    TimeRange axisRange() const
    {
        auto *axis = qobject_cast<QDateTimeAxis *>(chart()->axes(Qt::Horizontal).first());
        return TimeRange{double(axis->min().toMSecsSinceEpoch()), double(axis->max().toMSecsSinceEpoch())};
    }

    void frame(int speedMmPerS, int temperatureDeciC)
    {
        wire::FrameFields f;
        f.speedMmPerS = quint16(speedMmPerS);
        f.temperatureDeciC = qint16(temperatureDeciC);
        f.areaMantissa = 1000;
        f.areaDecimals = 3; // 1 m²
        f.batteryLevel = 4;
        QVERIFY(QMetaObject::invokeMethod(m_window, "onRecvDataFrame",
                                          Q_ARG(QByteArray, wire::encodeRealtimeFrame(f))));
    }

    // n downloaded records, speeds rising 1 mm/s per record.
    void download(int n)
    {
        QVector<wire::RecordFields> recs(n);
        for (int i = 0; i < n; ++i) {
            recs[i].speedMmPerS = quint16(1000 + i);
            recs[i].temperatureDeciC = qint16(200 + i % 50);
            recs[i].areaMantissa = 100;
            recs[i].areaDecimals = 2;
        }
        QVERIFY(QMetaObject::invokeMethod(m_window, "slotDownloadItem",
                                          Q_ARG(QByteArray, wire::encodeStoredPackage(recs))));
    }

    // Viewport position of a position in the chart.
    QPoint toViewport(const QPointF &chartPos) const
    {
        return view()->mapFromScene(chart()->mapToScene(chartPos));
    }

    QPoint plotCentre() const { return toViewport(chart()->plotArea().center()); }

    void wheel(const QPoint &at, int delta)
    {
        QWheelEvent e(QPointF(at), QPointF(view()->viewport()->mapToGlobal(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view()->viewport(), &e);
    }

    void drag(Qt::MouseButton button, const QPoint &from, const QPoint &to)
    {
        QWidget *target = view()->viewport();
        auto send = [&](QEvent::Type type, const QPoint &at, Qt::MouseButton b, Qt::MouseButtons held) {
            QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), b, held, Qt::NoModifier);
            QApplication::sendEvent(target, &e);
        };
        send(QEvent::MouseButtonPress, from, button, button);
        send(QEvent::MouseMove, to, Qt::NoButton, button);
        send(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
    }

    // Full-resolution points inside the axis range.
    int windPointsInView() const
    {
        const TimeRange r = axisRange();
        int n = 0;
        for (const QPointF &p : m_window->windPoints())
            n += p.x() >= r.min && p.x() <= r.max;
        return n;
    }

    int seriesPointsInView() const
    {
        const TimeRange r = axisRange();
        int n = 0;
        for (const QPointF &p : windSeries()->pointsVector())
            n += p.x() >= r.min && p.x() <= r.max;
        return n;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        setUpGlobals(m_dir.path());
    }

    void init()
    {
        pSystemSetting->tempUnit = pSystemSetting->windUnit = 0;
        pSystemSetting->areaUnit = pSystemSetting->volumeUnit = 0;
        pSystemSetting->autoAxes = false;
        m_window = openFreshWindow(m_dir.path());
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QTRY_VERIFY(chart()->plotArea().width() > 100);
    }

    void cleanup()
    {
        closeWindow(m_window);
    }

    void panelSumsUpLiveReadingsAndFollowsUnitChange()
    {
        frame(2000, -100);
        frame(4000, 0);
        frame(6000, 200);
        StatsPanel *p = panel();
        QCOMPARE(p->captionText(), QString("All readings"));
        QCOMPARE(p->readingsText(), QString("3"));
        QCOMPARE(p->figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMin), QString("2.000"));
        QCOMPARE(p->figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMax), QString("6.000"));
        QCOMPARE(p->figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMean), QString("4.000"));
        QCOMPARE(p->figureText(StatsPanel::RowTemperature, StatsPanel::ColumnMean), QString("3.3"));

        // km/h and °F: the rows read back from the history, as a unit change does.
        pSystemSetting->windUnit = 1;
        pSystemSetting->tempUnit = 1;
        auto *list = new QList<PelnorXLogItem>();
        pSystemLogManager->querySystemLog(list);
        m_window->updateAxes();
        m_window->resetTableColumns();
        QVERIFY(QMetaObject::invokeMethod(m_window, "onLoadFinished", Q_ARG(QList<PelnorXLogItem> *, list)));
        QCOMPARE(p->readingsText(), QString("3"));
        QCOMPARE(p->unitText(StatsPanel::RowSpeed), QString("Km/h"));
        QCOMPARE(p->figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMax), QString("21.600"));
        QCOMPARE(p->figureText(StatsPanel::RowTemperature, StatsPanel::ColumnMin), QString("14.0"));
    }

    void wheelZoomShowsEveryReadingAndHoldsAgainstNewOnes()
    {
        download(6000);
        QCOMPARE(m_window->windPoints().size(), 6000);
        // The whole day does not fit the plot's columns: reduced.
        QVERIFY(windSeries()->count() < 6000);

        for (int k = 0; k < 12; ++k)
            wheel(plotCentre(), 120);
        const TimeRange zoomed = axisRange();
        QVERIFY(zoomed.span() < 0.1 * 6000 * 500);
        // Every reading of the range is in the series, at full resolution.
        QVERIFY(windPointsInView() > 100);
        QCOMPARE(seriesPointsInView(), windPointsInView());
        QCOMPARE(panel()->captionText(), QString("Readings in view"));
        QCOMPARE(panel()->readingsText(), QString::number(windPointsInView()));

        // A new reading while zoomed leaves the view where it is.
        frame(3000, 100);
        QCOMPARE(axisRange(), zoomed);
        QCOMPARE(m_window->windPoints().size(), 6001);

        // Hovering a reading shows its values.
        const QPointF target = m_window->windPoints().at(nearestPointIndex(m_window->windPoints(), (zoomed.min + zoomed.max) / 2));
        QTest::mouseMove(view()->viewport(), toViewport(chart()->mapToPosition(target, windSeries())));
        QVERIFY(m_window->chartInteraction()->isHoverShown());
        QVERIFY(m_window->chartInteraction()->hoverText().contains(QString::number(target.y(), 'f', 3)));

        // Dragging right shows earlier readings; a right-drag zooms to its span.
        const QPoint c = plotCentre();
        drag(Qt::LeftButton, c, c + QPoint(100, 0));
        const TimeRange panned = axisRange();
        QVERIFY(panned.max < zoomed.max);
        QVERIFY(qAbs(panned.span() - zoomed.span()) <= 1);
        drag(Qt::RightButton, c - QPoint(50, 0), c + QPoint(50, 0));
        QVERIFY(axisRange().span() < panned.span() / 2);
        QCOMPARE(seriesPointsInView(), windPointsInView());

        // Double-click: every reading again.
        QTest::mouseDClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier, plotCentre());
        const TimeRange all = axisRange();
        QVERIFY(all.min <= m_window->windPoints().first().x());
        QVERIFY(all.max >= m_window->windPoints().last().x());
        QCOMPARE(panel()->captionText(), QString("All readings"));
        QCOMPARE(panel()->readingsText(), QString("6001"));
    }

    void openedRunIsSummedUp()
    {
        download(40);
        QCOMPARE(panel()->readingsText(), QString("40"));
        // Archived as a new download would archive it.
        QVERIFY(pSystemLogManager->deleteSystemLogIn() >= 0);
        download(3);
        QCOMPARE(panel()->readingsText(), QString("3"));
        QList<RunArchive::Summary> runs;
        RunArchive().listRuns({}, &runs);
        auto archived = std::find_if(runs.cbegin(), runs.cend(), [](const RunArchive::Summary &r) { return !r.isCurrent; });
        QVERIFY(archived != runs.cend());
        QVERIFY(m_window->openRun(*archived));
        QCOMPARE(panel()->readingsText(), QString("40"));
        QCOMPARE(panel()->figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMax), QString("1.039"));
    }

    void autoAxesFitTheReadingsAndAreRemembered()
    {
        download(100); // 1.000 to 1.099 m/s
        QCOMPARE(windAxis()->max(), 50.0);
        QToolButton *autoAxes = m_window->chartInteraction()->autoAxesButton();
        autoAxes->click();
        QVERIFY(windAxis()->max() < 2);
        QVERIFY(windAxis()->max() >= 1.099);
        pSettings->sync();
        QCOMPARE(pSettings->value("System/AutoAxes").toInt(), 1);
        autoAxes->click();
        QCOMPARE(windAxis()->max(), 50.0);
        pSettings->sync();
        QCOMPARE(pSettings->value("System/AutoAxes").toInt(), 0);
    }

    void reportFirstPageCarriesTheSummary()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext (poppler-utils) not installed");
        QTemporaryDir out;
        frame(2000, -100);
        frame(6000, 200);
        m_window->setDirectoryPicker([&](QWidget *, const QString &, const QString &) { return out.path(); });
        {
            ModalAnswer answer("PDF");
            QVERIFY(QMetaObject::invokeMethod(m_window, "slotExportBar", Q_ARG(bool, false)));
        }
        const QStringList files = QDir(out.path()).entryList({"TamskAnemometer_export_*.pdf"});
        QCOMPARE(files.size(), 1);
        QProcess tool;
        tool.start("pdftotext", {"-f", "1", "-l", "1", "-layout", out.filePath(files.first()), "-"});
        QVERIFY(tool.waitForFinished(30000));
        const QString page1 = QString::fromUtf8(tool.readAllStandardOutput());
        QVERIFY2(page1.contains("Summary"), qPrintable(page1));
        QVERIFY(page1.contains("4.000")); // mean speed
        QVERIFY(page1.contains("6.000"));
    }
};

QTEST_MAIN(Tst_WindowStats)
#include "tst_windowstats.moc"
