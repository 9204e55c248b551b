#pragma once

#include "movers/mover_entry.h"

#include <QColor>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <functional>

// The tiles of `entryCount` movers in a widget of `size`: 5 px margin and gaps, 3 columns below 471 px
// of width else 4, at most 4 rows below 256 px of height else 5, the rows filling the height. No tile at
// all when a tile would have no width or height (a squeezed splitter).
QList<QRectF> mosaicTileRects(const QSizeF &size, int entryCount);

// Green for a change of 0 or more, red below, deeper with the size of the move up to 18 %; the shade is
// the same for every move up to 3.24 %.
QColor mosaicTileColor(double changePercent);

// The tile map of the movers page: the strongest moves as coloured tiles, a double-click hands the
// tile's symbol to the window.
class MoversMosaic : public QWidget
{
public:
    explicit MoversMosaic(QWidget *parent);
    ~MoversMosaic() override = default;

    void setMovers(const QList<MoverEntry> &movers);
    void setLightTheme(bool light);
    void setActivationCallback(std::function<void(const QString &)> callback);

    bool isLightTheme() const { return light; }
    const QList<MoverEntry> &movers() const { return entries; }
    const QList<QRectF> &paintedTiles() const { return tileRects; }

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QList<MoverEntry> entries;
    QList<QRectF> tileRects; // the tiles painted last, index-aligned with `entries`
    std::function<void(const QString &)> onActivate;
    bool light = false;
};
