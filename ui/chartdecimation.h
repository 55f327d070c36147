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
