#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QString>
#include <QTimer>
#include <QVector>

#include "device/wireformat.h"
#include "model/pelnorxlogitem.h"

class QWidget;

namespace bench {

using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values);

// Resident and peak resident memory of this process, in MiB.
double rssMiB();
double peakRssMiB();
// Starts a fresh peak (VmHWM) from the current resident size.
void resetPeakRss();

// One result line for the parent: "RESULT <key> <value>".
void report(const QString &key, const QString &value);
void report(const QString &key, double value);

// Settings, settings object and runtime log in a fresh temporary folder.
// Returns that folder.
QString setUpGlobals();

// Lines in the runtime log so far.
qint64 runtimeLogLines();

// A varied but reproducible live reading; every 97th has no wheel.
wire::FrameFields frameFields(int i);
QByteArray frameBytes(int i);
// The record of reading i, taken at `when`.
PelnorXLogItem liveRecord(int i, const QDateTime &when);
// A stored-record package of n records.
QByteArray downloadPackage(int n);

// Counts paint events of a widget.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget);
    int count() const { return m_count; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int m_count = 0;
};

// Hands the event loop turns until the counter has seen a paint (at most
// maxPasses turns); true when it has.
bool pumpUntilPainted(const PaintCounter &counter, int maxPasses = 20);

// Presses the button with the given text in the next modal message box and
// notes when it did.
class ModalClicker : public QObject
{
public:
    explicit ModalClicker(const QString &buttonText);
    Clock::time_point clickedAt() const { return m_clickedAt; }
    bool clicked() const { return m_clicked; }

private:
    QTimer m_timer;
    QString m_text;
    bool m_clicked = false;
    Clock::time_point m_clickedAt;
};

// Samples the resident size every few milliseconds on its own thread.
class RssSampler
{
public:
    RssSampler();
    ~RssSampler();
    void stop();
    // Samples as (ms since start, MiB).
    const std::vector<std::pair<double, double>> &samples() const { return m_samples; }

private:
    std::atomic<bool> m_running{true};
    std::vector<std::pair<double, double>> m_samples;
    std::thread m_thread;
};

// Growth of a cost from size n1 to n2: the exponent p of t ~ n^p, and the
// time at `target` from a fit (linear below p 1.4, else a + b n + c n^2
// through the origin).
struct Extrapolation
{
    double exponent = 1.0;
    double atTarget = 0.0;
    QString describe(int n1, double t1, int n2, double t2, int target) const;
};
Extrapolation extrapolate(int n1, double t1, int n2, double t2, int target);

} // namespace bench
