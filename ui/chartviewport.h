#pragma once

#include <QPointF>
#include <QVector>

#include "model/runningstats.h"

// What the chart shows of its readings: the time range in view (zoom, pan,
// following the newest reading), the reading under the pointer and value
// axes that fit what is shown. Plain logic on the full-resolution points
// (x in ms since the epoch, ascending); the chart widget only translates
// mouse events into these calls.

struct TimeRange
{
    double min = 0;
    double max = 0;
    double span() const { return max - min; }
    bool operator==(const TimeRange &o) const { return min == o.min && max == o.max; }
};

// Index of the point closest in time to x: the first point before the first,
// the last after the last, the earlier of two equally close points (and the
// first of points sharing a time). -1 when there are no points.
int nearestPointIndex(const QVector<QPointF> &points, double x);

// Points with x inside the range (both ends included); withNeighbours adds
// the closest point outside on either side so the line runs on to the
// plot's edges.
IndexSpan pointsInRange(const QVector<QPointF> &points, const TimeRange &range,
                        bool withNeighbours = true);

// What a series is given for the range: its full-resolution points, reduced
// per pixel column only when there are more than the plot can show. Zoomed
// in far enough, every reading is there.
QVector<QPointF> displayPointsInRange(const QVector<QPointF> &points, const TimeRange &range,
                                      int columns);

// The smallest span worth zooming to at x: `readings` gaps between the
// readings around the one nearest x, so that a view that wide still holds
// that many readings (0 with fewer than two points).
double minimumSpanAt(const QVector<QPointF> &points, double x, int readings = 2);

// The view moved inside the data's range without changing its width (the
// data's whole range when the view is wider).
TimeRange clampedTo(const TimeRange &view, const TimeRange &data);

// factor < 1 zooms in, > 1 out. The time under the pointer (anchor) stays
// where it is unless the data's edge is reached; the span stays at least
// minSpan and at most the data's.
TimeRange zoomedAround(const TimeRange &view, double anchor, double factor, const TimeRange &data,
                       double minSpan);

// Dragging the plot right by dx pixels shows earlier times.
TimeRange pannedByPixels(const TimeRange &view, double dxPixels, double plotWidthPixels,
                         const TimeRange &data);

// The times between two pointer positions across the plot (either order),
// widened to minSpan around their middle when narrower.
TimeRange rubberBandRange(const TimeRange &view, double fromPixel, double toPixel,
                          double plotWidthPixels, const TimeRange &data, double minSpan);

// A value axis with round ticks: steps of 1, 2, 2.5 or 5 × 10^k, at most
// maxIntervals of them. zeroBased starts a non-negative series at 0 when its
// spread is a sixth of its top or more (speeds, air flow; not temperatures).
// A flat series or a single reading gets one unit of its magnitude around
// it (3.9 -> 3.5 to 4.5; 0 -> 0 to 1).
struct ValueAxisRange
{
    double min = 0;
    double max = 1;
    double step = 0.2;
    int tickCount = 6;    // for QValueAxis::setTickCount
    int decimals = 1;     // enough to label every tick
    bool operator==(const ValueAxisRange &o) const;
};

ValueAxisRange niceValueRange(double lowest, double highest, bool zeroBased, int maxIntervals = 5);

// The chart's time window over its growing data.
//
// Not zoomed, it shows every reading from the first to the newest. Zoomed
// and following, a new reading moves the window so that its right edge
// stays on the newest reading; zoomed and not following, a new reading
// leaves the window alone, so what the user looks at does not slide away.
// Any zoom or pan that ends with the right edge on the newest reading
// follows again; zooming out to the whole range ends the zoom.
class ChartViewport
{
public:
    void clear();
    // Data in view after a reload or download: first and newest reading.
    void setData(const TimeRange &data);
    // A new reading at x (ascending).
    void addReading(double x);

    const TimeRange &view() const { return m_view; }
    const TimeRange &data() const { return m_data; }
    bool hasData() const { return m_hasData; }
    bool isZoomed() const { return m_zoomed; }
    bool isFollowing() const { return m_following; }

    void zoom(double anchor, double factor, double minSpan);
    void pan(double dxPixels, double plotWidthPixels);
    void zoomToPixels(double fromPixel, double toPixel, double plotWidthPixels, double minSpan);
    // Back to every reading.
    void showAll();
    // Following jumps the window's right edge to the newest reading.
    void setFollowing(bool following);

private:
    void setView(const TimeRange &view);

    TimeRange m_data;
    TimeRange m_view;
    bool m_hasData = false;
    bool m_zoomed = false;
    bool m_following = true;
};
