#include "model/runningstats.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

QuantityStats figures(qint64 count, double mean, double variance, double min, double max)
{
    QuantityStats s;
    s.count = count;
    if (count == 0)
        return s;
    s.min = min;
    s.max = max;
    // Rounding may put the mean of equal values a hair outside them.
    s.mean = std::clamp(mean, min, max);
    s.stddev = variance > 0 ? std::sqrt(variance) : 0.0;
    return s;
}

} // namespace

qint64 StatsSnapshot::durationMs() const
{
    return readings > 1 ? qMax<qint64>(0, lastMs - firstMs) : 0;
}

QuantityStats convertStats(const QuantityStats &stats, double factor, double offset)
{
    QuantityStats out = stats;
    if (stats.count == 0)
        return out;
    out.min = stats.min * factor + offset;
    out.max = stats.max * factor + offset;
    if (out.min > out.max)
        std::swap(out.min, out.max);
    out.mean = std::clamp(stats.mean * factor + offset, out.min, out.max);
    out.stddev = stats.stddev * std::fabs(factor);
    return out;
}

double windSpeedFactor(int windUnit)
{
    switch (windUnit) {
    case 1: return 3.6;
    case 2: return 2.24;
    case 3: return 1.944;
    case 4: return 196.87;
    default: return 1.0;
    }
}

UnitStats statsInUnits(const StatsSnapshot &stats, const UnitChoice &units)
{
    UnitStats out;
    out.speed = convertStats(stats.speed, windSpeedFactor(units.wind), 0);
    out.temperature = units.temp == 0 ? stats.temperature : convertStats(stats.temperature, 1.8, 32);
    out.airFlow = units.volume == 0 ? stats.airFlowCmm : stats.airFlowCfm;
    out.readings = stats.readings;
    out.firstMs = stats.firstMs;
    out.lastMs = stats.lastMs;
    return out;
}

// ---- RunningStats --------------------------------------------------------

void RunningStats::CompensatedSum::add(double x)
{
    const double t = sum + x;
    if (std::fabs(sum) >= std::fabs(x))
        carry += (sum - t) + x;
    else
        carry += (x - t) + sum;
    sum = t;
}

void RunningStats::Channel::clear()
{
    *this = Channel();
    prefixes.push_back(Prefix());
    open = {kInf, -kInf};
}

void RunningStats::Channel::add(double x)
{
    // A value that is not a number (a damaged row read back from the
    // database) counts as no reading rather than spoiling every figure.
    if (!std::isfinite(x))
        x = kNoValue;
    values.push_back(x);
    if (!std::isnan(x)) {
        ++count;
        const double delta = x - mean;
        mean += delta / double(count);
        m2 += delta * (x - mean);
        if (count == 1) {
            min = max = x;
            shifted = true;
            shift = x;
        } else {
            min = std::min(min, x);
            max = std::max(max, x);
        }
        const double d = x - shift;
        ++running.count;
        running.s1.add(d);
        running.s2.add(d * d);
        open.min = std::min(open.min, x);
        open.max = std::max(open.max, x);
    }
    if (values.size() % size_t(BlockSize) == 0)
        closeBlock();
}

void RunningStats::Channel::closeBlock()
{
    prefixes.push_back(running);
    blocks.push_back(open);
    open = {kInf, -kInf};
}

QuantityStats RunningStats::Channel::total() const
{
    const double variance = count > 1 ? m2 / double(count - 1) : 0.0;
    return figures(count, mean, variance, min, max);
}

QuantityStats RunningStats::Channel::span(int first, int last) const
{
    qint64 n = 0;
    CompensatedSum s1;
    CompensatedSum s2;
    Extremes ext{kInf, -kInf};

    auto scan = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            const double x = values[size_t(i)];
            if (std::isnan(x))
                continue;
            ++n;
            const double d = x - shift;
            s1.add(d);
            s2.add(d * d);
            ext.min = std::min(ext.min, x);
            ext.max = std::max(ext.max, x);
        }
    };

    const int firstWhole = (first + BlockSize - 1) / BlockSize;
    const int endWhole = last / BlockSize;
    if (firstWhole >= endWhole) {
        scan(first, last);
    } else {
        scan(first, firstWhole * BlockSize);
        scan(endWhole * BlockSize, last);
        const Prefix &a = prefixes[size_t(firstWhole)];
        const Prefix &b = prefixes[size_t(endWhole)];
        n += b.count - a.count;
        // Differences of the sums and of their compensations separately:
        // the prefix sums' own rounding cancels out.
        s1.add(b.s1.sum - a.s1.sum);
        s1.add(b.s1.carry - a.s1.carry);
        s2.add(b.s2.sum - a.s2.sum);
        s2.add(b.s2.carry - a.s2.carry);
        for (int k = firstWhole; k < endWhole; ++k) {
            ext.min = std::min(ext.min, blocks[size_t(k)].min);
            ext.max = std::max(ext.max, blocks[size_t(k)].max);
        }
    }
    if (n == 0)
        return QuantityStats();
    const double sum = s1.value();
    const double mean = shift + sum / double(n);
    const double variance = n > 1 ? (s2.value() - sum * sum / double(n)) / double(n - 1) : 0.0;
    return figures(n, mean, variance, ext.min, ext.max);
}

RunningStats::RunningStats()
{
    clear();
}

void RunningStats::clear()
{
    m_times.clear();
    for (Channel &c : m_channels)
        c.clear();
}

void RunningStats::add(const PelnorXLogItem &item, qint64 timeMs, RowOrigin origin)
{
    m_times.push_back(timeMs);
    m_channels[Speed].add(item.windspeed_ms);
    m_channels[Temperature].add(hasTemperatureReading(item, origin) ? item.temperature_c : kNoValue);
    m_channels[FlowCmm].add(item.volume_cmm);
    m_channels[FlowCfm].add(item.volume_cfm);
}

StatsSnapshot RunningStats::total() const
{
    StatsSnapshot s;
    s.speed = m_channels[Speed].total();
    s.temperature = m_channels[Temperature].total();
    s.airFlowCmm = m_channels[FlowCmm].total();
    s.airFlowCfm = m_channels[FlowCfm].total();
    s.readings = qint64(m_times.size());
    if (!m_times.empty()) {
        s.firstMs = m_times.front();
        s.lastMs = m_times.back();
    }
    return s;
}

StatsSnapshot RunningStats::span(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, size());
    StatsSnapshot s;
    if (first >= last)
        return s;
    s.speed = m_channels[Speed].span(first, last);
    s.temperature = m_channels[Temperature].span(first, last);
    s.airFlowCmm = m_channels[FlowCmm].span(first, last);
    s.airFlowCfm = m_channels[FlowCfm].span(first, last);
    s.readings = last - first;
    s.firstMs = m_times[size_t(first)];
    s.lastMs = m_times[size_t(last - 1)];
    return s;
}

qint64 RunningStats::memoryBytes() const
{
    qint64 bytes = qint64(m_times.capacity() * sizeof(qint64));
    for (const Channel &c : m_channels) {
        bytes += qint64(c.values.capacity() * sizeof(double) + c.prefixes.capacity() * sizeof(Prefix)
                        + c.blocks.capacity() * sizeof(Extremes));
    }
    return bytes;
}

IndexSpan RunningStats::indicesBetween(qint64 fromMs, qint64 toMs) const
{
    if (fromMs > toMs)
        return IndexSpan();
    const auto begin = m_times.begin();
    const auto lo = std::lower_bound(begin, m_times.end(), fromMs);
    const auto hi = std::upper_bound(lo, m_times.end(), toMs);
    return IndexSpan{int(lo - begin), int(hi - begin)};
}

StatsSnapshot RunningStats::spanBetween(qint64 fromMs, qint64 toMs) const
{
    const IndexSpan s = indicesBetween(fromMs, toMs);
    return span(s.first, s.last);
}
