#pragma once

#include <vector>

#include <QtGlobal>

#include "model/pelnorxlogitem.h"
#include "model/valuetext.h"

// Count, extremes, mean and sample standard deviation of one quantity.
// The figures mean nothing while count is 0.
struct QuantityStats
{
    qint64 count = 0;
    double min = 0;
    double max = 0;
    double mean = 0;
    double stddev = 0; // sample (n - 1); 0 for a single value
};

// Statistics of a run of readings, in the quantities' base units. Air flow
// is kept in both units as recorded: with an area entered in ft² the
// record's CFM is not its CMM times 35.315 (the instrument derives it from
// ft/min), so a converted mean would disagree with the table's cells.
struct StatsSnapshot
{
    QuantityStats speed;       // m/s
    QuantityStats temperature; // °C; readings without a temperature left out
    QuantityStats airFlowCmm;  // m³/min
    QuantityStats airFlowCfm;  // ft³/min
    qint64 readings = 0;
    qint64 firstMs = 0; // time of the first and last reading, ms since the epoch
    qint64 lastMs = 0;

    // First to last reading; 0 for fewer than two readings.
    qint64 durationMs() const;
};

// The same figures in the user's units.
struct UnitStats
{
    QuantityStats speed;
    QuantityStats temperature;
    QuantityStats airFlow;
    qint64 readings = 0;
    qint64 firstMs = 0;
    qint64 lastMs = 0;
    qint64 durationMs() const { return readings > 1 ? qMax<qint64>(0, lastMs - firstMs) : 0; }
};

// Every conversion between the units of one quantity is value × factor +
// offset, so a mean and the extremes convert like a value and a standard
// deviation by the factor alone.
QuantityStats convertStats(const QuantityStats &stats, double factor, double offset);
// m/s to the wind unit of the code (the factors of deriveMeasurements);
// a code outside 0-4 is m/s.
double windSpeedFactor(int windUnit);
UnitStats statsInUnits(const StatsSnapshot &stats, const UnitChoice &units);

// Indices [first, last) of a span of readings.
struct IndexSpan
{
    int first = 0;
    int last = 0;
    int size() const { return last - first; }
    bool isEmpty() const { return last <= first; }
    bool operator==(const IndexSpan &o) const { return first == o.first && last == o.last; }
};

// Statistics of every reading since the last clear, updated in constant time
// per reading, and of any span of them on request. Readings are expected in
// ascending time (the order the chart needs too).
//
// The whole run uses Welford's update, exact enough for millions of
// readings. A span uses compensated prefix sums at block boundaries (mean
// and deviation in constant time apart from at most two partial blocks) and
// per-block extremes (a pass over the blocks, about 4,700 for a week).
class RunningStats
{
public:
    RunningStats();

    void clear();

    // A reading at timeMs (the chart's x). Whether it has a temperature is
    // what the table shows for it: origin Live leaves out "No Wheel"
    // (device state 1), Rebuilt every state above 0. Speed and air flow are
    // measured in either case and always count.
    void add(const PelnorXLogItem &item, qint64 timeMs, RowOrigin origin);

    int size() const { return int(m_times.size()); }
    qint64 timeAt(int index) const { return m_times[size_t(index)]; }

    // Every reading so far, in constant time.
    StatsSnapshot total() const;
    // Readings [first, last), clamped to those there are.
    StatsSnapshot span(int first, int last) const;
    // Readings taken from fromMs to toMs, both included.
    IndexSpan indicesBetween(qint64 fromMs, qint64 toMs) const;
    StatsSnapshot spanBetween(qint64 fromMs, qint64 toMs) const;

    // Heap bytes held (capacity, not just size).
    qint64 memoryBytes() const;

    // Readings per block of the span structure.
    static constexpr int BlockSize = 256;

private:
    // A sum with its running compensation (Neumaier), so that prefix sums over
    // a million readings keep the accuracy of a short sum.
    struct CompensatedSum
    {
        double sum = 0;
        double carry = 0;
        void add(double x);
        double value() const { return sum + carry; }
    };

    struct Prefix
    {
        qint64 count = 0;
        CompensatedSum s1; // sum of (x - shift)
        CompensatedSum s2; // sum of (x - shift)²
    };

    struct Extremes
    {
        double min;
        double max;
    };

    // One quantity. A value of NaN is a reading without this quantity.
    struct Channel
    {
        std::vector<double> values;
        // Welford's running figures of every value.
        qint64 count = 0;
        double mean = 0;
        double m2 = 0;
        double min = 0;
        double max = 0;
        // Sums of values minus the first value, which keeps the squares small.
        bool shifted = false;
        double shift = 0;
        Prefix running;
        std::vector<Prefix> prefixes;  // at every block boundary, from 0
        std::vector<Extremes> blocks;  // of every completed block
        Extremes open;                 // of the block being filled

        void clear();
        void add(double x);
        void closeBlock();
        QuantityStats total() const;
        QuantityStats span(int first, int last) const;
    };

    enum { Speed, Temperature, FlowCmm, FlowCfm, ChannelCount };

    std::vector<qint64> m_times;
    Channel m_channels[ChannelCount];
};
