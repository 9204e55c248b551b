#pragma once

#include <QString>
#include <QStringList>

// The canonical forms every symbol is brought to before it is stored or requested, and the market that
// form implies. A symbol's market is read from its form alone:
//   PETR4.SA                  B3 equity (suffix ".SA")
//   BTCUSDT, ETHBUSD, XUSDC   crypto pair quoted in a stable coin
//   BRL=X, EURUSD=X           forex (USD/BRL is written BRL=X)
//   anything else             US equity ("^" in front marks an index)
// None of these keep state; the lists they read are passed in by the caller.

// The 26 currency codes a forex pair may be made of, in their fixed order.
const QStringList &knownCurrencyCodes();
// Exact, case-sensitive membership in knownCurrencyCodes().
bool isKnownCurrency(const QString &code);

// The crypto bases that normalisation completes with "USDT" while the exchange's own list is unknown.
const QStringList &defaultCryptoBases();

// Reads a currency pair written "AAA/BBB", "AAABBB" or already as a forex code. Returns the forex code
// ("USD/BRL" -> "BRL=X", "EUR/USD" -> "EURUSD=X", "USDJPY=X" -> "JPY=X"), the text unchanged when it
// already ends in "=X" and needs no shortening, or an empty string when the text is no pair of two
// different known codes.
QString parseForexPair(const QString &text);

// Brings raw user or file text to its canonical symbol; empty for empty input. `cryptoBases` is the
// exchange's list of base assets (defaultCryptoBases() stands in while it is empty); `b3Bases` holds the
// B3 tickers without ".SA" that a bare ticker is completed to.
QString normalizeSymbol(const QString &text, const QStringList &cryptoBases, const QStringList &b3Bases);

// The longest symbol a row takes.
constexpr int kMaxSymbolLength = 64;

// Whether a symbol may have a row: `text` as given (file or symbol box) holds no control or format
// character (NUL, ESC, a right-to-left override would make the row show another symbol than it holds),
// and its canonical form `symbol` is not empty nor longer than kMaxSymbolLength characters.
bool isAcceptableSymbol(const QString &text, const QString &symbol);

// "BR Equity", "Crypto", "Forex" or "US Equity". Expects a canonical symbol; does not normalise.
QString classifySymbol(const QString &symbol);
// "equity_br", "crypto", "forex" or "equity_us": the class as files store it.
QString assetClassKey(const QString &symbol);
// "B3", "US Index", "US", "Crypto" or "Forex": the label of a completion entry.
QString marketLabelForSymbol(const QString &symbol);

// "BRL=X" -> "USD/BRL", "EURUSD=X" -> "EUR/USD"; anything else unchanged (no trimming, no case change).
QString forexDisplayName(const QString &symbol);
// The pair text sent to providers that want "AAA/BBB": trims and upper-cases first, then "BRL=X" ->
// "USD/BRL", "EURUSD=X" -> "EUR/USD", other "=X" codes lose the suffix ("JPY=X" -> "JPY").
QString forexDisplaySymbol(QString symbol);

// The B3 tickers of a universe without their ".SA" suffix, first occurrence kept.
QStringList b3BaseSymbolsFrom(const QStringList &universe);
