#include "streams/column_fit.h"
#include "tests/streams/column_checks.h"
#include "tests/support/shown_table.h"
#include "tests/support/test_main.h"

#include <QHash>
#include <QHeaderView>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace {
// A table as the book builds its sides: three columns, the last stretching, shown at a width.
struct FittedTable : ShownTable
{
    explicit FittedTable(int width)
        : ShownTable({QStringLiteral("Field"), QStringLiteral("Value"), QStringLiteral("Source")}, width,
                     keepColumnsFitted)
    {
    }

    // Every header whole and inside the visible width.
    bool headersWhole() const
    {
        for (int column = 0; column < table.columnCount(); ++column) {
            if (header()->sectionSize(column) < header()->sectionSizeHint(column))
                return false;
            if (header()->sectionViewportPosition(column) + header()->sectionSize(column) >
                table.viewport()->width())
                return false;
        }
        return true;
    }
};
// Counts how often the view measures a cell.
class CountingDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    mutable int measured = 0;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        ++measured;
        return QStyledItemDelegate::sizeHint(option, index);
    }
};

QList<int> sectionSizes(const QHeaderView *header)
{
    QList<int> out;
    for (int column = 0; column < header->count(); ++column)
        out << header->sectionSize(column);
    return out;
}

// Records the label Qt draws on each header section.
class HeaderLabels : public QProxyStyle
{
public:
    QHash<int, QString> labels;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        if (element == CE_Header)
            if (const auto *header = qstyleoption_cast<const QStyleOptionHeader *>(option))
                const_cast<HeaderLabels *>(this)->labels.insert(header->section, header->text);
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};
} // namespace

class TestColumnFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void widths_data()
    {
        QTest::addColumn<QList<int>>("headers");
        QTest::addColumn<QList<int>>("contents");
        QTest::addColumn<int>("available");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("room for every value and header")
            << QList<int>{50, 60, 70} << QList<int>{80, 90, 100} << 400 << QList<int>{80, 90, 100};
        QTest::newRow("narrow values keep the header widths")
            << QList<int>{50, 60, 70} << QList<int>{20, 30, 10} << 300 << QList<int>{50, 60, 70};
        QTest::newRow("values exactly fill the room")
            << QList<int>{50, 60, 70} << QList<int>{80, 90, 100} << 270 << QList<int>{80, 90, 100};
        QTest::newRow("values do not fit: the table scrolls sideways")
            << QList<int>{50, 60, 70} << QList<int>{80, 200, 90} << 232 << QList<int>{80, 200, 90};
        // 40 px over the values: the first header takes its 30 whole, the second gets the last 10.
        QTest::newRow("headers take what the values leave, in column order")
            << QList<int>{50, 60, 70} << QList<int>{20, 30, 10} << 100 << QList<int>{50, 40, 10};
        // 50 px over the values: the first header would need 80, the second fits whole with its 10 and
        // the third would need 50 of the 40 then left. Only the two that cannot fit are cut.
        QTest::newRow("wide enough for some headers and not others")
            << QList<int>{100, 40, 60} << QList<int>{20, 30, 10} << 110 << QList<int>{60, 40, 10};
        // 40 px over the values, just what the first header asks: it takes them whole, though the
        // second would fit whole in them too.
        QTest::newRow("a header that exactly fills the room left is whole")
            << QList<int>{60, 40, 30} << QList<int>{20, 30, 30} << 120 << QList<int>{60, 30, 30};
        // The tape after Layout > Balanced: time, price and size whole, the side's header cut.
        QTest::newRow("wide values take the room of the last header")
            << QList<int>{55, 56, 50, 107} << QList<int>{66, 78, 61, 32} << 277 << QList<int>{66, 78, 61, 72};
        QTest::newRow("no rows: half headers, then whole headers in order")
            << QList<int>{100, 100} << QList<int>{0, 0} << 150 << QList<int>{100, 50};
        QTest::newRow("no rows and too narrow for half headers: the table scrolls")
            << QList<int>{100, 100} << QList<int>{0, 0} << 80 << QList<int>{50, 50};
        QTest::newRow("no room at all")
            << QList<int>{50, 60} << QList<int>{20, 30} << 0 << QList<int>{20, 30};
        QTest::newRow("a hidden column gets nothing and takes no room")
            << QList<int>{-1, 60, 70} << QList<int>{200, 0, 0} << 150 << QList<int>{0, 60, 70};
        QTest::newRow("fewer content widths than columns")
            << QList<int>{50, 60, 70} << QList<int>{} << 300 << QList<int>{50, 60, 70};
        QTest::newRow("one column takes its value")
            << QList<int>{80} << QList<int>{120} << 300 << QList<int>{120};
        QTest::newRow("no columns") << QList<int>{} << QList<int>{} << 300 << QList<int>{};
    }

    void widths()
    {
        QFETCH(QList<int>, headers);
        QFETCH(QList<int>, contents);
        QFETCH(int, available);
        QFETCH(QList<int>, widths);
        QCOMPARE(fitColumns(headers, contents, available), widths);
    }

    void aNarrowTableShowsEveryHeader()
    {
        FittedTable f(250);
        QVERIFY(f.headersWhole());
        // A wider value takes the room the headers leave; the headers stay whole.
        f.addRow({QStringLiteral("Fechamento"), QStringLiteral("36.71"), QStringLiteral("BrAPI")});
        QVERIFY(f.headersWhole());
        QVERIFY(f.header()->sectionSize(0) > f.header()->sectionSizeHint(0));
        QVERIFY2(ColumnChecks::cutValue(&f.table).isEmpty(), qPrintable(ColumnChecks::cutValue(&f.table)));
        // A narrower table fits again: the values stay whole, the headers give way.
        f.table.resize(180, 200);
        f.settle();
        QVERIFY2(ColumnChecks::cutValue(&f.table).isEmpty(), qPrintable(ColumnChecks::cutValue(&f.table)));
        QVERIFY2(ColumnChecks::headerCutWithRoom(&f.table).isEmpty(),
                 qPrintable(ColumnChecks::headerCutWithRoom(&f.table)));
        for (int column = 0; column < f.table.columnCount(); ++column)
            QVERIFY(ColumnChecks::insideViewport(&f.table, column));
    }

    // Room for the values, the first two headers whole and half the third: only the third is cut,
    // and it is painted as the start of its label with an ellipsis.
    void onlyTheHeaderThatCannotFitIsElided()
    {
        FittedTable f(250);
        f.addRow({QStringLiteral("Broker/feed needed"), QStringLiteral("1"), QStringLiteral("x")});
        const int values[] = {ColumnChecks::valueWidth(&f.table, 0), ColumnChecks::valueWidth(&f.table, 1),
                              ColumnChecks::valueWidth(&f.table, 2)};
        const int headers[] = {f.header()->sectionSizeHint(0), f.header()->sectionSizeHint(1),
                               f.header()->sectionSizeHint(2)};
        QVERIFY(values[0] > headers[0] && values[1] < headers[1] && values[2] < headers[2]);
        const int visible = values[0] + headers[1] + (values[2] + headers[2]) / 2;
        f.table.resize(f.table.width() - f.table.viewport()->width() + visible, 200);
        f.settle();
        QCOMPARE(f.table.viewport()->width(), visible);

        HeaderLabels shown;
        f.header()->setStyle(&shown);
        f.header()->grab();
        QVERIFY2(ColumnChecks::cutValue(&f.table).isEmpty(), qPrintable(ColumnChecks::cutValue(&f.table)));
        QCOMPARE(shown.labels.value(0), QStringLiteral("Field"));
        QCOMPARE(shown.labels.value(1), QStringLiteral("Value"));
        const QString cut = shown.labels.value(2);
        QVERIFY2(cut.endsWith(QChar(0x2026)) && QStringLiteral("Source").startsWith(cut.chopped(1)),
                 qPrintable(cut));
        QCOMPARE(f.table.horizontalHeaderItem(2)->toolTip(), QStringLiteral("Source"));
        for (int column = 0; column < f.table.columnCount(); ++column)
            QVERIFY(ColumnChecks::insideViewport(&f.table, column));
    }

    // Values wider than the table are never cut: the table scrolls sideways, as far as its last column.
    void valuesWiderThanTheTableScrollSideways()
    {
        FittedTable f(250);
        f.addRow({QStringLiteral("Atualizado"), QStringLiteral("2026-12-11 06:17:55"),
                  QString::fromUtf8("Broker/feed necessário")});
        QVERIFY2(ColumnChecks::cutValue(&f.table).isEmpty(), qPrintable(ColumnChecks::cutValue(&f.table)));
        QVERIFY(f.header()->length() > f.table.viewport()->width());
        QVERIFY(f.table.horizontalScrollBar()->isVisible());
        for (int column = 0; column < f.table.columnCount(); ++column)
            QVERIFY2(ColumnChecks::reachableWhole(&f.table, column), qPrintable(QString::number(column)));
    }

    // A value that widens its column refits the table however it arrives: a new row on top (the tape),
    // a cell rewritten in place (a depth frame, the snapshot's time), and the widest row dropped gives
    // the headers their room back.
    void refitsWhenValuesChange_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("row inserted") << "insert";
        QTest::newRow("cell rewritten in place") << "rewrite";
        QTest::newRow("widest row removed") << "remove";
    }

    void refitsWhenValuesChange()
    {
        QFETCH(QString, change);
        const QString wide = QStringLiteral("2026-12-11 06:17:55 2026-12-11");
        FittedTable f(250);
        f.addRow({QStringLiteral("Last"), QStringLiteral("36.71"), QStringLiteral("BrAPI")});
        if (change == QLatin1String("remove")) {
            f.addRow({QStringLiteral("Updated"), wide, QStringLiteral("BrAPI")});
            QVERIFY(!f.headersWhole());
            f.table.removeRow(1);
        } else if (change == QLatin1String("rewrite")) {
            f.table.item(0, 1)->setText(wide);
        } else {
            f.table.insertRow(0);
            for (int column = 0; column < 3; ++column)
                f.table.setItem(0, column, new QTableWidgetItem(column == 1 ? wide : QStringLiteral("x")));
        }
        f.settle();
        QVERIFY2(ColumnChecks::cutValue(&f.table).isEmpty(), qPrintable(ColumnChecks::cutValue(&f.table)));
        QVERIFY2(ColumnChecks::headerCutWithRoom(&f.table).isEmpty(),
                 qPrintable(ColumnChecks::headerCutWithRoom(&f.table)));
        if (change == QLatin1String("remove"))
            QVERIFY(f.headersWhole());
    }

    // A depth frame rewrites the book's cells in place ten times a second: a value that needs no more
    // than its column's values already did is measured alone and leaves the columns as they are, every
    // value still whole.
    void aValueNoWiderThanItsColumnMeasuresOnlyItself_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("as wide") << "36.72";
        QTest::newRow("narrower") << "1.5";
        QTest::newRow("the same") << "36.71";
    }

    void aValueNoWiderThanItsColumnMeasuresOnlyItself()
    {
        QFETCH(QString, text);
        FittedTable f(250);
        auto *delegate = new CountingDelegate(&f.table);
        f.table.setItemDelegate(delegate);
        for (int row = 0; row < 10; ++row)
            f.addRow({QStringLiteral("Last"), QStringLiteral("36.71"), QStringLiteral("BrAPI")});
        const QList<int> sizes = sectionSizes(f.header());
        delegate->measured = 0;
        f.table.item(4, 1)->setText(text);
        f.settle();
        QVERIFY2(delegate->measured <= 1, qPrintable(QString::number(delegate->measured)));
        QCOMPARE(sectionSizes(f.header()), sizes);
        QVERIFY2(ColumnChecks::cutValue(&f.table).isEmpty(), qPrintable(ColumnChecks::cutValue(&f.table)));
    }

    // Narrower than its headers: every column stays inside the table, and a cut header shows the start
    // of its label with an ellipsis and says its whole text as a tooltip.
    void aTableNarrowerThanItsHeadersElidesThem()
    {
        FittedTable f(250);
        int headers = 0;
        for (int column = 0; column < f.table.columnCount(); ++column)
            headers += f.header()->sectionSizeHint(column);
        f.table.resize(f.table.width() - f.table.viewport()->width() + headers * 4 / 5, 200);
        f.settle();
        const int visible = f.table.viewport()->width();
        QVERIFY(visible < headers);

        HeaderLabels shown;
        f.header()->setStyle(&shown);
        f.header()->grab();
        bool cut = false;
        for (int column = 0; column < f.table.columnCount(); ++column) {
            const QString text = f.table.horizontalHeaderItem(column)->text();
            QVERIFY(f.header()->sectionViewportPosition(column) + f.header()->sectionSize(column) <= visible);
            QCOMPARE(f.table.horizontalHeaderItem(column)->toolTip(), text);
            // Qt's size hint leaves room for a bold label, so a section a little short of it may still
            // hold the painted label whole.
            const QString label = shown.labels.value(column);
            if (label != text) {
                cut = true;
                QVERIFY(f.header()->sectionSize(column) < f.header()->sectionSizeHint(column));
                QVERIFY2(label.endsWith(QChar(0x2026)) && text.startsWith(label.chopped(1)),
                         qPrintable(label));
            }
        }
        QVERIFY(cut);
    }

    // A column dragged narrower than its header, or double-clicked to its contents on a table too
    // narrow for them, keeps that size through new rows and widths until the header texts change.
    void aColumnSizedByHandStaysUntilNewHeaders_data()
    {
        QTest::addColumn<bool>("doubleClicked");
        QTest::newRow("dragged narrower") << false;
        QTest::newRow("double-clicked wider") << true;
    }

    void aColumnSizedByHandStaysUntilNewHeaders()
    {
        QFETCH(bool, doubleClicked);
        FittedTable f(250);
        if (doubleClicked) {
            // Too narrow for any header whole, so the fit cuts the first.
            f.table.resize(f.table.width() - f.table.viewport()->width() + f.header()->sectionSizeHint(0),
                           200);
            f.settle();
            QVERIFY(f.header()->sectionSize(0) < f.header()->sectionSizeHint(0));
            f.doubleClickEdge(0);
            QVERIFY(f.header()->sectionSize(0) >= f.header()->sectionSizeHint(0));
        } else {
            // The first column's right edge dragged left, narrower than its header.
            f.dragEdgeTo(0, f.header()->minimumSectionSize());
            QVERIFY(f.header()->sectionSize(0) < f.header()->sectionSizeHint(0));
        }
        const int byHand = f.header()->sectionSize(0);
        f.addRow({QStringLiteral("Last"), QStringLiteral("36.71"), QStringLiteral("BrAPI")});
        QCOMPARE(f.header()->sectionSize(0), byHand);
        f.table.resize(f.table.width() + 10, 200);
        f.settle();
        QCOMPARE(f.header()->sectionSize(0), byHand);
        // The book sets the same headers again with every frame: that is no new mode.
        f.table.setHorizontalHeaderLabels(
            {QStringLiteral("Field"), QStringLiteral("Value"), QStringLiteral("Source")});
        f.settle();
        QCOMPARE(f.header()->sectionSize(0), byHand);

        f.table.resize(260, 200);
        f.table.setHorizontalHeaderLabels(
            {QStringLiteral("Campo"), QStringLiteral("Valor"), QStringLiteral("Fonte")});
        f.settle();
        QVERIFY(f.headersWhole());
    }
};

MVX_TEST_MAIN(TestColumnFit)
#include "test_column_fit.moc"
