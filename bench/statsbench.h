#pragma once

#include <QString>

namespace bench {

// Cost of the statistics and the chart's pointer logic for one live reading
// when a day of readings (172,800 at two a second) is already held: the
// statistics update, the whole run's figures for the panel, the figures of
// a zoomed view, the value axis fitted to them and the reading nearest the
// pointer. Target: under 0.5 ms per reading.
struct StatsBenchResult
{
    int readings = 0;        // held before the timed readings
    double medianMs = 0;     // per live reading
    double p99Ms = 0;
    double maxMs = 0;    // a busy machine's scheduling shows here
    double spanMs = 0;       // figures of a span the user selects (half the data), median
    double rebuildMs = 0;    // all readings added from nothing, as after a reload
    double bytesPerReading = 0; // heap of the statistics, with the vectors' spare room
    QString describe() const;
};

StatsBenchResult measureStats(int readings = 172800, int liveReadings = 2000);

} // namespace bench
