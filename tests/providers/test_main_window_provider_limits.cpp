#include "providers/reply_cache.h"
#include "tests/providers/quote_road_fixture.h"
#include "tests/support/test_main.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace {
qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

const QByteArray kCachedBody =
    "{\"Global Quote\":{\"02. open\":\"10\",\"03. high\":\"12\",\"04. low\":\"9\","
    "\"05. price\":\"11.5\",\"06. volume\":\"1000\",\"10. change percent\":\"-0.25%\"}}";

void age(const QString &path, int seconds)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(
        file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime));
}
} // namespace

class TestMainWindowProviderLimits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void perKeyGateSpacing()
    {
        QuoteRoad road;
        MainWindow &w = road.w();
        QVERIFY(w.allowProviderRequest("twelvedata"));
        const qint64 stamp = w.providerLastRequestMs.value("twelvedata");
        QVERIFY(stamp > 0);
        QVERIFY(!w.allowProviderRequest("twelvedata"));
        QCOMPARE(w.providerLastRequestMs.value("twelvedata"), stamp); // a refusal moves nothing
        // Counted per key: another key is not held back.
        QVERIFY(w.allowProviderRequest("fmp"));

        w.providerLastRequestMs.insert("twelvedata", now() - 14990);
        QVERIFY(!w.allowProviderRequest("twelvedata"));
        w.providerLastRequestMs.insert("twelvedata", now() - 15000);
        QVERIFY(w.allowProviderRequest("twelvedata"));
    }

    void cooldowns_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<qint64>("expectedMs");
        QTest::newRow("0: 60 s") << 0 << qint64(60000);
        QTest::newRow("negative: 60 s") << -1 << qint64(60000);
        QTest::newRow("30 s") << 30 << qint64(30000);
        QTest::newRow("largest") << std::numeric_limits<int>::max()
                                 << qint64(std::numeric_limits<int>::max()) * 1000;
    }

    void cooldowns()
    {
        QFETCH(int, seconds);
        QFETCH(qint64, expectedMs);
        QuoteRoad road;
        MainWindow &w = road.w();
        const qint64 before = now();
        w.setProviderCooldown("fmp", seconds);
        const qint64 until = w.providerCooldownUntilMs.value("fmp");
        QVERIFY(until >= before + expectedMs && until <= now() + expectedMs);
        QVERIFY(!w.allowProviderRequest("fmp"));
        QVERIFY(w.providerLastRequestMs.isEmpty());
        w.clearProviderCooldown("fmp");
        QVERIFY(!w.providerCooldownUntilMs.contains("fmp"));
        QVERIFY(w.allowProviderRequest("fmp"));
    }

    // Clearing a cooldown leaves the spacing in force.
    void clearKeepsTheSpacing()
    {
        QuoteRoad road;
        MainWindow &w = road.w();
        QVERIFY(w.allowProviderRequest("twelvedata"));
        w.setProviderCooldown("twelvedata", 30);
        w.clearProviderCooldown("twelvedata");
        QVERIFY(!w.allowProviderRequest("twelvedata"));
    }

    void cachePaths()
    {
        QuoteRoad road;
        MainWindow &w = road.w();
        const QString newPath = w.cacheDir() + QStringLiteral("/alpha_vantage/BRK.B.json");
        QCOMPARE(w.alphaVantageCacheWritePath("BRK.B"), newPath);
        QCOMPARE(w.alphaVantageCacheReadPath("BRK.B"), newPath);
        QCOMPARE(w.alphaVantageCacheWritePath("^GSPC"),
                 w.cacheDir() + QStringLiteral("/alpha_vantage/_GSPC.json"));

        // An older file beside the program is read while no new one exists.
        const QString legacy =
            road.home.writeFile(QStringLiteral("app/data/cache/alpha_vantage/BRK.B.json"), kCachedBody);
        QCOMPARE(w.alphaVantageCacheReadPath("BRK.B"), legacy);
        road.addRow("BRK.B");
        QVERIFY(w.readCachedReply("BRK.B"));
        QCOMPARE(road.cell("BRK.B", QuoteColumnLast), QStringLiteral("11.5000"));
        w.writeAlphaVantageCache("BRK.B", "{}");
        QCOMPARE(w.alphaVantageCacheReadPath("BRK.B"), newPath);
        QCOMPARE(TempHome::readFile(newPath), QByteArray("{}"));
    }

    void cachedReplyShownInTheRow()
    {
        QuoteRoad road;
        MainWindow &w = road.w();
        road.addRow("AAPL");
        w.writeAlphaVantageCache("AAPL", kCachedBody);
        QVERIFY(w.readCachedReply("AAPL"));
        QCOMPARE(road.source("AAPL"), QStringLiteral("Alpha Cache"));
        QCOMPARE(road.cell("AAPL", QuoteColumnLatency), QStringLiteral("cache"));
        QCOMPARE(road.status("AAPL"), QStringLiteral("cached/delayed"));
        QCOMPARE(road.cell("AAPL", QuoteColumnLast), QStringLiteral("11.5000"));
        QCOMPARE(road.cell("AAPL", QuoteColumnChange), QStringLiteral("-0.25%"));
        QCOMPARE(road.cell("AAPL", QuoteColumnHigh), QStringLiteral("12.0000"));
        const CandleList candles = w.candlesBySymbol.value("AAPL");
        QCOMPARE(candles.size(), 1);
        QCOMPARE(candles.first().close, 11.5);
        QCOMPARE(candles.first().volume, 1000.0);

        // In Portuguese the status has no translation: it reads the same.
        w.setLanguage("pt_BR");
        QVERIFY(w.readCachedReply("AAPL"));
        QCOMPARE(road.status("AAPL"), QStringLiteral("cached/delayed"));
    }

    void cachedReplyRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("ageSeconds"); // -1: no file
        QTest::newRow("no file") << kCachedBody << -1;
        QTest::newRow("stale") << kCachedBody << 901;
        QTest::newRow("in the future") << kCachedBody << -3600;
        QTest::newRow("price 0") << QByteArray("{\"Global Quote\":{\"05. price\":\"0\"}}") << 0;
        QTest::newRow("an error note") << QByteArray("{\"Note\":\"Thank you\"}") << 0;
    }

    void cachedReplyRefused()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, ageSeconds);
        QuoteRoad road;
        MainWindow &w = road.w();
        road.addRow("AAPL");
        if (ageSeconds != -1) {
            w.writeAlphaVantageCache("AAPL", body);
            age(w.alphaVantageCacheWritePath("AAPL"), ageSeconds);
        }
        QVERIFY(!w.readCachedReply("AAPL"));
        QCOMPARE(road.status("AAPL"), QStringLiteral("pending"));
        QVERIFY(!w.candlesBySymbol.contains("AAPL"));
    }

    void applyingABodyWithoutAPriceChangesNothing()
    {
        QuoteRoad road;
        road.addRow("AAPL");
        QVERIFY(!road.w().applyAlphaVantageQuote("AAPL", "{\"Global Quote\":{\"02. open\":\"3\"}}"));
        QVERIFY(!road.w().candlesBySymbol.contains("AAPL"));
        QCOMPARE(road.cell("AAPL", QuoteColumnOpen), QStringLiteral("--"));
        // A symbol without a row still gets its candles.
        QVERIFY(road.w().applyAlphaVantageQuote("MSFT", kCachedBody));
        QCOMPARE(road.w().candlesBySymbol.value("MSFT").size(), 1);
    }

    // A reply that echoes a configured key is stored without it; any other is stored as it came.
    void cacheNeverStoresAKey()
    {
        QuoteRoad road;
        MainWindow &w = road.w();
        w.setApiKey("alpha_vantage_api_key", "AVKEY1234567890X");
        w.writeAlphaVantageCache("AAPL", kCachedBody);
        QCOMPARE(TempHome::readFile(w.alphaVantageCacheWritePath("AAPL")), kCachedBody);
        const QByteArray echoing =
            "{\"Global Quote\":{\"05. price\":\"2\",\"note\":\"key AVKEY1234567890X\"}}";
        w.writeAlphaVantageCache("MSFT", echoing);
        const QByteArray stored = TempHome::readFile(w.alphaVantageCacheWritePath("MSFT"));
        QVERIFY(!stored.contains("AVKEY1234567890X"));
        QVERIFY(stored.contains("key ***"));
        QVERIFY(w.readCachedReply("MSFT"));
    }

    // A cache directory that cannot be made is not reported; the next read simply finds nothing.
    void unwritableCacheIsSilent()
    {
        QuoteRoad road;
        MainWindow &w = road.w();
        const QString dir = w.cacheDir() + QStringLiteral("/alpha_vantage");
        QDir(dir).removeRecursively();
        QFile blocker(dir);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString consoleBefore = road.console();
        w.writeAlphaVantageCache("AAPL", kCachedBody);
        QCOMPARE(road.console(), consoleBefore);
        QVERIFY(!w.readCachedReply("AAPL"));
    }
};

MVX_TEST_MAIN(TestMainWindowProviderLimits)
#include "test_main_window_provider_limits.moc"
