#include "shell/content_columns.h"
#include "tests/support/shown_table.h"
#include "tests/support/test_main.h"

#include <QHeaderView>
#include <QTableWidget>

namespace {
// A page table: time, type and a stretching note.
struct ContentTable : ShownTable
{
    explicit ContentTable(int width)
        : ShownTable({QStringLiteral("Time"), QStringLiteral("Type"), QStringLiteral("Note")}, width,
                     keepColumnsWideForContents)
    {
    }

    int contentsNeed(int column) const
    {
        return static_cast<const QAbstractItemView &>(table).sizeHintForColumn(column);
    }
};
} // namespace

class TestContentColumns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void widths_data()
    {
        QTest::addColumn<QList<int>>("current");
        QTest::addColumn<QList<int>>("headers");
        QTest::addColumn<QList<int>>("contents");
        QTest::addColumn<int>("available");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("contents wider than Qt's 100 px")
            << QList<int>{100, 100, 100} << QList<int>{40, 40, 40} << QList<int>{148, 90, 700} << 1000
            << QList<int>{148, 100, 100};
        QTest::newRow("a header wider than its contents")
            << QList<int>{30, 30, 30} << QList<int>{60, 50, 40} << QList<int>{20, 90, 0} << 1000
            << QList<int>{60, 90, 40};
        QTest::newRow("a column made wider stays wider")
            << QList<int>{300, 100, 100} << QList<int>{40, 40, 40} << QList<int>{148, 90, 0} << 1000
            << QList<int>{300, 100, 100};
        // A headline would take the whole table: it gets half, the rest is left to the others.
        QTest::newRow("a long text counts for half the table")
            << QList<int>{100, 100, 100} << QList<int>{40, 60, 40} << QList<int>{2400, 90, 0} << 800
            << QList<int>{400, 100, 100};
        QTest::newRow("half a narrow table is below the header")
            << QList<int>{100, 100, 100} << QList<int>{90, 60, 40} << QList<int>{2400, 90, 0} << 100
            << QList<int>{100, 100, 100};
        QTest::newRow("the stretching last column holds its label, not its contents")
            << QList<int>{100, 100, 20} << QList<int>{40, 40, 60} << QList<int>{0, 0, 500} << 1000
            << QList<int>{100, 100, 60};
        QTest::newRow("a hidden column keeps its width")
            << QList<int>{0, 100, 100} << QList<int>{-1, 40, 40} << QList<int>{300, 0, 0} << 1000
            << QList<int>{0, 100, 100};
        QTest::newRow("no size yet: headers only")
            << QList<int>{10, 10, 10} << QList<int>{40, 40, 40} << QList<int>{300, 300, 300} << -5
            << QList<int>{40, 40, 40};
        QTest::newRow("fewer content widths than columns") << QList<int>{10, 10, 10} << QList<int>{40, 40, 40}
                                                           << QList<int>{} << 1000 << QList<int>{40, 40, 40};
        QTest::newRow("no columns") << QList<int>{} << QList<int>{} << QList<int>{} << 1000 << QList<int>{};
    }

    void widths()
    {
        QFETCH(QList<int>, current);
        QFETCH(QList<int>, headers);
        QFETCH(QList<int>, contents);
        QFETCH(int, available);
        QFETCH(QList<int>, widths);
        QCOMPARE(widenedColumnWidths(current, headers, contents, available), widths);
    }

    // Rows written one cell at a time, as the window's rebuilds do: the time and type columns widen to
    // what they hold.
    void filledRowsWidenTheirColumns_data()
    {
        QTest::addColumn<bool>("sorted");
        QTest::newRow("unsorted") << false;
        // A written sort cell moves its row, which the table reports as a new layout, not a cell.
        QTest::newRow("sorted by the time") << true;
    }

    void filledRowsWidenTheirColumns()
    {
        QFETCH(bool, sorted);
        ContentTable t(1000);
        if (sorted) {
            t.table.setSortingEnabled(true);
            t.table.sortItems(0, Qt::DescendingOrder);
            t.addRow({QStringLiteral("08:15"), QStringLiteral("Dividend"), QString()});
        }
        t.addRow({QStringLiteral("2026-12-11 08:15:42"), QStringLiteral("Fluxo de caixa"), QString()});
        for (int column : {0, 1})
            QVERIFY2(t.header()->sectionSize(column) >= t.contentsNeed(column),
                     qPrintable(QStringLiteral("%1 < %2")
                                    .arg(t.header()->sectionSize(column))
                                    .arg(t.contentsNeed(column))));
        // The last column still takes what is left.
        QCOMPARE(t.header()->sectionViewportPosition(2) + t.header()->sectionSize(2),
                 t.table.viewport()->width());
    }

    // A cell written again, or the table's font grown, widens its column: a cell is first judged by the
    // widths of its characters, so as many characters of wider glyphs must still count, and so must a
    // cell's own font (the quote table's bold symbol). A column hidden while its values widened comes
    // back as wide as they are.
    void aRewrittenCellOrABiggerFontWidensItsColumn_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("biggerFont"); // none, of the table or of the cell
        QTest::addColumn<bool>("hiddenMeanwhile");
        QTest::newRow("a longer text") << "Cash flow"
                                       << "Withdrawal of the quarter's dividends"
                                       << "none" << false;
        QTest::newRow("as many characters, wider ones") << "1111111111"
                                                        << "WWWWWWWWWW"
                                                        << "none" << false;
        QTest::newRow("a text beyond Latin")
            << "Dividend" << QString::fromUtf8("Дивиденды за квартал") << "none" << false;
        QTest::newRow("the same text in a bigger font") << "Fluxo de caixa"
                                                        << "Fluxo de caixa"
                                                        << "table" << false;
        QTest::newRow("the same text in the cell's own bold, bigger font") << "Fluxo de caixa"
                                                                           << "Fluxo de caixa"
                                                                           << "cell" << false;
        QTest::newRow("a longer text while the column is hidden") << "Cash flow"
                                                                  << "Withdrawal of the quarter's dividends"
                                                                  << "none" << true;
    }

    void aRewrittenCellOrABiggerFontWidensItsColumn()
    {
        QFETCH(QString, first);
        QFETCH(QString, then);
        QFETCH(QString, biggerFont);
        QFETCH(bool, hiddenMeanwhile);
        ContentTable t(1000);
        t.addRow({QStringLiteral("08:15"), first, QString()});
        const int before = t.header()->sectionSize(1);
        if (hiddenMeanwhile) {
            t.table.setColumnHidden(1, true);
            t.settle();
        }
        t.table.item(0, 1)->setText(then);
        if (biggerFont != QLatin1String("none")) {
            QFont font = t.table.font();
            font.setPixelSize(font.pixelSize() > 0 ? font.pixelSize() * 2 : 26);
            if (biggerFont == QLatin1String("cell")) {
                font.setBold(true);
                t.table.item(0, 1)->setFont(font);
            } else {
                t.table.setFont(font);
            }
        }
        t.settle();
        if (hiddenMeanwhile) {
            t.table.setColumnHidden(1, false);
            t.settle();
        }
        QVERIFY2(t.header()->sectionSize(1) > before,
                 qPrintable(QStringLiteral("%1, was %2").arg(t.header()->sectionSize(1)).arg(before)));
        QVERIFY2(
            t.header()->sectionSize(1) >= t.contentsNeed(1),
            qPrintable(QStringLiteral("%1 < %2").arg(t.header()->sectionSize(1)).arg(t.contentsNeed(1))));
    }

    // A column the user drags narrower stays so while rows come and go; new header texts (a language
    // switch) widen it to what it holds again.
    void aDraggedColumnStaysUntilTheHeadersChange()
    {
        ContentTable t(1000);
        t.addRow({QStringLiteral("2026-12-11 08:15:42"), QStringLiteral("Cash flow"), QString()});
        const int wide = t.header()->sectionSize(0);
        t.dragEdgeTo(0, t.header()->sectionSize(0) - 60);
        const int byHand = t.header()->sectionSize(0);
        QVERIFY(byHand < wide);
        t.addRow({QStringLiteral("2026-12-11 08:16:05"), QStringLiteral("Dividend"), QString()});
        t.table.resize(900, 200);
        t.settle();
        QCOMPARE(t.header()->sectionSize(0), byHand);
        t.table.setHorizontalHeaderLabels(
            {QStringLiteral("Time"), QStringLiteral("Type"), QStringLiteral("Note")});
        t.settle();
        QCOMPARE(t.header()->sectionSize(0), byHand);
        t.table.setHorizontalHeaderLabels(
            {QString::fromUtf8("Horário"), QStringLiteral("Tipo"), QStringLiteral("Nota")});
        t.settle();
        QVERIFY(t.header()->sectionSize(0) >= t.contentsNeed(0));
    }
};

MVX_TEST_MAIN(TestContentColumns)
#include "test_content_columns.moc"
