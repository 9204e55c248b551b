#include "portfolio/portfolio_valuation.h"
#include "tests/support/test_main.h"

#include <QHash>

#include <limits>

namespace {
using Prices = QHash<QString, double>;

PortfolioValuation value(const QList<PortfolioPosition> &positions,
                         const QList<PortfolioTransaction> &transactions, const QString &base, double rate,
                         const Prices &prices)
{
    return valuePortfolio(positions, transactions, base, rate,
                          [prices](const QString &symbol) { return prices.value(symbol, 0.0); });
}

QStringList texts(const PositionValuation &row)
{
    QStringList out;
    for (const PortfolioCell &cell : row.cells)
        out << cell.text;
    return out;
}

QStringList colors(const PositionValuation &row)
{
    QStringList out;
    for (const PortfolioCell &cell : row.cells)
        out << cell.color;
    return out;
}

PortfolioTransaction cash(double amount, const QString &currency,
                          const QString &type = QStringLiteral("cash"))
{
    return {QStringLiteral("2024-05-02T10:00:00"), type, QString(), amount, currency, QString()};
}

const QString green = QStringLiteral("#20c878");
const QString red = QStringLiteral("#f45d5d");
} // namespace

Q_DECLARE_METATYPE(PortfolioPosition)
Q_DECLARE_METATYPE(PortfolioTransaction)

class TestPortfolioValuation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertsBetweenRealAndDollar_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("expected");
        QTest::addColumn<bool>("ok");
        QTest::newRow("same currency, no rate") << 12.5 << "BRL"
                                                << "BRL" << 0.0 << 12.5 << true;
        QTest::newRow("same unknown text") << 3.0 << "EUR"
                                           << "EUR" << 0.0 << 3.0 << true;
        QTest::newRow("USD to BRL") << 10.0 << "USD"
                                    << "BRL" << 5.0 << 50.0 << true;
        QTest::newRow("BRL to USD") << 50.0 << "BRL"
                                    << "USD" << 5.0 << 10.0 << true;
        QTest::newRow("no rate yet") << 10.0 << "USD"
                                     << "BRL" << 0.0 << 0.0 << false;
        QTest::newRow("negative rate") << 10.0 << "USD"
                                       << "BRL" << -5.0 << 0.0 << false;
        QTest::newRow("infinite rate") << 10.0 << "BRL"
                                       << "USD" << qInf() << 0.0 << false;
        QTest::newRow("NaN rate") << 10.0 << "BRL"
                                  << "USD" << qQNaN() << 0.0 << false;
        QTest::newRow("unknown currency") << 10.0 << "EUR"
                                          << "BRL" << 5.0 << 0.0 << false;
        QTest::newRow("empty currency") << 10.0 << ""
                                        << "BRL" << 5.0 << 0.0 << false;
        QTest::newRow("zero still needs a rate") << 0.0 << "USD"
                                                 << "BRL" << 0.0 << 0.0 << false;
        QTest::newRow("overflow") << 1e308 << "USD"
                                  << "BRL" << 5.0 << 0.0 << false;
    }

    void convertsBetweenRealAndDollar()
    {
        QFETCH(double, amount);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(double, rate);
        QFETCH(double, expected);
        QFETCH(bool, ok);
        bool converted = !ok;
        QCOMPARE(convertCurrency(amount, from, to, rate, &converted), expected);
        QCOMPARE(converted, ok);
        QCOMPARE(convertCurrency(amount, from, to, rate), expected); // the flag is optional
    }

    void tradingCurrencyFollowsTheMarket_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("currency");
        QTest::newRow("B3") << "PETR4.SA"
                            << "BRL";
        QTest::newRow("US") << "AAPL"
                            << "USD";
        QTest::newRow("crypto") << "BTCUSDT"
                                << "USD";
        QTest::newRow("forex") << "BRL=X"
                               << "USD";
    }

    void tradingCurrencyFollowsTheMarket()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, currency);
        QCOMPARE(tradingCurrency(symbol), currency);
    }

    void valuesEachPosition_data()
    {
        QTest::addColumn<PortfolioPosition>("position");
        QTest::addColumn<double>("last");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("cellColors");

        const QStringList uncoloured{"", "", "", "", "", "", ""};
        QTest::newRow("B3 long in profit")
            << PortfolioPosition{"PETR4.SA", 100, 20} << 25.0
            << QStringList{"PETR4.SA", "100.00000000", "20.0000", "25.0000", "2500.00", "500.00", "25.00%"}
            << QStringList{"", "", "", "", "", green, green};
        QTest::newRow("short position gains as the price falls")
            << PortfolioPosition{"AAPL", -10, 50} << 40.0
            << QStringList{"AAPL", "-10.00000000", "50.0000", "40.0000", "-400.00", "100.00", "20.00%"}
            << QStringList{"", "", "", "", "", green, green};
        QTest::newRow("loss is red") << PortfolioPosition{"NVDA", 2, 100} << 90.0
                                     << QStringList{"NVDA",   "2.00000000", "100.0000", "90.0000",
                                                    "180.00", "-20.00",     "-10.00%"}
                                     << QStringList{"", "", "", "", "", red, red};
        QTest::newRow("last from 1000 up has 2 decimals")
            << PortfolioPosition{"BTCUSDT", 1, 1234.5} << 1234.5
            << QStringList{"BTCUSDT", "1.00000000", "1234.5000", "1234.50", "1234.50", "0.00", "0.00%"}
            << QStringList{"", "", "", "", "", green, green};
        QTest::newRow("last below 1000 has 4 decimals")
            << PortfolioPosition{"VALE3.SA", 1, 12.5} << 12.5
            << QStringList{"VALE3.SA", "1.00000000", "12.5000", "12.5000", "12.50", "0.00", "0.00%"}
            << QStringList{"", "", "", "", "", green, green};
        QTest::newRow("prices below a cent keep four digits")
            << PortfolioPosition{"SHIBUSDT", 100000000, 0.00001} << 0.0000123
            << QStringList{"SHIBUSDT", "100000000.00000000", "0.00001000", "0.00001230", "1230.00", "230.00",
                           "23.00%"}
            << QStringList{"", "", "", "", "", green, green};
        QTest::newRow("no price yet")
            << PortfolioPosition{"AAPL", 5, 10} << 0.0
            << QStringList{"AAPL", "5.00000000", "10.0000", "--", "--", "--", "--"} << uncoloured;
        QTest::newRow("price that is no number")
            << PortfolioPosition{"AAPL", 5, 10} << qQNaN()
            << QStringList{"AAPL", "5.00000000", "10.0000", "--", "--", "--", "--"} << uncoloured;
        QTest::newRow("zero cost: no percentage to divide")
            << PortfolioPosition{"AAPL", 5, 0} << 10.0
            << QStringList{"AAPL", "5.00000000", "0.0000", "10.0000", "50.00", "50.00", "0.00%"}
            << QStringList{"", "", "", "", "", green, green};
        QTest::newRow("absurd stored values show no number")
            << PortfolioPosition{"AAPL", 1e300, 1e300} << 1e10 << QStringList{"AAPL",
                                                                              QString::number(1e300, 'f', 8),
                                                                              QString::number(1e300, 'f', 4),
                                                                              "10000000000.00",
                                                                              "--",
                                                                              "--",
                                                                              "--"}
            << QStringList{"", "", "", "", "", "", ""};
    }

    void valuesEachPosition()
    {
        QFETCH(PortfolioPosition, position);
        QFETCH(double, last);
        QFETCH(QStringList, cells);
        QFETCH(QStringList, cellColors);
        const PortfolioValuation valuation = value({position}, {}, "BRL", 5.0, {{position.symbol, last}});
        QCOMPARE(valuation.positions.size(), 1);
        QCOMPARE(texts(valuation.positions.at(0)), cells);
        QCOMPARE(colors(valuation.positions.at(0)), cellColors);
    }

    void cellsSortByTheirNumbers()
    {
        const PortfolioValuation priced = value({{"AAPL", -10, 50}}, {}, "USD", 0.0, {{"AAPL", 40.0}});
        const QList<PortfolioCell> &cells = priced.positions.at(0).cells;
        QVERIFY(!cells.at(0).sortValue);
        const QList<double> expected{-10, 50, 40, -400, 100, 20};
        for (int column = 1; column < 7; ++column)
            QCOMPARE(cells.at(column).sortValue.value_or(-1e9), expected.at(column - 1));
        // Unpriced rows sort as zero, so that they gather together.
        const PortfolioValuation unpriced = value({{"AAPL", 1, 1}}, {}, "USD", 0.0, {});
        QCOMPARE(unpriced.positions.at(0).cells.at(5).sortValue.value_or(-1), 0.0);
    }

    void addsTheTotalsUpInTheBaseCurrency_data()
    {
        QTest::addColumn<QList<PortfolioPosition>>("positions");
        QTest::addColumn<QList<PortfolioTransaction>>("transactions");
        QTest::addColumn<QString>("base");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("portuguese");
        QTest::addColumn<QString>("style");

        const QString greenStyle = "color:#20c878;font-weight:700;";
        const QString redStyle = "color:#f45d5d;font-weight:700;";
        const QList<PortfolioPosition> b3{{"PETR4.SA", 100, 20}};
        const QList<PortfolioPosition> us{{"AAPL", 10, 100}};
        QTest::newRow("B3 long in BRL")
            << b3 << QList<PortfolioTransaction>() << "BRL" << 0.0
            << "BRL Market 2500.00 | P&L 500.00 | Cash 0.00 | Div 0.00"
            << "BRL Valor 2500.00 | Resultado 500.00 | Caixa 0.00 | Div 0.00" << greenStyle;
        QTest::newRow("US symbol in BRL at 5.0")
            << us << QList<PortfolioTransaction>() << "BRL" << 5.0
            << "BRL Market 5500.00 | P&L 500.00 | Cash 0.00 | Div 0.00"
            << "BRL Valor 5500.00 | Resultado 500.00 | Caixa 0.00 | Div 0.00" << greenStyle;
        QTest::newRow("US symbol in BRL without a rate")
            << us << QList<PortfolioTransaction>() << "BRL" << 0.0
            << "BRL Market 0.00 | P&L 0.00 | Cash 0.00 | Div 0.00 | partial FX"
            << QString::fromUtf8("BRL Valor 0.00 | Resultado 0.00 | Caixa 0.00 | Div 0.00 | câmbio parcial")
            << greenStyle;
        QTest::newRow("BRL portfolio switched to USD divides")
            << b3 << QList<PortfolioTransaction>{cash(100, "BRL")} << "USD" << 5.0
            << "USD Market 500.00 | P&L 100.00 | Cash 20.00 | Div 0.00"
            << "USD Valor 500.00 | Resultado 100.00 | Caixa 20.00 | Div 0.00" << greenStyle;
        QTest::newRow("dividend and withdrawal")
            << QList<PortfolioPosition>()
            << QList<PortfolioTransaction>{cash(10, "BRL", "dividend"), cash(-50, "BRL")} << "BRL" << 0.0
            << "BRL Market 0.00 | P&L 0.00 | Cash -40.00 | Div 10.00"
            << "BRL Valor 0.00 | Resultado 0.00 | Caixa -40.00 | Div 10.00" << greenStyle;
        QTest::newRow("unknown type counts only in cash")
            << QList<PortfolioPosition>() << QList<PortfolioTransaction>{cash(7, "BRL", "bonus")} << "BRL"
            << 0.0 << "BRL Market 0.00 | P&L 0.00 | Cash 7.00 | Div 0.00"
            << "BRL Valor 0.00 | Resultado 0.00 | Caixa 7.00 | Div 0.00" << greenStyle;
        QTest::newRow("a USD dividend without a rate drops out")
            << QList<PortfolioPosition>()
            << QList<PortfolioTransaction>{cash(10, "USD", "dividend"), cash(3, "BRL")} << "BRL" << 0.0
            << "BRL Market 0.00 | P&L 0.00 | Cash 3.00 | Div 0.00 | partial FX"
            << QString::fromUtf8("BRL Valor 0.00 | Resultado 0.00 | Caixa 3.00 | Div 0.00 | câmbio parcial")
            << greenStyle;
        QTest::newRow("an unpriced position costs without a market value")
            << QList<PortfolioPosition>{{"ITUB4.SA", 10, 60}} << QList<PortfolioTransaction>() << "BRL" << 0.0
            << "BRL Market 0.00 | P&L -600.00 | Cash 0.00 | Div 0.00"
            << "BRL Valor 0.00 | Resultado -600.00 | Caixa 0.00 | Div 0.00" << redStyle;
        QTest::newRow("an absurd position enters no total")
            << QList<PortfolioPosition>{{"NVDA", 1e300, 1e300}, {"VALE3.SA", 1, 10}}
            << QList<PortfolioTransaction>() << "BRL" << 5.0
            << "BRL Market 12.00 | P&L 2.00 | Cash 0.00 | Div 0.00 | partial FX"
            << QString::fromUtf8("BRL Valor 12.00 | Resultado 2.00 | Caixa 0.00 | Div 0.00 | câmbio parcial")
            << greenStyle;
        QTest::newRow("an infinite amount enters no total")
            << QList<PortfolioPosition>() << QList<PortfolioTransaction>{cash(qInf(), "BRL"), cash(5, "BRL")}
            << "BRL" << 0.0 << "BRL Market 0.00 | P&L 0.00 | Cash 5.00 | Div 0.00 | partial FX"
            << QString::fromUtf8("BRL Valor 0.00 | Resultado 0.00 | Caixa 5.00 | Div 0.00 | câmbio parcial")
            << greenStyle;
    }

    void addsTheTotalsUpInTheBaseCurrency()
    {
        QFETCH(QList<PortfolioPosition>, positions);
        QFETCH(QList<PortfolioTransaction>, transactions);
        QFETCH(QString, base);
        QFETCH(double, rate);
        QFETCH(QString, english);
        QFETCH(QString, portuguese);
        QFETCH(QString, style);
        const Prices prices{{"PETR4.SA", 25.0}, {"AAPL", 110.0}, {"VALE3.SA", 12.0}, {"NVDA", 1e10}};
        const PortfolioValuation valuation = value(positions, transactions, base, rate, prices);
        QCOMPARE(portfolioSummaryText(base, valuation.totals, false), english);
        QCOMPARE(portfolioSummaryText(base, valuation.totals, true), portuguese);
        QCOMPARE(portfolioSummaryStyle(valuation.totals), style);
    }

    void numbersHaveNoSignOnZero_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << 1234.5 << 2 << "1234.50";
        QTest::newRow("no grouping") << 1234567.891 << 2 << "1234567.89";
        QTest::newRow("negative") << -0.5 << 2 << "-0.50";
        QTest::newRow("rounds to zero from below") << -0.001 << 2 << "0.00";
        QTest::newRow("negative zero") << -0.0 << 4 << "0.0000";
    }

    void numbersHaveNoSignOnZero()
    {
        QFETCH(double, number);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(portfolioNumber(number, decimals), text);
    }

    void transactionRowsAreShownInTheLanguage_data()
    {
        QTest::addColumn<PortfolioTransaction>("transaction");
        QTest::addColumn<bool>("portuguese");
        QTest::addColumn<QStringList>("row");
        QTest::newRow("withdrawal")
            << PortfolioTransaction{"2024-01-02T09:30:00", "cash", "", -250, "BRL", ""} << false
            << QStringList{"2024-01-02T09:30:00", "Cash flow", "", "-250.00", red, "BRL", ""};
        QTest::newRow("dividend in Portuguese")
            << PortfolioTransaction{"2024-01-03T09:30:00", "dividend", "PETR4.SA", 10, "USD", "<b>jcp</b>"}
            << true << QStringList{"2024-01-03T09:30:00", "Dividendo", "PETR4.SA", "10.00", green, "USD",
                                   "<b>jcp</b>"};
        QTest::newRow("unknown type is a cash flow")
            << PortfolioTransaction{"t", "bonus", "", 0, "EUR", "x"} << true
            << QStringList{"t", "Fluxo de caixa", "", "0.00", green, "EUR", "x"};
    }

    void transactionRowsAreShownInTheLanguage()
    {
        QFETCH(PortfolioTransaction, transaction);
        QFETCH(bool, portuguese);
        QFETCH(QStringList, row);
        const TransactionRow shown = transactionRow(transaction, portuguese);
        QCOMPARE((QStringList{shown.time, shown.typeText, shown.symbol, shown.amountText, shown.amountColor,
                              shown.currency, shown.note}),
                 row);
    }

    void aRowFindsTheFirstTransactionShownAlike_data()
    {
        QTest::addColumn<QStringList>("shown"); // time, type, symbol, amount, currency, note
        QTest::addColumn<bool>("portuguese");
        QTest::addColumn<int>("expected");
        const QString t = QStringLiteral("2024-01-02T09:30:00");
        // The amount is compared as shown: 10.004 shows as 10.00.
        QTest::newRow("first") << QStringList{t, "Cash flow", "", "10.00", "BRL", "n"} << false << 0;
        QTest::newRow("same but the currency")
            << QStringList{t, "Cash flow", "", "10.00", "USD", "n"} << false << 1;
        QTest::newRow("same but the type")
            << QStringList{t, "Dividend", "", "10.00", "BRL", "n"} << false << 2;
        QTest::newRow("same but the note")
            << QStringList{t, "Cash flow", "", "10.00", "BRL", "m"} << false << 3;
        QTest::newRow("same but the symbol")
            << QStringList{t, "Dividend", "AAPL", "10.00", "BRL", "n"} << false << 4;
        QTest::newRow("type in Portuguese")
            << QStringList{t, "Dividendo", "", "10.00", "BRL", "n"} << true << 2;
        QTest::newRow("type in the other language")
            << QStringList{t, "Dividend", "", "10.00", "BRL", "n"} << true << -1;
        QTest::newRow("amount differs")
            << QStringList{t, "Cash flow", "", "10.01", "BRL", "n"} << false << -1;
        QTest::newRow("time differs")
            << QStringList{"2024-01-02T09:30", "Cash flow", "", "10.00", "BRL", "n"} << false << -1;
        QTest::newRow("note differs from all")
            << QStringList{t, "Cash flow", "", "10.00", "BRL", ""} << false << -1;
    }

    void aRowFindsTheFirstTransactionShownAlike()
    {
        QFETCH(QStringList, shown);
        QFETCH(bool, portuguese);
        QFETCH(int, expected);
        const QString t = QStringLiteral("2024-01-02T09:30:00");
        const QList<PortfolioTransaction> stored{
            {t, "cash", "", 10.004, "BRL", "n"},       {t, "cash", "", 10.0, "USD", "n"},
            {t, "dividend", "", 10.0, "BRL", "n"},     {t, "cash", "", 10.0, "BRL", "m"},
            {t, "dividend", "AAPL", 10.0, "BRL", "n"}, {t, "cash", "", 10.0, "BRL", "n"},
        };
        TransactionRow row;
        row.time = shown.at(0);
        row.typeText = shown.at(1);
        row.symbol = shown.at(2);
        row.amountText = shown.at(3);
        row.currency = shown.at(4);
        row.note = shown.at(5);
        QCOMPARE(indexOfTransactionRow(stored, row, portuguese), expected);
    }
};

MVX_TEST_MAIN(TestPortfolioValuation)
#include "test_portfolio_valuation.moc"
