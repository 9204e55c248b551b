#include "settings/json_file.h"
#include "shell/main_window.h"
#include "tests/support/cut_columns.h"
#include "tests/support/loopback_services.h"
#include "tests/support/test_main.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {
int rowOf(const MainWindow &window, const QString &key)
{
    const QList<ProviderCoverageRow> rows = window.providerCoverageTable();
    for (int i = 0; i < rows.size(); ++i) {
        if (window.coverageRowKey(rows.at(i)) == key)
            return i;
    }
    return -1;
}

QTableWidget *healthTable(MainWindow &window)
{
    auto *table = new QTableWidget(26, 13, &window);
    return table;
}

// Runs `check` on the open data-source dialog from inside its own event loop, then closes it.
void withDialog(MainWindow &window, const std::function<void(QDialog *, QTableWidget *)> &check)
{
    QTimer::singleShot(0, &window, [check]() {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        check(dialog, dialog->findChild<QTableWidget *>(QStringLiteral("apiHealthTable")));
        dialog->reject();
    });
    window.showApiHealthDialog();
}
} // namespace

class TestMainWindowHealth : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutKeysSixProbesGoOut()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setDefaultReply(FakeReply::json("{}", 404));
        MainWindow window;
        QTRY_VERIFY(window.marketDataStarted);
        QTest::qWait(200);
        services.server().clearRequests();
        window.runApiHealthChecks(nullptr);
        QVERIFY(services.server().waitForRequests(6));
        QTest::qWait(200);
        QStringList targets;
        for (const RecordedRequest &request : services.server().requests()) {
            targets << QString::fromLatin1(request.method) + " " + request.rawTarget;
            QCOMPARE(request.header("User-Agent"), QByteArray("MurvexTerminal/1.0"));
        }
        targets.sort();
        QCOMPARE(targets, (QStringList{"GET /TERMINAL/NEWS.json", "GET /api/quote/PETR4",
                                       "GET /api/v3/ticker/price?symbol=BTCUSDT",
                                       "GET /v8/finance/chart/AAPL?range=1d&interval=1d",
                                       "GET /v8/finance/chart/BRL=X?range=1d&interval=1d",
                                       "GET /v8/finance/chart/PETR4.SA?range=1d&interval=1d"}));
        QCOMPARE(window.providerHealth.value("US/America|Finnhub").status, QStringLiteral("skipped: no key"));
        QCOMPARE(window.providerHealth.value("Crypto|Twelve Data").status, QStringLiteral("not implemented"));
        QCOMPARE(window.providerHealth.value("B3|Twelve Data").status, QStringLiteral("not implemented"));
        QCOMPARE(window.providerHealth.value("News|Yahoo Finance RSS").status,
                 QStringLiteral("not implemented"));
        QCOMPARE(window.providerHealth.value("US/America|Finnhub").attempts, 0);
        QTRY_COMPARE(window.providerHealth.value("B3|BrAPI").status, QStringLiteral("error"));
        QCOMPARE(window.providerHealth.value("B3|BrAPI").failures, 1);
        QVERIFY(window.eventConsole->toPlainText().contains("API health verification started"));
    }

    void repliesSetTheirState_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("retryAfter");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("error");
        QTest::newRow("ok") << 200 << QByteArray()
                            << QByteArray("{\"price\":\"65000.1\",\"symbol\":\"BTCUSDT\"}") << "ok"
                            << "";
        QTest::newRow("429 retry 30") << 429 << QByteArray("30") << QByteArray("{}") << "rate limited"
                                      << "HTTP 429 rate limit; retry in 30s";
        QTest::newRow("500") << 500 << QByteArray() << QByteArray("oops") << "error"
                             << "HTTP 500";
    }

    void repliesSetTheirState()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, retryAfter);
        QFETCH(QByteArray, body);
        QFETCH(QString, state);
        QFETCH(QString, error);
        TempHome home;
        LoopbackServices services;
        FakeReply reply = FakeReply::json(body, status);
        if (!retryAfter.isEmpty())
            reply.headers.append({"Retry-After", retryAfter});
        services.server().setReply(QStringLiteral("/api/v3/ticker/price"), reply);
        MainWindow window;
        window.runApiHealthChecks(nullptr);
        const QString key = QStringLiteral("Crypto|Binance Public");
        QCOMPARE(window.providerHealth.value(key).status, QStringLiteral("testing"));
        QTRY_VERIFY(window.providerHealth.value(key).status != QLatin1String("testing"));
        const ProviderHealth health = window.providerHealth.value(key);
        QCOMPARE(health.status, state);
        QCOMPARE(health.lastError, error);
        QVERIFY(health.latencyMs >= 0);
        QCOMPARE(health.lastSuccess.isEmpty(), state != QLatin1String("ok"));
        // Every reply saves.
        const QJsonObject stored = readJsonObjectFile(window.localSettingsWritePath())
                                       .object.value("api_health")
                                       .toObject()
                                       .value(key)
                                       .toObject();
        QCOMPARE(stored.value("state").toString(), state);
    }

    void aHangingProbeEndsAtTheTransferLimit()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setReply(QStringLiteral("/api/v3/ticker/price"), FakeReply::hanging());
        MainWindow window;
        window.healthTransferLimitMs = 300;
        window.runApiHealthChecks(nullptr);
        const QString key = QStringLiteral("Crypto|Binance Public");
        QTRY_COMPARE_WITH_TIMEOUT(window.providerHealth.value(key).status, QStringLiteral("error"), 5000);
        QVERIFY(window.providerHealth.value(key).latencyMs >= 250);
        QVERIFY(!window.providerHealth.value(key).lastError.isEmpty());
    }

    void keysNeverReachTheRecords()
    {
        TempHome home;
        LoopbackServices services;
        const QString secret = QStringLiteral("SEKRETfinnhub123");
        // The provider echoes the key, and the reply is refused at once (its error string names the URL).
        services.server().setReply(QStringLiteral("/api/v1/quote"),
                                   FakeReply::json("{\"error\":\"Invalid API key " + secret.toUtf8() +
                                                       " for https://x/?token=" + secret.toUtf8() + "\"}",
                                                   401));
        services.server().setReply(QStringLiteral("/query"), FakeReply{0, {}, {}, 0, false, true});
        MainWindow window;
        window.setApiKey(QStringLiteral("finnhub_api_key"), secret);
        window.setApiKey(QStringLiteral("alpha_vantage_api_key"), secret);
        window.runApiHealthChecks(nullptr);
        QTRY_COMPARE(window.providerHealth.value("US/America|Finnhub").status, QStringLiteral("error"));
        QTRY_COMPARE(window.providerHealth.value("US/America|Alpha Vantage").status, QStringLiteral("error"));
        QVERIFY(!window.providerHealth.value("US/America|Finnhub").lastError.contains(secret));
        QCOMPARE(window.providerHealth.value("US/America|Alpha Vantage").lastError, QStringLiteral("HTTP 0"));
        QVERIFY(!QFile(window.localSettingsWritePath()).open(QIODevice::ReadOnly) ||
                !TempHome::readFile(window.localSettingsWritePath()).contains(secret.toUtf8()));
        QVERIFY(!window.eventConsole->toPlainText().contains(secret));
        withDialog(window, [&secret](QDialog *, QTableWidget *table) {
            for (int row = 0; row < table->rowCount(); ++row)
                for (int column = 0; column < table->columnCount(); ++column)
                    QVERIFY(!table->item(row, column)->text().contains(secret));
        });
    }

    void recordsSurviveARestartAndClosingWithProbesPending()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setReply(QStringLiteral("/api/v3/ticker/price"),
                                   FakeReply{200, {}, "{\"price\":\"1\",\"symbol\":\"BTCUSDT\"}", 300});
        {
            MainWindow window;
            withDialog(window, [&window](QDialog *dialog, QTableWidget *) {
                dialog->findChild<QPushButton *>(QStringLiteral("runHealthChecksButton"))->click();
                QCOMPARE(window.providerHealth.value("Crypto|Binance Public").status,
                         QStringLiteral("testing"));
            });
            // The dialog is gone; the reply still updates and saves the record.
            QTRY_COMPARE(window.providerHealth.value("Crypto|Binance Public").status, QStringLiteral("ok"));
        }
        MainWindow window;
        const ProviderHealth health = window.providerHealth.value("Crypto|Binance Public");
        QCOMPARE(health.status, QStringLiteral("ok"));
        QCOMPARE(health.attempts, 1);
        QCOMPARE(health.successes, 1);
    }

    void theDialog_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("en") << "en"
                            << QStringList{"Asset",
                                           "Rank",
                                           "Provider",
                                           "Key",
                                           "Cascade",
                                           "Coverage",
                                           "Book/Depth",
                                           "Fallback",
                                           "Health",
                                           "Latency",
                                           "Last Success",
                                           "Last Error",
                                           "Attempts / OK / Fail"};
        QTest::newRow("pt_BR") << "pt_BR"
                               << QStringList{"Ativo",
                                              "Rank",
                                              "Provider",
                                              "Chave",
                                              "Cascade",
                                              "Cobertura",
                                              "Book/Depth",
                                              "Fallback",
                                              QString::fromUtf8("Saúde"),
                                              QString::fromUtf8("Latência"),
                                              QString::fromUtf8("Último sucesso"),
                                              QString::fromUtf8("Último erro"),
                                              "Tentativas / OK / Falhas"};
    }

    void theDialog()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, headers);
        TempHome home;
        LoopbackServices services;
        services.server().setDefaultReply(FakeReply::json("{}", 500));
        MainWindow window;
        window.setLanguage(language);
        window.setApiKey(QStringLiteral("finnhub_api_key"), QStringLiteral("VALUE123"));
        withDialog(window, [&](QDialog *dialog, QTableWidget *table) {
            QVERIFY(table);
            QCOMPARE(table->rowCount(), 26);
            QStringList actual;
            for (int column = 0; column < table->columnCount(); ++column)
                actual << table->horizontalHeaderItem(column)->text();
            QCOMPARE(actual, headers);
            const int finnhub = rowOf(window, QStringLiteral("US/America|Finnhub"));
            QCOMPARE(table->item(finnhub, 3)->text(), QStringLiteral("finnhub_api_key"));
            QCOMPARE(table->item(finnhub, 4)->text(), QStringLiteral("enabled"));
            QCOMPARE(table->item(0, 3)->text(), QStringLiteral("-"));
            for (int row = 0; row < 26; ++row) {
                QCOMPARE(table->item(row, 8)->text(), QStringLiteral("not tested"));
                QCOMPARE(table->item(row, 8)->foreground().color().name(), QStringLiteral("#f45d5d"));
                QCOMPARE(table->item(row, 9)->text(), QStringLiteral("--"));
                QCOMPARE(table->item(row, 10)->text(), QStringLiteral("--"));
                QCOMPARE(table->item(row, 11)->text(), QStringLiteral("--"));
                QCOMPARE(table->item(row, 12)->text(), QStringLiteral("0 / 0 / 0"));
            }
            auto *run = dialog->findChild<QPushButton *>(QStringLiteral("runHealthChecksButton"));
            run->click();
            run->click();
            const int binance = rowOf(window, QStringLiteral("Crypto|Binance Public"));
            QTRY_COMPARE(table->item(binance, 12)->text(), QStringLiteral("2 / 0 / 2"));
            QTRY_COMPARE(table->item(finnhub, 12)->text(), QStringLiteral("2 / 0 / 2"));
            window.eventConsole->clear();
            dialog->findChild<QPushButton *>(QStringLiteral("logCascadeButton"))->click();
            QVERIFY(dialog->isVisible());
            QVERIFY(window.eventConsole->toPlainText().contains(QStringLiteral("Finnhub [enabled]")));
        });
    }

    void checkResultsShowWhole_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("en") << "en";
        QTest::newRow("pt_BR") << "pt_BR";
    }

    // The table is sized to "not tested" when it opens; "skipped: no key" and the error texts a run
    // writes afterwards still show whole.
    void checkResultsShowWhole()
    {
        QFETCH(QString, language);
        TempHome home;
        LoopbackServices services;
        services.server().setDefaultReply(FakeReply::json("{}", 500));
        MainWindow window;
        window.setLanguage(language);
        withDialog(window, [&](QDialog *dialog, QTableWidget *table) {
            QVERIFY(table);
            dialog->findChild<QPushButton *>(QStringLiteral("runHealthChecksButton"))->click();
            const int binance = rowOf(window, QStringLiteral("Crypto|Binance Public"));
            QTRY_COMPARE(table->item(binance, 12)->text(), QStringLiteral("1 / 0 / 1"));
            QTRY_VERIFY2(cutValues(table, "health").isEmpty(),
                         qPrintable(cutValues(table, "health").join("; ")));
        });
    }

    void summaryLines_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("usLine");
        QTest::newRow("no keys") << ""
                                 << ""
                                 << "API cascade US/America: Yahoo Public [public fallback]";
        QTest::newRow("finnhub")
            << "finnhub_api_key"
            << "k"
            << "API cascade US/America: Finnhub [enabled] -> Yahoo Public [public fallback]";
        QTest::newRow("blank finnhub") << "finnhub_api_key"
                                       << "   "
                                       << "API cascade US/America: Yahoo Public [public fallback]";
        QTest::newRow("twelve data")
            << "twelvedata_api_key"
            << "k"
            << "API cascade US/America: Twelve Data [enabled] -> Yahoo Public [public "
               "fallback]";
    }

    void summaryLines()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, usLine);
        TempHome home;
        MainWindow window;
        if (!key.isEmpty())
            window.setApiKey(key, value);
        window.eventConsole->clear();
        window.logDataSourceSummary();
        QStringList lines;
        for (const QString &line : window.eventConsole->toPlainText().split('\n'))
            lines << line.mid(line.indexOf("] ") + 2);
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines.at(1), usLine);
        QVERIFY(lines.at(0).startsWith("API cascade Crypto: Binance Public [public fallback]"));
        QCOMPARE(lines.at(5),
                 QStringLiteral("Book/depth rule: show depth only with >5 valid bid levels and >5 "
                                "valid ask levels; otherwise show quote/stat fallback."));
    }
};

MVX_TEST_MAIN(TestMainWindowHealth)
#include "test_main_window_health.moc"
