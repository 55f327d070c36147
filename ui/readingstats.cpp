#include "ui/readingstats.h"

#include <cmath>

#include <QDateTime>

#include "device/storedpackage.h"
#include "ui/recordchart.h"
#include "ui/statspanel.h"
#include "ui/unitlabels.h"

namespace {

// Spacing of readings that carry no time of their own (downloaded ones).
const qint64 kUntimedSpacingMs = 500;

qint64 recordTimeMs(const PelnorXLogItem &r)
{
    const QDateTime t = QDateTime::fromString(r.date.trimmed() + QLatin1Char(' ') + r.time.trimmed(),
                                              QStringLiteral("yyyy-M-d H:m:s"));
    return t.isValid() ? t.toMSecsSinceEpoch() : -1;
}

} // namespace

ReadingStats::ReadingStats(StatsPanel *panel, const RecordChart *chart)
    : m_panel(panel)
    , m_chart(chart)
{
}

void ReadingStats::addLive(const PelnorXLogItem &record, qint64 timeMs)
{
    m_stats.add(record, timeMs, RowOrigin::Live);
    show();
}

void ReadingStats::addDownloaded(const QVector<DownloadedRecord> &records)
{
    m_stats.clear();
    // The table shows downloaded rows as it shows live ones.
    for (const DownloadedRecord &r : records)
        m_stats.add(r.item, r.chartTimeMs, RowOrigin::Live);
    show();
}

void ReadingStats::rowsCleared()
{
    m_stats.clear();
    show();
}

void ReadingStats::rowsRebuilt(const QList<PelnorXLogItem> &records, int firstRow)
{
    if (firstRow == 0)
        m_stats.clear();
    // A row's time is its chart point's where the chart pairs one with it
    // (the zoomed view's figures then match what is drawn), else its own
    // clock time, else the spacing of downloaded records after the last.
    const QVector<QPointF> &points = m_chart->windPoints();
    qint64 last = m_stats.size() > 0 ? m_stats.timeAt(m_stats.size() - 1) : 0;
    for (int i = 0; i < records.size(); ++i) {
        const int row = firstRow + i;
        qint64 t = row < points.size() ? qint64(points.at(row).x()) : recordTimeMs(records.at(i));
        if (t < 0)
            t = last + kUntimedSpacingMs;
        // The span lookups want ascending times.
        if (m_stats.size() > 0 && t < last)
            t = last;
        m_stats.add(records.at(i), t, RowOrigin::Rebuilt);
        last = t;
    }
    show();
}

void ReadingStats::show()
{
    const ChartViewport &viewport = m_chart->viewport();
    const bool inView = viewport.isZoomed();
    m_panel->setShowsView(inView);
    const StatsSnapshot shown = inView
        ? m_stats.spanBetween(qint64(std::floor(viewport.view().min)), qint64(std::ceil(viewport.view().max)))
        : m_stats.total();
    m_panel->showStats(shown, userUnits());
}

ExportWriter::ReportSummary ReadingStats::reportSummary() const
{
    return StatsPanel::reportSummary(m_stats.total(), userUnits());
}
