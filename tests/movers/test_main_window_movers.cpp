#include "movers/movers_mosaic.h"
#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/modal_script.h"
#include "tests/support/recorded_replies.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStringListModel>
#include <QTableWidget>
#include <QTimer>
#include <QUrlQuery>

namespace {
// A window whose one-time data start never runs, so only the test's refreshes reach the fake services.
struct MoversWindow
{
    TempHome home;
    LoopbackServices services;
    MainWindow window;
    QStringList moversMessages; // the status lines of the movers loads, oldest first

    MoversWindow()
    {
        window.marketDataStarted = true;
        // The quote walks of the watchlist write their own status lines; only the movers' are kept.
        QObject::connect(window.statusBar(), &QStatusBar::messageChanged, [this](const QString &message) {
            if (message.startsWith(QLatin1String("Market movers updated")) ||
                message.startsWith(QString::fromUtf8("Oscilações atualizadas")) ||
                message.startsWith(QLatin1String("Mover ready")))
                moversMessages.append(message);
        });
    }
    FakeHttpServer &server() { return services.server(); }
    QString status() const { return moversMessages.isEmpty() ? QString() : moversMessages.last(); }
    bool loaded() const { return !moversMessages.isEmpty(); }
    void refresh(const QString &scope)
    {
        window.populateMoversScopeCombo(scope);
        window.statusBar()->clearMessage(); // an identical line would not count as a change
        moversMessages.clear();
        window.refreshMarketMovers();
    }
    // The movers' brapi requests: the quote walks' own brapi requests carry a query.
    QList<RecordedRequest> brapiMoversRequests()
    {
        QList<RecordedRequest> out;
        for (const RecordedRequest &request : services.server().requests()) {
            if (request.path.startsWith(QLatin1String("/api/quote/")) && request.query.isEmpty())
                out.append(request);
        }
        return out;
    }
    QList<RecordedRequest> yahooMoversRequests()
    {
        return services.server().requestsFor(QStringLiteral("/v7/finance/quote"));
    }
};

QStringList numbered(const QString &pattern, int count)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out.append(pattern.arg(i, 3, 10, QLatin1Char('0')));
    return out;
}

QStringList pathSymbols(const RecordedRequest &request, const QString &prefix)
{
    return QUrl::fromPercentEncoding(request.path.mid(prefix.size()).toLatin1()).split(QLatin1Char(','));
}

QStringList yahooSymbols(const RecordedRequest &request)
{
    return QUrlQuery(request.query).queryItemValue(QStringLiteral("symbols"), QUrl::FullyDecoded).split(',');
}

// A brapi or Yahoo quote object.
QJsonObject quoteObject(const QString &symbol, double price, double change)
{
    return {{"symbol", symbol},
            {"regularMarketPrice", price},
            {"regularMarketChangePercent", change},
            {"regularMarketVolume", 1000}};
}

// Echoes every requested symbol back with a change from its position, so each chunk's reply is real.
FakeReply brapiEcho(const RecordedRequest &request)
{
    QJsonArray results;
    const QStringList symbols = pathSymbols(request, QStringLiteral("/api/quote/"));
    for (int i = 0; i < symbols.size(); ++i)
        results.append(quoteObject(symbols.at(i), 10.0 + i, i % 2 ? -1.0 - i : 1.0 + i));
    return FakeReply::json(QJsonDocument(QJsonObject{{"results", results}}).toJson());
}

FakeReply yahooEcho(const RecordedRequest &request)
{
    QJsonArray results;
    const QStringList symbols = yahooSymbols(request);
    for (int i = 0; i < symbols.size(); ++i)
        results.append(quoteObject(symbols.at(i), 20.0 + i, i % 2 ? -0.5 : 0.5));
    return FakeReply::json(
        QJsonDocument(QJsonObject{{"quoteResponse", QJsonObject{{"result", results}}}}).toJson());
}

QByteArray binanceList(const QList<QPair<QString, QString>> &pairs)
{
    QJsonArray list;
    for (const auto &[symbol, change] : pairs)
        list.append(QJsonObject{{"symbol", symbol},
                                {"lastPrice", "100.5"},
                                {"priceChangePercent", change},
                                {"quoteVolume", "2500000"}});
    return QJsonDocument(list).toJson();
}

QStringList column(const QTableWidget *table, int col)
{
    QStringList out;
    for (int row = 0; row < table->rowCount(); ++row)
        out.append(table->item(row, col) ? table->item(row, col)->text() : QString());
    return out;
}

MoverEntry mover(const QString &symbol, double change, double price = 10.0, double volume = 1000.0)
{
    MoverEntry entry;
    entry.symbol = symbol;
    entry.changePct = change;
    entry.price = price;
    entry.volume = volume;
    return entry;
}

void whenMenuOpens(std::function<void(QMenu *)> act)
{
    QTimer::singleShot(0, [act]() {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        act(menu);
    });
}

bool choose(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text() == text) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return true;
        }
    }
    return false;
}

QString cardValue(const QLabel *card)
{
    return card->text().section(QLatin1Char('\n'), 1);
}
} // namespace

// The movers panel on loopback services: the batch protocol of every scope, late and hanging replies,
// the loader's tables, cards and status line, and the ways a mover reaches the watchlist.
class TestMainWindowMovers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void b3ScopeAsksBrapiInChunksOfTwenty()
    {
        MoversWindow f;
        f.window.symbolUniverse = numbered(QStringLiteral("B%1.SA"), 45) + QStringList{"AAPL"};
        f.server().setHandler(brapiEcho);
        f.refresh("b3");
        QTRY_VERIFY(f.loaded());
        QList<int> sizes;
        for (const RecordedRequest &request : f.brapiMoversRequests()) {
            sizes.append(static_cast<int>(pathSymbols(request, QStringLiteral("/api/quote/")).size()));
            QVERIFY(request.header("Authorization").isEmpty());
            QCOMPARE(request.header("User-Agent"), QByteArray("MURVEX_TERMINAL/0.1 Qt"));
        }
        std::sort(sizes.begin(), sizes.end());
        QCOMPARE(sizes, (QList<int>{5, 20, 20}));
        QVERIFY(f.status().startsWith(QLatin1String("Market movers updated: B3 delayed (")));
        QCOMPARE(f.window.gainersTable->rowCount() + f.window.losersTable->rowCount(), 45);
        QVERIFY(column(f.window.gainersTable, 0).contains("B000.SA")); // brapi answers without the suffix
        QCOMPARE(f.window.pendingMoversReplies, 0);
    }

    void keyedEmptyBrapiIsRetriedBareThenYahooWithSuffix()
    {
        MoversWindow f;
        f.window.settings.brapiToken = QStringLiteral("secret-brapi-token");
        f.window.symbolUniverse = {"PETR4.SA", "VALE3.SA"};
        f.server().setHandler([](const RecordedRequest &request) {
            if (request.path.startsWith(QLatin1String("/v7/finance/quote")))
                return yahooEcho(request);
            return FakeReply::json("{\"results\":[]}");
        });
        f.refresh("b3");
        QTRY_VERIFY(f.loaded());
        const QList<RecordedRequest> brapi = f.brapiMoversRequests();
        const QList<RecordedRequest> yahoo = f.yahooMoversRequests();
        QCOMPARE(brapi.size(), 2);
        QCOMPARE(brapi.at(0).header("Authorization"), QByteArray("Bearer secret-brapi-token"));
        QVERIFY(brapi.at(1).header("Authorization").isEmpty());
        QCOMPARE(pathSymbols(brapi.at(1), "/api/quote/"), (QStringList{"PETR4", "VALE3"}));
        QCOMPARE(yahoo.size(), 1);
        QCOMPARE(yahooSymbols(yahoo.first()), (QStringList{"PETR4.SA", "VALE3.SA"}));
        QCOMPARE(column(f.window.gainersTable, 0), QStringList{"PETR4.SA"});
        QCOMPARE(column(f.window.losersTable, 0), QStringList{"VALE3.SA"});
        QVERIFY(!f.window.eventConsole->toPlainText().contains("secret-brapi-token"));
        QVERIFY(!f.status().contains("secret-brapi-token"));
    }

    void usScopeAsksYahooInChunksOfEighty()
    {
        MoversWindow f;
        f.window.symbolUniverse = numbered(QStringLiteral("U%1"), 81) + QStringList{"PETR4.SA", "BTCUSDT"};
        f.server().setHandler(yahooEcho);
        f.refresh("us");
        QTRY_VERIFY(f.loaded());
        QList<int> sizes;
        for (const RecordedRequest &request : f.server().requestsFor(QStringLiteral("/v7/finance/quote")))
            sizes.append(static_cast<int>(yahooSymbols(request).size()));
        std::sort(sizes.begin(), sizes.end());
        QCOMPARE(sizes, (QList<int>{1, 80}));
        QVERIFY(f.server().requestsFor(QStringLiteral("/query")).isEmpty());
        QVERIFY(f.status().startsWith(QLatin1String("Market movers updated: US delayed (")));
    }

    void alphaVantageComesFirstWithAKey()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("recorded replies not available");
        MoversWindow f;
        f.window.settings.alphaVantageApiKey = QStringLiteral("AVKEY123");
        f.window.symbolUniverse = {"AAPL", "MSFT"};
        f.server().setReply(
            QStringLiteral("/query"),
            recordedReply("alphavantage/top_gainers_losers_2024-07-12_recorded_keys_sorted.json"));
        f.refresh("us");
        QTRY_VERIFY(f.loaded());
        const QList<RecordedRequest> alpha = f.server().requestsFor(QStringLiteral("/query"));
        QCOMPARE(alpha.size(), 1);
        QCOMPARE(alpha.first().query, QStringLiteral("function=TOP_GAINERS_LOSERS&apikey=AVKEY123"));
        QVERIFY(f.server().requestsFor(QStringLiteral("/v7/finance/quote")).isEmpty());
        QCOMPARE(f.window.gainersTable->rowCount(), 20);
        QCOMPARE(f.window.losersTable->rowCount(), 20);
        QVERIFY(!f.window.eventConsole->toPlainText().contains("AVKEY123"));
        QVERIFY(!f.status().contains("AVKEY123"));
    }

    void alphaRateLimitStartsTheCooldown_data()
    {
        QTest::addColumn<QByteArray>("retryAfter");
        QTest::addColumn<int>("cooldownSeconds");
        QTest::newRow("retry after 120") << QByteArray("120") << 120;
        QTest::newRow("no header") << QByteArray() << 60;
        QTest::newRow("retry after 5 (at least 60)") << QByteArray("5") << 60;
    }

    void alphaRateLimitStartsTheCooldown()
    {
        QFETCH(QByteArray, retryAfter);
        QFETCH(int, cooldownSeconds);
        MoversWindow f;
        f.window.settings.alphaVantageApiKey = QStringLiteral("AVKEY");
        f.window.symbolUniverse = {"AAPL", "MSFT"};
        FakeReply limited = FakeReply::json("{\"Note\":\"call frequency is 5 calls per minute\"}", 429);
        if (!retryAfter.isEmpty())
            limited.headers.append({"Retry-After", retryAfter});
        f.server().setReply(QStringLiteral("/query"), limited);
        f.server().setHandler({});
        f.server().setReply(QStringLiteral("/v7/finance/quote"),
                            FakeReply::json(R"({"quoteResponse":{"result":[
                                {"symbol":"AAPL","regularMarketPrice":200,"regularMarketChangePercent":1.5}]}})"));
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        f.refresh("us");
        QTRY_VERIFY(f.loaded());
        const qint64 after = QDateTime::currentMSecsSinceEpoch();
        QVERIFY(f.window.alphaVantageCooldownUntilMs >= before + cooldownSeconds * 1000LL);
        QVERIFY(f.window.alphaVantageCooldownUntilMs <= after + cooldownSeconds * 1000LL);
        QCOMPARE(f.server().requestsFor(QStringLiteral("/v7/finance/quote")).size(),
                 1); // the US set went to Yahoo
        QCOMPARE(column(f.window.gainersTable, 0), QStringList{"AAPL"});

        // During the cooldown the US set goes straight to Yahoo.
        f.server().clearRequests();
        f.refresh("us");
        QTRY_VERIFY(f.loaded());
        QVERIFY(f.server().requestsFor(QStringLiteral("/query")).isEmpty());
        QCOMPARE(f.server().requestsFor(QStringLiteral("/v7/finance/quote")).size(), 1);
    }

    void alphaWithAnEmptyUsSetFallsBackToTheUsRows()
    {
        MoversWindow f;
        f.window.settings.alphaVantageApiKey = QStringLiteral("AVKEY");
        f.window.symbolUniverse = {"PETR4.SA"};
        f.server().setReply(QStringLiteral("/query"),
                            FakeReply::json("{\"top_gainers\":[],\"top_losers\":[]}"));
        const int aapl = f.window.findSymbolRow("AAPL");
        QVERIFY(aapl >= 0);
        f.window.updateQuoteRow("AAPL", 210.0, 1.25, "Yahoo", "12 ms", "ok");
        f.refresh("us");
        QTRY_VERIFY(f.loaded());
        QCOMPARE(f.server().requestsFor(QStringLiteral("/query")).size(), 1);
        QCOMPARE(column(f.window.gainersTable, 0), QStringList{"AAPL"});
        QVERIFY(
            f.status().startsWith(QLatin1String("Market movers updated: US delayed (1 gainers, 0 losers)")));
    }

    void emptySetsAndTheFallbackLabel_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("scope");
        QTest::addColumn<QString>("label");
        QTest::newRow("all, English") << "en"
                                      << "all"
                                      << "All delayed fallback";
        QTest::newRow("all, Portuguese") << "pt_BR"
                                         << "all"
                                         << "Tudo com delay fallback";
        QTest::newRow("b3 shows the watchlist") << "en"
                                                << "b3"
                                                << "Watchlist Hour";
        QTest::newRow("b3 shows the watchlist, Portuguese") << "pt_BR"
                                                            << "b3"
                                                            << "Lista pessoal Hora";
    }

    void emptySetsAndTheFallbackLabel()
    {
        QFETCH(QString, language);
        QFETCH(QString, scope);
        QFETCH(QString, label);
        MoversWindow f;
        f.window.settings.language = language;
        f.window.populateMoversIntervalCombo(QString());
        f.window.symbolUniverse.clear();
        f.refresh(scope);
        const QString expected = language == QLatin1String("en")
                                     ? QStringLiteral("Market movers updated: %1 (").arg(label)
                                     : QStringLiteral("Oscilações atualizadas: %1 (").arg(label);
        QVERIFY2(f.status().startsWith(expected), qPrintable(f.status())); // loaded at once, nothing sent
        QVERIFY(f.server().requestsFor(QStringLiteral("/v7/finance/quote")).isEmpty());
    }

    void lateBatchReplyChangesNothing()
    {
        MoversWindow f;
        f.window.symbolUniverse = {"PETR4.SA"};
        f.server().setHandler([](const RecordedRequest &request) {
            if (request.path.startsWith(QLatin1String("/api/quote/"))) {
                FakeReply reply = brapiEcho(request);
                reply.delayMs = 400;
                return reply;
            }
            return FakeReply::json(binanceList({{"BTCUSDT", "4.5"}, {"ETHUSDT", "-2"}}));
        });
        f.refresh("b3");
        QVERIFY(f.server().waitForRequests(1));
        f.refresh("crypto");
        QTRY_VERIFY(f.loaded());
        QVERIFY(
            f.status().startsWith(QLatin1String("Market movers updated: Crypto 24h (1 gainers, 1 losers)")));
        QTest::qWait(700); // the b3 reply arrives now
        QVERIFY(f.status().startsWith(QLatin1String("Market movers updated: Crypto 24h")));
        QCOMPARE(column(f.window.gainersTable, 0), QStringList{"BTCUSDT"});
        QVERIFY(!f.window.moverSnapshots.contains("PETR4.SA"));
        QVERIFY(f.window.moversList.isEmpty());
    }

    void lateCryptoReplyChangesNothing()
    {
        MoversWindow f;
        FakeReply slow = FakeReply::json(binanceList({{"BTCUSDT", "4.5"}}));
        slow.delayMs = 400;
        f.server().setReply(QStringLiteral("/api/v3/ticker/24hr"), slow);
        f.refresh("crypto");
        QVERIFY(f.server().waitForRequests(1));
        f.refresh("watchlist");
        QVERIFY(f.status().startsWith(QLatin1String("Market movers updated: Watchlist Hour")));
        QTest::qWait(700);
        QVERIFY(f.status().startsWith(QLatin1String("Market movers updated: Watchlist Hour")));
        QVERIFY(!f.window.moverSnapshots.contains("BTCUSDT"));
    }

    void aHangingHostStillFinishesTheBatch()
    {
        MoversWindow f;
        f.window.quoteTransferLimitMs = 300;
        f.window.symbolUniverse = {"PETR4.SA", "VALE3.SA"};
        f.server().setDefaultReply(FakeReply::hanging());
        f.window.updateQuoteRow("PETR4.SA", 36.5, -2.0, "brapi", "9 ms", "ok");
        f.refresh("b3");
        QTRY_VERIFY_WITH_TIMEOUT(f.loaded(), 5000);
        // brapi gave up, then Yahoo did: the batch took the B3 rows of the quote table.
        QVERIFY(!f.server().requestsFor(QStringLiteral("/v7/finance/quote")).isEmpty());
        QCOMPARE(column(f.window.losersTable, 0), QStringList{"PETR4.SA"});
        QCOMPARE(f.window.pendingMoversReplies, 0);
    }

    void binanceFailureShowsTheWatchlist()
    {
        MoversWindow f;
        f.server().setReply(QStringLiteral("/api/v3/ticker/24hr"), FakeReply::json("{}", 500));
        f.refresh("crypto");
        QTRY_VERIFY(f.loaded());
        QVERIFY(
            f.window.eventConsole->toPlainText().contains("Market movers error: Binance 24h request failed"));
        QVERIFY(f.status().startsWith(QLatin1String("Market movers updated: Watchlist Hour")));
    }

    void binanceGarbageLoadsAnEmptyList()
    {
        MoversWindow f;
        f.server().setReply(QStringLiteral("/api/v3/ticker/24hr"), FakeReply::text("\x01\xffnot json"));
        f.refresh("crypto");
        QTRY_VERIFY(f.loaded());
        QVERIFY(
            f.status().startsWith(QLatin1String("Market movers updated: Crypto 24h (0 gainers, 0 losers)")));
        QCOMPARE(f.window.moversMosaic->movers().size(), 0);
    }

    void loaderStatusAndRebasing_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("status");
        QTest::newRow("day: no suffix") << "day"
                                        << "en"
                                        << "Market movers updated: SRC (1 gainers, 2 losers)";
        QTest::newRow("week counts series of 2+")
            << "week"
            << "en"
            << "Market movers updated: SRC (2 gainers, 1 losers) | 1 local "
               "series adjusted, others provider daily";
        QTest::newRow("week, Portuguese")
            << "week"
            << "pt_BR"
            << "Oscilações atualizadas: SRC (2 altas, 1 baixas) | 1 séries locais "
               "ajustadas, demais no diário do provedor";
    }

    void loaderStatusAndRebasing()
    {
        QFETCH(QString, interval);
        QFETCH(QString, language);
        QFETCH(QString, status);
        MoversWindow f;
        f.window.settings.language = language;
        f.window.populateMoversIntervalCombo(interval);
        const qint64 t = 1700000000;
        // Two candles: re-based to +10 % whatever the source said; one candle: left alone.
        f.window.candlesBySymbol["AAA"] = {{t, 100, 100, 100, 100, 5}, {t + 60, 110, 110, 110, 110, 5}};
        f.window.candlesBySymbol["BBB"] = {{t, 1, 1, 1, 1, 1}};
        f.window.loadMarketMovers({mover("AAA", -3.0), mover("BBB", 2.0), mover("CCC", -1.0)}, "SRC");
        QCOMPARE(f.status(), status);
        const double aaa = f.window.moverSnapshots.value("AAA").changePct;
        QCOMPARE(aaa, interval == QLatin1String("day") ? -3.0 : 10.0);
        QCOMPARE(f.window.moverSourceLabels.value("AAA"), QStringLiteral("SRC"));
    }

    void loaderCutsFiftyAndFillsTheMosaic()
    {
        MoversWindow f;
        f.window.populateMoversIntervalCombo("day");
        QList<MoverEntry> list;
        for (int i = 1; i <= 60; ++i) {
            list.append(mover(QStringLiteral("G%1").arg(i), i * 0.5));
            list.append(mover(QStringLiteral("L%1").arg(i), -i * 0.25));
        }
        list.append(mover("NAN", std::numeric_limits<double>::quiet_NaN()));
        f.window.loadMarketMovers(list, "SRC");
        QCOMPARE(f.window.gainersTable->rowCount(), 50);
        QCOMPARE(f.window.losersTable->rowCount(), 50);
        const QList<MoverEntry> mosaic = f.window.moversMosaic->movers();
        QCOMPARE(mosaic.size(), 30);
        QCOMPARE(mosaic.first().symbol, QStringLiteral("G60"));
        for (qsizetype i = 1; i < mosaic.size(); ++i)
            QVERIFY(std::abs(mosaic.at(i - 1).changePct) >= std::abs(mosaic.at(i).changePct));
        QVERIFY(f.status().startsWith(QLatin1String("Market movers updated: SRC (50 gainers, 50 losers)")));
    }

    void snapshotsAccumulateOverScopes()
    {
        MoversWindow f;
        f.window.loadMarketMovers({mover("BTCUSDT", 1.0), mover("PETR4.SA", 2.0)}, "Crypto 24h");
        f.window.loadMarketMovers({mover("PETR4.SA", -4.0), mover("VALE3.SA", 1.0)}, "B3 delayed");
        QCOMPARE(f.window.moverSnapshots.keys(), (QStringList{"BTCUSDT", "PETR4.SA", "VALE3.SA"}));
        QCOMPARE(f.window.moverSnapshots.value("PETR4.SA").changePct, -4.0);
        QCOMPARE(f.window.moverSourceLabels.value("PETR4.SA"), QStringLiteral("B3 delayed"));
        QCOMPARE(f.window.moverSourceLabels.value("BTCUSDT"), QStringLiteral("Crypto 24h"));
    }

    void filtersAndSectors()
    {
        MoversWindow f;
        f.window.populateMoversIntervalCombo("day");
        f.window.sectorBySymbol["PETR4.SA"] = QStringLiteral("Energy");
        f.window.populateMoversSectorCombo("Energy");
        f.window.loadMarketMovers({mover("PETR4.SA", 2.0), mover("VALE3.SA", 3.0)}, "SRC");
        QCOMPARE(column(f.window.gainersTable, 0), QStringList{"PETR4.SA"});
        QCOMPARE(column(f.window.gainersTable, 5), QStringList{"Energy"});
        QCOMPARE(f.window.currentMoversSector(), QStringLiteral("Energy")); // kept across the sector refill

        f.window.populateMoversSectorCombo("all");
        f.window.moversMinVolumeSpin->blockSignals(true);
        f.window.moversMinVolumeSpin->setValue(5000);
        f.window.loadMarketMovers({mover("PETR4.SA", 2.0, 10, 6000), mover("VALE3.SA", 3.0, 10, 100)}, "SRC");
        QCOMPARE(column(f.window.gainersTable, 0), QStringList{"PETR4.SA"});
        QCOMPARE(cardValue(f.window.breadthCards.at(0)), QStringLiteral("1 / 0"));
    }

    void tableFormatsAndColours()
    {
        MoversWindow f;
        f.window.populateMoversIntervalCombo("day");
        f.window.gainersTable->sortItems(0, Qt::AscendingOrder);
        f.window.loadMarketMovers({mover("AAA", 1.0, 2500, 1000), mover("BBB", -3.456, 0.25, 2e6)}, "SRC");
        QCOMPARE(column(f.window.gainersTable, 1), QStringList{"2500.00"});
        QCOMPARE(column(f.window.losersTable, 1), QStringList{"0.2500"});
        QCOMPARE(column(f.window.losersTable, 2), QStringList{"-3.46%"});
        QCOMPARE(f.window.losersTable->item(0, 2)->foreground().color(), QColor("#f45d5d"));
        QCOMPARE(f.window.gainersTable->item(0, 2)->foreground().color(), QColor("#20c878"));
        QCOMPARE(column(f.window.losersTable, 3), QStringList{"2.00M"});
        QCOMPARE(column(f.window.losersTable, 4), QStringList{"500.00K"});
        QCOMPARE(column(f.window.losersTable, 5), QStringList{"Unclassified"});
        QVERIFY(f.window.gainersTable->item(0, 0)->font().bold());

        // A coin below a cent keeps four significant digits.
        f.window.loadMarketMovers({mover("SHIBUSDT", 4.0, 0.00001234, 1e9)}, "SRC");
        QCOMPARE(column(f.window.gainersTable, 1), QStringList{"0.00001234"});
    }

    // Until the user picks a sort, each table shows the loader's ranking: the largest move on top.
    void tablesShowTheRankingUntilTheUserSorts()
    {
        MoversWindow f;
        f.window.populateMoversIntervalCombo("day");
        f.window.loadMarketMovers({mover("AAA", 1.0), mover("BBB", 5.0), mover("CCC", 3.0),
                                   mover("DDD", -4.0), mover("EEE", -0.5), mover("FFF", -2.0)},
                                  "SRC");
        QCOMPARE(column(f.window.gainersTable, 0), (QStringList{"BBB", "CCC", "AAA"}));
        QCOMPARE(column(f.window.losersTable, 0), (QStringList{"DDD", "FFF", "EEE"}));
    }

    void aUserSortSurvivesTheNextLoad()
    {
        MoversWindow f;
        f.window.populateMoversIntervalCombo("day");
        f.window.gainersTable->sortItems(3, Qt::DescendingOrder); // by volume, largest first
        f.window.loadMarketMovers(
            {mover("AAA", 5.0, 10, 10), mover("BBB", 1.0, 10, 1e9), mover("CCC", 3.0, 10, 1e5)}, "SRC");
        QCOMPARE(column(f.window.gainersTable, 0), (QStringList{"BBB", "CCC", "AAA"}));
    }

    void breadthCardsAfterALoadAndALanguageChange()
    {
        MoversWindow f;
        f.window.populateMoversIntervalCombo("day");
        f.window.loadMarketMovers({mover("AAA", -1.0), mover("BBB", -2.0), mover("CCC", 4.0)}, "SRC");
        QCOMPARE(f.window.breadthCards.at(0)->text(), QStringLiteral("ADV / DEC\n1 / 2"));
        QVERIFY(f.window.breadthCards.at(0)->styleSheet().contains("#f45d5d"));
        QCOMPARE(cardValue(f.window.breadthCards.at(1)), QStringLiteral("-1.00%"));
        QCOMPARE(cardValue(f.window.breadthCards.at(2)), QStringLiteral("CCC 4.00%"));
        QCOMPARE(cardValue(f.window.breadthCards.at(3)), QStringLiteral("BBB -2.00%"));
        QCOMPARE(cardValue(f.window.breadthCards.at(4)), QStringLiteral("30.00K"));

        f.window.setLanguage("pt_BR");
        QCOMPARE(f.window.breadthCards.at(0)->text(), QStringLiteral("ALTAS / BAIXAS\n1 / 2")); // value kept
        QVERIFY(f.window.breadthCards.at(0)->styleSheet().contains("#20c878")); // neutral colour
        QCOMPARE(f.window.breadthCards.at(3)->text(), QStringLiteral("MAIOR BAIXA\nBBB -2.00%"));

        f.window.loadMarketMovers({}, "SRC");
        QCOMPARE(cardValue(f.window.breadthCards.at(0)), QStringLiteral("0 / 0"));
        QCOMPARE(cardValue(f.window.breadthCards.at(2)), QStringLiteral("--"));
        QCOMPARE(cardValue(f.window.breadthCards.at(4)), QStringLiteral("0.00"));
    }

    void watchlistMoversRebaseAndCoalesce()
    {
        MoversWindow f;
        f.window.populateMoversScopeCombo("watchlist");
        f.window.populateMoversIntervalCombo("day");
        f.window.updateQuoteRow("AAPL", 210.0, 1.5, "Yahoo", "1 ms", "ok");
        f.window.updateQuoteRow("NVDA", 120.0, -2.5, "Yahoo", "1 ms", "ok");
        f.moversMessages.clear();
        QTRY_VERIFY(f.loaded()); // queued from the quotes, loaded on the next turn
        QCOMPARE(column(f.window.gainersTable, 0), QStringList{"AAPL"});
        QCOMPARE(column(f.window.losersTable, 0), QStringList{"NVDA"});
        QVERIFY(f.status().startsWith(
            QLatin1String("Market movers updated: Watchlist Day (1 gainers, 1 losers)")));
    }

    // A quote-table entry's volume is its last candle's, which for a crypto pair counts coins: its
    // turnover is that volume at the price, in the tables and on the TURNOVER card alike.
    void watchlistTurnoverIsTheCandleVolumeAtItsPrice()
    {
        MoversWindow f;
        f.window.populateMoversScopeCombo("watchlist");
        f.window.populateMoversIntervalCombo("day");
        f.window.addWatchlistRow("SHIBUSDT", f.window.classifySymbol("SHIBUSDT"), "Binance", "pending",
                                 false);
        Candle shib;
        shib.time = 1700000000;
        shib.open = shib.high = shib.low = shib.close = 0.00002;
        shib.volume = 1245.55e9;
        Candle btc = shib;
        btc.open = btc.high = btc.low = btc.close = 60000.0;
        btc.volume = 677.0;
        Candle aapl = shib;
        aapl.open = aapl.high = aapl.low = aapl.close = 200.0;
        aapl.volume = 1500.0;
        f.window.candlesBySymbol.insert("SHIBUSDT", CandleList{shib});
        f.window.candlesBySymbol.insert("BTCUSDT", CandleList{btc});
        f.window.candlesBySymbol.insert("AAPL", CandleList{aapl});
        f.window.updateQuoteRow("SHIBUSDT", 0.00002, 5.0, "Binance", "1 ms", "ok");
        f.window.updateQuoteRow("BTCUSDT", 60000.0, 2.0, "Binance", "1 ms", "ok");
        f.window.updateQuoteRow("AAPL", 200.0, -1.0, "Yahoo", "1 ms", "ok");
        QTRY_VERIFY(f.status().contains(QLatin1String("(2 gainers, 1 losers)")));
        QCOMPARE(column(f.window.gainersTable, 0), (QStringList{"SHIBUSDT", "BTCUSDT"}));
        QCOMPARE(column(f.window.gainersTable, 3), (QStringList{"1245.55B", "677.00"})); // coins
        QCOMPARE(column(f.window.gainersTable, 4), (QStringList{"24.91M", "40.62M"}));
        QCOMPARE(column(f.window.losersTable, 4), QStringList{"300.00K"});
        QCOMPARE(cardValue(f.window.breadthCards.at(4)), QStringLiteral("65.83M"));
    }

    // A watchlist load queued by a quote belongs to the scope it was asked under: once the scope has
    // changed, whether by the user (a new load of its own) or by a refill of the combo (settings or a
    // workspace), the queued load must not put the watchlist back over the tables.
    void aQueuedWatchlistLoadYieldsToANewScope_data()
    {
        QTest::addColumn<bool>("byUser");
        QTest::newRow("user picks crypto") << true;
        QTest::newRow("combo refilled with crypto") << false;
    }

    void aQueuedWatchlistLoadYieldsToANewScope()
    {
        QFETCH(bool, byUser);
        MoversWindow f;
        f.server().setReply(QStringLiteral("/api/v3/ticker/24hr"),
                            FakeReply::json(binanceList({{"BTCUSDT", "4.5"}, {"ETHUSDT", "-2"}})));
        f.window.populateMoversScopeCombo("watchlist");
        f.window.updateQuoteRow("AAPL", 210.0, 1.5, "Yahoo", "1 ms", "ok");
        QTRY_VERIFY(f.loaded()); // the first load runs at once and starts the throttle's quiet gap
        QVERIFY(f.status().startsWith(QLatin1String("Market movers updated: Watchlist Hour")));
        f.window.updateQuoteRow("AAPL", 211.0, 1.6, "Yahoo", "1 ms", "ok");
        QVERIFY(f.window.watchlistMoversCall.isPending());

        f.moversMessages.clear();
        if (byUser) {
            f.window.moversScopeCombo->setCurrentIndex(f.window.moversScopeCombo->findData("crypto"));
            QTRY_VERIFY(f.loaded());
        } else {
            f.window.populateMoversScopeCombo("crypto");
        }
        QTRY_VERIFY(!f.window.watchlistMoversCall.isPending());
        for (const QString &message : std::as_const(f.moversMessages))
            QVERIFY2(message.startsWith(QLatin1String("Market movers updated: Crypto 24h")),
                     qPrintable(message));
        if (byUser)
            QCOMPARE(column(f.window.gainersTable, 0), QStringList{"BTCUSDT"});
        else
            QVERIFY(f.moversMessages.isEmpty()); // the refill loads nothing, and nor may the queued call
    }

    void doubleClickSelectsOrAdds()
    {
        MoversWindow f;
        f.window.populateMoversIntervalCombo("day");
        f.window.loadMarketMovers({mover("AAPL", 2.0), mover("TSLA", 3.0)}, "SRC");
        const int aaplRow = column(f.window.gainersTable, 0).indexOf("AAPL");
        f.window.onGainersDoubleClicked(aaplRow, 2);
        QCOMPARE(f.window.selectedSymbol(), QStringLiteral("AAPL"));
        QVERIFY(f.window.eventConsole->toPlainText().contains("Market mover selected: AAPL"));

        const int rows = f.window.quoteTable->rowCount();
        f.window.onGainersDoubleClicked(column(f.window.gainersTable, 0).indexOf("TSLA"), 0);
        QCOMPARE(f.window.quoteTable->rowCount(), rows + 1);
        QCOMPARE(f.window.selectedSymbol(), QStringLiteral("TSLA"));
        QVERIFY(f.window.symbolUniverse.contains("TSLA"));
        QVERIFY(f.window.eventConsole->toPlainText().contains("Market mover added to watchlist: TSLA"));
        QVERIFY(TempHome::readFile(f.window.watchlistWritePath()).contains("TSLA"));

        f.window.onMosaicTileActivated("tsla"); // normalised: already there, only selected
        QCOMPARE(f.window.quoteTable->rowCount(), rows + 1);
        f.window.onMosaicTileActivated("   ");
        QCOMPARE(f.window.quoteTable->rowCount(), rows + 1);
    }

    // Whatever slipped into a table or the mosaic, a symbol the watchlist refuses is not added by any of
    // the ways a mover reaches the watchlist.
    void aRefusedSymbolIsNotAdded_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::newRow("right-to-left override") << QString::fromUtf8("\u202eLPAA");
        QTest::newRow("87 with an override") << QString::fromUtf8("\u202e") + QString(86, 'M');
        QTest::newRow("65 characters") << QString(65, 'M');
    }

    void aRefusedSymbolIsNotAdded()
    {
        QFETCH(QString, symbol);
        MoversWindow f;
        const int rows = f.window.quoteTable->rowCount();
        const int universe = f.window.symbolUniverse.size();
        f.window.gainersTable->setRowCount(1);
        f.window.gainersTable->setItem(0, 0, new QTableWidgetItem(symbol));
        f.window.onGainersDoubleClicked(0, 0);
        f.window.onMosaicTileActivated(symbol);
        f.window.addMoverToWatchlist(symbol);
        QCOMPARE(f.window.quoteTable->rowCount(), rows);
        QCOMPARE(f.window.symbolUniverse.size(), universe);
        QCOMPARE(f.window.eventConsole->toPlainText().count(QStringLiteral("Symbol refused")), 3);
        QVERIFY(!f.window.eventConsole->toPlainText().contains(QStringLiteral("Market mover added")));
    }

    // A mover added to the watchlist joins the universe once: a search that later returns it does not
    // offer it a second time.
    void anAddedMoverJoinsTheUniverseOnce()
    {
        MoversWindow f;
        f.window.addMoverToWatchlist(QStringLiteral("newmover"));
        QCOMPARE(f.window.findSymbolRow(QStringLiteral("NEWMOVER")), f.window.quoteTable->rowCount() - 1);
        QCOMPARE(f.window.symbolUniverse.count(QStringLiteral("NEWMOVER")), 1);
        f.window.mergeIntoUniverse({QStringLiteral("NEWMOVER")});
        QCOMPARE(f.window.symbolUniverse.count(QStringLiteral("NEWMOVER")), 1);
        QCOMPARE(f.window.completerModel->stringList().count(QStringLiteral("NEWMOVER  (US)")), 1);
    }

    void moversMenu_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("added");
        QTest::addColumn<QString>("status");
        QTest::newRow("open chart") << "Open chart" << true << "";
        QTest::newRow("add or select") << "Add/select watchlist" << true << "Mover ready: TSLA";
        QTest::newRow("create alert") << "Create alert" << true << "";
        QTest::newRow("closed without a choice") << "" << false << "";
    }

    void moversMenu()
    {
        QFETCH(QString, entry);
        QFETCH(bool, added);
        QFETCH(QString, status);
        MoversWindow f;
        f.window.resize(1400, 900);
        f.window.show();
        f.window.mainTabs->setCurrentWidget(f.window.moversMosaic->parentWidget());
        f.window.populateMoversIntervalCombo("day");
        f.window.loadMarketMovers({mover("TSLA", 3.0)}, "SRC");
        QTableWidget *table = f.window.gainersTable;
        const QPoint pos(5, table->rowViewportPosition(0) + 2);
        whenMenuOpens([&](QMenu *menu) {
            QCOMPARE(menu->actions().size(), 3);
            // A load while the menu is open replaces the rows; the menu acts on the symbol it opened for.
            f.window.loadMarketMovers({mover("ZZZZ", 9.0)}, "SRC");
            if (entry.isEmpty())
                menu->close();
            else
                QVERIFY(choose(menu, entry));
        });
        f.moversMessages.clear();
        // "Create alert" opens its dialog for the mover's symbol; it is cancelled here.
        QString alertDialogTitle;
        NextWidget<QDialog> alertDialog([&](QDialog *dialog) {
            alertDialogTitle = dialog->windowTitle();
            dialog->reject();
        });
        f.window.showMoversMenu(table, pos);
        QCOMPARE(alertDialogTitle,
                 entry == QLatin1String("Create alert") ? QStringLiteral("Create alert - TSLA") : QString());
        QCOMPARE(f.window.findSymbolRow("TSLA") >= 0, added);
        QCOMPARE(f.window.findSymbolRow("ZZZZ"), -1);
        if (added)
            QCOMPARE(f.window.selectedSymbol(), QStringLiteral("TSLA"));
        if (!status.isEmpty())
            QCOMPARE(f.status(), status);
    }

    void rightClickBelowTheRowsShowsNoMenu()
    {
        MoversWindow f;
        f.window.loadMarketMovers({mover("TSLA", 3.0)}, "SRC");
        f.window.showMoversMenu(f.window.gainersTable, QPoint(5, 5000)); // would block if a menu opened
        f.window.showMoversMenu(nullptr, QPoint(5, 5));
        QCOMPARE(f.window.findSymbolRow("TSLA"), -1);
    }

    void spinBoxesApplyWhenEditingFinishes()
    {
        MoversWindow f;
        QVERIFY(!f.window.moversMinVolumeSpin->keyboardTracking());
        QVERIFY(!f.window.moversMinTurnoverSpin->keyboardTracking());
        QVERIFY(!f.window.screenerMinChangeSpin->keyboardTracking());
    }

    void aFilterChangeRefreshesOnceAndIsKeptAfterARestart()
    {
        TempHome home;
        LoopbackServices services;
        {
            MainWindow window;
            window.marketDataStarted = true;
            services.server().clearRequests();
            window.moversIntervalCombo->setCurrentIndex(window.moversIntervalCombo->findData("week"));
            QVERIFY(services.server().waitForRequests(1));
            QTest::qWait(100);
            QCOMPARE(services.server().requestsFor(QStringLiteral("/api/v3/ticker/24hr")).size(), 1);
            window.moversScopeCombo->setCurrentIndex(window.moversScopeCombo->findData("us"));
        }
        MainWindow restarted;
        restarted.marketDataStarted = true;
        QCOMPARE(restarted.currentMoversInterval(), QStringLiteral("week"));
        QCOMPARE(restarted.currentMoversScope(), QStringLiteral("us"));
    }
};

MVX_TEST_MAIN(TestMainWindowMovers)
#include "test_main_window_movers.moc"
