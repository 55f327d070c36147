#include "ui/chartdecimation.h"

#include <algorithm>
#include <cmath>

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
    int i = 0;
    while (i < n) {
        // All following points that fall into the same pixel column.
        const double col = std::floor((points.at(i).x() - minX) * scale);
        int lo = i, hi = i;
        int j = i + 1;
        for (; j < n && std::floor((points.at(j).x() - minX) * scale) == col; ++j) {
            if (points.at(j).y() < points.at(lo).y())
                lo = j;
            if (points.at(j).y() > points.at(hi).y())
                hi = j;
        }
        // Keep the first and last point of the column too, so the line
        // enters and leaves each column where the data does.
        const int last = j - 1;
        int picks[4] = {i, lo, hi, last};
        std::sort(picks, picks + 4);
        int prev = -1;
        for (int k : picks) {
            if (k != prev)
                out.append(points.at(k));
            prev = k;
        }
        i = j;
    }
    return out;
}
