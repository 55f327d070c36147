#include "ui/statstext.h"

#include <QDateTime>

#include "ui/unitlabels.h"

namespace {

QuantityTexts quantityTexts(const QuantityStats &s, int decimals)
{
    if (s.count == 0)
        return {noReadingText(), noReadingText(), noReadingText(), noReadingText()};
    auto fixed = [decimals](double v) { return QString::number(v, 'f', decimals); };
    return {fixed(s.min), fixed(s.max), fixed(s.mean), fixed(s.stddev)};
}

} // namespace

StatsTexts statsTexts(const UnitStats &stats, const UnitChoice &units)
{
    StatsTexts t;
    t.speed = quantityTexts(stats.speed, 3);
    t.temperature = quantityTexts(stats.temperature, 1);
    t.airFlow = quantityTexts(stats.airFlow, 3);
    t.speedUnit = panelWindLabel(units.wind);
    // Every temperature and volume code but 0 is the second unit, as in the
    // table (the labels are the panel's, already in the translations).
    t.temperatureUnit = trMainWindow(units.temp == 0 ? "du-C" : "du-F");
    t.airFlowUnit = trMainWindow(units.volume == 0 ? "CMM" : "CFM");
    t.readings = QString::number(stats.readings);
    t.duration = durationText(stats.durationMs());
    t.first = readingTimeText(stats.firstMs, stats.readings > 0);
    t.last = readingTimeText(stats.lastMs, stats.readings > 0);
    return t;
}

QString durationText(qint64 ms)
{
    const qint64 seconds = qMax<qint64>(0, ms) / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString readingTimeText(qint64 ms, bool hasReading)
{
    if (!hasReading)
        return noReadingText();
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
