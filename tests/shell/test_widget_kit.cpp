#include "shell/widget_kit.h"
#include "tests/support/test_main.h"

#include <QComboBox>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableWidget>

namespace {
const QList<KeyedItem> kItems = {{"all", "All"}, {"buy", "Buy"}, {"sell", "Sell"}};

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
