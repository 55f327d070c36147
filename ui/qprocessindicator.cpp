#include "ui/qprocessindicator.h"

#include <QPainter>
#include <QTimer>

namespace indicator {

SpokeGeometry spokeGeometry(int side)
{
    SpokeGeometry g;
    g.radius = int(float(side - 4) * 0.5f);
    g.inner = int(float(g.radius) * 0.42f);
    g.length = g.radius - g.inner;
    g.width = side <= 32 ? int(float(g.length) * 0.4f) : int(float(g.length) * 0.32f);
    g.corner = g.width / 2;
    return g;
}

DotGeometry dotGeometry(int side)
{
    DotGeometry g;
    g.radius = int(float(side - 4) * 0.5f);
    g.inner = int(float(g.radius) * 0.78f);
    g.diameter = (g.radius - g.inner) / 2;
    return g;
}

int barLevel(double progress, int i)
{
    int level = int(progress * 10 + i + 1);
    if (level > 5)
        level = 5 - (level % 5);
    return level;
}

double nextProgress(double progress)
{
    // The step is the float 0.1, so the phase runs 0, 0.1, … 0.4 and the
    // fifth step lands just above 0.5.
    progress += double(0.1f);
    return progress > 0.5 ? 0.0 : progress;
}

} // namespace indicator

QProcessIndicator::QProcessIndicator(QWidget *parent)
    : QDialog(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setFocusPolicy(Qt::NoFocus);
    m_timer = new QTimer();
    connect(m_timer, &QTimer::timeout, this, &QProcessIndicator::onTimeout);
    setWindowOpacity(1.0);
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setWindowFlags(windowFlags() | Qt::Tool);
}

QProcessIndicator::~QProcessIndicator()
{
    m_timer->stop();
    delete m_timer;
}

bool QProcessIndicator::isAnimating() const
{
    return m_timer->isActive();
}

void QProcessIndicator::showLoading(int x, int y)
{
    setGeometry(x, y, 64, 32);
    m_timer->start(m_interval);
    exec();
}

void QProcessIndicator::showModeless(int x, int y)
{
    setGeometry(x, y, 64, 32);
    m_timer->start(m_interval);
    show();
}

void QProcessIndicator::closeLoading()
{
    m_timer->stop();
    close();
}

void QProcessIndicator::onTimeout()
{
    switch (m_type) {
    case 0:
    case 2:
        m_angle = (m_angle + 45) % 360;
        break;
    case 1:
        m_progress = indicator::nextProgress(m_progress);
        break;
    default:
        break;
    }
    update();
}

void QProcessIndicator::paintEvent(QPaintEvent *)
{
    if (!m_timer->isActive())
        return;

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    const int side = qMin(width(), height());
    const QPoint centre = rect().center();

    if (m_type == 0) {
        const indicator::SpokeGeometry g = indicator::spokeGeometry(side);
        for (int i = 0; i < 8; ++i) {
            QColor c = m_color;
            c.setAlphaF(1.0 - i * 0.125);
            p.setBrush(c);
            p.save();
            p.translate(centre);
            p.rotate(m_angle - 45 * i);
            p.drawRoundedRect(QRect(int(-0.5 * g.width), -g.radius, g.width, g.length),
                              g.corner, g.corner, Qt::AbsoluteSize);
            p.restore();
        }
    } else if (m_type == 1) {
        const double barHeight = double(float(side) * 0.9f);
        const double b = double(float(side) * 0.15f);
        const int barWidth = int(b);
        const double x0 = (width() - 5 * b - 4 * b) * 0.5;
        p.setBrush(m_color);
        for (int i = 0; i < 5; ++i) {
            const int level = indicator::barLevel(m_progress, i);
            const double h = double(float(level) * 0.1f + 0.5f) * barHeight;
            p.save();
            p.translate(x0 + 2 * b * i, height() / 2);
            p.drawRoundedRect(QRect(0, int(-0.5 * h), barWidth, int(h)), b * 0.5, b * 0.5,
                              Qt::AbsoluteSize);
            p.restore();
        }
    } else if (m_type == 2) {
        const indicator::DotGeometry g = indicator::dotGeometry(side);
        for (int i = 0; i < 8; ++i) {
            QColor c = m_color;
            c.setAlphaF(1.0 - i * 0.125);
            p.setBrush(c);
            const double s = double((1.0f - float(i) * 0.0625f) * float(g.diameter));
            p.save();
            p.translate(centre);
            p.rotate(m_angle - 45 * i);
            p.drawEllipse(QPointF(-g.diameter, -(g.diameter + g.inner)), 2 * s, 2 * s);
            p.restore();
        }
    }
}
