#include "ui/minmaxpyramid.h"

#include <algorithm>
#include <cmath>

#include "ui/chartdecimation.h"

namespace {

// Level 0 holds buckets of 2^kBaseShift points; shorter runs are scanned.
const int kBaseShift = 4;
const int kBaseSize = 1 << kBaseShift;
// Enough levels for any int index.
const int kLevels = 31 - kBaseShift;

// The lower of two points by y, the earlier of equals (as a scan in x
// order keeps the first it meets).
template <typename Pick>
inline bool lower(const Pick &a, const Pick &b)
{
    return a.y < b.y || (a.y == b.y && a.index < b.index);
}

template <typename Pick>
inline bool higher(const Pick &a, const Pick &b)
{
    return a.y > b.y || (a.y == b.y && a.index < b.index);
}

inline bool samePoint(const QPointF &a, const QPointF &b)
{
    return a.x() == b.x() && a.y() == b.y();
}

} // namespace

MinMaxPyramid::MinMaxPyramid(const QVector<QPointF> *points)
    : m_points(points)
{
}

void MinMaxPyramid::invalidate()
{
    forget();
}

void MinMaxPyramid::forget() const
{
    m_levels.clear();
    m_columns.clear();
    m_indexed = 0;
    m_ascending = true;
}

void MinMaxPyramid::take(int index) const
{
    const QPointF *p = m_points->constData();
    if (index > 0 && p[index].x() < p[index - 1].x())
        m_ascending = false;
    if (m_levels.empty())
        m_levels.resize(kLevels);
    for (int level = 0; level < kLevels; ++level) {
        std::vector<Extremes> &buckets = m_levels[size_t(level)];
        const size_t bucket = size_t(index) >> (kBaseShift + level);
        const Pick here{index, p[index].y()};
        if (bucket == buckets.size()) {
            buckets.push_back({here, here});
            continue;
        }
        Extremes &e = buckets[bucket];
        if (lower(here, e.low))
            e.low = here;
        if (higher(here, e.high))
            e.high = here;
    }
}

void MinMaxPyramid::catchUp() const
{
    const int n = m_points->size();
    const QPointF *p = m_points->constData();
    if (m_indexed > 0
        && (n < m_indexed || !samePoint(p[0], m_firstIndexed)
            || !samePoint(p[m_indexed - 1], m_lastIndexed)))
        forget();
    if (m_indexed == n)
        return;
    if (m_indexed == 0)
        build();
    else
        for (int i = m_indexed; i < n && m_ascending; ++i)
            take(i);
    m_indexed = n;
    m_firstIndexed = p[0];
    m_lastIndexed = p[n - 1];
}

void MinMaxPyramid::build() const
{
    // All points at once (after a unit change, or a chart filled in bulk):
    // each level from the one below, in time proportional to the points.
    const int n = m_points->size();
    const QPointF *p = m_points->constData();
    for (int i = 1; i < n; ++i) {
        if (p[i].x() < p[i - 1].x()) {
            m_ascending = false;
            return;
        }
    }
    m_levels.assign(size_t(kLevels), {});
    std::vector<Extremes> &base = m_levels[0];
    base.reserve(size_t(n + kBaseSize - 1) / kBaseSize);
    for (int first = 0; first < n; first += kBaseSize) {
        Extremes e{{first, p[first].y()}, {first, p[first].y()}};
        for (int k = first + 1; k < qMin(n, first + kBaseSize); ++k) {
            const Pick here{k, p[k].y()};
            if (lower(here, e.low))
                e.low = here;
            if (higher(here, e.high))
                e.high = here;
        }
        base.push_back(e);
    }
    for (int level = 1; level < kLevels; ++level) {
        const std::vector<Extremes> &below = m_levels[size_t(level - 1)];
        std::vector<Extremes> &here = m_levels[size_t(level)];
        here.reserve((below.size() + 1) / 2);
        for (size_t b = 0; b < below.size(); b += 2) {
            Extremes e = below[b];
            if (b + 1 < below.size()) {
                const Extremes &f = below[b + 1];
                if (lower(f.low, e.low))
                    e.low = f.low;
                if (higher(f.high, e.high))
                    e.high = f.high;
            }
            here.push_back(e);
        }
    }
}

void MinMaxPyramid::extremes(int first, int end, int *low, int *high) const
{
    const QPointF *p = m_points->constData();
    Pick lo{first, p[first].y()};
    Pick hi = lo;
    auto point = [&](int k) {
        const Pick here{k, p[k].y()};
        if (lower(here, lo))
            lo = here;
        if (higher(here, hi))
            hi = here;
    };
    auto bucket = [&](const Extremes &e) {
        if (lower(e.low, lo))
            lo = e.low;
        if (higher(e.high, hi))
            hi = e.high;
    };
    if (end - first < 2 * kBaseSize) {
        for (int k = first + 1; k < end; ++k)
            point(k);
    } else {
        // Whole base buckets from a to b, loose points on either side.
        const int a = (first + kBaseSize - 1) / kBaseSize * kBaseSize;
        const int b = end / kBaseSize * kBaseSize;
        for (int k = first + 1; k < a; ++k)
            point(k);
        for (int k = b; k < end; ++k)
            point(k);
        size_t left = size_t(a) >> kBaseShift;
        size_t right = size_t(b) >> kBaseShift;
        for (int level = 0; left < right; ++level) {
            const std::vector<Extremes> &buckets = m_levels[size_t(level)];
            if (left & 1)
                bucket(buckets[left++]);
            if (right & 1)
                bucket(buckets[--right]);
            left >>= 1;
            right >>= 1;
        }
    }
    *low = lo.index;
    *high = hi.index;
}

QVector<QPointF> MinMaxPyramid::displayPoints(double xMin, double xMax, int columns, bool *reduced) const
{
    catchUp();
    const QVector<QPointF> &points = *m_points;
    const int n = points.size();
    if (columns < 1)
        columns = 1;
    if (reduced)
        *reduced = false;
    if (!m_ascending) {
        if (reduced)
            *reduced = n > 2 * columns && xMax > xMin;
        return decimateForDisplay(points, xMin, xMax, columns);
    }

    // The points in the range and the nearest one outside on either side.
    const QPointF *p = points.constData();
    const QPointF *begin = std::lower_bound(p, p + n, xMin, [](const QPointF &q, double x) { return q.x() < x; });
    const QPointF *stop = std::upper_bound(p, p + n, xMax, [](double x, const QPointF &q) { return x < q.x(); });
    const int first = qMax(0, int(begin - p) - 1);
    const int end = qMin(n, int(stop - p) + 1);
    if (end - first <= 2 * columns || !(xMax > xMin))
        return (first == 0 && end == n) ? points : points.mid(first, end - first);
    if (reduced)
        *reduced = true;

    QVector<QPointF> out;
    out.reserve(4 * columns + 8);
    const double scale = columns / (xMax - xMin);
    auto columnOf = [&](int k) { return std::floor((p[k].x() - xMin) * scale); };
    // Readings come at a steady pace, so a column mostly holds as many
    // points as the one before it, give or take one: those ends are tried
    // first, which spares a large chart the search's scattered reads.
    int lastLength = 0;
    std::vector<Column> columnsNow;
    columnsNow.reserve(size_t(columns) + 2);
    int i = first;
    while (i < end) {
        const double col = columnOf(i);
        auto endsAt = [&](int k) {
            return k > i && k <= end && columnOf(k - 1) <= col && (k == end || columnOf(k) > col);
        };
        int j = -1;
        for (int length : {lastLength, lastLength + 1, lastLength - 1}) {
            if (length > 0 && endsAt(i + length)) {
                j = i + length;
                break;
            }
        }
        if (j < 0) {
            // The column's end: gallop, then halve.
            int inside = i, outside = i + 1, step = 1;
            while (outside < end && columnOf(outside) <= col) {
                inside = outside;
                step *= 2;
                outside = i + step;
            }
            if (outside > end)
                outside = end;
            while (outside - inside > 1) {
                const int mid = inside + (outside - inside) / 2;
                if (columnOf(mid) <= col)
                    inside = mid;
                else
                    outside = mid;
            }
            j = outside;
        }
        int lo = -1, hi = -1;
        const int k = int(columnsNow.size());
        for (const int at : {k, k + 1, k - 1}) {
            if (at >= 0 && size_t(at) < m_columns.size() && m_columns[size_t(at)].first == i
                && m_columns[size_t(at)].end == j) {
                lo = m_columns[size_t(at)].low;
                hi = m_columns[size_t(at)].high;
                break;
            }
        }
        if (lo < 0)
            extremes(i, j, &lo, &hi);
        columnsNow.push_back(Column{i, j, lo, hi});
        appendColumnPoints(&out, p, i, lo, hi, j - 1, i == first || j == end);
        lastLength = j - i;
        i = j;
    }
    m_columns.swap(columnsNow);
    return out;
}
