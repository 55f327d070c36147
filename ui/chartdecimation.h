#pragma once

#include <QPointF>
#include <QVector>

// What the chart's series are given: the full points reduced to at most a
// minimum and a maximum per pixel column, in x order. A line through them
// looks the same as a line through every point, while the series, which
// recomputes its whole geometry on every change, stays small however long
// a recording runs. Points are expected in ascending x.
QVector<QPointF> decimateForDisplay(const QVector<QPointF> &points, double minX, double maxX,
                                    int columns);

// Appends one column's points: its first, lowest, highest and last point
// (indices into p), in x order, each once. The first and last are kept so
// that the line enters and leaves the column where the data does.
void appendColumnPoints(QVector<QPointF> *out, const QPointF *p, int first, int lowest, int highest, int last);
