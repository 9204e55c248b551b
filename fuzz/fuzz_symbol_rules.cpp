// Feeds arbitrary bytes, read as UTF-8 and as Latin-1, through every symbol rule and checks the
// properties callers rely on: normalisation is stable, a canonical symbol has no blanks, every symbol
// falls in exactly one class whose key and label agree, forex codes stay forex codes, and a symbol
// accepted for a row is short and free of control and format characters.
#include "watchlist/builtin_universe.h"
#include "watchlist/symbol_rules.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void require(bool condition, const char *what, const QString &text)
{
    if (condition)
        return;
    std::fprintf(stderr, "symbol rule broken: %s for \"%s\"\n", what, text.toUtf8().constData());
    std::abort();
}

void checkClass(const QString &symbol)
{
    const QString assetClass = classifySymbol(symbol);
    const QString key = assetClassKey(symbol);
    const QString label = marketLabelForSymbol(symbol);
    if (assetClass == QLatin1String("BR Equity"))
        require(key == QLatin1String("equity_br") && label == QLatin1String("B3"), "b3 class", symbol);
    else if (assetClass == QLatin1String("Crypto"))
        require(key == QLatin1String("crypto") && label == QLatin1String("Crypto"), "crypto class", symbol);
    else if (assetClass == QLatin1String("Forex"))
        require(key == QLatin1String("forex") && label == QLatin1String("Forex"), "forex class", symbol);
    else
        require(assetClass == QLatin1String("US Equity") && key == QLatin1String("equity_us") &&
                    (label == QLatin1String("US") || label == QLatin1String("US Index")),
                "us class", symbol);
}

void exercise(const QString &text)
{
    static const QStringList b3Bases = b3BaseSymbolsFrom(builtinSymbolUniverse());
    static const QStringList exchangeBases = {QStringLiteral("BTC"), QStringLiteral("ETH"),
                                              QStringLiteral("SEI"), QStringLiteral("1000SATS")};

    for (const QStringList *cryptoBases : {&exchangeBases, static_cast<const QStringList *>(nullptr)}) {
        const QStringList bases = cryptoBases ? *cryptoBases : QStringList();
        const QString symbol = normalizeSymbol(text, bases, b3Bases);
        require(!symbol.contains(QLatin1Char(' ')), "blank in canonical symbol", text);
        // An accepted symbol is short and shows what it holds: no control or format character.
        if (isAcceptableSymbol(text, symbol)) {
            require(!symbol.isEmpty() && symbol.size() <= kMaxSymbolLength, "accepted symbol length", text);
            for (const uint codePoint : symbol.toUcs4()) {
                const QChar::Category category = QChar::category(char32_t(codePoint));
                require(category != QChar::Other_Control && category != QChar::Other_Format,
                        "accepted symbol holds a hidden character", text);
            }
        }
        require(normalizeSymbol(symbol, bases, b3Bases) == symbol, "normalisation not stable", text);
        checkClass(symbol);
        // A stored symbol read back through a completion entry gives the same symbol.
        const QString entry = forexDisplayName(symbol) + QStringLiteral("  (") +
                              marketLabelForSymbol(symbol) + QLatin1Char(')');
        const QString reread = normalizeSymbol(entry, bases, b3Bases);
        if (!symbol.isEmpty() && classifySymbol(symbol) != QLatin1String("Forex"))
            require(reread == symbol, "completion entry changes the symbol", text);
    }

    const QString pair = parseForexPair(text);
    if (text.endsWith(QLatin1String("=X")))
        require(!pair.isEmpty(), "forex code emptied", text);
    if (!pair.isEmpty())
        require(pair.endsWith(QLatin1String("=X")), "pair without forex suffix", text);
    if (isKnownCurrency(text))
        require(text.size() == 3, "currency code of odd length", text);

    checkClass(text);
    const QString name = forexDisplayName(text);
    if (!text.endsWith(QLatin1String("=X")))
        require(name == text, "display name changed a non-forex symbol", text);
    forexDisplaySymbol(text);

    b3BaseSymbolsFrom(text.split(QLatin1Char('\n')));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    const qsizetype length = qsizetype(size);
    exercise(QString::fromUtf8(bytes, length));
    exercise(QString::fromLatin1(bytes, length));
    return 0;
}
