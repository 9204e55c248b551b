#include "streams/column_fit.h"
#include "tests/support/test_main.h"

#include <QHash>
#include <QHeaderView>
#include <QProxyStyle>
#include <QStyleOptionHeader>
#include <QTableWidget>

namespace {
// A table as the book builds its sides: three columns, the last stretching, shown at a width.
struct FittedTable
{
    QTableWidget table{0, 3};

    explicit FittedTable(int width)
    {
        table.setHorizontalHeaderLabels(
            {QStringLiteral("Field"), QStringLiteral("Value"), QStringLiteral("Source")});
        table.horizontalHeader()->setStretchLastSection(true);
        table.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        keepColumnsFitted(&table);
        table.resize(width, 200);
        table.show();
        if (!QTest::qWaitForWindowExposed(&table))
            qWarning("the table was never exposed");
        settle();
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    QHeaderView *header() const { return table.horizontalHeader(); }

    void addRow(const QStringList &cells)
    {
        const int row = table.rowCount();
        table.insertRow(row);
        for (int column = 0; column < cells.size(); ++column)
            table.setItem(row, column, new QTableWidgetItem(cells.at(column)));
        settle();
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
        QTest::newRow("room for every content")
            << QList<int>{50, 60, 70} << QList<int>{80, 90, 100} << 400 << QList<int>{80, 90, 70};
        QTest::newRow("narrow contents keep the header widths")
            << QList<int>{50, 60, 70} << QList<int>{20, 30, 10} << 300 << QList<int>{50, 60, 70};
        // The leftmost columns get their contents first; the last keeps at least its header.
        QTest::newRow("the room runs out")
            << QList<int>{50, 60, 70} << QList<int>{80, 200, 90} << 232 << QList<int>{80, 82, 70};
        QTest::newRow("headers exactly fit")
            << QList<int>{50, 60, 70} << QList<int>{80, 90, 100} << 180 << QList<int>{50, 60, 70};
        // 50 px short: the columns give 40, 20 and 50 px of spare in proportion; the last one rounds.
        QTest::newRow("headers do not fit: cut toward the contents")
            << QList<int>{100, 100, 100} << QList<int>{60, 80, 0} << 250 << QList<int>{82, 91, 77};
        QTest::newRow("contents wider than the headers: the last column gives way first")
            << QList<int>{100, 100, 100} << QList<int>{150, 150, 150} << 250 << QList<int>{100, 100, 50};
        // 100 px short: the last column's half is not enough, so every column gives of its half.
        QTest::newRow("then every column cuts its contents")
            << QList<int>{100, 100, 100} << QList<int>{150, 150, 150} << 200 << QList<int>{67, 67, 66};
        // 40 px short, but the wide first column keeps its contents while the others can give enough.
        QTest::newRow("wide contents are kept while others can give")
            << QList<int>{100, 100, 100} << QList<int>{150, 0, 0} << 260 << QList<int>{100, 80, 80};
        QTest::newRow("no header is cut below half its width: the table scrolls")
            << QList<int>{100, 100} << QList<int>{0, 0} << 80 << QList<int>{50, 50};
        QTest::newRow("a hidden column's header needs nothing")
            << QList<int>{-1, 60} << QList<int>{40, 0} << 200 << QList<int>{40, 60};
        QTest::newRow("fewer content widths than columns")
            << QList<int>{50, 60, 70} << QList<int>{} << 300 << QList<int>{50, 60, 70};
        QTest::newRow("one column only stretches")
            << QList<int>{80} << QList<int>{120} << 300 << QList<int>{80};
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
        // Wider contents take the room the headers leave; the headers stay whole.
        f.addRow(
            {QStringLiteral("Fechamento"), QStringLiteral("2026-12-11 06:17:55"), QStringLiteral("BrAPI")});
        QVERIFY(f.headersWhole());
        QVERIFY(f.header()->sectionSize(0) > f.header()->sectionSizeHint(0));
        // A narrower table fits again.
        f.table.resize(200, 200);
        f.settle();
        QVERIFY(f.headersWhole());
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
            const QString label = shown.labels.value(column);
            if (f.header()->sectionSize(column) < f.header()->sectionSizeHint(column)) {
                cut = true;
                QVERIFY2(label.endsWith(QChar(0x2026)) && text.startsWith(label.chopped(1)),
                         qPrintable(label));
            } else {
                QCOMPARE(label, text);
            }
        }
        QVERIFY(cut);
    }

    void aColumnSizedByHandStaysUntilNewHeaders()
    {
        FittedTable f(250);
        // The first column's right edge dragged left, narrower than its header.
        QWidget *grip = f.header()->viewport();
        const int edge = f.header()->sectionViewportPosition(1);
        const int y = f.header()->height() / 2;
        QTest::mousePress(grip, Qt::LeftButton, Qt::NoModifier, QPoint(edge, y));
        QTest::mouseMove(grip, QPoint(edge - 20, y));
        QTest::mouseMove(grip, QPoint(f.header()->minimumSectionSize(), y));
        QTest::mouseRelease(grip, Qt::LeftButton, Qt::NoModifier,
                            QPoint(f.header()->minimumSectionSize(), y));
        const int byHand = f.header()->sectionSize(0);
        QVERIFY(byHand < f.header()->sectionSizeHint(0));
        f.addRow({QStringLiteral("Last"), QStringLiteral("36.71"), QStringLiteral("BrAPI")});
        f.table.resize(260, 200);
        f.settle();
        QCOMPARE(f.header()->sectionSize(0), byHand);
        // The book sets the same headers again with every frame: that is no new mode.
        f.table.setHorizontalHeaderLabels(
            {QStringLiteral("Field"), QStringLiteral("Value"), QStringLiteral("Source")});
        f.settle();
        QCOMPARE(f.header()->sectionSize(0), byHand);

        f.table.setHorizontalHeaderLabels(
            {QStringLiteral("Campo"), QStringLiteral("Valor"), QStringLiteral("Fonte")});
        f.settle();
        QVERIFY(f.headersWhole());
    }
};

MVX_TEST_MAIN(TestColumnFit)
#include "test_column_fit.moc"
