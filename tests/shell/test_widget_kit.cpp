#include "shell/widget_kit.h"
#include "tests/support/test_main.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableWidget>

namespace {
const QList<KeyedItem> kItems = {{"all", "All"}, {"buy", "Buy"}, {"sell", "Sell"}};

// A theme in the terminal's manner: generous padding, bold headers and a minimum button width that
// replaces any minimum the code set when it polishes a button.
const char *const kSheet = "QPushButton { min-width: 96px; padding: 8px 14px; border: 1px solid gray; }"
                           "QHeaderView::section { padding: 7px; font-weight: 800; border: 0px;"
                           " border-right: 1px solid gray; border-bottom: 1px solid gray; }"
                           "QTableWidget { border: 1px solid gray; }";

QIcon squareIcon()
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::blue);
    return QIcon(pixmap);
}

QStringList labels(const QComboBox &combo)
{
    QStringList out;
    for (int i = 0; i < combo.count(); ++i)
        out << combo.itemText(i) + QLatin1Char('=') + combo.itemData(i).toString();
    return out;
}
} // namespace

class TestWidgetKit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refillSelects_data()
    {
        QTest::addColumn<QString>("before"); // key selected before the refill, empty for a new combo
        QTest::addColumn<QString>("preferred");
        QTest::addColumn<QString>("selected");
        QTest::newRow("preferred key") << ""
                                       << "sell"
                                       << "sell";
        QTest::newRow("empty keeps the current key") << "buy"
                                                     << ""
                                                     << "buy";
        QTest::newRow("preferred wins over the current") << "buy"
                                                         << "all"
                                                         << "all";
        QTest::newRow("unknown key falls back to the first") << "buy"
                                                             << "hold"
                                                             << "all";
        QTest::newRow("keys are case-sensitive") << ""
                                                 << "SELL"
                                                 << "all";
        QTest::newRow("new combo with empty key") << ""
                                                  << ""
                                                  << "all";
    }

    void refillSelects()
    {
        QFETCH(QString, before);
        QFETCH(QString, preferred);
        QFETCH(QString, selected);
        QComboBox combo;
        if (!before.isEmpty())
            refillKeyedCombo(&combo, kItems, before);
        QSignalSpy index(&combo, &QComboBox::currentIndexChanged);
        QSignalSpy text(&combo, &QComboBox::currentTextChanged);
        refillKeyedCombo(&combo, kItems, preferred);
        QCOMPARE(currentComboKey(&combo), selected);
        QCOMPARE(labels(combo), (QStringList{"All=all", "Buy=buy", "Sell=sell"}));
        QCOMPARE(index.count(), 0);
        QCOMPARE(text.count(), 0);
        QVERIFY(!combo.signalsBlocked());
    }

    void refillRelabelsKeepingTheKey()
    {
        QComboBox combo;
        refillKeyedCombo(&combo, kItems, QStringLiteral("sell"));
        refillKeyedCombo(&combo, {{"all", "Todos"}, {"buy", "Compra"}, {"sell", "Venda"}}, QString());
        QCOMPARE(combo.currentText(), QStringLiteral("Venda"));
        QCOMPARE(currentComboKey(&combo), QStringLiteral("sell"));
    }

    void missingComboIsIgnored()
    {
        refillKeyedCombo(nullptr, kItems, QStringLiteral("all"));
        QCOMPARE(currentComboKey(nullptr), QString());
        QComboBox empty;
        QCOMPARE(currentComboKey(&empty), QString());
        refillKeyedCombo(&empty, {}, QStringLiteral("all"));
        QCOMPARE(empty.count(), 0);
    }

    void standardTable()
    {
        QTableWidget table(0, 3);
        applyStandardTableSettings(&table);
        QVERIFY(!table.verticalHeader()->isVisible());
        QVERIFY(table.horizontalHeader()->stretchLastSection());
        QCOMPARE(table.horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(table.selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(table.editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(table.alternatingRowColors());
        QVERIFY(table.isSortingEnabled());
    }

    void tableHeightShowsTheRows_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("themed");
        QTest::addColumn<bool>("header");
        QTest::newRow("three rows, themed") << 3 << true << true;
        QTest::newRow("one row, themed") << 1 << true << true;
        QTest::newRow("five rows, plain") << 5 << false << true;
        QTest::newRow("three rows, no header") << 3 << true << false;
    }

    // Sized to the height, the table's rows area holds exactly the rows asked for: no row cut, none to
    // spare.
    void tableHeightShowsTheRows()
    {
        QFETCH(int, rows);
        QFETCH(bool, themed);
        QFETCH(bool, header);
        QWidget window;
        if (themed)
            window.setStyleSheet(QString::fromLatin1(kSheet));
        auto *table = new QTableWidget(10, 3, &window);
        table->setHorizontalHeaderLabels({"Time", "Event", "Symbol"});
        table->horizontalHeader()->setVisible(header);
        const int height = tableHeightForRows(table, rows);
        table->setGeometry(0, 0, 400, height); // wider than its columns: no horizontal scroll bar
        window.resize(420, height + 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(table->height(), height);
        QVERIFY(!table->horizontalScrollBar()->isVisible());
        QTRY_COMPARE(table->viewport()->height(), rows * table->verticalHeader()->defaultSectionSize());
    }

    // Under the standard settings each shown column gets at least the width its label asks for in the
    // sheet's padding; a wider one keeps its width.
    void columnsWidenToTheirLabels()
    {
        QWidget window;
        window.setStyleSheet(QString::fromLatin1(kSheet));
        auto *table = new QTableWidget(2, 4, &window);
        applyStandardTableSettings(table);
        table->setHorizontalHeaderLabels(
            {"Fechamento", QString::fromUtf8("Preço médio"), "Market Value", "Status"});
        QHeaderView *header = table->horizontalHeader();
        for (int column = 0; column < 3; ++column)
            header->resizeSection(column, 30);
        header->resizeSection(2, 400); // widened by the user
        header->hideSection(1);
        table->resize(900, 200);
        window.resize(920, 220);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QTRY_VERIFY2(
            header->sectionSize(0) >= header->sectionSizeHint(0),
            qPrintable(
                QStringLiteral("%1 < %2").arg(header->sectionSize(0)).arg(header->sectionSizeHint(0))));
        QCOMPARE(header->sectionSize(2), 400);
        QVERIFY(header->sectionSize(3) >= header->sectionSizeHint(3));
        // A hidden column comes back at the size it had, and is then widened to its label.
        QVERIFY(header->isSectionHidden(1));
        header->showSection(1);
        QCOMPARE(header->sectionSize(1), 30);
        QTRY_VERIFY(header->sectionSize(1) >= header->sectionSizeHint(1));
    }

    // A table narrower than its columns scrolls; its stretched last column still shows its label.
    void aStretchedLastColumnHoldsItsLabel()
    {
        QWidget window;
        window.setStyleSheet(QString::fromLatin1(kSheet));
        auto *table = new QTableWidget(2, 3, &window);
        applyStandardTableSettings(table);
        table->setHorizontalHeaderLabels({"Symbol", "Asset", "Atualizado em"});
        table->horizontalHeader()->resizeSection(0, 260);
        table->horizontalHeader()->resizeSection(1, 260);
        table->resize(300, 200);
        window.resize(320, 220);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(table->horizontalHeader()->sectionSize(2) >=
                    table->horizontalHeader()->sectionSizeHint(2));
    }

    void buttonsHoldTheirText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("icon");
        QTest::addColumn<int>("floor");
        QTest::addColumn<int>("maximum");
        QTest::newRow("text and icon past the floor")
            << "Sign in with Google" << true << 156 << QWIDGETSIZE_MAX;
        QTest::newRow("text past the theme's minimum")
            << "Adicionar posição" << false << 0 << QWIDGETSIZE_MAX;
        QTest::newRow("short text keeps the floor") << "OK" << false << 180 << QWIDGETSIZE_MAX;
        QTest::newRow("a maximum below the text gives way") << "Selecionar" << false << 58 << 40;
    }

    // In a row too narrow for them, the buttons keep their texts whole: the row grows instead.
    void buttonsHoldTheirText()
    {
        QFETCH(QString, text);
        QFETCH(bool, icon);
        QFETCH(int, floor);
        QFETCH(int, maximum);
        QWidget row;
        row.setStyleSheet(QString::fromLatin1(kSheet));
        auto *layout = new QHBoxLayout(&row);
        auto *button = new QPushButton(text, &row);
        if (icon) {
            button->setIcon(squareIcon());
            button->setIconSize(QSize(18, 18));
        }
        button->setMaximumWidth(maximum);
        auto *other = new QPushButton(QStringLiteral("Cancelar"), &row);
        layout->addWidget(button);
        layout->addWidget(other);
        holdWidthForText(button, floor);
        holdWidthForText(other);
        row.resize(60, 40);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        for (QPushButton *each : {button, other}) {
            QVERIFY2(each->width() >= each->sizeHint().width(),
                     qPrintable(QStringLiteral("%1: %2 < %3")
                                    .arg(each->text())
                                    .arg(each->width())
                                    .arg(each->sizeHint().width())));
            // The hint itself holds the text, the icon and the theme's padding and border.
            const int iconWidth = each->icon().isNull() ? 0 : each->iconSize().width();
            QVERIFY(each->sizeHint().width() >=
                    each->fontMetrics().horizontalAdvance(each->text()) + iconWidth + 2 * 14 + 2);
        }
        QVERIFY(button->width() >= floor);
        holdWidthForText(nullptr, 10);
    }

    void ampersands_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("one") << "Cash & dividends"
                             << "Cash && dividends";
        QTest::newRow("none") << "Caixa e dividendos"
                              << "Caixa e dividendos";
        QTest::newRow("two") << "P&L & more"
                             << "P&&L && more";
    }

    void ampersands()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(withLiteralAmpersands(text), expected);
    }
};

MVX_TEST_MAIN(TestWidgetKit)
#include "test_widget_kit.moc"
