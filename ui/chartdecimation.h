#pragma once

#include <QPointF>
#include <QVector>

// What the chart's series are given: the full points reduced to at most a
// minimum and a maximum per pixel column, column after column. A line through them
// looks the same as a line through every point, while the series, which
// recomputes its whole geometry on every change, stays small however long
// a recording runs. Points are expected in ascending x.
QVector<QPointF> decimateForDisplay(const QVector<QPointF> &points, double minX, double maxX,
                                    int columns);

// Appends one column's points (indices into p), each once: its lowest and
// highest, the one nearer the line's last point first. Within a column two
// pixels wide a line through those draws what a line through every point
// draws; a series with half the points costs the chart half its geometry
// work on every reading, and a band of noise drawn up one column and down
// the next half the pixels. keepEnds (the outermost columns) keeps x order
// and adds the column's first and last point, so the line runs to the
// plot's edges and ends at the newest reading.
void appendColumnPoints(QVector<QPointF> *out, const QPointF *p, int first, int lowest, int highest, int last,
                        bool keepEnds);

// A pixel column of a reduced line that holds more than one reading, in the
// chart's values: it spans x0 to x1 and its readings low to high.
struct ChartBand
{
    double x0;
    double x1;
    double low;
    double high;
};

// A reduced line drawn as the band its dense columns fill plus one point
// per such column, at the middle of its span, for the line to run through.
struct BandedLine
{
    QVector<QPointF> line;
    QVector<ChartBand> bands;
};

// Splits the output of a reduction to `columns` columns of xMin..xMax (two
// points per inner column) into bands and a thin line. A band is what a
// line through every reading of a full column draws, a vertical stroke from
// its lowest to its highest reading. Filled, it costs the chart one
// rectangle, where a zigzag through a week of noisy readings cost it a path
// stroked across the whole band, and its hit-test outline, on every
// reading. The first and the last column keep their points, so
// the line still runs to the plot's edges and ends at the newest reading.
BandedLine bandDenseColumns(const QVector<QPointF> &reduced, double xMin, double xMax, int columns);

// Drops the line points of bands the line can pass straight through: a
// straight stretch is kept while it stays, at every band it crosses, half
// a pixel inside the band's rows (within a quarter pixel of the middle of
// a band thinner than that), so the line, drawn over its bands in the same
// colour, shows only where it leaves them. A week of noisy readings then
// needs a handful of line points instead of one per column, and the chart
// strokes and outlines those on every reading. yPerPixel: the value a pixel
// of the plot's height stands for.
void thinBandedLine(BandedLine *banded, double yPerPixel);
