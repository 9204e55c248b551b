#include "providers/reply_cache.h"
#include "tests/support/test_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace {
QByteArray globalQuote(const QByteArray &fields)
{
    return "{\"Global Quote\":{" + fields + "}}";
}

void setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}
} // namespace

class TestReplyCache : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileNames_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "AAPL"
                               << "AAPL.json";
        QTest::newRow("dot kept") << "BRK.B"
                                  << "BRK.B.json";
        QTest::newRow("caret") << "^GSPC"
                               << "_GSPC.json";
        QTest::newRow("lower case replaced") << "aapl"
                                             << "____.json";
        QTest::newRow("path characters") << "../x/y"
                                         << "..____.json";
        QTest::newRow("forex") << "BRL=X"
                               << "BRL_X.json";
        QTest::newRow("non-ASCII") << QString::fromUtf8("ÄB") << "_B.json";
    }

    void fileNames()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, name);
        QCOMPARE(alphaVantageCacheFileName(symbol), name);
    }

    void writeThenReadFresh()
    {
        TempHome home;
        const QString path = home.path() + QStringLiteral("/cache/alpha_vantage/AAPL.json");
        const QByteArray body = globalQuote("\"05. price\":\"1.5\"");
        QVERIFY(writeReplyCacheFile(path, body)); // the missing directories are made
        QCOMPARE(readFreshReplyCacheFile(path, QDateTime::currentDateTime(), 900).value_or(QByteArray()),
                 body);

        // A second write replaces the whole file.
        QVERIFY(writeReplyCacheFile(path, "{}"));
        QCOMPARE(TempHome::readFile(path), QByteArray("{}"));
    }

    void freshness_data()
    {
        QTest::addColumn<int>("ageSeconds"); // negative: dated in the future
        QTest::addColumn<bool>("fresh");
        QTest::newRow("just written") << 0 << true;
        QTest::newRow("900 s old") << 900 << true;
        QTest::newRow("901 s old") << 901 << false;
        QTest::newRow("in the future") << -60 << false;
    }

    void freshness()
    {
        QFETCH(int, ageSeconds);
        QFETCH(bool, fresh);
        TempHome home;
        const QString path = home.writeFile(QStringLiteral("c/A.json"), "{}");
        const QDateTime now = QDateTime::currentDateTime();
        setModified(path, now.addSecs(-ageSeconds));
        QCOMPARE(readFreshReplyCacheFile(path, now, 900).has_value(), fresh);
    }

    void missingOrUnreadable()
    {
        TempHome home;
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(!readFreshReplyCacheFile(home.path() + QStringLiteral("/nothing.json"), now, 900));
        // A directory where the file should be is no cached reply.
        QDir(home.path()).mkpath(QStringLiteral("dir.json"));
        QVERIFY(!readFreshReplyCacheFile(home.path() + QStringLiteral("/dir.json"), now, 900));
    }

    void failedWriteKeepsTheEarlierFile()
    {
        TempHome home;
        const QString path = home.writeFile(QStringLiteral("c/A.json"), "earlier");
        QFile::setPermissions(home.path() + QStringLiteral("/c"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool written = writeReplyCacheFile(path, "later");
        QFile::setPermissions(home.path() + QStringLiteral("/c"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (written)
            QSKIP("the directory stayed writable (running as root?)");
        QCOMPARE(TempHome::readFile(path), QByteArray("earlier"));
        // No temporary file is left behind beside it.
        QCOMPARE(QDir(home.path() + QStringLiteral("/c")).entryList(QDir::Files), QStringList{"A.json"});
    }

    void writeWhereADirectoryCannotBeMade()
    {
        TempHome home;
        home.writeFile(QStringLiteral("blocker"), "a file, not a directory");
        QVERIFY(!writeReplyCacheFile(home.path() + QStringLiteral("/blocker/alpha_vantage/A.json"), "{}"));
    }

    void cachedQuote_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("change"); // NaN: not a number
        QTest::addColumn<double>("open");
        QTest::addColumn<double>("volume");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("complete") << globalQuote("\"02. open\":\"10\",\"03. high\":\"12\",\"04. low\":\"9\","
                                                 "\"05. price\":\"11.5\",\"06. volume\":\"1000\","
                                                 "\"10. change percent\":\"1.2345%\"")
                                  << true << 11.5 << 1.2345 << 10.0 << 1000.0;
        QTest::newRow("negative change")
            << globalQuote("\"05. price\":\"2\",\"10. change percent\":\"-0.5%\"") << true << 2.0 << -0.5
            << 0.0 << 0.0;
        QTest::newRow("change unreadable")
            << globalQuote("\"05. price\":\"2\",\"10. change percent\":\"n/a\"") << true << 2.0 << nan << 0.0
            << 0.0;
        QTest::newRow("change missing")
            << globalQuote("\"05. price\":\"2\"") << true << 2.0 << nan << 0.0 << 0.0;
        QTest::newRow("unreadable open reads 0")
            << globalQuote("\"02. open\":\"x\",\"05. price\":\"2\"") << true << 2.0 << nan << 0.0 << 0.0;
        QTest::newRow("price 0") << globalQuote("\"05. price\":\"0\"") << false << 0.0 << nan << 0.0 << 0.0;
        QTest::newRow("price missing")
            << globalQuote("\"02. open\":\"3\"") << false << 0.0 << nan << 0.0 << 0.0;
        QTest::newRow("price not finite")
            << globalQuote("\"05. price\":\"inf\"") << false << 0.0 << nan << 0.0 << 0.0;
        QTest::newRow("empty Global Quote") << globalQuote("") << false << 0.0 << nan << 0.0 << 0.0;
        QTest::newRow("not JSON") << QByteArray("garbage") << false << 0.0 << nan << 0.0 << 0.0;
    }

    void cachedQuote()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, usable);
        QFETCH(double, price);
        QFETCH(double, change);
        QFETCH(double, open);
        QFETCH(double, volume);

        const std::optional<CachedAlphaVantageQuote> quote = readAlphaVantageCachedQuote(body);
        QCOMPARE(quote.has_value(), usable);
        if (!usable)
            return;
        QCOMPARE(quote->price, price);
        QCOMPARE(std::isnan(quote->changePercent), std::isnan(change));
        if (!std::isnan(change))
            QCOMPARE(quote->changePercent, change);
        QCOMPARE(quote->open, open);
        QCOMPARE(quote->volume, volume);
    }

    void recordedGlobalQuote()
    {
        if (realDataDirectory().isEmpty())
            QSKIP("no recorded replies");
        const QByteArray body = TempHome::readFile(
            realDataDirectory() + QStringLiteral("/alphavantage/global_quote_MSFT_2018-10-05_fixture.json"));
        const std::optional<CachedAlphaVantageQuote> quote = readAlphaVantageCachedQuote(body);
        QVERIFY(quote);
        QCOMPARE(quote->price, 112.13);
        QCOMPARE(quote->changePercent, -0.5852);
        QCOMPARE(quote->open, 112.63);
        QCOMPARE(quote->volume, 29062853.0);
    }
};

MVX_TEST_MAIN(TestReplyCache)
#include "test_reply_cache.moc"
