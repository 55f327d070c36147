#include <QtTest>

#include <QChart>
#include <QChartView>
#include <QLineSeries>

#include <cmath>
#include <random>

#include "testreadings.h"
#include "ui/chartbanditem.h"
#include "ui/chartdecimation.h"
#include "ui/chartgriditem.h"
#include "ui/chartshadow.h"
#include "ui/minmaxpyramid.h"
#include "ui/recordchart.h"

using namespace QtCharts;

// The chart draws some things its own way for speed: the dense stretches of
// a long recording as bands, the grid as filled rectangles. What the user
// sees must be what Qt Charts' own drawing shows.
class Tst_chartdrawing : public QObject
{
    Q_OBJECT

    static QVector<QPointF> noisy(int n, double from, double to, double level, double spread, unsigned seed)
    {
        std::mt19937 gen(seed);
        std::uniform_real_distribution<double> noise(-spread, spread);
        QVector<QPointF> points;
        points.reserve(n);
        for (int i = 0; i < n; ++i)
            points.append(QPointF(from + (to - from) * i / (n - 1), level + noise(gen)));
        return points;
    }

    // Rows of column x that hold the colour, as first and last (-1 when none).
    static QPair<int, int> extent(const QImage &image, int x, QRgb colour, int top, int bottom)
    {
        int first = -1, last = -1;
        for (int y = top; y <= bottom; ++y) {
            if ((image.pixel(x, y) & 0xffffff) != (colour & 0xffffff))
                continue;
            if (first < 0)
                first = y;
            last = y;
        }
        return {first, last};
    }

private slots:
    // Each inner column of a reduction becomes a band spanning exactly its
    // readings, with one line point inside it; the outermost columns keep
    // their points, so the line still ends at the newest reading.
    void bandsSpanEachColumnsReadings_data()
    {
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::addColumn<int>("columns");
        QTest::newRow("noise, 40 per column") << noisy(20000, 0, 1e6, 20, 5, 1) << 500;
        QTest::newRow("noise, 3 per column") << noisy(1500, 0, 1e6, 20, 5, 2) << 500;
        QVector<QPointF> ramp;
        for (int i = 0; i < 10000; ++i)
            ramp.append(QPointF(i * 500.0, i * 0.01));
        QTest::newRow("smooth ramp") << ramp << 300;
        QVector<QPointF> flat;
        for (int i = 0; i < 10000; ++i)
            flat.append(QPointF(i * 500.0, 7.5));
        QTest::newRow("flat: a line, no band") << flat << 300;
    }

    void bandsSpanEachColumnsReadings()
    {
        QFETCH(QVector<QPointF>, points);
        QFETCH(int, columns);
        const double xMin = points.first().x();
        const double xMax = points.last().x();
        MinMaxPyramid pyramid(&points);
        bool reduced = false;
        const QVector<QPointF> shown = pyramid.displayPoints(xMin, xMax, columns, &reduced);
        QVERIFY(reduced);
        const BandedLine banded = bandDenseColumns(shown, xMin, xMax, columns);

        const double width = (xMax - xMin) / columns;
        for (const ChartBand &b : banded.bands) {
            double low = qInf(), high = -qInf();
            for (const QPointF &p : points) {
                if (p.x() >= b.x0 && p.x() < b.x1) {
                    low = qMin(low, p.y());
                    high = qMax(high, p.y());
                }
            }
            QCOMPARE(b.x1 - b.x0, width);
            QCOMPARE(b.low, low);
            QCOMPARE(b.high, high);
            QVERIFY(b.low < b.high);
        }
        const bool flat = points.first().y() == points.last().y();
        QCOMPARE(banded.bands.isEmpty(), flat);
        if (!flat)
            QVERIFY(banded.bands.size() >= columns - 4);
        // One line point per band, inside it, in time order; the ends kept.
        for (int i = 1; i < banded.line.size(); ++i)
            QVERIFY(banded.line.at(i).x() > banded.line.at(i - 1).x());
        QCOMPARE(banded.line.first(), shown.first());
        QCOMPARE(banded.line.last(), points.last());
        QCOMPARE(banded.line.size(), shown.size() - banded.bands.size());
    }

    // The thinned line keeps its ends and passes every band inside it (half
    // a pixel in, or within a quarter pixel of the middle of a thin one).
    void thinnedLineStaysInsideItsBands_data()
    {
        QTest::addColumn<QVector<QPointF>>("points");
        QTest::addColumn<int>("maxLinePoints");
        QTest::newRow("noise: a few straight stretches") << noisy(40000, 0, 2e7, 20, 5, 4) << 10;
        QVector<QPointF> wave;
        for (int i = 0; i < 40000; ++i)
            wave.append(QPointF(i * 500.0, 20 + 10 * std::sin(i / 4000.0) + ((i * 7919) % 13) * 0.05));
        QTest::newRow("slow wave with a little noise") << wave << 60;
        QVector<QPointF> ramp;
        for (int i = 0; i < 40000; ++i)
            ramp.append(QPointF(i * 500.0, i * 0.0005));
        QTest::newRow("ramp: thin bands, one straight line") << ramp << 6;
    }

    void thinnedLineStaysInsideItsBands()
    {
        QFETCH(QVector<QPointF>, points);
        QFETCH(int, maxLinePoints);
        const int columns = 415;
        const double xMin = points.first().x();
        const double xMax = points.last().x();
        const double yPerPixel = 0.2; // a 90-unit axis over 450 pixels
        MinMaxPyramid pyramid(&points);
        BandedLine banded = bandDenseColumns(pyramid.displayPoints(xMin, xMax, columns), xMin, xMax, columns);
        const BandedLine before = banded;
        thinBandedLine(&banded, yPerPixel);
        const QVector<QPointF> &line = banded.line;
        QVERIFY2(line.size() <= maxLinePoints, qPrintable(QString::number(line.size())));
        QCOMPARE(line.first(), before.line.first());
        QCOMPARE(line.last(), before.line.last());
        QCOMPARE(banded.bands.size(), before.bands.size());
        int k = 0;
        for (const ChartBand &b : banded.bands) {
            const double x = (b.x0 + b.x1) / 2;
            while (k + 1 < line.size() && line.at(k + 1).x() < x)
                ++k;
            QVERIFY(k + 1 < line.size());
            const QPointF p = line.at(k), q = line.at(k + 1);
            const double y = p.y() + (q.y() - p.y()) * (x - p.x()) / (q.x() - p.x());
            const bool thin = b.high - b.low <= yPerPixel;
            const double lo = thin ? (b.low + b.high) / 2 - yPerPixel / 4 : b.low + yPerPixel / 2;
            const double hi = thin ? (b.low + b.high) / 2 + yPerPixel / 4 : b.high - yPerPixel / 2;
            QVERIFY2(y >= lo - 1e-9 && y <= hi + 1e-9,
                     qPrintable(QStringLiteral("at x %1: %2 outside %3-%4").arg(x).arg(y).arg(lo).arg(hi)));
        }
    }

    // A day of noisy readings on the window's chart: column by column, the
    // band and line cover the rows a line through every reading covers.
    void denseChartLooksLikeEveryReading()
    {
        const int n = 40000;
        const QVector<QPointF> temps = noisy(n, 1.7e12, 1.7e12 + 500.0 * (n - 1), 20, 8, 3);
        QList<PelnorXLogItem> items;
        QVector<qint64> times;
        for (const QPointF &p : temps) {
            // Wind through the middle of the temperature band, drawn over it.
            items.append(reading(22.2, p.y(), 1.0, false));
            times.append(qint64(p.x()));
        }

        auto shown = [&](bool everyReading) {
            QChartView view;
            view.resize(1000, 560);
            RecordChart chart(&view, 0, 0);
            view.show();
            if (!QTest::qWaitForWindowExposed(&view))
                return QImage();
            chart.showReadings(items, times, units(0, 0, 0, 0));
            QCoreApplication::processEvents();
            chart.refresh();
            if (everyReading) {
                chart.seriesTemp()->replace(chart.temperaturePoints());
                const_cast<ChartBandItem *>(chart.temperatureBand())->setVisible(false);
            } else {
                // The reduced chart really is banded.
                if (chart.temperatureBand()->bands().size() < 300 || chart.seriesTemp()->count() > 10)
                    return QImage();
            }
            QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
            image.setText(QStringLiteral("plot"),
                          QStringLiteral("%1 %2 %3 %4")
                              .arg(chart.chart()->plotArea().left())
                              .arg(chart.chart()->plotArea().top())
                              .arg(chart.chart()->plotArea().right())
                              .arg(chart.chart()->plotArea().bottom()));
            return image;
        };
        const QImage banded = shown(false);
        const QImage reference = shown(true);
        QVERIFY(!banded.isNull());
        QVERIFY(!reference.isNull());
        QCOMPARE(banded.text(QStringLiteral("plot")), reference.text(QStringLiteral("plot")));
        const QStringList plot = banded.text(QStringLiteral("plot")).split(QLatin1Char(' '));
        const int left = int(std::ceil(plot.at(0).toDouble())) + 3;
        const int top = int(std::ceil(plot.at(1).toDouble()));
        const int right = int(std::floor(plot.at(2).toDouble())) - 3;
        const int bottom = int(std::floor(plot.at(3).toDouble())) - 1;

        const QRgb red = qRgb(232, 64, 64);
        const QRgb green = qRgb(64, 232, 64);
        auto count = [&](const QImage &image, QRgb colour) {
            int n = 0;
            for (int y = top; y <= bottom; ++y)
                for (int x = left; x <= right; ++x)
                    n += (image.pixel(x, y) & 0xffffff) == (colour & 0xffffff);
            return n;
        };
        const int windPixels = count(reference, green);
        QVERIFY(windPixels >= right - left);
        QCOMPARE(count(banded, green), windPixels);
        // Rows covered around column x (x - 1 to x + 1): a band is as wide
        // as a reduction column, two pixels whose edges fall anywhere.
        auto around = [&](const QImage &image, int x) {
            QPair<int, int> u{INT_MAX, -1};
            for (int k = x - 1; k <= x + 1; ++k) {
                const QPair<int, int> e = extent(image, k, red, top, bottom);
                if (e.first >= 0) {
                    u.first = qMin(u.first, e.first);
                    u.second = qMax(u.second, e.second);
                }
            }
            return u;
        };
        // The band's edges are the line's within a few pixels everywhere,
        // and mostly to the pixel.
        int columnsSeen = 0;
        double offBy = 0;
        for (int x = left; x <= right; ++x) {
            const QPair<int, int> a = around(banded, x);
            const QPair<int, int> b = around(reference, x);
            QVERIFY2(a.second >= 0, qPrintable(QStringLiteral("no reading drawn at x %1").arg(x)));
            QVERIFY2(qAbs(a.first - b.first) <= 3 && qAbs(a.second - b.second) <= 3,
                     qPrintable(QStringLiteral("x %1: banded rows %2-%3, every reading %4-%5")
                                    .arg(x).arg(a.first).arg(a.second).arg(b.first).arg(b.second)));
            offBy += qAbs(a.first - b.first) + qAbs(a.second - b.second);
            ++columnsSeen;
        }
        QVERIFY2(offBy / (2 * columnsSeen) < 0.25, qPrintable(QString::number(offBy / (2 * columnsSeen))));
        QVERIFY(columnsSeen > 700);
        // Nothing beside the plot beyond the line's own pen.
        for (int x = 0; x < banded.width(); ++x) {
            if (x < left - 5 || x > right + 5)
                QVERIFY2(extent(banded, x, red, top, bottom).first < 0, qPrintable(QString::number(x)));
        }
    }

    // The grid on exactly the pixels Qt Charts' own grid lines light, at
    // sizes that put the lines at all kinds of fractions of a pixel.
    void gridOnQtsPixels_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("autoAxes");
        for (const QSize size : {QSize(1000, 560), QSize(777, 433), QSize(1203, 611), QSize(640, 480)}) {
            const QByteArray name = QByteArray::number(size.width()) + "x" + QByteArray::number(size.height());
            QTest::newRow(name) << size << false;
            QTest::newRow(name + ", axes fitted") << size << true;
        }
    }

    void gridOnQtsPixels()
    {
        QFETCH(QSize, size);
        QFETCH(bool, autoAxes);
        QChartView view;
        view.resize(size);
        RecordChart chart(&view, 0, 0);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QList<PelnorXLogItem> items;
        QVector<qint64> times;
        for (int i = 0; i < 600; ++i) {
            items.append(reading(3 + std::sin(i / 40.0), 21.3 + std::cos(i / 55.0), 1.0, false));
            times.append(1700000000000LL + 500LL * i);
        }
        chart.showReadings(items, times, units(0, 0, 0, 0));
        chart.setAutoAxes(autoAxes);
        QCoreApplication::processEvents();

        const QImage ours = view.grab().toImage();
        chart.grid()->handBack();
        const QImage qts = view.grab().toImage();
        QCOMPARE(ours.size(), qts.size());
        int gridPixels = 0;
        for (int y = 0; y < qts.height(); ++y) {
            for (int x = 0; x < qts.width(); ++x) {
                gridPixels += qts.pixel(x, y) == qRgb(0, 0, 229);
                if (ours.pixel(x, y) != qts.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 differs").arg(x).arg(y)));
            }
        }
        QVERIFY(gridPixels > size.width());
    }

    // The chart's background shadow, blurred once and kept with the
    // background over it, looks like the theme's own drop shadow.
    void shadowAsTheThemesOwn()
    {
        auto render = [](bool cached) {
            QChartView view;
            view.resize(640, 400);
            auto *chart = new QChart();
            chart->setBackgroundBrush(QBrush(QColor(32, 32, 64)));
            chart->setTheme(QChart::ChartThemeBlueIcy);
            if (cached)
                cacheChartShadow(chart);
            QChart *placeholder = view.chart();
            view.setChart(chart);
            delete placeholder;
            view.show();
            if (!QTest::qWaitForWindowExposed(&view))
                return QImage();
            // Twice: the second repaint draws from what the first kept.
            view.grab();
            return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        const QImage theirs = render(false);
        const QImage ours = render(true);
        QVERIFY(!theirs.isNull());
        QCOMPARE(ours.size(), theirs.size());
        int worst = 0;
        int shadowed = 0;
        const QRgb window = theirs.pixel(1, 1);
        for (int y = 0; y < ours.height(); ++y) {
            for (int x = 0; x < ours.width(); ++x) {
                const QRgb a = ours.pixel(x, y), b = theirs.pixel(x, y);
                worst = qMax(worst, qMax(qAbs(qRed(a) - qRed(b)), qMax(qAbs(qGreen(a) - qGreen(b)), qAbs(qBlue(a) - qBlue(b)))));
                shadowed += qGray(b) < qGray(window) - 8 && qGray(b) > 40;
            }
        }
        QVERIFY2(shadowed > 500, qPrintable(QString::number(shadowed)));
        // The public blur and the theme's differ by a few levels at most.
        QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
    }
};

QTEST_MAIN(Tst_chartdrawing)
#include "tst_chartdrawing.moc"
