#include "ui/statspanel.h"

#include <QGridLayout>
#include <QLabel>

#include "ui/statstext.h"

namespace {

// The live panel's blue with white text, so the grid reads as part of it.
const char kStatsStyle[] = "QWidget{color: white; background: rgb(24, 144, 235);}"
                           "QLabel{color: white;}";

const char *const kRowObjectNames[StatsPanel::RowCount] = {"Speed", "Temp", "Flow"};
const char *const kColumnObjectNames[StatsPanel::ColumnCount] = {"Min", "Max", "Mean", "Std"};

QFont pointFont(const QWidget *w, int points, bool bold)
{
    QFont f = w->font();
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

const QuantityTexts &rowTexts(const StatsTexts &t, int row)
{
    switch (row) {
    case StatsPanel::RowSpeed: return t.speed;
    case StatsPanel::RowTemperature: return t.temperature;
    default: return t.airFlow;
    }
}

const QString &rowUnit(const StatsTexts &t, int row)
{
    switch (row) {
    case StatsPanel::RowSpeed: return t.speedUnit;
    case StatsPanel::RowTemperature: return t.temperatureUnit;
    default: return t.airFlowUnit;
    }
}

QStringList figureList(const QuantityTexts &q)
{
    return {q.min, q.max, q.mean, q.stddev};
}

} // namespace

StatsPanel::StatsPanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("wStats"));
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(QLatin1String(kStatsStyle));

    m_grid = new QGridLayout(this);
    m_grid->setContentsMargins(10, 4, 10, 10);
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(2);

    m_caption = addLabel(QStringLiteral("lbStatsCaption"), 0, 0, Qt::AlignLeft);
    m_grid->addWidget(m_caption, 0, 0, 1, 2 + ColumnCount);
    m_caption->setFont(pointFont(m_caption, 11, true));

    const QString columnTitles[ColumnCount] = {tr("Min"), tr("Max"), tr("Mean"), tr("Std dev")};
    for (int c = 0; c < ColumnCount; ++c) {
        QLabel *l = addLabel(QStringLiteral("lbStatsHead%1").arg(QLatin1String(kColumnObjectNames[c])),
                             1, 2 + c, Qt::AlignRight);
        l->setText(columnTitles[c]);
        l->setFont(pointFont(l, 10, true));
    }

    const QString rowTitles[RowCount] = {tr("Speed"), tr("Temperature"), tr("Air flow")};
    for (int r = 0; r < RowCount; ++r) {
        const QString name = QLatin1String(kRowObjectNames[r]);
        QLabel *title = addLabel(QStringLiteral("lbStats%1").arg(name), 2 + r, 0, Qt::AlignLeft);
        title->setText(rowTitles[r]);
        title->setFont(pointFont(title, 10, true));
        m_units[r] = addLabel(QStringLiteral("unitStats%1").arg(name), 2 + r, 1, Qt::AlignLeft);
        for (int c = 0; c < ColumnCount; ++c) {
            m_figures[r][c] = addLabel(
                QStringLiteral("lbStats%1%2").arg(name, QLatin1String(kColumnObjectNames[c])),
                2 + r, 2 + c, Qt::AlignRight);
            m_figures[r][c]->setFont(pointFont(m_figures[r][c], 11, false));
        }
    }

    const int factsRow = 2 + RowCount;
    QLabel *readings = addLabel(QStringLiteral("lbStatsReadingsTitle"), factsRow, 0, Qt::AlignLeft);
    readings->setText(tr("Readings"));
    readings->setFont(pointFont(readings, 10, true));
    m_readings = addLabel(QStringLiteral("lbStatsReadings"), factsRow, 1, Qt::AlignLeft);
    m_grid->addWidget(m_readings, factsRow, 1, 1, 2);
    QLabel *duration = addLabel(QStringLiteral("lbStatsDurationTitle"), factsRow, 3, Qt::AlignRight);
    duration->setText(tr("Duration"));
    duration->setFont(pointFont(duration, 10, true));
    m_duration = addLabel(QStringLiteral("lbStatsDuration"), factsRow, 4, Qt::AlignRight);
    m_grid->addWidget(m_duration, factsRow, 4, 1, 2);

    m_grid->setColumnStretch(0, 2);
    m_grid->setColumnStretch(1, 1);
    for (int c = 0; c < ColumnCount; ++c)
        m_grid->setColumnStretch(2 + c, 2);

    setShowsView(false);
    clearStats(UnitChoice());
}

StatsPanel::~StatsPanel() = default;

QLabel *StatsPanel::addLabel(const QString &objectName, int row, int column, Qt::Alignment alignment)
{
    auto *label = new QLabel(this);
    label->setObjectName(objectName);
    label->setAlignment(alignment | Qt::AlignVCenter);
    m_grid->addWidget(label, row, column);
    return label;
}

void StatsPanel::showStats(const StatsSnapshot &stats, const UnitChoice &units)
{
    const StatsTexts t = statsTexts(statsInUnits(stats, units), units);
    for (int r = 0; r < RowCount; ++r) {
        m_units[r]->setText(rowUnit(t, r));
        const QStringList figures = figureList(rowTexts(t, r));
        for (int c = 0; c < ColumnCount; ++c)
            m_figures[r][c]->setText(figures.at(c));
    }
    m_readings->setText(t.readings);
    m_duration->setText(t.duration);
}

void StatsPanel::clearStats(const UnitChoice &units)
{
    showStats(StatsSnapshot(), units);
}

void StatsPanel::setShowsView(bool inView)
{
    m_caption->setText(inView ? tr("Readings in view") : tr("All readings"));
}

QString StatsPanel::figureText(Row row, Column column) const
{
    return m_figures[row][column]->text();
}

QString StatsPanel::unitText(Row row) const
{
    return m_units[row]->text();
}

QString StatsPanel::readingsText() const
{
    return m_readings->text();
}

QString StatsPanel::durationText() const
{
    return m_duration->text();
}

QString StatsPanel::captionText() const
{
    return m_caption->text();
}

ExportWriter::ReportSummary StatsPanel::reportSummary(const StatsSnapshot &stats,
                                                      const UnitChoice &units)
{
    const StatsTexts t = statsTexts(statsInUnits(stats, units), units);
    ExportWriter::ReportSummary s;
    s.heading = tr("Summary");
    s.columnHeadings = QStringList{QString(), QString(), tr("Min"), tr("Max"), tr("Mean"), tr("Std dev")};
    const QString rowTitles[RowCount] = {tr("Speed"), tr("Temperature"), tr("Air flow")};
    for (int r = 0; r < RowCount; ++r)
        s.rows.append(QStringList{rowTitles[r], rowUnit(t, r)} + figureList(rowTexts(t, r)));
    s.facts = {
        {tr("Readings"), t.readings},
        {tr("Duration"), t.duration},
        {tr("First reading"), t.first},
        {tr("Last reading"), t.last},
    };
    return s;
}
