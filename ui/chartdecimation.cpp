#include "ui/chartdecimation.h"

#include <algorithm>
#include <cmath>
#include <limits>

QVector<QPointF> decimateForDisplay(const QVector<QPointF> &points, double minX, double maxX,
                                    int columns)
{
    const int n = points.size();
    if (columns < 1)
        columns = 1;
    // Few enough points (or no usable range): show them all.
    if (n <= 2 * columns || !(maxX > minX))
        return points;

    QVector<QPointF> out;
    out.reserve(2 * columns + 2);
    const double scale = columns / (maxX - minX);
    const QPointF *p = points.constData();
    auto columnOf = [&](double x) { return std::floor((x - minX) * scale); };

    // Every point from the column's first up to `safe` lies in that column
    // for sure (the column of a larger x is never smaller); only
    // points near a column's end need the floor, which a live frame would
    // otherwise pay for each of a day's 172,800 points. The margin is far
    // above the rounding of either computation.
    const double width = (maxX - minX) / columns;
    const double margin = width * 1e-3
                          + 8 * std::numeric_limits<double>::epsilon()
                                * std::max(std::fabs(minX), std::fabs(maxX));
    int i = 0;
    while (i < n) {
        // All following points that fall into the same pixel column.
        const double first = p[i].x();
        const double col = columnOf(first);
        const double safe = minX + (col + 1) * width - margin;
        // The run's end first, on x alone, then its lowest and highest
        // point (the first of equals), on y alone: two tight loops.
        int j = i + 1;
        for (;;) {
            while (j < n && p[j].x() >= first && p[j].x() < safe)
                ++j;
            if (j < n && columnOf(p[j].x()) == col)
                ++j;
            else
                break;
        }
        int lo = i, hi = i;
        double low = p[i].y(), high = low;
        for (int k = i + 1; k < j; ++k) {
            const double y = p[k].y();
            if (y < low) {
                low = y;
                lo = k;
            }
            if (y > high) {
                high = y;
                hi = k;
            }
        }
        appendColumnPoints(&out, p, i, lo, hi, j - 1, i == 0 || j == n);
        i = j;
    }
    return out;
}

void appendColumnPoints(QVector<QPointF> *out, const QPointF *p, int first, int lowest, int highest, int last,
                        bool keepEnds)
{
    if (keepEnds) {
        int picks[4] = {first, lowest, highest, last};
        std::sort(picks, picks + 4);
        int prev = -1;
        for (int k : picks) {
            if (k != prev)
                out->append(p[k]);
            prev = k;
        }
        return;
    }
    int a = qMin(lowest, highest);
    int b = qMax(lowest, highest);
    // The extreme nearer to where the line stands goes first: a smooth
    // line keeps its order, while a band of noise is drawn up one column
    // and down the next instead of crossing it twice.
    if (a != b && !out->isEmpty()) {
        const double from = out->last().y();
        if (std::fabs(p[b].y() - from) < std::fabs(p[a].y() - from))
            std::swap(a, b);
    }
    out->append(p[a]);
    if (b != a)
        out->append(p[b]);
}

BandedLine bandDenseColumns(const QVector<QPointF> &reduced, double xMin, double xMax, int columns)
{
    BandedLine out;
    const int n = reduced.size();
    if (columns < 1 || !(xMax > xMin) || n == 0) {
        out.line = reduced;
        return out;
    }
    out.line.reserve(n / 2 + 8);
    out.bands.reserve(columns);
    // The same column arithmetic as the reduction's, so a group here is
    // exactly one of its columns.
    const double scale = columns / (xMax - xMin);
    const double width = (xMax - xMin) / columns;
    const QPointF *p = reduced.constData();
    int i = 0;
    while (i < n) {
        const double col = std::floor((p[i].x() - xMin) * scale);
        int j = i + 1;
        while (j < n && std::floor((p[j].x() - xMin) * scale) == col)
            ++j;
        const bool outermost = i == 0 || j == n;
        if (!outermost && j - i == 2 && p[i].y() != p[i + 1].y()) {
            const double low = qMin(p[i].y(), p[i + 1].y());
            const double high = qMax(p[i].y(), p[i + 1].y());
            const double x0 = xMin + col * width;
            out.bands.append(ChartBand{x0, x0 + width, low, high});
            out.line.append(QPointF(x0 + width / 2, (low + high) / 2));
        } else {
            for (int k = i; k < j; ++k)
                out.line.append(p[k]);
        }
        i = j;
    }
    return out;
}

void thinBandedLine(BandedLine *banded, double yPerPixel)
{
    const QVector<QPointF> &line = banded->line;
    const QVector<ChartBand> &bands = banded->bands;
    const int n = line.size();
    if (n < 3 || bands.isEmpty() || !(yPerPixel > 0))
        return;
    const double inside = 0.5 * yPerPixel;
    const double nearMiddle = 0.25 * yPerPixel;

    // The rows the line may take at point i: anywhere well inside its band,
    // or exactly through a point that stands for readings of its own.
    int b = 0;
    auto allowed = [&](int i, double *lo, double *hi) {
        const QPointF &p = line.at(i);
        while (b < bands.size() && bands.at(b).x1 <= p.x())
            ++b;
        if (b < bands.size() && bands.at(b).x0 <= p.x()) {
            const ChartBand &band = bands.at(b);
            if (band.high - band.low > 2 * inside) {
                *lo = band.low + inside;
                *hi = band.high - inside;
            } else {
                *lo = p.y() - nearMiddle;
                *hi = p.y() + nearMiddle;
            }
            return true;
        }
        *lo = *hi = p.y();
        return false;
    };

    QVector<QPointF> out;
    out.reserve(64);
    QPointF anchor = line.first();
    out.append(anchor);
    // The slopes from the anchor that stay inside every band since it, and
    // the last point the stretch so far passes.
    double slopeLo = -qInf(), slopeHi = qInf();
    int anchorIndex = 0;
    int last = 0;
    auto startAt = [&](const QPointF &p, int index) {
        anchor = p;
        out.append(p);
        slopeLo = -qInf();
        slopeHi = qInf();
        anchorIndex = last = index;
    };
    auto endStretch = [&]() {
        const double x = line.at(last).x();
        startAt(QPointF(x, anchor.y() + (slopeLo + slopeHi) / 2 * (x - anchor.x())), last);
    };
    for (int i = 1; i < n; ++i) {
        double lo, hi;
        const bool isBand = allowed(i, &lo, &hi);
        const double dx = line.at(i).x() - anchor.x();
        if (!(dx > 0)) {
            startAt(line.at(i), i);
            continue;
        }
        const double newLo = qMax(slopeLo, (lo - anchor.y()) / dx);
        const double newHi = qMin(slopeHi, (hi - anchor.y()) / dx);
        if (newLo > newHi) {
            if (last == anchorIndex) {
                startAt(line.at(i), i);
                continue;
            }
            // Out of reach: the stretch ends at the last point it passes,
            // and point i is tried again from there.
            endStretch();
            --i;
            continue;
        }
        if (isBand) {
            slopeLo = newLo;
            slopeHi = newHi;
            last = i;
        } else {
            // A point of its own ends the stretch.
            startAt(line.at(i), i);
        }
    }
    if (last != anchorIndex)
        endStretch();
    banded->line = out;
}
