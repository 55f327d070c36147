#include <QtTest>

#include <QLabel>

#include "model/measurements.h"
#include "ui/statspanel.h"

namespace {

// Speeds 1, 2, 4 m/s at 10, 20, 31 °C through 1 m², one without a wheel.
StatsSnapshot sample()
{
    RunningStats stats;
    const double readings[][2] = {{1, 10}, {2, 20}, {4, 31}, {3, 99}};
    qint64 t = QDateTime(QDate(2024, 3, 7), QTime(9, 5, 7)).toMSecsSinceEpoch();
    int i = 0;
    for (const auto &r : readings) {
        PelnorXLogItem item = deriveMeasurements(r[0], r[1], 1, false);
        item.devstate = ++i == 4 ? 1 : 0;
        stats.add(item, t, RowOrigin::Live);
        t += 1241000;
    }
    return stats.total();
}

UnitChoice units(int temp, int wind, int volume)
{
    UnitChoice u;
    u.temp = temp;
    u.wind = wind;
    u.volume = volume;
    return u;
}

} // namespace

class Tst_StatsPanel : public QObject
{
    Q_OBJECT

private slots:
    void showsFiguresInTheUsersUnits()
    {
        StatsPanel panel;
        panel.showStats(sample(), units(1, 3, 1));

        QCOMPARE(panel.unitText(StatsPanel::RowSpeed), QString("Knots"));
        QCOMPARE(panel.figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMin), QString("1.944"));
        QCOMPARE(panel.figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMax), QString("7.776"));
        QCOMPARE(panel.figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMean), QString("4.860"));
        // "No Wheel" has no temperature: three readings, in °F.
        QCOMPARE(panel.figureText(StatsPanel::RowTemperature, StatsPanel::ColumnMin), QString("50.0"));
        QCOMPARE(panel.figureText(StatsPanel::RowTemperature, StatsPanel::ColumnMax), QString("87.8"));
        QCOMPARE(panel.figureText(StatsPanel::RowTemperature, StatsPanel::ColumnMean), QString("68.6"));
        QCOMPARE(panel.figureText(StatsPanel::RowTemperature, StatsPanel::ColumnStdDev), QString("18.9"));
        QCOMPARE(panel.figureText(StatsPanel::RowAirFlow, StatsPanel::ColumnMax), QString("8475.600"));
        QCOMPARE(panel.readingsText(), QString("4"));
        QCOMPARE(panel.durationText(), QString("1:02:03"));

        // The labels are found by their object names, as the window styles them.
        auto *label = panel.findChild<QLabel *>("lbStatsSpeedMean");
        QVERIFY(label);
        QCOMPARE(label->text(), QString("4.860"));
        QVERIFY(panel.findChild<QLabel *>("lbStatsTempStd"));
        QVERIFY(panel.findChild<QLabel *>("lbStatsFlowMin"));
    }

    void unitChangeNeedsNoRecomputation()
    {
        StatsPanel panel;
        const StatsSnapshot stats = sample();
        panel.showStats(stats, units(0, 0, 0));
        QCOMPARE(panel.figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMean), QString("2.500"));
        QCOMPARE(panel.figureText(StatsPanel::RowTemperature, StatsPanel::ColumnMean), QString("20.3"));
        QCOMPARE(panel.figureText(StatsPanel::RowAirFlow, StatsPanel::ColumnMin), QString("60.000"));
        panel.showStats(stats, units(0, 1, 0));
        QCOMPARE(panel.figureText(StatsPanel::RowSpeed, StatsPanel::ColumnMean), QString("9.000"));
        QCOMPARE(panel.unitText(StatsPanel::RowSpeed), QString("Km/h"));
    }

    void clearedPanelShowsNoReading()
    {
        StatsPanel panel;
        panel.showStats(sample(), UnitChoice());
        panel.clearStats(UnitChoice());
        for (int r = 0; r < StatsPanel::RowCount; ++r) {
            for (int c = 0; c < StatsPanel::ColumnCount; ++c)
                QCOMPARE(panel.figureText(StatsPanel::Row(r), StatsPanel::Column(c)), QString("-.-"));
        }
        QCOMPARE(panel.readingsText(), QString("0"));
        QCOMPARE(panel.durationText(), QString("0:00:00"));
        QCOMPARE(panel.captionText(), QString("All readings"));
        panel.setShowsView(true);
        QCOMPARE(panel.captionText(), QString("Readings in view"));
    }

    // The report's summary carries the same texts as the panel.
    void reportSummaryMatchesThePanel()
    {
        StatsPanel panel;
        const UnitChoice u = units(0, 2, 0);
        panel.showStats(sample(), u);
        const ExportWriter::ReportSummary s = StatsPanel::reportSummary(sample(), u);
        QCOMPARE(s.heading, QString("Summary"));
        QCOMPARE(s.columnHeadings, (QStringList{"", "", "Min", "Max", "Mean", "Std dev"}));
        QCOMPARE(s.rows.size(), 3);
        QCOMPARE(s.rows[0].mid(0, 2), (QStringList{"Speed", "Mph"}));
        for (int r = 0; r < StatsPanel::RowCount; ++r) {
            for (int c = 0; c < StatsPanel::ColumnCount; ++c)
                QCOMPARE(s.rows[r][2 + c], panel.figureText(StatsPanel::Row(r), StatsPanel::Column(c)));
        }
        QCOMPARE(s.facts.size(), 4);
        QCOMPARE(s.facts[0].second, QString("4"));
        QCOMPARE(s.facts[1].second, QString("1:02:03"));
        QCOMPARE(s.facts[2].second, QString("2024-03-07 09:05:07"));
        QCOMPARE(s.facts[3].second, QString("2024-03-07 10:07:10"));
    }
};

QTEST_MAIN(Tst_StatsPanel)
#include "tst_statspanel.moc"
