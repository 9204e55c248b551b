#include "chart/price_chart.h"

#include <QPainter>

void PriceChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor());
    const QRectF plot = plotRect();
    if (!isUsablePlot(plot))
        return;
    painter.setPen(frameColor());
    painter.drawRect(plot);
}
