#pragma once

namespace QtCharts {
class QChart;
}

// The chart theme puts a drop shadow under the chart's background, which
// Qt's effect blurs afresh on every repaint of the chart: a third of the
// cost of a live frame, although the shadow depends on the background's
// pixels alone. This swaps it for an effect that looks the same and blurs
// only when the background itself has changed.
void cacheChartShadow(QtCharts::QChart *chart);
