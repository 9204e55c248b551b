#pragma once

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainterPath>
#include <QSize>
#include <QStringList>
#include <QTextItem>
#include <QWidget>

// The texts a widget paints, in the order it paints them: a paint device whose engine keeps every
// text item and draws nothing. Comparing texts instead of pixels keeps a test independent of the
// machine's fonts. A text of several lines arrives as one item per line.
class PaintedTexts : public QPaintDevice
{
public:
    explicit PaintedTexts(const QSize &size) : size(size) {}

    QPaintEngine *paintEngine() const override { return &engine; }

    QStringList texts() const { return engine.texts; }

    // What `widget` paints at its current size.
    static QStringList of(QWidget &widget)
    {
        PaintedTexts device(widget.size());
        widget.render(&device);
        return device.texts();
    }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return size.width();
        case PdmHeight:
            return size.height();
        case PdmWidthMM:
            return size.width() * 254 / 960;
        case PdmHeightMM:
            return size.height() * 254 / 960;
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

private:
    // Claims every feature, so that the painter hands text to it instead of emulating it as paths.
    struct Engine : QPaintEngine
    {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        // The base class draws shapes through each other; with nothing drawn they end here.
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF &, const QTextItem &item) override { texts << item.text(); }
        Type type() const override { return User; }
        QStringList texts;
    };

    QSize size;
    mutable Engine engine;
};
