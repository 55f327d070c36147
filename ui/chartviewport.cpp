#include "ui/chartviewport.h"

#include <algorithm>
#include <cmath>

#include "ui/chartdecimation.h"

namespace {

bool lessX(const QPointF &p, double x) { return p.x() < x; }
bool xLess(double x, const QPointF &p) { return x < p.x(); }

} // namespace

int nearestPointIndex(const QVector<QPointF> &points, double x)
{
    const int n = points.size();
    if (n == 0)
        return -1;
    const auto begin = points.constBegin();
    const int after = int(std::lower_bound(begin, points.constEnd(), x, lessX) - begin);
    if (after == 0)
        return 0;
    if (after == n)
        return n - 1;
    // points[after - 1] < x <= points[after]; a tie goes to the earlier one.
    // The earlier may share its time with points before it: take the first.
    const double before = x - points[after - 1].x();
    const double next = points[after].x() - x;
    if (next < before)
        return after;
    const double t = points[after - 1].x();
    return int(std::lower_bound(begin, begin + after, t, lessX) - begin);
}

IndexSpan pointsInRange(const QVector<QPointF> &points, const TimeRange &range, bool withNeighbours)
{
    if (points.isEmpty() || range.min > range.max)
        return IndexSpan();
    const auto begin = points.constBegin();
    int first = int(std::lower_bound(begin, points.constEnd(), range.min, lessX) - begin);
    int last = int(std::upper_bound(begin + first, points.constEnd(), range.max, xLess) - begin);
    if (withNeighbours) {
        first = std::max(first - 1, 0);
        last = std::min(last + 1, points.size());
    }
    return IndexSpan{first, last};
}

QVector<QPointF> displayPointsInRange(const QVector<QPointF> &points, const TimeRange &range,
                                      int columns)
{
    const IndexSpan s = pointsInRange(points, range, true);
    if (s.first == 0 && s.last == points.size())
        return decimateForDisplay(points, range.min, range.max, columns);
    return decimateForDisplay(points.mid(s.first, s.size()), range.min, range.max, columns);
}

double minimumSpanAt(const QVector<QPointF> &points, double x, int readings)
{
    const int n = points.size();
    if (n < 2)
        return 0;
    // readings + 1 consecutive readings span `readings` gaps: a view that
    // wide holds `readings` of them wherever it lies, when they come evenly.
    const int count = std::min(std::max(readings, 1) + 1, n);
    const int at = nearestPointIndex(points, x);
    // A window of `count` readings around the nearest, moved inside the data.
    int first = std::max(at - (count - 1) / 2, 0);
    first = std::min(first, n - count);
    return points[first + count - 1].x() - points[first].x();
}

TimeRange clampedTo(const TimeRange &view, const TimeRange &data)
{
    if (view.span() >= data.span())
        return data;
    TimeRange out = view;
    if (out.min < data.min) {
        out.max += data.min - out.min;
        out.min = data.min;
    } else if (out.max > data.max) {
        out.min -= out.max - data.max;
        out.max = data.max;
    }
    return out;
}

TimeRange zoomedAround(const TimeRange &view, double anchor, double factor, const TimeRange &data,
                       double minSpan)
{
    const double span = view.span();
    if (!(span > 0) || !(factor > 0) || !std::isfinite(factor) || !(data.span() > 0))
        return clampedTo(view, data);
    anchor = std::clamp(anchor, view.min, view.max);
    double wanted = std::max(span * factor, minSpan);
    if (wanted >= data.span())
        return data;
    const double share = (anchor - view.min) / span;
    const double min = anchor - share * wanted;
    return clampedTo(TimeRange{min, min + wanted}, data);
}

TimeRange pannedByPixels(const TimeRange &view, double dxPixels, double plotWidthPixels,
                         const TimeRange &data)
{
    if (!(plotWidthPixels > 0) || !std::isfinite(dxPixels))
        return clampedTo(view, data);
    const double shift = -dxPixels * view.span() / plotWidthPixels;
    return clampedTo(TimeRange{view.min + shift, view.max + shift}, data);
}

TimeRange rubberBandRange(const TimeRange &view, double fromPixel, double toPixel,
                          double plotWidthPixels, const TimeRange &data, double minSpan)
{
    if (!(plotWidthPixels > 0) || !std::isfinite(fromPixel) || !std::isfinite(toPixel))
        return clampedTo(view, data);
    auto timeAt = [&](double px) {
        return view.min + std::clamp(px, 0.0, plotWidthPixels) / plotWidthPixels * view.span();
    };
    double a = timeAt(fromPixel);
    double b = timeAt(toPixel);
    if (a > b)
        std::swap(a, b);
    if (b - a < minSpan) {
        const double middle = (a + b) / 2;
        a = middle - minSpan / 2;
        b = middle + minSpan / 2;
    }
    return clampedTo(TimeRange{a, b}, data);
}

// ---- value axis ----------------------------------------------------------

bool ValueAxisRange::operator==(const ValueAxisRange &o) const
{
    return min == o.min && max == o.max && step == o.step && tickCount == o.tickCount
        && decimals == o.decimals;
}

ValueAxisRange niceValueRange(double lowest, double highest, bool zeroBased, int maxIntervals)
{
    if (!std::isfinite(lowest) || !std::isfinite(highest))
        return ValueAxisRange();
    if (lowest > highest)
        std::swap(lowest, highest);
    maxIntervals = std::max(maxIntervals, 2);

    double lo;
    double hi;
    const double magnitude = std::max({1.0, std::fabs(lowest), std::fabs(highest)});
    if (highest - lowest <= 1e-9 * magnitude) {
        // Flat: one unit of the value's own magnitude, centred on the
        // nearest half unit, so the line sits in the middle with round ends.
        const double v = (lowest + highest) / 2;
        if (v == 0) {
            lo = 0;
            hi = 1;
        } else {
            const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(v))));
            const double half = unit / 2;
            const double centre = std::round(v / half) * half;
            lo = centre - half;
            hi = centre + half;
        }
    } else {
        // A little room so the line does not run along the frame, but never
        // across zero just for the room.
        const double room = (highest - lowest) * 0.02;
        lo = lowest - room;
        hi = highest + room;
        if (lowest >= 0 && lo < 0)
            lo = 0;
        if (highest <= 0 && hi > 0)
            hi = 0;
        if (zeroBased) {
            if (lowest >= 0 && highest - lowest >= highest / 6)
                lo = 0;
            if (highest <= 0 && highest - lowest >= -lowest / 6)
                hi = 0;
        }
    }

    static const double mantissas[] = {1, 2, 2.5, 5};
    int exponent = int(std::floor(std::log10((hi - lo) / maxIntervals)));
    // Divisions are never quite exact in binary: 0.3 / 0.1 is 2.9999999999999996.
    const double slack = 1e-9;
    for (;; ++exponent) {
        for (double m : mantissas) {
            const double step = m * std::pow(10.0, exponent);
            const double first = std::floor(lo / step + slack);
            const double last = std::ceil(hi / step - slack);
            if (last - first > maxIntervals)
                continue;
            ValueAxisRange r;
            r.step = step;
            r.min = first * step;
            r.max = last * step;
            if (r.max <= r.min)
                r.max = r.min + step;
            r.tickCount = int(std::lround((r.max - r.min) / step)) + 1;
            r.decimals = std::max(0, -exponent + (m == 2.5 ? 1 : 0));
            return r;
        }
    }
}

// ---- ChartViewport -------------------------------------------------------

void ChartViewport::clear()
{
    *this = ChartViewport();
}

void ChartViewport::setData(const TimeRange &data)
{
    m_data = data;
    m_hasData = true;
    if (!m_zoomed) {
        m_view = m_data;
        return;
    }
    setView(m_following ? TimeRange{m_data.max - m_view.span(), m_data.max} : m_view);
}

void ChartViewport::addReading(double x)
{
    if (!m_hasData) {
        setData(TimeRange{x, x});
        return;
    }
    setData(TimeRange{std::min(m_data.min, x), std::max(m_data.max, x)});
}

void ChartViewport::setView(const TimeRange &view)
{
    m_view = clampedTo(view, m_data);
    if (m_view.span() >= m_data.span()) {
        m_zoomed = false;
        m_following = true;
        m_view = m_data;
        return;
    }
    m_zoomed = true;
    m_following = m_view.max >= m_data.max;
}

void ChartViewport::zoom(double anchor, double factor, double minSpan)
{
    if (m_hasData)
        setView(zoomedAround(m_view, anchor, factor, m_data, minSpan));
}

void ChartViewport::pan(double dxPixels, double plotWidthPixels)
{
    if (m_hasData && m_zoomed)
        setView(pannedByPixels(m_view, dxPixels, plotWidthPixels, m_data));
}

void ChartViewport::zoomToPixels(double fromPixel, double toPixel, double plotWidthPixels,
                                 double minSpan)
{
    if (m_hasData)
        setView(rubberBandRange(m_view, fromPixel, toPixel, plotWidthPixels, m_data, minSpan));
}

void ChartViewport::showAll()
{
    m_zoomed = false;
    m_following = true;
    m_view = m_data;
}

void ChartViewport::setFollowing(bool following)
{
    if (!m_zoomed) {
        m_following = true;
        return;
    }
    if (following)
        setView(TimeRange{m_data.max - m_view.span(), m_data.max});
    else
        m_following = false;
}
