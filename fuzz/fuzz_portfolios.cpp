// Feeds arbitrary bytes, read as a settings file or a downloaded "portfolios" namespace, through the
// portfolio reader and the valuation, and checks what the panel and the next save rely on: there is
// always an active portfolio that exists, names are trimmed and never empty, every stored symbol is
// canonical, writing and reading back changes nothing, and the totals are either complete and finite or
// marked partial.
#include "portfolio/portfolio_model.h"
#include "portfolio/portfolio_valuation.h"
#include "watchlist/builtin_universe.h"
#include "watchlist/symbol_rules.h"

#include <QJsonDocument>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "portfolio rule broken: %s\n", what);
    std::abort();
}

QString normalize(const QString &text)
{
    static const QStringList b3Bases = b3BaseSymbolsFrom(builtinSymbolUniverse());
    return normalizeSymbol(text, {}, b3Bases);
}

void checkSet(const PortfolioSet &set)
{
    require(!set.positions.isEmpty(), "no portfolio at all");
    require(set.positions.contains(set.active), "active portfolio does not exist");
    for (auto it = set.positions.cbegin(); it != set.positions.cend(); ++it) {
        require(!it.key().isEmpty() && it.key() == it.key().trimmed(), "untrimmed or empty name");
        for (const PortfolioPosition &position : it.value()) {
            require(!position.symbol.isEmpty(), "empty symbol stored");
            require(normalize(position.symbol) == position.symbol, "symbol not canonical");
        }
    }
}

void checkValuation(const PortfolioSet &set, double rate)
{
    const QString base = set.baseCurrency.value(set.active, QStringLiteral("BRL"));
    const PortfolioValuation valuation =
        valuePortfolio(set.positions.value(set.active), set.transactions.value(set.active), base, rate,
                       [](const QString &symbol) { return double(symbol.size()) * 10.5; });
    require(valuation.positions.size() == set.positions.value(set.active).size(), "a position lost its row");
    for (const PositionValuation &row : valuation.positions) {
        require(row.cells.size() == 7, "a row without its 7 cells");
        for (const PortfolioCell &cell : row.cells) {
            require(!cell.text.isEmpty() || row.position.symbol.isEmpty(), "empty cell");
            require(!cell.sortValue || std::isfinite(*cell.sortValue), "a sort value that is no number");
        }
    }
    const PortfolioTotals &totals = valuation.totals;
    if (totals.complete)
        require(std::isfinite(totals.market) && std::isfinite(totals.cost) && std::isfinite(totals.cash) &&
                    std::isfinite(totals.dividends) && std::isfinite(totals.pnl()),
                "complete totals that are not finite");
    const QString summary = portfolioSummaryText(base, totals, false);
    require(summary.endsWith(QLatin1String(" | partial FX")) != totals.complete, "partial mark wrong");
    for (const PortfolioTransaction &transaction : set.transactions.value(set.active)) {
        const TransactionRow row = transactionRow(transaction, true);
        if (std::isfinite(transaction.amount))
            require(indexOfTransactionRow(set.transactions.value(set.active), row, true) >= 0,
                    "a shown transaction cannot be found again");
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the USD/BRL rate, the rest is the file.
    const double rates[] = {0.0, 5.0, -1.0, 1e-300, 1e300};
    const double rate = rates[data[0] % 5];
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));
    const QJsonObject file = document.object();
    const QJsonObject stored = file.value(QStringLiteral("portfolios")).toObject();
    const QJsonArray legacy =
        document.isArray() ? document.array() : file.value(QStringLiteral("portfolio")).toArray();

    for (bool portuguese : {false, true}) {
        const PortfolioSet set =
            portfoliosFromJson(stored, legacy, defaultPortfolioName(portuguese), normalize);
        checkSet(set);
        checkValuation(set, rate);

        const QJsonObject written = portfoliosToJson(set);
        require(isApplicablePortfoliosPayload(written), "written form not applicable as a sync payload");
        const QJsonObject reread =
            QJsonDocument::fromJson(QJsonDocument(written).toJson(QJsonDocument::Compact)).object();
        const PortfolioSet again =
            portfoliosFromJson(reread, {}, defaultPortfolioName(portuguese), normalize);
        checkSet(again);
        require(portfoliosToJson(again) == written, "write and read back changed the portfolios");
    }
    // A downloaded namespace is the same reader with no legacy array.
    if (isApplicablePortfoliosPayload(file))
        checkSet(portfoliosFromJson(file, {}, defaultPortfolioName(false), normalize));
    return 0;
}
