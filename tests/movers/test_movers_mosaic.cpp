#include "movers/movers_mosaic.h"
#include "tests/support/painted_texts.h"
#include "tests/support/test_main.h"

#include <QImage>
#include <QMouseEvent>

#include <cmath>
#include <limits>

namespace {
QList<MoverEntry> movers(int count)
{
    QList<MoverEntry> out;
    for (int i = 0; i < count; ++i) {
        MoverEntry entry;
        entry.symbol = QStringLiteral("S%1").arg(i);
        entry.changePct = (i % 2 ? -1.0 : 1.0) * (30 - i);
        entry.price = 10.0;
        entry.volume = 1000.0;
        out.append(entry);
    }
    return out;
}

void doubleClick(QWidget *widget, const QPointF &at)
{
    QMouseEvent event(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

QImage painted(MoversMosaic &mosaic)
{
    return mosaic.grab().toImage();
}
} // namespace

// The tile map: layout by size, colours by change, painting, hit-testing and the theme.
class TestMoversMosaic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("tiles");
        QTest::addColumn<int>("columns");
        QTest::newRow("600x300: 4 x 5") << QSize(600, 300) << 30 << 20 << 4;
        QTest::newRow("470x250: 3 x 4") << QSize(470, 250) << 30 << 12 << 3;
        QTest::newRow("471 wide: 4 columns") << QSize(471, 250) << 30 << 16 << 4;
        QTest::newRow("3 in a wide widget") << QSize(800, 300) << 3 << 3 << 4;
        QTest::newRow("none") << QSize(600, 300) << 0 << 0 << 4;
        QTest::newRow("40 px wide: slivers") << QSize(40, 300) << 30 << 15 << 3;
        QTest::newRow("20 px wide: no tile") << QSize(20, 300) << 30 << 0 << 3;
        QTest::newRow("10 px high: no tile") << QSize(600, 10) << 30 << 0 << 4;
    }

    void layout()
    {
        QFETCH(QSize, size);
        QFETCH(int, entries);
        QFETCH(int, tiles);
        QFETCH(int, columns);
        const QList<QRectF> rects = mosaicTileRects(QSizeF(size), entries);
        QCOMPARE(rects.size(), tiles);
        if (tiles == 0)
            return;
        const double width = (size.width() - 10.0 - 5.0 * (columns - 1)) / columns;
        QCOMPARE(rects.first(), QRectF(5, 5, width, rects.first().height()));
        const int rows = (tiles + columns - 1) / columns;
        QCOMPARE(rects.first().height(),
                 (size.height() - 10.0 - 5.0 * (rows - 1)) / rows); // rows fill the height
        QCOMPARE(rects.at(std::min(tiles, columns) - 1).left(),
                 5 + (std::min(tiles, columns) - 1) * (width + 5));
        for (const QRectF &rect : rects)
            QVERIFY(QRectF(0, 0, size.width(), size.height()).contains(rect));
    }

    void colours_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("2 % and 3.24 % share the floor shade") << 2.0 << 3.24 << true;
        QTest::newRow("18 % and 40 % share the top shade") << 18.0 << 40.0 << true;
        QTest::newRow("5 % deeper than 3 %") << 5.0 << 3.0 << false;
        QTest::newRow("-5 % is not +5 %") << -5.0 << 5.0 << false;
    }

    void colours()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(bool, same);
        QCOMPARE(mosaicTileColor(a) == mosaicTileColor(b), same);
    }

    void zeroIsGreenAndFallsAreRed()
    {
        const QColor zero = mosaicTileColor(0.0);
        QVERIFY(zero.greenF() > zero.redF());
        const QColor fall = mosaicTileColor(-0.01);
        QVERIFY(fall.redF() > fall.greenF());
        QCOMPARE(mosaicTileColor(18.0), QColor::fromRgbF(0.05f, 0.70f, 0.19f));
    }

    // A tile's detail line: the price (2 decimals from 1000 up, else 4, four significant digits below
    // 1) and the volume. The widget is wide enough that no font shortens the line.
    void prices_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("detail");
        QTest::newRow("from 1000 up") << 1234.5 << "1234.50  Vol 1.00K";
        QTest::newRow("below 1") << 0.5 << "0.5000  Vol 1.00K";
        QTest::newRow("rounds up to a thousand") << 999.99999 << "1000.0000  Vol 1.00K";
        QTest::newRow("below a cent") << 0.00001234 << "0.00001234  Vol 1.00K";
    }

    void prices()
    {
        QFETCH(double, price);
        QFETCH(QString, detail);
        MoversMosaic mosaic(nullptr);
        mosaic.resize(4000, 600);
        QList<MoverEntry> list = movers(1);
        list[0].price = price;
        mosaic.setMovers(list);
        const QStringList painted = PaintedTexts::of(mosaic);
        QVERIFY2(painted.contains(detail), qPrintable(painted.join(" | ")));
    }

    void emptyMosaicPaintsOnlyTheBackground()
    {
        MoversMosaic mosaic(nullptr);
        mosaic.resize(600, 300);
        const QImage image = painted(mosaic);
        QCOMPARE(image.pixelColor(3, 3).rgb(), QColor("#080d0f").rgb());
        QVERIFY(mosaic.paintedTiles().isEmpty());
        QStringList activated;
        mosaic.setActivationCallback([&](const QString &symbol) { activated.append(symbol); });
        doubleClick(&mosaic, QPointF(300, 150));
        QVERIFY(activated.isEmpty());
        mosaic.setLightTheme(true);
        QCOMPARE(painted(mosaic).pixelColor(3, 3).rgb(), QColor("#ffffff").rgb());
    }

    void tilesArePaintedAndHitTested()
    {
        MoversMosaic mosaic(nullptr);
        mosaic.resize(600, 300);
        mosaic.setMovers(movers(30));
        const QImage image = painted(mosaic);
        QCOMPARE(mosaic.paintedTiles().size(), 20);
        const QRectF first = mosaic.paintedTiles().first();
        // Bottom right of the tile, clear of its texts.
        QCOMPARE(image.pixelColor(QPointF(first.right() - 3, first.bottom() - 3).toPoint()).rgb(),
                 mosaicTileColor(mosaic.movers().first().changePct).rgb());

        QStringList activated;
        doubleClick(&mosaic, first.center()); // no callback yet: nothing happens
        mosaic.setActivationCallback([&](const QString &symbol) { activated.append(symbol); });
        doubleClick(&mosaic, first.center());
        doubleClick(&mosaic, mosaic.paintedTiles().at(5).center());
        doubleClick(&mosaic, QPointF(2, 2)); // the margin
        QCOMPARE(activated, (QStringList{"S0", "S5"}));
    }

    void narrowMosaics()
    {
        MoversMosaic mosaic(nullptr);
        mosaic.setMinimumHeight(0);
        mosaic.resize(40, 300); // texts wider than their tiles: elided to nothing, never past the widget
        mosaic.setMovers(movers(30));
        painted(mosaic);
        QCOMPARE(mosaic.paintedTiles().size(), 15);
        QStringList activated;
        mosaic.setActivationCallback([&](const QString &symbol) { activated.append(symbol); });
        doubleClick(&mosaic, mosaic.paintedTiles().at(4).center());
        QCOMPARE(activated, QStringList{"S4"});

        mosaic.resize(20, 300); // a squeezed splitter: no tile at all, no click lands
        painted(mosaic);
        QVERIFY(mosaic.paintedTiles().isEmpty());
        doubleClick(&mosaic, QPointF(10, 150));
        QCOMPARE(activated, QStringList{"S4"});
    }

    void aChangeThatIsNotFiniteIsNotPainted()
    {
        MoversMosaic mosaic(nullptr);
        mosaic.resize(600, 300);
        QList<MoverEntry> list = movers(2);
        list[0].changePct = std::numeric_limits<double>::quiet_NaN();
        mosaic.setMovers(list);
        const QImage image = painted(mosaic);
        const QRectF tile = mosaic.paintedTiles().first();
        QCOMPARE(image.pixelColor(QPointF(tile.right() - 3, tile.bottom() - 3).toPoint()).rgb(),
                 QColor("#080d0f").rgb());
    }
};

MVX_TEST_MAIN(TestMoversMosaic)
#include "test_movers_mosaic.moc"
