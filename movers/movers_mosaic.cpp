#include "movers/movers_mosaic.h"

#include "shell/formats.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kGap = 5.0;

QColor themed(bool light, const char *dark, const char *lightColor)
{
    return QColor(QString::fromLatin1(light ? lightColor : dark));
}
} // namespace

QList<QRectF> mosaicTileRects(const QSizeF &size, int entryCount)
{
    QList<QRectF> tiles;
    if (entryCount <= 0)
        return tiles;
    const QRectF inner(kGap, kGap, size.width() - 2 * kGap, size.height() - 2 * kGap);
    const int cols = size.width() < 471 ? 3 : 4;
    const int maxRows = size.height() < 256 ? 4 : 5;
    const int count = std::min(entryCount, cols * maxRows);
    const int rows = (count + cols - 1) / cols;
    const double tileWidth = (inner.width() - kGap * (cols - 1)) / cols;
    const double tileHeight = (inner.height() - kGap * (rows - 1)) / std::max(1, rows);
    if (!(tileWidth > 0.0) || !(tileHeight > 0.0))
        return tiles;
    for (int i = 0; i < count; ++i) {
        const int row = i / cols;
        const int column = i % cols;
        tiles.append(QRectF(inner.left() + column * (tileWidth + kGap),
                            inner.top() + row * (tileHeight + kGap), tileWidth, tileHeight));
    }
    return tiles;
}

QColor mosaicTileColor(double changePercent)
{
    const double t = std::clamp(std::abs(changePercent) / 18.0, 0.18, 1.0);
    if (changePercent >= 0.0)
        return QColor::fromRgbF(0.05f, static_cast<float>(0.28 + 0.42 * t), 0.19f, 1.0f);
    return QColor::fromRgbF(static_cast<float>(0.34 + 0.34 * t), 0.08f, 0.10f, 1.0f);
}

MoversMosaic::MoversMosaic(QWidget *parent) : QWidget(parent)
{
    setMinimumHeight(210);
    setMouseTracking(true);
}

void MoversMosaic::setMovers(const QList<MoverEntry> &movers)
{
    entries = movers;
    update();
}

void MoversMosaic::setLightTheme(bool lightTheme)
{
    light = lightTheme;
    update();
}

void MoversMosaic::setActivationCallback(std::function<void(const QString &)> callback)
{
    onActivate = std::move(callback);
}

void MoversMosaic::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPointF position = event->position();
    for (qsizetype i = 0; i < tileRects.size() && i < entries.size(); ++i) {
        if (tileRects.at(i).contains(position)) {
            if (onActivate)
                onActivate(entries.at(i).symbol);
            break;
        }
    }
    event->accept();
}

void MoversMosaic::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(rect(), themed(light, "#080d0f", "#ffffff"));
    tileRects.clear();

    if (entries.isEmpty()) {
        painter.setPen(themed(light, "#5f7973", "#4e6174"));
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("Waiting for market movers"));
        return;
    }

    QFont symbolFont = painter.font();
    symbolFont.setBold(true);
    symbolFont.setPointSizeF(std::max(8.0, symbolFont.pointSizeF()));
    QFont detailFont = painter.font();
    detailFont.setPointSizeF(std::max(7.0, detailFont.pointSizeF() - 2.0));
    const QFontMetrics symbolMetrics(symbolFont);
    const QFontMetrics detailMetrics(detailFont);
    const QColor border = themed(light, "#15282c", "#d8e5f2");

    const QList<QRectF> tiles = mosaicTileRects(QSizeF(size()), static_cast<int>(entries.size()));
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        const QRectF &tile = tiles.at(i);
        const MoverEntry &entry = entries.at(i);
        tileRects.append(tile);
        // A change that is not finite has neither a colour nor a text: the tile stays an outline.
        const bool known = std::isfinite(entry.changePct);
        if (known)
            painter.fillRect(tile, mosaicTileColor(entry.changePct));
        painter.setPen(border);
        painter.drawRect(tile);

        const int textWidth = static_cast<int>(tile.width() - 10.0);
        painter.setFont(symbolFont);
        painter.setPen(QColor(QStringLiteral("#f1f7f5")));
        painter.drawText(tile.adjusted(5, 3, -5, -3), Qt::AlignLeft | Qt::AlignTop,
                         symbolMetrics.elidedText(entry.symbol, Qt::ElideRight, textWidth));
        if (!known)
            continue;

        painter.setFont(detailFont);
        painter.setPen(
            QColor(entry.changePct >= 0.0 ? QStringLiteral("#caffdf") : QStringLiteral("#ffd2d2")));
        painter.drawText(tile.adjusted(5, 2, -5, -2), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("%1%").arg(QString::number(entry.changePct, 'f', 2)));
        if (tile.height() >= 42.0) {
            painter.setPen(QColor(QStringLiteral("#d8e6e3")));
            const QString detail =
                QStringLiteral("%1  Vol %2").arg(formatPrice(entry.price), formatCompactNumber(entry.volume));
            painter.drawText(tile.adjusted(5, 2, -5, -3), Qt::AlignLeft | Qt::AlignBottom,
                             detailMetrics.elidedText(detail, Qt::ElideRight, textWidth));
        }
    }
}
