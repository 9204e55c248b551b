#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>

// One holding of a portfolio. The average price is in the symbol's trading currency.
struct PortfolioPosition
{
    QString symbol; // canonical form; never empty once stored
    double quantity = 0.0;
    double averagePrice = 0.0;

    bool operator==(const PortfolioPosition &other) const;
    bool operator!=(const PortfolioPosition &other) const { return !(*this == other); }
};

// A cash flow ("cash") or a dividend ("dividend"). Stored as entered: no field is checked on reading,
// so a type other than these two is kept and shown as a cash flow.
struct PortfolioTransaction
{
    QString timestamp; // local "yyyy-MM-ddTHH:mm:ss"
    QString type;
    QString symbol;      // the paying symbol of a dividend, empty for a cash flow
    double amount = 0.0; // negative for a withdrawal
    QString currency;
    QString note;

    // Amounts compare equal when both are NaN, so that an unchanged list never reads as changed.
    bool operator==(const PortfolioTransaction &other) const;
    bool operator!=(const PortfolioTransaction &other) const { return !(*this == other); }
};

using PortfolioPositionMap = QMap<QString, QList<PortfolioPosition>>;
using PortfolioTransactionMap = QMap<QString, QList<PortfolioTransaction>>;
using PortfolioCurrencyMap = QMap<QString, QString>;
// Turns what a file or the user wrote into the canonical symbol; empty means no symbol.
using SymbolNormalizer = std::function<QString(const QString &)>;

// Every portfolio at once: the three maps share their keys (a portfolio exists when `positions` has
// its name) and `active` names the one the panel shows.
struct PortfolioSet
{
    PortfolioPositionMap positions;
    PortfolioTransactionMap transactions;
    PortfolioCurrencyMap baseCurrency;
    QString active;
};

// "Main" or "Principal": the name of the portfolio made when there is none.
QString defaultPortfolioName(bool portuguese);

QJsonArray positionsToJson(const QList<PortfolioPosition> &positions);
// Elements whose symbol normalises to nothing are skipped; missing or non-numeric numbers read as 0.
// Duplicate symbols are kept as they come.
QList<PortfolioPosition> positionsFromJson(const QJsonArray &array, const SymbolNormalizer &normalize);

QJsonArray transactionsToJson(const QList<PortfolioTransaction> &transactions);
QList<PortfolioTransaction> transactionsFromJson(const QJsonArray &array);

// {"active", "items": [{"name", "positions", "base_currency", "transactions"}]}, items in key order;
// a portfolio without a currency entry is written as "BRL", one without transactions with none.
QJsonObject portfoliosToJson(const PortfolioSet &set);

// Reads the object written above. Items without a name (after trimming) are skipped; a later item whose
// trimmed name is already taken is kept under "<name> (n)", the first such name that is neither taken
// nor written on another item. When no item yields a portfolio, the legacy positions array
// (the older file form) becomes the default portfolio. When items were read and the legacy array still
// holds positions that no read portfolio holds, they are not dropped either: they are kept as one more
// portfolio, named after the default when that name is free, else "<default> (n)". A stale or missing
// active name falls back to the first portfolio. The result always holds at least one portfolio, but
// only the positions entry of a default made here: its other two entries are the caller's business.
PortfolioSet portfoliosFromJson(const QJsonObject &object, const QJsonArray &legacyPositions,
                                const QString &defaultName, const SymbolNormalizer &normalize);

// What a downloaded "portfolios" namespace must look like before it may replace the local ones: an
// object with an "items" array (possibly empty).
bool isApplicablePortfoliosPayload(const QJsonValue &payload);

// Index of the first position of `positions` whose symbol equals `symbol` exactly, -1 when none.
int indexOfPositionIn(const QList<PortfolioPosition> &positions, const QString &symbol);
