#include "tests/support/test_main.h"
#include "watchlist/watchlist_file.h"

#include <QJsonArray>
#include <QJsonDocument>

class TestWatchlistFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesNameAndRowsInOrder()
    {
        const QJsonObject object = watchlistFileJson({{"VALE3.SA", "equity_br", "yahoo"},
                                                      {"BTCUSDT", "crypto", "binance"},
                                                      {"AAPL", "equity_us", "yahoo"}});
        QCOMPARE(object.value("name").toString(), QStringLiteral("Default"));
        const QJsonArray symbols = object.value("symbols").toArray();
        QCOMPARE(symbols.size(), 3);
        QCOMPARE(symbols.at(0).toObject(),
                 (QJsonObject{{"symbol", "VALE3.SA"}, {"asset_class", "equity_br"}, {"provider", "yahoo"}}));
        QCOMPARE(symbols.at(1).toObject().value("symbol").toString(), QStringLiteral("BTCUSDT"));
        QCOMPARE(symbols.at(2).toObject().value("symbol").toString(), QStringLiteral("AAPL"));

        const QJsonObject empty = watchlistFileJson({});
        QVERIFY(empty.value("symbols").isArray());
        QVERIFY(empty.value("symbols").toArray().isEmpty());
    }

    void readsSymbolsAndProvidersAsWritten()
    {
        const QJsonObject object = QJsonDocument::fromJson(R"({
            "name": "Ignored",
            "symbols": [
                {"symbol": "petr4", "asset_class": "crypto", "provider": "BRAPI"},
                {"symbol": "AAPL"},
                "NVDA",
                {"symbol": 7, "provider": 3},
                {"symbol": "usd/brl", "provider": "yahoo"}
            ]
        })")
                                       .object();
        const QList<WatchlistFileEntry> entries = watchlistEntriesFromJson(object);
        QCOMPARE(entries.size(), 5);
        QCOMPARE(entries.at(0).symbol, QStringLiteral("petr4")); // normalising is the caller's
        QCOMPARE(entries.at(0).provider, QStringLiteral("BRAPI"));
        QCOMPARE(entries.at(0).assetClass, QString()); // never read back
        QCOMPARE(entries.at(1).provider, QString());
        QCOMPARE(entries.at(2).symbol, QString()); // not an object
        QCOMPARE(entries.at(3).symbol, QString());
        QCOMPARE(entries.at(3).provider, QString());
        QCOMPARE(entries.at(4).symbol, QStringLiteral("usd/brl"));

        QVERIFY(watchlistEntriesFromJson(QJsonObject{{"symbols", "not an array"}}).isEmpty());
        QVERIFY(watchlistEntriesFromJson(QJsonObject()).isEmpty());
    }

    void sevenDefaultSymbols()
    {
        QCOMPARE(defaultWatchlistSymbols(),
                 (QStringList{"PETR4.SA", "VALE3.SA", "AAPL", "NVDA", "BTCUSDT", "ETHUSDT", "BRL=X"}));
    }
};

MVX_TEST_MAIN(TestWatchlistFile)
#include "test_watchlist_file.moc"
