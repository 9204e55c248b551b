#include "watchlist/symbol_rules.h"

#include <algorithm>

#include <QSet>

namespace {
constexpr QLatin1String kB3Suffix(".SA");
constexpr QLatin1String kForexSuffix("=X");
// Separates a symbol from its market label in a completion entry.
constexpr QLatin1String kCompletionSeparator("  (");

QString forexCodeFor(const QString &base, const QString &quote)
{
    if (base == QLatin1String("USD"))
        return quote + kForexSuffix;
    return base + quote + kForexSuffix;
}

QString slashPair(const QString &sixLetters)
{
    return sixLetters.left(3) + QLatin1Char('/') + sixLetters.mid(3);
}
} // namespace

const QStringList &knownCurrencyCodes()
{
    static const QStringList codes = {
        QStringLiteral("USD"), QStringLiteral("BRL"), QStringLiteral("EUR"), QStringLiteral("GBP"),
        QStringLiteral("JPY"), QStringLiteral("CHF"), QStringLiteral("CAD"), QStringLiteral("AUD"),
        QStringLiteral("NZD"), QStringLiteral("MXN"), QStringLiteral("CNY"), QStringLiteral("CNH"),
        QStringLiteral("HKD"), QStringLiteral("SGD"), QStringLiteral("SEK"), QStringLiteral("NOK"),
        QStringLiteral("DKK"), QStringLiteral("ZAR"), QStringLiteral("TRY"), QStringLiteral("ARS"),
        QStringLiteral("CLP"), QStringLiteral("COP"), QStringLiteral("PEN"), QStringLiteral("UYU"),
        QStringLiteral("KRW"), QStringLiteral("INR")};
    return codes;
}

bool isKnownCurrency(const QString &code)
{
    static const QSet<QString> codes(knownCurrencyCodes().cbegin(), knownCurrencyCodes().cend());
    return codes.contains(code);
}

const QStringList &defaultCryptoBases()
{
    static const QStringList bases = {
        QStringLiteral("BTC"),  QStringLiteral("ETH"),   QStringLiteral("BNB"),  QStringLiteral("SOL"),
        QStringLiteral("XRP"),  QStringLiteral("ADA"),   QStringLiteral("DOGE"), QStringLiteral("AVAX"),
        QStringLiteral("LINK"), QStringLiteral("MATIC"), QStringLiteral("DOT"),  QStringLiteral("LTC"),
        QStringLiteral("TRX"),  QStringLiteral("BCH"),   QStringLiteral("NEAR"), QStringLiteral("ATOM"),
        QStringLiteral("APT"),  QStringLiteral("ARB"),   QStringLiteral("OP"),   QStringLiteral("SUI"),
        QStringLiteral("INJ"),  QStringLiteral("FIL"),   QStringLiteral("UNI"),  QStringLiteral("AAVE")};
    return bases;
}

QString parseForexPair(const QString &text)
{
    if (text.endsWith(kForexSuffix)) {
        // Already a forex code: only the redundant "USD" in front of a dollar pair goes.
        const QString body = text.chopped(kForexSuffix.size());
        if (body.size() == 6 && body.startsWith(QLatin1String("USD")) && isKnownCurrency(body.left(3)) &&
            isKnownCurrency(body.mid(3)))
            return body.mid(3) + kForexSuffix;
        return text;
    }

    QString base;
    QString quote;
    if (text.contains(QLatin1Char('/'))) {
        const QStringList pieces = text.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (pieces.size() != 2)
            return QString();
        base = pieces.at(0);
        quote = pieces.at(1);
    } else {
        if (text.size() != 6)
            return QString();
        base = text.left(3);
        quote = text.mid(3);
    }
    if (!isKnownCurrency(base) || !isKnownCurrency(quote) || base == quote)
        return QString();
    return forexCodeFor(base, quote);
}

QString normalizeSymbol(const QString &text, const QStringList &cryptoBases, const QStringList &b3Bases)
{
    QString symbol = text.trimmed().toUpper();
    const int separator = symbol.indexOf(kCompletionSeparator);
    if (separator >= 0)
        symbol = symbol.left(separator).trimmed();
    symbol.remove(QLatin1Char(' '));
    if (symbol.isEmpty())
        return QString();

    const QString forex = parseForexPair(symbol);
    if (!forex.isEmpty())
        return forex;

    const QStringList &bases = cryptoBases.isEmpty() ? defaultCryptoBases() : cryptoBases;
    if (bases.contains(symbol))
        return symbol + QStringLiteral("USDT");

    if (!symbol.contains(QLatin1Char('.')) && b3Bases.contains(symbol))
        return symbol + kB3Suffix;

    return symbol;
}

bool isAcceptableSymbol(const QString &text, const QString &symbol)
{
    // A lone surrogate is no character at all.
    if (symbol.isEmpty() || symbol.size() > kMaxSymbolLength || !text.isValidUtf16())
        return false;
    const QList<uint> codePoints = text.toUcs4();
    return std::none_of(codePoints.cbegin(), codePoints.cend(), [](uint codePoint) {
        const QChar::Category category = QChar::category(char32_t(codePoint));
        return category == QChar::Other_Control || category == QChar::Other_Format;
    });
}

QString classifySymbol(const QString &symbol)
{
    if (symbol.endsWith(kB3Suffix))
        return QStringLiteral("BR Equity");
    if (symbol.endsWith(QLatin1String("USDT")) || symbol.endsWith(QLatin1String("BUSD")) ||
        symbol.endsWith(QLatin1String("USDC")))
        return QStringLiteral("Crypto");
    if (symbol.endsWith(kForexSuffix))
        return QStringLiteral("Forex");
    return QStringLiteral("US Equity");
}

QString assetClassKey(const QString &symbol)
{
    const QString assetClass = classifySymbol(symbol);
    if (assetClass == QLatin1String("BR Equity"))
        return QStringLiteral("equity_br");
    if (assetClass == QLatin1String("Crypto"))
        return QStringLiteral("crypto");
    if (assetClass == QLatin1String("Forex"))
        return QStringLiteral("forex");
    return QStringLiteral("equity_us");
}

QString marketLabelForSymbol(const QString &symbol)
{
    const QString assetClass = classifySymbol(symbol);
    if (assetClass == QLatin1String("BR Equity"))
        return QStringLiteral("B3");
    if (assetClass == QLatin1String("Crypto"))
        return QStringLiteral("Crypto");
    if (assetClass == QLatin1String("Forex"))
        return QStringLiteral("Forex");
    return symbol.startsWith(QLatin1Char('^')) ? QStringLiteral("US Index") : QStringLiteral("US");
}

QString forexDisplayName(const QString &symbol)
{
    if (symbol == QLatin1String("BRL=X"))
        return QStringLiteral("USD/BRL");
    if (symbol.endsWith(kForexSuffix)) {
        const QString body = symbol.chopped(kForexSuffix.size());
        if (body.size() == 6)
            return slashPair(body);
    }
    return symbol;
}

QString forexDisplaySymbol(QString symbol)
{
    symbol = symbol.trimmed().toUpper();
    if (symbol == QLatin1String("BRL=X"))
        return QStringLiteral("USD/BRL");
    if (!symbol.endsWith(kForexSuffix))
        return symbol;
    symbol.chop(kForexSuffix.size());
    return symbol.size() == 6 ? slashPair(symbol) : symbol;
}

QStringList b3BaseSymbolsFrom(const QStringList &universe)
{
    QStringList bases;
    for (const QString &symbol : universe) {
        if (symbol.endsWith(kB3Suffix))
            bases.append(symbol.chopped(kB3Suffix.size()));
    }
    bases.removeDuplicates();
    return bases;
}
