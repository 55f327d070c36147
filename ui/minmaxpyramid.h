#pragma once

#include <vector>

#include <QPointF>
#include <QVector>

// The chart's reduction of its full-resolution points to the plot's width,
// in work that grows with the columns shown, not with the points held.
//
// Beside the points it keeps, for buckets of 16, 32, 64, ... consecutive
// points, the index of each bucket's lowest and highest point. A new point
// updates one bucket per level. For a time range and a number of pixel
// columns, each column's first and last point are found by searching on x,
// and its lowest and highest point by combining a few buckets. The result is
// exactly that of displayPointsInRange (chartviewport.h): the points in
// the range with the nearest one outside on either side, reduced as
// decimateForDisplay does (first, lowest, highest and last point of each
// column, in x order) when there are more than the columns show.
//
// The index follows the point vector it is given: points appended since the
// last call are taken in then. After the points were changed in place,
// call invalidate(). Points out of x order are reduced the plain way.
class MinMaxPyramid
{
public:
    explicit MinMaxPyramid(const QVector<QPointF> *points);

    void invalidate();
    // *reduced (if given) tells whether the points were reduced to the
    // columns or are the range's points as they are.
    QVector<QPointF> displayPoints(double xMin, double xMax, int columns, bool *reduced = nullptr) const;

private:
    // A point by index, with its y at hand: comparing buckets then reads
    // no point, which for a week of readings would mostly miss the cache.
    struct Pick
    {
        qint32 index;
        double y;
    };
    struct Extremes
    {
        Pick low;
        Pick high;
    };

    void forget() const;
    void catchUp() const;
    void build() const;
    void take(int index) const;
    void extremes(int first, int end, int *low, int *high) const;

    const QVector<QPointF> *m_points;
    mutable std::vector<std::vector<Extremes>> m_levels;
    // The last reduction's columns: the points they spanned and the indices
    // of their lowest and highest. The points never change without
    // invalidate(), so a column spanning the same points again has the same
    // extremes; following a live recording, nearly every column does.
    struct Column
    {
        int first;
        int end;
        int low;
        int high;
    };
    mutable std::vector<Column> m_columns;
    mutable int m_indexed = 0;
    mutable bool m_ascending = true;
    // The first and the last point indexed, to notice a vector refilled
    // without invalidate().
    mutable QPointF m_firstIndexed;
    mutable QPointF m_lastIndexed;
};
