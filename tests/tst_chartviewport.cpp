#include <QtTest>

#include "ui/chartdecimation.h"
#include "ui/chartviewport.h"

Q_DECLARE_METATYPE(TimeRange)
Q_DECLARE_METATYPE(ValueAxisRange)

namespace {

// One reading every 500 ms from t0, values varying.
QVector<QPointF> readings(int n, double t0 = 1.7e12)
{
    QVector<QPointF> points;
    points.reserve(n);
    for (int i = 0; i < n; ++i)
        points.append(QPointF(t0 + 500.0 * i, 3 + std::sin(i * 0.01) + (i % 5) * 0.1));
    return points;
}

QString describe(const ValueAxisRange &r)
{
    return QStringLiteral("%1 to %2 step %3, %4 ticks, %5 decimals")
        .arg(r.min).arg(r.max).arg(r.step).arg(r.tickCount).arg(r.decimals);
}

} // namespace

// Readable failure messages for QCOMPARE.
namespace QTest {
template<> char *toString(const TimeRange &r)
{
    return QTest::toString(QStringLiteral("[%1, %2]").arg(r.min, 0, 'f', 3).arg(r.max, 0, 'f', 3));
}
} // namespace QTest

class Tst_ChartViewport : public QObject
{
    Q_OBJECT

private slots:
    void nearest_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("index");
        // Points at 0, 10, 20, 20, 40.
        QTest::newRow("before the first") << -50.0 << 0;
        QTest::newRow("on the first") << 0.0 << 0;
        QTest::newRow("nearer the first") << 4.9 << 0;
        QTest::newRow("exactly between: the earlier") << 5.0 << 0;
        QTest::newRow("nearer the second") << 5.1 << 1;
        QTest::newRow("same time twice: the first of them") << 20.0 << 2;
        QTest::newRow("between, after a shared time: the first of them") << 30.0 << 2;
        QTest::newRow("nearer the last") << 30.1 << 4;
        QTest::newRow("after the last") << 1e9 << 4;
    }

    void nearest()
    {
        QFETCH(double, x);
        QFETCH(int, index);
        const QVector<QPointF> points{{0, 1}, {10, 2}, {20, 3}, {20, 4}, {40, 5}};
        QCOMPARE(nearestPointIndex(points, x), index);
    }

    void nearestWithoutPoints()
    {
        QCOMPARE(nearestPointIndex({}, 5), -1);
        QCOMPARE(nearestPointIndex({{7, 1}}, -5), 0);
        QCOMPARE(nearestPointIndex({{7, 1}}, 50), 0);
    }

    // Zoomed in on a day of readings, the series gets every reading of the
    // view (and one beyond each edge), not the reduced copy of the day.
    void zoomShowsEveryReading()
    {
        const QVector<QPointF> day = readings(172800);
        const int columns = 600;
        ChartViewport view;
        view.setData(TimeRange{day.first().x(), day.last().x()});
        QVERIFY(decimateForDisplay(day, view.view().min, view.view().max, columns).size() <= 4 * columns);

        const double anchor = day[100000].x();
        while (view.view().span() > 200 * 500.0)
            view.zoom(anchor, 0.5, minimumSpanAt(day, anchor));
        const TimeRange r = view.view();
        const IndexSpan s = pointsInRange(day, r, true);
        QVERIFY(s.size() < 2 * columns);
        QCOMPARE(displayPointsInRange(day, r, columns), day.mid(s.first, s.size()));
        QVERIFY(day[s.first].x() < r.min && day[s.first + 1].x() >= r.min);
        QVERIFY(day[s.last - 1].x() > r.max && day[s.last - 2].x() <= r.max);
        // Zoomed out again, the whole day is reduced to the plot's width.
        view.showAll();
        QCOMPARE(displayPointsInRange(day, view.view(), columns),
                 decimateForDisplay(day, view.view().min, view.view().max, columns));
    }

    void zoom_data()
    {
        QTest::addColumn<TimeRange>("view");
        QTest::addColumn<double>("anchor");
        QTest::addColumn<double>("factor");
        QTest::addColumn<TimeRange>("expected");
        // Data from 0 to 1000, minimum span 10.
        QTest::newRow("in around the middle") << TimeRange{0, 1000} << 500.0 << 0.5 << TimeRange{250, 750};
        QTest::newRow("in, pointer keeps its time") << TimeRange{0, 1000} << 100.0 << 0.5 << TimeRange{50, 550};
        QTest::newRow("in at the right edge") << TimeRange{0, 1000} << 1000.0 << 0.1 << TimeRange{900, 1000};
        QTest::newRow("out, pointer keeps its time") << TimeRange{100, 300} << 120.0 << 2.0 << TimeRange{80, 480};
        QTest::newRow("out, clamped at the left") << TimeRange{10, 110} << 100.0 << 3.0 << TimeRange{0, 300};
        QTest::newRow("out, clamped at the right") << TimeRange{850, 950} << 860.0 << 3.0 << TimeRange{700, 1000};
        QTest::newRow("out beyond the data") << TimeRange{400, 600} << 500.0 << 10.0 << TimeRange{0, 1000};
        QTest::newRow("in below the minimum span") << TimeRange{400, 440} << 420.0 << 0.01 << TimeRange{415, 425};
        QTest::newRow("pointer outside the view is taken at its edge")
            << TimeRange{400, 600} << 9999.0 << 0.5 << TimeRange{500, 600};
        QTest::newRow("nonsense factor leaves the view") << TimeRange{400, 600} << 500.0 << -1.0 << TimeRange{400, 600};
    }

    void zoom()
    {
        QFETCH(TimeRange, view);
        QFETCH(double, anchor);
        QFETCH(double, factor);
        QFETCH(TimeRange, expected);
        QCOMPARE(zoomedAround(view, anchor, factor, TimeRange{0, 1000}, 10), expected);
    }

    void minimumSpanIsTwoReadings()
    {
        const QVector<QPointF> points{{0, 0}, {500, 0}, {1000, 0}, {4000, 0}};
        QCOMPARE(minimumSpanAt(points, 600), 1000.0);
        QCOMPARE(minimumSpanAt(points, 3900), 3500.0);
        QCOMPARE(minimumSpanAt(points, 3900, 1), 3000.0);
        QCOMPARE(minimumSpanAt(points, 3900, 3), 4000.0);
        QCOMPARE(minimumSpanAt(points.mid(0, 1), 0), 0.0);
        // At the deepest zoom two readings are still in view, wherever the pointer is.
        const QVector<QPointF> even = readings(50, 0);
        const TimeRange data{0, 49 * 500.0};
        for (double anchor : {0.0, 260.0, 7000.0, 7250.0, 7499.0, 24500.0}) {
            TimeRange r = data;
            for (int i = 0; i < 30; ++i)
                r = zoomedAround(r, anchor, 0.5, data, minimumSpanAt(even, anchor));
            QCOMPARE(r.span(), 1000.0);
            QVERIFY2(pointsInRange(even, r, false).size() >= 2, qPrintable(QString::number(anchor)));
        }
    }

    void panAndRubberBand()
    {
        const TimeRange data{0, 1000};
        // 100 pixels across a 200-unit view: dragging right 50 px goes back 100.
        QCOMPARE(pannedByPixels(TimeRange{400, 600}, 50, 100, data), (TimeRange{300, 500}));
        QCOMPARE(pannedByPixels(TimeRange{400, 600}, -50, 100, data), (TimeRange{500, 700}));
        QCOMPARE(pannedByPixels(TimeRange{100, 300}, 500, 100, data), (TimeRange{0, 200}));
        QCOMPARE(pannedByPixels(TimeRange{400, 600}, 10, 0, data), (TimeRange{400, 600}));

        QCOMPARE(rubberBandRange(TimeRange{0, 1000}, 80, 20, 100, data, 10), (TimeRange{200, 800}));
        QCOMPARE(rubberBandRange(TimeRange{0, 1000}, 50, 50.5, 100, data, 10), (TimeRange{500 - 2.5, 505 + 2.5}));
        QCOMPARE(rubberBandRange(TimeRange{0, 1000}, -30, 10, 100, data, 10), (TimeRange{0, 100}));
    }

    void follow()
    {
        ChartViewport v;
        QVERIFY(!v.hasData());
        v.addReading(0);
        QCOMPARE(v.view(), (TimeRange{0, 0}));
        v.zoom(0, 0.5, 10); // one reading: nothing to zoom into
        QVERIFY(!v.isZoomed());
        for (int t = 500; t <= 10000; t += 500)
            v.addReading(t);
        QCOMPARE(v.view(), (TimeRange{0, 10000}));

        // Zoomed at the newest reading: the window follows new readings.
        v.zoom(10000, 0.1, 1000);
        QVERIFY(v.isZoomed());
        QVERIFY(v.isFollowing());
        QCOMPARE(v.view(), (TimeRange{9000, 10000}));
        v.addReading(10500);
        QCOMPARE(v.view(), (TimeRange{9500, 10500}));

        // Panned back in time: new readings leave the window where it is.
        v.pan(100, 100);
        QVERIFY(!v.isFollowing());
        QCOMPARE(v.view(), (TimeRange{8500, 9500}));
        v.addReading(11000);
        v.addReading(11500);
        QCOMPARE(v.view(), (TimeRange{8500, 9500}));
        QCOMPARE(v.data(), (TimeRange{0, 11500}));

        // Panned forward onto the newest reading: following again.
        v.pan(-1000, 100);
        QVERIFY(v.isFollowing());
        QCOMPARE(v.view(), (TimeRange{10500, 11500}));

        v.setFollowing(false);
        v.addReading(12000);
        QCOMPARE(v.view(), (TimeRange{10500, 11500}));
        v.setFollowing(true);
        QCOMPARE(v.view(), (TimeRange{11000, 12000}));

        // Zooming out past the data ends the zoom: all readings, growing.
        v.zoom(11500, 100, 1000);
        QVERIFY(!v.isZoomed());
        v.addReading(12500);
        QCOMPARE(v.view(), (TimeRange{0, 12500}));

        v.zoomToPixels(0, 10, 100, 500);
        QCOMPARE(v.view(), (TimeRange{0, 1250}));
        QVERIFY(!v.isFollowing());
        v.showAll();
        QCOMPARE(v.view(), (TimeRange{0, 12500}));
        v.clear();
        QVERIFY(!v.hasData());
    }

    void niceAxis_data()
    {
        QTest::addColumn<double>("lowest");
        QTest::addColumn<double>("highest");
        QTest::addColumn<bool>("zeroBased");
        QTest::addColumn<ValueAxisRange>("expected");

        QTest::newRow("speeds up to 3.9, spread: from 0")
            << 0.8 << 3.9 << true << ValueAxisRange{0, 4, 1, 5, 0};
        QTest::newRow("speeds near 3.9, narrow spread")
            << 3.82 << 3.97 << true << ValueAxisRange{3.8, 4.0, 0.05, 5, 2};
        QTest::newRow("flat speed 3.9") << 3.9 << 3.9 << true << ValueAxisRange{3.5, 4.5, 0.25, 5, 2};
        QTest::newRow("flat zero speed") << 0.0 << 0.0 << true << ValueAxisRange{0, 1, 0.2, 6, 1};
        QTest::newRow("flat temperature -10") << -10.0 << -10.0 << false << ValueAxisRange{-15, -5, 2.5, 5, 1};
        QTest::newRow("temperatures, no zero") << 20.1 << 25.3 << false << ValueAxisRange{18, 26, 2, 5, 0};
        QTest::newRow("same with zero base") << 20.1 << 25.3 << true << ValueAxisRange{0, 30, 10, 4, 0};
        QTest::newRow("across zero") << -3.2 << 4.1 << false << ValueAxisRange{-4, 6, 2, 6, 0};
        QTest::newRow("all below zero, zero based") << -12.0 << -2.0 << true << ValueAxisRange{-12.5, 0, 2.5, 6, 1};
        QTest::newRow("ft/min") << 120.0 << 9650.0 << true << ValueAxisRange{0, 10000, 2000, 6, 0};
        QTest::newRow("tiny spread") << 1.0001 << 1.0004 << true << ValueAxisRange{1.0, 1.0005, 0.0001, 6, 4};
        QTest::newRow("reversed arguments") << 3.9 << 0.8 << true << ValueAxisRange{0, 4, 1, 5, 0};
        QTest::newRow("no readings (NaN): default") << qQNaN() << qQNaN() << true << ValueAxisRange{};
    }

    void niceAxis()
    {
        QFETCH(double, lowest);
        QFETCH(double, highest);
        QFETCH(bool, zeroBased);
        QFETCH(ValueAxisRange, expected);
        const ValueAxisRange r = niceValueRange(lowest, highest, zeroBased);
        QVERIFY2(qAbs(r.min - expected.min) < 1e-9 && qAbs(r.max - expected.max) < 1e-9
                     && qAbs(r.step - expected.step) < 1e-12 && r.tickCount == expected.tickCount
                     && r.decimals == expected.decimals,
                 qPrintable(describe(r)));
        if (qIsFinite(lowest)) {
            QVERIFY(r.min <= qMin(lowest, highest));
            QVERIFY(r.max >= qMax(lowest, highest));
        }
    }
};

QTEST_GUILESS_MAIN(Tst_ChartViewport)
#include "tst_chartviewport.moc"
