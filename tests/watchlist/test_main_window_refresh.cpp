#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/quote_request_log.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QLineEdit>
#include <QTableWidget>

// Which rows ask for a quote, and when, read from the quote walks each symbol starts; the fake services
// keep anything that does go out on this machine.
class TestMainWindowRefresh : public QObject
{
    Q_OBJECT

    using Counts = QHash<QString, int>;

private Q_SLOTS:
    void selectingARowAsksForItsQuoteUnlessCrypto_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<int>("requests");
        QTest::newRow("us equity") << "AAPL" << 1;
        QTest::newRow("b3 equity") << "VALE3.SA" << 1;
        QTest::newRow("forex") << "BRL=X" << 1;
        QTest::newRow("crypto") << "BTCUSDT" << 0;
    }

    void selectingARowAsksForItsQuoteUnlessCrypto()
    {
        QFETCH(QString, symbol);
        QFETCH(int, requests);
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QuoteRequestLog asked(window);
        window.quoteTable->selectRow(window.findSymbolRow(symbol));
        QCOMPARE(window.selectedSymbol(), symbol);
        QCOMPARE(asked.counts(), (requests ? Counts{{symbol, requests}} : Counts{}));

        window.quoteTable->setCurrentItem(nullptr); // no row any more: only the chart and book follow
        window.quoteTable->clearSelection();
        QCOMPARE(window.selectedSymbol(), QString());
        QCOMPARE(asked.counts(), (requests ? Counts{{symbol, requests}} : Counts{}));
    }

    void thePollAsksForTheNonCryptoRowsOnly()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QuoteRequestLog asked(window);
        window.refreshHttpQuotes();
        QCOMPARE(asked.counts(),
                 (Counts{{"PETR4.SA", 1}, {"VALE3.SA", 1}, {"AAPL", 1}, {"NVDA", 1}, {"BRL=X", 1}}));

        // A watchlist of crypto rows only sends nothing at all.
        for (const char *symbol : {"PETR4.SA", "VALE3.SA", "AAPL", "NVDA", "BRL=X"}) {
            window.quoteTable->selectRow(window.findSymbolRow(QString::fromLatin1(symbol)));
            window.removeSelectedSymbol();
        }
        asked.restart();
        window.refreshHttpQuotes();
        QVERIFY(asked.counts().isEmpty());
    }

    void theRunningPollTimerDrivesThePoll()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QTRY_VERIFY(window.marketDataStarted);
        QVERIFY(window.quotePollTimer.isActive());
        QCOMPARE(window.quotePollTimer.interval(), 15000);
        QVERIFY(!window.quotePollTimer.isSingleShot());
        // Fifteen seconds are too long to wait for here: the same timer, sooner.
        QuoteRequestLog asked(window);
        window.quotePollTimer.start(20);
        QTRY_VERIFY(asked.count(QStringLiteral("AAPL")) >= 2);
        // Nothing here speaks WebSocket, so the ticker stream is down and the poll keeps the crypto rows
        // fresh by HTTP as well.
        QTRY_VERIFY(asked.count(QStringLiteral("BTCUSDT")) >= 2);
        QTRY_VERIFY(asked.count(QStringLiteral("ETHUSDT")) >= 2);
        // A beat leaves a walk that is still running alone, so a slow B3 walk is asked again only
        // once it has ended.
        QTRY_VERIFY(asked.count(QStringLiteral("PETR4.SA")) >= 2);
    }

    void aFullRefreshAsksForTheRowsAndTheUsdBrlRate()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QuoteRequestLog asked(window);
        window.refreshAllQuotes();
        // BRL=X is asked for twice: as a row and for the ticker. The ticker stream is down, so the
        // crypto rows are fetched over HTTP too.
        QCOMPARE(asked.counts(), (Counts{{"PETR4.SA", 1},
                                         {"VALE3.SA", 1},
                                         {"AAPL", 1},
                                         {"NVDA", 1},
                                         {"BRL=X", 2},
                                         {"BTCUSDT", 1},
                                         {"ETHUSDT", 1}}));
    }

    void anAddedSymbolIsFetchedAtOnce()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QuoteRequestLog asked(window);
        window.symbolInput->setText(QStringLiteral("msft"));
        window.addSymbolFromInput();
        // Once for the selection of the new row, once as the added symbol.
        QCOMPARE(asked.counts(), (Counts{{"MSFT", 2}}));

        asked.restart();
        window.symbolInput->setText(QStringLiteral("solusdt"));
        window.addSymbolFromInput();
        QCOMPARE(window.findSymbolRow(QStringLiteral("SOLUSDT")), 8);
        // Selecting a crypto row asks for nothing; the added pair is fetched once over HTTP while the
        // ticker stream is down.
        QCOMPARE(asked.counts(), (Counts{{"SOLUSDT", 1}}));
    }

    void typingSearchesOnceAfterAPause()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.symbolSearchTimer.interval(), 350);
        QVERIFY(window.symbolSearchTimer.isSingleShot());
        QTest::keyClicks(window.symbolInput, QStringLiteral(" ab"));
        QCOMPARE(window.symbolSearchText, QStringLiteral("ab"));
        QVERIFY(window.symbolSearchTimer.isActive());
        window.symbolInput->setText(QStringLiteral("program text")); // not an edit by the user
        QCOMPARE(window.symbolSearchText, QStringLiteral("ab"));
    }
};

MVX_TEST_MAIN(TestMainWindowRefresh)
#include "test_main_window_refresh.moc"
