#include "shell/main_window.h"
#include "tests/support/test_main.h"

// The window's symbol members read its live lists: the B3 bases set up at construction and the crypto
// bases that arrive with the exchange's pair list.
class TestMainWindowSymbols : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void b3BasesComeFromTheBuiltinUniverse()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.b3BaseSymbols.size(), 122);
        QCOMPARE(window.defaultSymbolUniverse().size(), 295);
        QCOMPARE(window.normalizeSymbol(QStringLiteral("petr4")), QStringLiteral("PETR4.SA"));
        QCOMPARE(window.classifySymbol(window.normalizeSymbol(QStringLiteral("petr4"))),
                 QStringLiteral("BR Equity"));

        window.b3BaseSymbols.clear();
        QCOMPARE(window.normalizeSymbol(QStringLiteral("petr4")), QStringLiteral("PETR4"));
        QCOMPARE(window.classifySymbol(QStringLiteral("PETR4")), QStringLiteral("US Equity"));
    }

    void cryptoBasesFollowTheExchangeList()
    {
        TempHome home;
        MainWindow window;
        QVERIFY(window.cryptoBaseAssets.isEmpty());
        QCOMPARE(window.normalizeSymbol(QStringLiteral("btc")), QStringLiteral("BTCUSDT"));
        QCOMPARE(window.normalizeSymbol(QStringLiteral("sei")), QStringLiteral("SEI"));

        window.cryptoBaseAssets = {QStringLiteral("BTC"), QStringLiteral("SEI")};
        QCOMPARE(window.normalizeSymbol(QStringLiteral("btc")), QStringLiteral("BTCUSDT"));
        QCOMPARE(window.normalizeSymbol(QStringLiteral("sei")), QStringLiteral("SEIUSDT"));
        QCOMPARE(window.normalizeSymbol(QStringLiteral("doge")), QStringLiteral("DOGE"));

        // An empty exchange list puts the fixed fallback back.
        window.cryptoBaseAssets.clear();
        QCOMPARE(window.normalizeSymbol(QStringLiteral("doge")), QStringLiteral("DOGEUSDT"));
    }

    void membersAgreeWithTheRules()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.normalizeSymbol(QStringLiteral("USD / BRL  (Forex)")), QStringLiteral("BRL=X"));
        QCOMPARE(window.parseForexPair(QStringLiteral("USDJPY=X")), QStringLiteral("JPY=X"));
        QVERIFY(window.isKnownCurrency(QStringLiteral("BRL")));
        QVERIFY(!window.isKnownCurrency(QStringLiteral("brl")));
        QCOMPARE(window.assetClassKey(QStringLiteral("BRL=X")), QStringLiteral("forex"));
        QCOMPARE(window.marketLabelForSymbol(QStringLiteral("^BVSP")), QStringLiteral("US Index"));
        QCOMPARE(window.forexDisplayName(QStringLiteral("BRL=X")), QStringLiteral("USD/BRL"));
        QCOMPARE(window.forexDisplayName(QStringLiteral("JPY=X")), QStringLiteral("JPY=X"));
    }
};

MVX_TEST_MAIN(TestMainWindowSymbols)
#include "test_main_window_symbols.moc"
