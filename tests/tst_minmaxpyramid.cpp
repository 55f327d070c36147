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

    // Following a live recording: a reduction after every new reading, each
    // the same as the plain one (columns that keep their readings reuse the
    // last reduction's extremes).
    void followingReadingByReading()
    {
        const QVector<QPointF> all = readings(60400, 30000);
        QVector<QPointF> growing = all.mid(0, 60000);
        MinMaxPyramid pyramid(&growing);
        for (int i = 60000; i < all.size(); ++i) {
            growing.append(all.at(i));
            const double xMin = growing.first().x(), xMax = growing.last().x();
            QCOMPARE(pyramid.displayPoints(xMin, xMax, 415), decimateForDisplay(growing, xMin, xMax, 415));
            // Now and then the view steps back a little, as a pan does.
            if (i % 50 == 0) {
                const double from = growing.at(1000).x(), to = growing.at(i - 700).x();
                QCOMPARE(pyramid.displayPoints(from, to, 415), displayPointsInRange(growing, TimeRange{from, to}, 415));
            }
        }
    }

    // What the chart draws: each inner column's lowest and highest reading;
    // a smooth line in time order; a band of noise crossed once per column,
    // not twice.
    void columnsDrawnOnce()
    {
        const int n = 100000, columns = 400;
        QVector<QPointF> smooth, noise;
        quint32 seed = 7;
        for (int i = 0; i < n; ++i) {
            seed = seed * 1664525u + 1013904223u;
            smooth.append(QPointF(1.7e12 + 500.0 * i, std::sin(i / 9000.0)));
            noise.append(QPointF(1.7e12 + 500.0 * i, double(seed >> 22) / 100));
        }
        const double xMin = smooth.first().x(), xMax = smooth.last().x();

        const QVector<QPointF> line = MinMaxPyramid(&smooth).displayPoints(xMin, xMax, columns);
        QVERIFY(std::is_sorted(line.cbegin(), line.cend(), [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); }));

        const QVector<QPointF> band = MinMaxPyramid(&noise).displayPoints(xMin, xMax, columns);
        const double scale = columns / (xMax - xMin);
        auto columnOf = [&](const QPointF &p) { return int(std::floor((p.x() - xMin) * scale)); };
        QMap<int, QPair<double, double>> extremes;
        for (const QPointF &p : noise) {
            auto it = extremes.find(columnOf(p));
            if (it == extremes.end())
                extremes.insert(columnOf(p), qMakePair(p.y(), p.y()));
            else
                *it = qMakePair(qMin(it->first, p.y()), qMax(it->second, p.y()));
        }
        double travel = 0, heights = 0;
        for (int k = 0; k < band.size(); ++k) {
            const int c = columnOf(band.at(k));
            if (c > 0 && c < columns - 1)
                QVERIFY(band.at(k).y() == extremes[c].first || band.at(k).y() == extremes[c].second);
            if (k > 0)
                travel += std::fabs(band.at(k).y() - band.at(k - 1).y());
        }
        for (const auto &e : extremes)
            heights += e.second - e.first;
        QVERIFY2(travel < 1.3 * heights, qPrintable(QStringLiteral("%1 drawn for %2 of columns").arg(travel).arg(heights)));
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
