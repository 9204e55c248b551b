#include "portfolio/portfolio_valuation.h"

#include "shell/formats.h"
#include "watchlist/symbol_rules.h"

#include <cmath>

namespace {
const char *const riseColor = "#20c878";
const char *const fallColor = "#f45d5d";

PortfolioCell numberCell(double value, int decimals)
{
    if (!std::isfinite(value))
        return {QStringLiteral("--"), std::nullopt, QString()};
    return {portfolioNumber(value, decimals), value, QString()};
}

QString totalText(double value)
{
    return std::isfinite(value) ? portfolioNumber(value, 2) : QStringLiteral("--");
}

// Adds `amount`, converted into the base currency, to `total`; anything that cannot be converted or is
// not finite stays out and marks the totals partial.
void addConverted(double &total, double amount, const QString &from, const QString &base, double rate,
                  bool &complete)
{
    bool ok = false;
    const double converted = std::isfinite(amount) ? convertCurrency(amount, from, base, rate, &ok) : 0.0;
    if (!ok || !std::isfinite(total + converted)) {
        complete = false;
        return;
    }
    total += converted;
}

PositionValuation valuePosition(const PortfolioPosition &position, double last)
{
    PositionValuation value;
    value.position = position;
    value.currency = tradingCurrency(position.symbol);
    value.priced = std::isfinite(last) && last > 0.0;
    value.last = value.priced ? last : 0.0;
    value.cost = position.quantity * position.averagePrice;
    if (value.priced) {
        value.market = position.quantity * last;
        value.pnl = value.market - value.cost;
        // A short position's cost is negative: the percentage is of the money at stake.
        value.pnlPercent = value.cost != 0.0 ? value.pnl / std::fabs(value.cost) * 100.0 : 0.0;
    }

    value.cells.append({position.symbol, std::nullopt, QString()});
    value.cells.append(numberCell(position.quantity, 8));
    // Prices widen below 1 like every price text; quantity and money keep their fixed decimals.
    value.cells.append(numberCell(position.averagePrice, priceDecimals(position.averagePrice, 4)));
    if (!value.priced) {
        value.cells.append({QStringLiteral("--"), 0.0, QString()});
        for (int column = 4; column < 7; ++column)
            value.cells.append({QStringLiteral("--"), 0.0, QString()});
        return value;
    }
    value.cells.append({formatPrice(last), last, QString()});
    value.cells.append(numberCell(value.market, 2));
    PortfolioCell pnl = numberCell(value.pnl, 2);
    PortfolioCell percent = numberCell(value.pnlPercent, 2);
    if (std::isfinite(value.pnlPercent))
        percent.text += QLatin1Char('%');
    if (std::isfinite(value.pnl)) {
        const QString color = QLatin1String(value.pnl >= 0.0 ? riseColor : fallColor);
        pnl.color = color;
        percent.color = std::isfinite(value.pnlPercent) ? color : QString();
    }
    value.cells.append(pnl);
    value.cells.append(percent);
    return value;
}
} // namespace

QString tradingCurrency(const QString &symbol)
{
    return classifySymbol(symbol) == QLatin1String("BR Equity") ? QStringLiteral("BRL")
                                                                : QStringLiteral("USD");
}

double convertCurrency(double amount, const QString &from, const QString &to, double usdBrlRate, bool *ok)
{
    if (ok)
        *ok = true;
    if (from == to)
        return amount;
    double converted = 0.0;
    bool known = false;
    if (usdBrlRate > 0.0 && std::isfinite(usdBrlRate)) {
        if (from == QLatin1String("USD") && to == QLatin1String("BRL")) {
            converted = amount * usdBrlRate;
            known = true;
        } else if (from == QLatin1String("BRL") && to == QLatin1String("USD")) {
            converted = amount / usdBrlRate;
            known = true;
        }
    }
    if (known && std::isfinite(converted))
        return converted;
    if (ok)
        *ok = false;
    return 0.0;
}

QString portfolioNumber(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    // -0.001 rounds to "-0.00": a sign on nothing reads as a loss that is not there.
    if (text.startsWith(QLatin1Char('-'))) {
        bool nonZero = false;
        for (const QChar c : text)
            nonZero = nonZero || (c.isDigit() && c != QLatin1Char('0'));
        if (!nonZero)
            text.remove(0, 1);
    }
    return text;
}

PortfolioValuation valuePortfolio(const QList<PortfolioPosition> &positions,
                                  const QList<PortfolioTransaction> &transactions,
                                  const QString &baseCurrency, double usdBrlRate,
                                  const std::function<double(const QString &)> &lastPrice)
{
    PortfolioValuation result;
    PortfolioTotals &totals = result.totals;
    for (const PortfolioPosition &position : positions) {
        PositionValuation value = valuePosition(position, lastPrice(position.symbol));
        addConverted(totals.cost, value.cost, value.currency, baseCurrency, usdBrlRate, totals.complete);
        addConverted(totals.market, value.market, value.currency, baseCurrency, usdBrlRate, totals.complete);
        result.positions.append(value);
    }
    for (const PortfolioTransaction &transaction : transactions) {
        bool ok = false;
        const double amount =
            std::isfinite(transaction.amount)
                ? convertCurrency(transaction.amount, transaction.currency, baseCurrency, usdBrlRate, &ok)
                : 0.0;
        if (!ok || !std::isfinite(totals.cash + amount) || !std::isfinite(totals.dividends + amount)) {
            totals.complete = false;
            continue;
        }
        totals.cash += amount;
        if (transaction.type == QLatin1String("dividend"))
            totals.dividends += amount;
    }
    if (!std::isfinite(totals.pnl()))
        totals.complete = false;
    return result;
}

QString portfolioSummaryText(const QString &baseCurrency, const PortfolioTotals &totals, bool portuguese)
{
    const QString form = portuguese ? QStringLiteral("%1 Valor %2 | Resultado %3 | Caixa %4 | Div %5%6")
                                    : QStringLiteral("%1 Market %2 | P&L %3 | Cash %4 | Div %5%6");
    const QString partial = totals.complete ? QString()
                            : portuguese    ? QString::fromUtf8(" | câmbio parcial")
                                            : QStringLiteral(" | partial FX");
    return form.arg(baseCurrency, totalText(totals.market), totalText(totals.pnl()), totalText(totals.cash),
                    totalText(totals.dividends), partial);
}

QString portfolioSummaryStyle(const PortfolioTotals &totals)
{
    return QStringLiteral("color:%1;font-weight:700;")
        .arg(QLatin1String(totals.pnl() >= 0.0 ? riseColor : fallColor));
}

TransactionRow transactionRow(const PortfolioTransaction &transaction, bool portuguese)
{
    TransactionRow row;
    row.time = transaction.timestamp;
    if (transaction.type == QLatin1String("dividend"))
        row.typeText = portuguese ? QStringLiteral("Dividendo") : QStringLiteral("Dividend");
    else
        row.typeText = portuguese ? QStringLiteral("Fluxo de caixa") : QStringLiteral("Cash flow");
    row.symbol = transaction.symbol;
    row.amount = transaction.amount;
    if (std::isfinite(transaction.amount)) {
        row.amountText = portfolioNumber(transaction.amount, 2);
        row.amountColor = QLatin1String(transaction.amount >= 0.0 ? riseColor : fallColor);
    } else {
        row.amountText = QStringLiteral("--");
    }
    row.currency = transaction.currency;
    row.note = transaction.note;
    return row;
}

int indexOfTransactionRow(const QList<PortfolioTransaction> &transactions, const TransactionRow &shown,
                          bool portuguese)
{
    for (int index = 0; index < transactions.size(); ++index) {
        const TransactionRow row = transactionRow(transactions.at(index), portuguese);
        if (row.time == shown.time && row.typeText == shown.typeText && row.symbol == shown.symbol &&
            row.amountText == shown.amountText && row.currency == shown.currency && row.note == shown.note)
            return index;
    }
    return -1;
}
