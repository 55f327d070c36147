#include <QtTest>

#include "ui/chartdecimation.h"
#include "ui/chartviewport.h"
#include "ui/minmaxpyramid.h"

namespace {

// Readings every 500 ms with a jittered clock, steps, plateaus (equal
// values whose first must be kept) and spikes.
// gapAt: an hour without readings before that one (an unplugged
// adapter), so that columns around it hold very different counts.
QVector<QPointF> readings(int n, int gapAt = -1)
{
    QVector<QPointF> out;
    double x = 1.7e12;
    quint32 seed = 12345;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        x += 500 + int(seed >> 28) - 8;
        if (i == gapAt)
            x += 3600e3;
        double y = (i / 500) % 2 ? 3.0 : double(int(seed >> 20) % 50) / 10;
        if (i % 1777 == 0)
            y = 40;
        out.append(QPointF(x, y));
    }
    return out;
}

} // namespace

class Tst_MinMaxPyramid : public QObject
{
    Q_OBJECT

private slots:
    // The whole recording at the plot's width: the same points as the plain
    // reduction, whether the points arrived at once or one by one.
    void sameAsThePlainReduction_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("gapAt");
        QTest::newRow("fewer points than columns") << 700 << 400 << -1;
        QTest::newRow("a few per column") << 3001 << 400 << -1;
        QTest::newRow("many per column") << 100000 << 683 << -1;
        QTest::newRow("many per column, an hour's gap") << 100000 << 683 << 61234;
        QTest::newRow("one column") << 5000 << 1 << -1;
    }

    void sameAsThePlainReduction()
    {
        QFETCH(int, count);
        QFETCH(int, columns);
        QFETCH(int, gapAt);
        const QVector<QPointF> all = readings(count, gapAt);
        QVector<QPointF> growing;
        MinMaxPyramid pyramid(&growing);
        for (int i = 0; i < count; ++i) {
            growing.append(all.at(i));
            if (i % 997 == 0 || i == count - 1) {
                const double xMin = growing.first().x(), xMax = growing.last().x();
                const QVector<QPointF> shown = pyramid.displayPoints(xMin, xMax, columns);
                QCOMPARE(shown, decimateForDisplay(growing, xMin, xMax, columns));
                // The line runs from the first reading to the newest, with
                // two points a column in between.
                QCOMPARE(shown.first(), growing.first());
                QCOMPARE(shown.last(), growing.last());
                QVERIFY(shown.size() <= qMax(2 * columns + 4, 4));
            }
        }
    }

    // A time range inside the data, as the zoomed chart asks for it; after
    // a change in place, the new values.
    void rangeAndChangedValues()
    {
        QVector<QPointF> points = readings(50000);
        MinMaxPyramid pyramid(&points);
        const double xMin = points.at(10000).x() - 1, xMax = points.at(30000).x() + 1;
        QCOMPARE(pyramid.displayPoints(xMin, xMax, 300), displayPointsInRange(points, TimeRange{xMin, xMax}, 300));
        // Zoomed in to fewer points than columns: every one of them.
        const double a = points.at(20000).x(), b = points.at(20100).x();
        QCOMPARE(pyramid.displayPoints(a, b, 300), displayPointsInRange(points, TimeRange{a, b}, 300));

        for (QPointF &p : points)
            p.setY(-p.y());
        pyramid.invalidate();
        const double first = points.first().x(), last = points.last().x();
        QCOMPARE(pyramid.displayPoints(first, last, 500), decimateForDisplay(points, first, last, 500));
    }
};

QTEST_GUILESS_MAIN(Tst_MinMaxPyramid)
#include "tst_minmaxpyramid.moc"
