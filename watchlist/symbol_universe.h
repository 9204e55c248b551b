#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>

// The symbol universe beyond the built-in list: plain symbol lists and the sector file found in a fixed
// set of directories, the crypto exchange's pair list and the web symbol search. Every reader takes its
// directories or bytes as arguments and keeps no state; the window owns the universe itself.

// The directories searched for universe lists, in order, duplicate texts removed: `applicationDir` +
// "/data/universe", `applicationDir` + "/share/MURVEX_TERMINAL/universe", `applicationDir` +
// "/../share/MURVEX_TERMINAL/universe", then the two system-wide locations. Nothing is taken from the
// working directory: a folder the terminal happens to be started from must not add symbols or sectors.
QStringList universeDirectoriesFor(const QString &applicationDir);

// Lines longer than this many characters are skipped unread, so a stray binary file in a universe
// directory cannot stall start-up.
constexpr int kUniverseMaxLineLength = 1024;

// The symbol a universe-list line gives: trimmed, cut before the first ",", ";" or tab, trimmed again and
// upper-cased; empty for an empty line, a "#" comment, a "symbol" header or a symbol the universe does
// not accept (isAcceptableUniverseSymbol).
QString universeLineSymbol(const QString &line);

// The symbols of every "*.txt" and "*.csv" file in each existing directory, in directory, file-name and
// line order, duplicates included. A directory or a file reached through two paths is read once.
QStringList readUniverseFiles(const QStringList &directories);

// The first "classification.csv" among the directories, or empty when none has one.
QString findClassificationFile(const QStringList &directories);

// Symbol to sector from one classification file: fields split at every ",", the first (upper-cased) and
// second trimmed; comments, headers, one-field lines, empty sectors and symbols the universe does not
// accept skipped; a later line replaces an earlier one. A file that cannot be opened gives nothing.
QMap<QString, QString> readClassificationFile(const QString &path);

// True when a symbol from outside (a universe file, the exchange's pair list, a search reply, a typed
// guess) may enter the universe: it keeps the watchlist's rule (isAcceptableSymbol: no control or format
// character, at most kMaxSymbolLength characters), so nothing the completer offers looks like another
// symbol than it is or can be refused once picked, and it holds no white space, since normalisation
// removes blanks and picking "BRK B" would add BRKB.
bool isAcceptableUniverseSymbol(const QString &symbol);

// What the exchange's pair list gave.
struct CryptoExchangeList
{
    bool wellFormed = false; // a JSON object with a "symbols" array
    QStringList pairs;       // the trading USDT pairs, in reply order
    QStringList bases;       // their base assets, first occurrence kept
};

// Reads an exchange-information reply: every element whose "status" is "TRADING" and "quoteAsset" is
// "USDT" gives its "symbol" (kept only when acceptable) and its non-empty "baseAsset".
CryptoExchangeList parseCryptoExchangeList(const QByteArray &body);

// At most this many search results are asked for and read.
constexpr int kSymbolSearchQuoteCount = 20;

// The symbols of a search reply whose "quoteType" is one of "EQUITY", "ETF", "INDEX", "CRYPTOCURRENCY"
// and "CURRENCY", from at most the first kSymbolSearchQuoteCount elements of "quotes", each acceptable.
QStringList parseSymbolSearchReply(const QByteArray &body);

// The search request's URL on `base`: "q" (the text as typed, one percent-encoded value), "quotesCount"
// and "newsCount", in this order.
QUrl symbolSearchUrl(const QString &base, const QString &text);

// The B3 ticker a typed text suggests ("PETR4" -> "PETR4.SA"): the upper-cased text when it has no ".",
// 5 or 6 characters and a final digit; empty otherwise.
QString guessedB3Symbol(const QString &text);

// Adds to `universe` (and `members`, its set) every text of `symbols`, trimmed and upper-cased, that is
// acceptable (isAcceptableUniverseSymbol) and not a member yet. Returns how many were added; the caller
// sorts once afterwards.
int appendNewUniverseSymbols(QStringList &universe, QSet<QString> &members, const QStringList &symbols);

// Case-insensitive order of the universe (letters compare as lower case, so "^" comes before letters).
void sortUniverse(QStringList &universe);

// One completion entry: the symbol's display name, two blanks and its market label in parentheses.
QString completionEntry(const QString &symbol);
