#include "chart/price_chart.h"

#include "shell/formats.h"
#include "shell/price_box.h"

#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMaxDrawingPrice = 1e9;
// Eight decimals, the finest tick the crypto venues quote, so that a line can sit on a price below a cent.
constexpr double kMinDrawingPrice = 0.00000001;
constexpr int kDrawingPriceDecimals = 8;
constexpr double kHitDistance = 7.0;
constexpr double kMinTrendDrag = 8.0;
} // namespace

bool PriceChart::isDrawingTypeVisible(int type) const
{
    if (type == DrawingType::Horizontal)
        return showHLine;
    if (type == DrawingType::Vertical)
        return showVLine;
    return showTrend;
}

double PriceChart::snapToOhlc(qint64 index, double price) const
{
    if (candles.isEmpty())
        return price;
    return snapPriceToCandle(candles.at(std::clamp<qint64>(index, 0, candles.size() - 1)), price);
}

double PriceChart::priceAtPoint(const QPointF &point, double low, double high) const
{
    const double price = priceAtY(plotRect(), point.y(), low, high);
    if (isSnapModifierHeld())
        return snapToOhlc(indexAtX(point.x()), price);
    return price;
}

QColor PriceChart::pickLineColor(const QColor &initial)
{
    return QColorDialog::getColor(initial, this, QStringLiteral("Line color"),
                                  QColorDialog::DontUseNativeDialog);
}

void PriceChart::addDrawingAt(const QPointF &point)
{
    if (drawMode != HorizontalLine && drawMode != VerticalLine) {
        update();
        return;
    }
    if (candles.isEmpty())
        return;
    double low = 0.0;
    double high = 0.0;
    visiblePriceRange(low, high);
    const qint64 index = indexAtX(point.x());
    const double price = priceAtPoint(point, low, high);
    const quint64 generation = drawingsGeneration;
    const QPointer<PriceChart> self(this);

    Drawing drawing;
    drawing.index1 = drawing.index2 = index;
    QString status;
    if (drawMode == HorizontalLine) {
        bool ok = false;
        const double value = askPrice(this, QStringLiteral("Horizontal line"), QStringLiteral("Price"),
                                      std::clamp(price, kMinDrawingPrice, kMaxDrawingPrice), kMinDrawingPrice,
                                      kMaxDrawingPrice, kDrawingPriceDecimals, &ok);
        if (!self || !ok)
            return;
        const QColor color = pickLineColor(QColor(0xf3, 0xb2, 0x4a));
        if (!self || !color.isValid())
            return;
        drawing.type = DrawingType::Horizontal;
        drawing.price1 = drawing.price2 = value;
        drawing.label = formatPriceFixed(value, 4);
        drawing.color = color;
        status = QStringLiteral("Drawing added: horizontal %1").arg(formatPriceFixed(value, 4));
    } else {
        bool ok = false;
        const QString label =
            QInputDialog::getText(this, QStringLiteral("Vertical line"), QStringLiteral("Label"),
                                  QLineEdit::Normal, timeAxisLabel(candles.at(index).time), &ok);
        if (!self || !ok)
            return;
        const QColor color = pickLineColor(QColor(0xf3, 0xb2, 0x4a));
        if (!self || !color.isValid())
            return;
        drawing.type = DrawingType::Vertical;
        drawing.price1 = drawing.price2 = price;
        drawing.label = label;
        drawing.color = color;
        status = QStringLiteral("Drawing added: vertical %1").arg(label);
    }
    // Another symbol or timeframe came in while the dialogs were open: the line belongs to none of
    // the drawings shown now.
    if (generation != drawingsGeneration)
        return;
    drawings.append(drawing);
    emitStatus(status);
    setChartTool(SelectZoom);
    emitChanged();
    update();
}

void PriceChart::setTrendPreview(const QPointF &point)
{
    trendPreviewStart = point;
    trendPreviewEnd = point;
    trendPreviewActive = true;
    update();
}

void PriceChart::setTrendPreviewEnd(const QPointF &point)
{
    trendPreviewEnd = point;
    update();
}

void PriceChart::addTrendDrawing(const QPointF &point)
{
    trendPreviewActive = false;
    trendPreviewEnd = point;
    const QPointF delta = point - trendPreviewStart;
    if (std::hypot(delta.x(), delta.y()) < kMinTrendDrag || candles.isEmpty()) {
        update();
        return;
    }
    double low = 0.0;
    double high = 0.0;
    visiblePriceRange(low, high);
    Drawing drawing;
    drawing.type = DrawingType::Trend;
    drawing.index1 = indexAtX(trendPreviewStart.x());
    drawing.index2 = indexAtX(point.x());
    drawing.price1 = priceAtPoint(trendPreviewStart, low, high);
    drawing.price2 = priceAtPoint(point, low, high);
    drawing.label = QStringLiteral("Trend");
    const quint64 generation = drawingsGeneration;
    const QPointer<PriceChart> self(this);
    const bool accepted = showTrendLineDialog(drawing);
    if (!self)
        return;
    if (accepted && generation == drawingsGeneration) {
        drawings.append(drawing);
        emitStatus(QStringLiteral("Drawing added: trend"));
        emitChanged();
    }
    setChartTool(SelectZoom);
    update();
}

bool PriceChart::showTrendLineDialog(Drawing &drawing)
{
    QDialog dialog(this);
    dialog.setWindowTitle(QStringLiteral("Trend line"));
    auto *form = new QFormLayout(&dialog);
    auto *labelEdit = new QLineEdit(drawing.label, &dialog);
    auto *startSpin = new QDoubleSpinBox(&dialog);
    auto *endSpin = new QDoubleSpinBox(&dialog);
    for (QDoubleSpinBox *spin : {startSpin, endSpin}) {
        spin->setDecimals(kDrawingPriceDecimals);
        spin->setRange(kMinDrawingPrice, kMaxDrawingPrice);
    }
    startSpin->setValue(drawing.price1);
    endSpin->setValue(drawing.price2);
    followPriceStep(startSpin);
    followPriceStep(endSpin);
    QColor color = drawing.color;
    auto *colorButton = new QPushButton(color.name(QColor::HexRgb), &dialog);
    form->addRow(QStringLiteral("Label"), labelEdit);
    form->addRow(QStringLiteral("Start price"), startSpin);
    form->addRow(QStringLiteral("End price"), endSpin);
    form->addRow(QStringLiteral("Color"), colorButton);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(colorButton, &QPushButton::clicked, &dialog, [&dialog, &color, colorButton] {
        const QColor chosen = QColorDialog::getColor(color, &dialog, QStringLiteral("Trend color"),
                                                     QColorDialog::DontUseNativeDialog);
        if (chosen.isValid()) {
            color = chosen;
            colorButton->setText(color.name(QColor::HexRgb));
        }
    });
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QString label = labelEdit->text();
    drawing.label = label.isEmpty() ? QStringLiteral("Trend") : label;
    drawing.price1 = startSpin->value();
    drawing.price2 = endSpin->value();
    drawing.color = color;
    return true;
}

int PriceChart::drawingAt(const QPointF &point) const
{
    if (candles.isEmpty())
        return -1;
    const QRectF plot = plotRect();
    const IndexRange range = currentRange();
    const PriceRange prices = currentPriceRange();
    for (int i = int(drawings.size()) - 1; i >= 0; --i) {
        const Drawing &drawing = drawings.at(i);
        if (!isDrawingTypeVisible(drawing.type))
            continue;
        if (drawingDistance(drawing, point, plot, range, prices) < kHitDistance)
            return i;
    }
    return -1;
}

void PriceChart::moveDrawing(int index, const QPointF &point, const QPointF &previous)
{
    if (index < 0 || index >= drawings.size() || candles.isEmpty())
        return;
    const QRectF plot = plotRect();
    const IndexRange range = currentRange();
    const PriceRange prices = currentPriceRange();
    const double deltaPrice = priceAtY(plot, point.y(), prices.low, prices.high) -
                              priceAtY(plot, previous.y(), prices.low, prices.high);
    const qint64 indexNow = indexAtX(point.x());
    const qint64 deltaIndex = indexNow - indexAtX(previous.x());
    const bool snap = isSnapModifierHeld();
    const qint64 lastIndex = candles.size() - 1;
    Drawing &drawing = drawings[index];
    if (drawing.type == DrawingType::Horizontal) {
        drawing.price1 += deltaPrice;
        if (snap)
            drawing.price1 = snapToOhlc(indexNow, drawing.price1);
        drawing.price2 = drawing.price1;
        drawing.label = formatPriceFixed(drawing.price1, 4);
    } else if (drawing.type == DrawingType::Vertical) {
        drawing.index1 = std::clamp(drawing.index1 + deltaIndex, range.first, range.last);
        drawing.index2 = drawing.index1;
    } else {
        drawing.price1 += deltaPrice;
        drawing.price2 += deltaPrice;
        drawing.index1 = std::clamp<qint64>(drawing.index1 + deltaIndex, 0, lastIndex);
        drawing.index2 = std::clamp<qint64>(drawing.index2 + deltaIndex, 0, lastIndex);
        if (snap) {
            drawing.price1 = snapToOhlc(drawing.index1, drawing.price1);
            drawing.price2 = snapToOhlc(drawing.index2, drawing.price2);
        }
    }
}

template <typename Edit> bool PriceChart::editDrawingCopy(int index, Edit edit)
{
    if (index < 0 || index >= drawings.size())
        return false;
    const quint64 generation = drawingsGeneration;
    const QPointer<PriceChart> self(this);
    Drawing copy = drawings.at(index);
    edit(copy);
    if (!self || generation != drawingsGeneration || index >= drawings.size())
        return false;
    drawings[index] = copy;
    return true;
}

void PriceChart::editDrawing(int index)
{
    if (index < 0 || index >= drawings.size())
        return;
    const QPointer<PriceChart> self(this);
    const bool written = editDrawingCopy(index, [this, &self](Drawing &drawing) {
        if (drawing.type == DrawingType::Horizontal || drawing.type == DrawingType::Vertical) {
            bool ok = false;
            if (drawing.type == DrawingType::Horizontal) {
                const double value =
                    askPrice(this, QStringLiteral("Edit horizontal line"), QStringLiteral("Price"),
                             std::clamp(drawing.price1, kMinDrawingPrice, kMaxDrawingPrice), kMinDrawingPrice,
                             kMaxDrawingPrice, kDrawingPriceDecimals, &ok);
                if (ok) {
                    drawing.price1 = drawing.price2 = value;
                    drawing.label = formatPriceFixed(value, 4);
                }
            } else {
                const QString text =
                    QInputDialog::getText(this, QStringLiteral("Edit vertical line"), QStringLiteral("Label"),
                                          QLineEdit::Normal, drawing.label, &ok);
                if (ok)
                    drawing.label = text;
            }
            if (!self)
                return;
            const QColor color = pickLineColor(drawing.color);
            if (color.isValid())
                drawing.color = color;
        } else {
            showTrendLineDialog(drawing);
        }
    });
    // An edit is reported and handed to the listener even when every dialog was cancelled: the
    // listener stores and saves what the chart holds, which is right either way. Only an edit that
    // could not be written back, because other drawings replaced the list meanwhile, is not reported.
    if (!self || !written)
        return;
    emitStatus(QStringLiteral("Drawing edited"));
    emitChanged();
}

void PriceChart::showDrawingMenu(int index, const QPoint &globalPos)
{
    if (index < 0 || index >= drawings.size())
        return;
    const QPointer<PriceChart> self(this);
    QMenu menu(this);
    QAction *editAction = menu.addAction(QStringLiteral("Edit"));
    QAction *lockAction =
        menu.addAction(drawings.at(index).locked ? QStringLiteral("Unlock") : QStringLiteral("Lock"));
    QAction *removeAction = menu.addAction(QStringLiteral("Remove"));
    const quint64 generation = drawingsGeneration;
    QAction *chosen = menu.exec(globalPos);
    if (!self)
        return;
    // The menu works on the drawing it was opened for: when another list came in meanwhile, or the
    // drawing is gone, the choice has nothing left to act on.
    const bool stillThere = generation == drawingsGeneration && index < drawings.size();
    if (chosen == editAction && stillThere) {
        editDrawing(index);
    } else if (chosen == lockAction && stillThere) {
        drawings[index].locked = !drawings.at(index).locked;
        emitStatus(drawings.at(index).locked ? QStringLiteral("Drawing locked")
                                             : QStringLiteral("Drawing unlocked"));
        emitChanged();
    } else if (chosen == removeAction && stillThere) {
        drawings.removeAt(index);
        emitStatus(QStringLiteral("Drawing removed"));
        emitChanged();
    }
    if (self)
        update();
}

QJsonArray PriceChart::drawingsToJson() const
{
    return ::drawingsToJson(drawings);
}

void PriceChart::loadDrawings(const QJsonArray &array)
{
    drawings = drawingsFromJson(array);
    ++drawingsGeneration;
    endDrawingInteraction();
    update();
}
