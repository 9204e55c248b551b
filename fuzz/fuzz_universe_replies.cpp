// Feeds arbitrary bytes to the readers of the symbol universe's outside input (the exchange's pair list,
// the symbol search reply, universe and classification lines) and of the stored provider health, and
// checks what callers rely on: every symbol that reaches the universe keeps the watchlist's rule (no
// control or format character, at most 64 characters) and holds no blank, a search yields at most 20,
// pairs and bases come only from a well-formed list, a line gives an upper-case symbol without
// separators, and stored health never reads back as a running probe or with negative counters.
#include "providers/provider_health.h"
#include "watchlist/symbol_rules.h"
#include "watchlist/symbol_universe.h"

#include <QJsonDocument>
#include <QSet>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "universe reader broken: %s\n", what);
    std::abort();
}

// What the completer may offer: the watchlist's rule, and no blank that normalisation would remove.
bool fitsUniverse(const QString &symbol)
{
    if (!isAcceptableSymbol(symbol, symbol))
        return false;
    for (const QChar c : symbol) {
        if (c.isSpace())
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));

    const CryptoExchangeList list = parseCryptoExchangeList(bytes);
    require(list.wellFormed || (list.pairs.isEmpty() && list.bases.isEmpty()), "pairs from a malformed list");
    require(list.bases.size() <= list.pairs.size(), "more bases than pairs");
    for (const QString &pair : list.pairs)
        require(fitsUniverse(pair), "unacceptable pair");
    for (const QString &base : list.bases)
        require(fitsUniverse(base), "unacceptable base");

    const QStringList found = parseSymbolSearchReply(bytes);
    require(found.size() <= kSymbolSearchQuoteCount, "too many search results");
    for (const QString &symbol : found)
        require(fitsUniverse(symbol), "unacceptable search result");

    const QString line = QString::fromUtf8(bytes);
    const QString symbol = universeLineSymbol(line);
    require(symbol == symbol.toUpper() && symbol == symbol.trimmed(), "line symbol not canonical");
    require(!symbol.contains(QLatin1Char(',')) && !symbol.contains(QLatin1Char(';')) &&
                !symbol.contains(QLatin1Char('\t')),
            "separator in line symbol");
    require(symbol.isEmpty() || fitsUniverse(symbol), "unacceptable line symbol");

    // Every line of the input offered to the universe: whatever gets in fits it.
    QStringList universe;
    QSet<QString> members;
    appendNewUniverseSymbols(universe, members, line.split(QLatin1Char('\n')));
    for (const QString &member : universe)
        require(fitsUniverse(member), "unacceptable universe member");

    const QString guess = guessedB3Symbol(line);
    require(guess.isEmpty() || guess.endsWith(QLatin1String(".SA")), "guess without suffix");

    const ProviderHealthMap records = providerHealthFromJson(QJsonDocument::fromJson(bytes).object());
    for (const ProviderHealth &health : records)
        require(health.status != QLatin1String("testing"), "a probe survived a restart");
    const ProviderHealthMap again = providerHealthFromJson(providerHealthJson(records));
    require(again.keys() == records.keys(), "health records lost on a round trip");
    for (auto it = records.constBegin(); it != records.constEnd(); ++it) {
        const ProviderHealth &back = again.value(it.key());
        require(back.status == it->status && back.latencyMs == it->latencyMs &&
                    back.attempts == it->attempts && back.lastError == it->lastError,
                "health record changed on a round trip");
    }
    return 0;
}
