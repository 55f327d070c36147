#pragma once

#include <QColor>
#include <QDialog>

class QTimer;

// Geometry of the spinner, kept apart from painting so it can be checked.
// "Single" products are computed in float and truncated, as drawn.
namespace indicator {

struct SpokeGeometry
{
    int radius;      // outer end of a spoke, from the centre
    int inner;       // inner end of a spoke
    int length;
    int width;
    int corner;
};
SpokeGeometry spokeGeometry(int side);

struct DotGeometry
{
    int radius;
    int inner;
    int diameter;    // d: half the ring's thickness
};
DotGeometry dotGeometry(int side);

// Height level 1–5 of bar i at the given phase; 6–9 fold back to 4–1.
int barLevel(double progress, int i);
// One animation step of the bars' phase: 0, 0.1, … 0.4, then 0 again.
double nextProgress(double progress);

} // namespace indicator

// A small frameless, translucent spinner shown modally while the program
// waits for the instrument's stored records or for a history reload.
class QProcessIndicator : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(int m_type MEMBER m_type)
    Q_PROPERTY(QColor m_color MEMBER m_color)
    Q_PROPERTY(int m_interval MEMBER m_interval)

public:
    explicit QProcessIndicator(QWidget *parent = nullptr);
    ~QProcessIndicator() override;

    int type() const { return m_type; }
    void setType(int type) { m_type = type; }
    int angle() const { return m_angle; }
    double progress() const { return m_progress; }
    bool isAnimating() const;

public slots:
    // Puts the indicator's top-left corner at (x, y) and runs it modally;
    // returns once closeLoading() has been called.
    void showLoading(int x, int y);
    // The same without a modal loop of its own: the caller decides what
    // else stays reachable while it spins.
    void showModeless(int x, int y);
    void closeLoading();

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void onTimeout();

private:
    Q_DISABLE_COPY(QProcessIndicator)

    int m_type = 0;                       // 0 spokes, 1 bars, 2 dots
    int m_interval = 60;                  // ms per animation step
    QColor m_color = QColor(232, 64, 64);
    int m_angle = 0;                      // multiple of 45 below 360
    double m_progress = 0.0;              // phase of the bars
    QTimer *m_timer = nullptr;
};
