#include "movers/movers_mosaic.h"

#include <QPainter>

MoversMosaic::MoversMosaic(QWidget *parent) : QWidget(parent)
{
    setMinimumHeight(210);
    setMouseTracking(true);
}

void MoversMosaic::setActivationCallback(std::function<void(const QString &)> callback)
{
    onActivate = std::move(callback);
}

void MoversMosaic::setLightTheme(bool lightTheme)
{
    light = lightTheme;
    update();
}

void MoversMosaic::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), light ? QColor(0xff, 0xff, 0xff) : QColor(0x09, 0x0f, 0x11));
    painter.setPen(light ? QColor(0xd8, 0xe5, 0xf2) : QColor(0x20, 0x31, 0x37));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
