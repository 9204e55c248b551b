#include "tests/support/test_main.h"
#include "watchlist/builtin_universe.h"
#include "watchlist/symbol_rules.h"

class TestBuiltinUniverse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void holdsEachMarketOnce()
    {
        const QStringList universe = builtinSymbolUniverse();
        QCOMPARE(universe.size(), 295);
        QCOMPARE(QSet<QString>(universe.cbegin(), universe.cend()).size(), universe.size());
        QCOMPARE(universe.first(), QStringLiteral("PETR3.SA"));
        QCOMPARE(universe.last(), QStringLiteral("FETUSDT"));

        QMap<QString, int> perClass;
        int slashPairs = 0;
        for (const QString &symbol : universe) {
            QVERIFY2(symbol == symbol.trimmed().toUpper() && !symbol.contains(QLatin1Char(' ')),
                     qPrintable(symbol));
            ++perClass[classifySymbol(symbol)];
            if (symbol.contains(QLatin1Char('/')))
                ++slashPairs;
        }
        QCOMPARE(perClass.value(QStringLiteral("BR Equity")), 122);
        QCOMPARE(perClass.value(QStringLiteral("Crypto")), 32);
        QCOMPARE(perClass.value(QStringLiteral("Forex")), 4);
        // The slash pairs carry no class rule of their own and read as US symbols.
        QCOMPARE(slashPairs, 12);
        QCOMPARE(perClass.value(QStringLiteral("US Equity")), 125 + 12);
    }

    void everyEntryNormalisesToItself()
    {
        // A symbol picked from the built-in list must be stored as listed; only the slash pairs turn
        // into their forex code.
        const QStringList universe = builtinSymbolUniverse();
        const QStringList b3 = b3BaseSymbolsFrom(universe);
        for (const QString &symbol : universe) {
            const QString normalised = normalizeSymbol(symbol, {}, b3);
            if (symbol.contains(QLatin1Char('/')))
                QVERIFY2(classifySymbol(normalised) == QLatin1String("Forex"), qPrintable(symbol));
            else
                QCOMPARE(normalised, symbol);
        }
    }

    void yieldsTheB3Bases()
    {
        const QStringList bases = b3BaseSymbolsFrom(builtinSymbolUniverse());
        QCOMPARE(bases.size(), 122);
        QCOMPARE(bases.first(), QStringLiteral("PETR3"));
        QVERIFY(bases.contains(QStringLiteral("XPBR31")));
        QVERIFY(!bases.contains(QStringLiteral("AAPL")));
    }
};

MVX_TEST_MAIN(TestBuiltinUniverse)
#include "test_builtin_universe.moc"
