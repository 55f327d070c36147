#include "ui/chartshadow.h"

#include <QChart>
#include <QGraphicsBlurEffect>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPainter>

using namespace QtCharts;

namespace {

// A QGraphicsBlurEffect spreads 2.5 times as far as a drop shadow of the
// same blur radius.
const qreal kBlurPerShadowRadius = 1 / 2.5;

// `image` blurred as a drop shadow of `radius` blurs it: the image on an
// item of a small scene of its own, rendered through QGraphicsBlurEffect.
QImage blurred(const QImage &image, qreal radius)
{
    QGraphicsScene scene;
    auto *item = scene.addPixmap(QPixmap::fromImage(image));
    auto *blur = new QGraphicsBlurEffect();
    blur->setBlurRadius(radius * kBlurPerShadowRadius);
    blur->setBlurHints(QGraphicsBlurEffect::PerformanceHint);
    item->setGraphicsEffect(blur);

    QImage out(image.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(0);
    QPainter painter(&out);
    const QRectF rect(QPointF(0, 0), QSizeF(image.size()));
    scene.render(&painter, rect, rect);
    return out;
}

class CachedDropShadowEffect : public QGraphicsDropShadowEffect
{
public:
    explicit CachedDropShadowEffect(const QGraphicsDropShadowEffect &like)
    {
        setBlurRadius(like.blurRadius());
        setOffset(like.offset());
        setColor(like.color());
    }

protected:
    void draw(QPainter *painter) override
    {
        if (blurRadius() <= 0 && offset().isNull()) {
            drawSource(painter);
            return;
        }
        QPoint at;
        const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &at, PadToEffectiveBoundingRect);
        if (source.isNull())
            return;
        if (m_shadowed.isNull() || source.cacheKey() != m_sourceKey) {
            // The source over its shadow, once: a repaint of the whole
            // chart then blends one image instead of two.
            m_shadowed = shadowOf(source);
            QPainter over(&m_shadowed);
            over.drawPixmap(QPoint(0, 0), source);
            over.end();
            m_sourceKey = source.cacheKey();
        }
        const QTransform restore = painter->worldTransform();
        painter->setWorldTransform(QTransform());
        painter->drawImage(at, m_shadowed);
        painter->setWorldTransform(restore);
    }

private:
    // The source moved by the offset, blurred, and painted in the shadow's
    // colour where it is not transparent. Blurred in device pixels.
    QImage shadowOf(const QPixmap &source) const
    {
        QImage moved(source.size(), QImage::Format_ARGB32_Premultiplied);
        moved.setDevicePixelRatio(source.devicePixelRatio());
        moved.fill(0);
        QPainter painter(&moved);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(offset(), source);
        painter.end();
        moved.setDevicePixelRatio(1.0);

        QImage shadow = blurred(moved, blurRadius());
        painter.begin(&shadow);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(shadow.rect(), color());
        painter.end();
        shadow.setDevicePixelRatio(source.devicePixelRatio());
        return shadow;
    }

    QImage m_shadowed;
    qint64 m_sourceKey = 0;
};

} // namespace

void cacheChartShadow(QChart *chart)
{
    // The chart gives up its own effect first, so that it holds no pointer
    // to a deleted one.
    QList<QGraphicsItem *> items = chart->childItems();
    for (int i = 0; i < items.size(); ++i) {
        QGraphicsItem *item = items.at(i);
        auto *effect = qobject_cast<QGraphicsDropShadowEffect *>(item->graphicsEffect());
        if (effect) {
            auto *cached = new CachedDropShadowEffect(*effect);
            chart->setDropShadowEnabled(false);
            if (item->graphicsEffect())
                delete cached; // not the chart's background: leave it be
            else
                item->setGraphicsEffect(cached);
            return;
        }
        items.append(item->childItems());
    }
}
