#pragma once

#include "portfolio/portfolio_model.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The currency a symbol trades in: "BRL" for a B3 equity, "USD" for everything else (US equities,
// crypto pairs quoted in stable coins, forex pairs).
QString tradingCurrency(const QString &symbol);

// Converts between "BRL" and "USD" at `usdBrlRate` (BRL per USD). The same text on both sides returns
// the amount unchanged. Without a usable rate (not above 0, not finite), for any other pair of texts, or
// when the result would not be finite, `ok` is set false and 0 is returned: the amount drops out of the
// total it was meant for and the total is marked partial.
double convertCurrency(double amount, const QString &from, const QString &to, double usdBrlRate,
                       bool *ok = nullptr);

// Fixed notation with a point, no grouping and no "-" on a value that rounds to zero from below.
QString portfolioNumber(double value, int decimals);

// One cell of the positions table: its text, the number it sorts by and its colour, if any.
struct PortfolioCell
{
    QString text;
    std::optional<double> sortValue;
    QString color; // empty: the table's own colour
};

// A position valued at a last price, in its trading currency. A value that comes out not finite (absurd
// stored quantities or prices) is shown as "--" and enters no total.
struct PositionValuation
{
    PortfolioPosition position;
    QString currency;    // trading currency
    double last = 0.0;   // 0 when there is no usable price
    bool priced = false; // last is above 0 and finite
    double cost = 0.0;
    double market = 0.0;
    double pnl = 0.0;
    double pnlPercent = 0.0;
    QList<PortfolioCell> cells; // the 7 columns of the positions table
};

struct PortfolioTotals
{
    double cost = 0.0;
    double market = 0.0;
    double cash = 0.0;
    double dividends = 0.0;
    bool complete = true; // every amount could be converted and was finite

    double pnl() const { return market - cost; }
};

struct PortfolioValuation
{
    QList<PositionValuation> positions;
    PortfolioTotals totals;
};

// Values every position at `lastPrice` of its symbol and adds cost, market, cash and dividends up in
// `baseCurrency`. Transactions whose type is not "dividend" count as cash flows; dividends count in cash
// too.
PortfolioValuation valuePortfolio(const QList<PortfolioPosition> &positions,
                                  const QList<PortfolioTransaction> &transactions,
                                  const QString &baseCurrency, double usdBrlRate,
                                  const std::function<double(const QString &)> &lastPrice);

// "BRL Market 2500.00 | P&L 500.00 | Cash 0.00 | Div 0.00", with " | partial FX" when incomplete.
QString portfolioSummaryText(const QString &baseCurrency, const PortfolioTotals &totals, bool portuguese);
// The summary's style sheet: green from a total P&L of 0 up, red below (and when it is not a number).
QString portfolioSummaryStyle(const PortfolioTotals &totals);

// One row of the transactions table. Its texts are the key by which a row is found again among the
// stored transactions.
struct TransactionRow
{
    QString time;
    QString typeText;
    QString symbol;
    QString amountText;
    double amount = 0.0;
    QString amountColor;
    QString currency;
    QString note;
};
TransactionRow transactionRow(const PortfolioTransaction &transaction, bool portuguese);

// Index of the first transaction that shows as `shown` in that language, every text alike (the amount
// color aside), -1 when none. Two transactions that show alike differ at most in amount decimals past
// the second or in an unknown type shown as a cash flow.
int indexOfTransactionRow(const QList<PortfolioTransaction> &transactions, const TransactionRow &shown,
                          bool portuguese);
