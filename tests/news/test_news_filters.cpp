#include "news/news_filters.h"
#include "news/news_requests.h"
#include "tests/news/news_item_fixtures.h"
#include "tests/support/test_main.h"

class TestNewsFilters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // "today" is injected: 2025-12-10, so the day before is the 9th. Zone UTC-3.
    void dateFilter_data()
    {
        QTest::addColumn<QString>("publishedAt");
        QTest::addColumn<bool>("kept");
        QTest::newRow("today") << "2025-12-10 08:00:00" << true;
        QTest::newRow("yesterday") << "2025-12-09" << true;
        QTest::newRow("two days ago") << "2025-12-08 23:59:59" << false;
        QTest::newRow("tomorrow") << "2025-12-11" << false;
        QTest::newRow("three days ago") << "2025-12-07T12:00:00Z" << false;
        // 01:00 UTC on the 11th is still the 10th three hours behind.
        QTest::newRow("UTC tomorrow, local today") << "2025-12-11T01:00:00Z" << true;
        QTest::newRow("UTC yesterday morning, local two days ago") << "2025-12-09T02:00:00Z" << false;
        QTest::newRow("RFC 822 cannot be read and passes") << "Wed, 03 Dec 2025 14:00:00 +0000" << true;
        QTest::newRow("no date passes") << "" << true;
    }

    void dateFilter()
    {
        QFETCH(QString, publishedAt);
        QFETCH(bool, kept);
        const QList<NewsItem> result =
            filterNewsByDateAndKeyword({newsItem("X", "us", "https://example.com/a", "Reuters", publishedAt)},
                                       QString(), QDate(2025, 12, 10), QTimeZone(-3 * 3600));
        QCOMPARE(result.size(), kept ? 1 : 0);
    }

    void keywordFilter_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blank keeps all") << "   "
                                         << "PETR4 sobe|Apple earnings|Business wrap|Bitcoin";
        QTest::newRow("any case, trimmed") << " petr4 "
                                           << "PETR4 sobe";
        QTest::newRow("summary") << "iphone"
                                 << "Apple earnings";
        QTest::newRow("source") << "coindesk"
                                << "Bitcoin";
        QTest::newRow("link") << "valor.example"
                              << "PETR4 sobe";
        // "us" is also the region key and sits inside "business".
        QTest::newRow("region key and inside words") << "us"
                                                     << "Apple earnings|Business wrap";
        QTest::newRow("no match") << "nvidia"
                                  << "";
    }

    void keywordFilter()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, expected);
        const QList<NewsItem> items = {
            newsItem("PETR4 sobe", "br", "https://valor.example/1", "Valor"),
            newsItem("Apple earnings", "us", "https://cnbc.example/2", "CNBC", "", "iPhone sales"),
            newsItem("Business wrap", "crypto", "https://x.example/3", "Tape"),
            newsItem("Bitcoin", "crypto", "https://cd.example/4", "Coindesk"),
        };
        QCOMPARE(newsTitles(filterNewsByDateAndKeyword(items, keyword, QDate(2025, 12, 10), QTimeZone(0))),
                 expected);
    }

    void regionFilter_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("portuguese");
        QTest::addColumn<QString>("expected");
        QTest::newRow("English, all: no Brazilian items") << "all" << false << "U|C|A";
        QTest::newRow("English, br selected still hides them") << "br" << false << "";
        QTest::newRow("English, us") << "us" << false << "U";
        QTest::newRow("Portuguese, all") << "all" << true << "B|U|C|A";
        QTest::newRow("Portuguese, br") << "br" << true << "B";
        QTest::newRow("items stamped all pass only under all") << "crypto" << true << "C";
    }

    void regionFilter()
    {
        QFETCH(QString, key);
        QFETCH(bool, portuguese);
        QFETCH(QString, expected);
        const QList<NewsItem> items = {newsItem("B", "br"), newsItem("U", "us"), newsItem("C", "crypto"),
                                       newsItem("A", "all")};
        QCOMPARE(newsTitles(filterNewsByRegion(items, key, portuguese)), expected);
    }

    void formatNewsTime_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << ""
                               << "--";
        QTest::newRow("ISO Z seen in the zone") << "2025-12-09T13:45:30Z"
                                                << "2025-12-09 10:45";
        QTest::newRow("ISO fractions") << "2023-10-12T15:37:18.5821493Z"
                                       << "2023-10-12 12:37";
        QTest::newRow("offset without colon") << "2025-12-09T13:45:00+0100"
                                              << "2025-12-09 09:45";
        QTest::newRow("date only, no shift") << "2025-12-09"
                                             << "2025-12-09 00:00";
        QTest::newRow("wall clock kept") << "2025-12-09 13:45:00"
                                         << "2025-12-09 13:45";
        QTest::newRow("RFC 822 unchanged") << "Tue, 09 Dec 2025 14:00:00 +0000"
                                           << "Tue, 09 Dec 2025 14:00:00 +0000";
        QTest::newRow("g-form number unchanged") << "2.02512e+07"
                                                 << "2.02512e+07";
    }

    void formatNewsTime()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(::formatNewsTime(text, QTimeZone(-3 * 3600)), shown);
    }

    // Whatever a feed writes, the tooltip shows those characters and nothing else: no markup rendered,
    // no image named in it loaded.
    void headlineToolTip_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("shown");
        QTest::newRow("title alone") << "Apple earnings"
                                     << ""
                                     << "Apple earnings";
        QTest::newRow("title and summary") << "Apple"
                                           << "Beats"
                                           << "Apple\n\nBeats";
        QTest::newRow("markup in the title") << "<b>Big</b> <img src=\"https://t.example/p.png\">"
                                             << ""
                                             << "<b>Big</b> <img src=\"https://t.example/p.png\">";
        QTest::newRow("markup in the summary") << "Title"
                                               << "<a href='file:///etc/passwd'>x</a>\nline"
                                               << "Title\n\n<a href='file:///etc/passwd'>x</a>\nline";
        QTest::newRow("ampersands") << "AT&T & Verizon"
                                    << ""
                                    << "AT&T & Verizon";
    }

    void headlineToolTip()
    {
        QFETCH(QString, title);
        QFETCH(QString, summary);
        QFETCH(QString, shown);
        const QString toolTip = newsHeadlineToolTip(title, summary);
        QCOMPARE(shownToolTip(toolTip), shown);
    }

    void openableNewsUrl_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("opened"); // empty: nothing opens
        QTest::newRow("https") << "https://finance.yahoo.com/news/a.html?.tsrc=rss"
                               << "https://finance.yahoo.com/news/a.html?.tsrc=rss";
        QTest::newRow("http, upper-case scheme, blanks") << "  HTTP://example.com/x "
                                                         << "http://example.com/x";
        QTest::newRow("file") << "file:///etc/passwd"
                              << "";
        QTest::newRow("javascript") << "javascript:alert(1)"
                                    << "";
        QTest::newRow("custom scheme") << "ms-settings:privacy"
                                       << "";
        QTest::newRow("no host") << "https:///path"
                                 << "";
        QTest::newRow("relative") << "/news/a.html"
                                  << "";
        QTest::newRow("not a URL") << "--"
                                   << "";
    }

    void openableNewsUrl()
    {
        QFETCH(QString, link);
        QFETCH(QString, opened);
        QCOMPARE(::openableNewsUrl(link).toString(), opened);
    }

    void toYahooCryptoSymbol_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("mapped");
        QTest::newRow("pair") << "BTCUSDT"
                              << "BTC-USD";
        QTest::newRow("short pair") << "XUSDT"
                                    << "X-USD";
        QTest::newRow("USDT alone") << "USDT"
                                    << "USDT";
        QTest::newRow("lower case kept") << "btcusdt"
                                         << "btcusdt";
        QTest::newRow("B3") << "PETR4.SA"
                            << "PETR4.SA";
        QTest::newRow("forex") << "BRL=X"
                               << "BRL=X";
    }

    void toYahooCryptoSymbol()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, mapped);
        QCOMPARE(::toYahooCryptoSymbol(symbol), mapped);
    }

    void siteNewsEndpoint_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("endpoint"); // empty: unusable
        const QString fallback = QStringLiteral("https://news.example/TERMINAL/NEWS.json");
        QTest::newRow("default") << "  " << fallback;
        QTest::newRow("configured https") << " https://mine.example/feed?x=1 "
                                          << "https://mine.example/feed?x=1";
        QTest::newRow("http") << "http://127.0.0.1:8080/n"
                              << "http://127.0.0.1:8080/n";
        QTest::newRow("no scheme") << "mine.example/feed"
                                   << "";
        QTest::newRow("file") << "file:///home/u/news.json"
                              << "";
        QTest::newRow("ftp") << "ftp://mine.example/news.json"
                             << "";
        QTest::newRow("no host") << "https:///news.json"
                                 << "";
    }

    void siteNewsEndpoint()
    {
        QFETCH(QString, configured);
        QFETCH(QString, endpoint);
        const std::optional<QUrl> url =
            ::siteNewsEndpoint(configured, QStringLiteral("https://news.example/TERMINAL/NEWS.json"));
        QCOMPARE(url ? url->toString() : QString(), endpoint);
    }

    // The site request keeps the endpoint's own query and encodes every value, so a keyword can never
    // add an item or change another.
    void siteNewsRequest_data()
    {
        QTest::addColumn<QString>("endpoint");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<bool>("portuguese");
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QByteArray>("authorization");
        QTest::newRow("plain") << "https://n.example/NEWS.json"
                               << "" << false << ""
                               << "https://n.example/NEWS.json?category=us&q=&limit=80&lang=en"
                               << QByteArray();
        QTest::newRow("existing query, Portuguese, token")
            << "https://n.example/feed?site=b3"
            << "petr4" << true << " tok-123 "
            << "https://n.example/feed?site=b3&category=us&q=petr4&limit=80&lang=pt"
            << QByteArray("Bearer tok-123");
        QTest::newRow("keyword breakers")
            << "https://n.example/f"
            << "a&lang=xx #b+c" << false << ""
            << "https://n.example/f?category=us&q=a%26lang%3Dxx%20%23b%2Bc&limit=80&lang=en" << QByteArray();
        QTest::newRow("token with a line break is not sent")
            << "https://n.example/f"
            << "" << false << "a\r\nX-Evil: 1"
            << "https://n.example/f?category=us&q=&limit=80&lang=en" << QByteArray();
    }

    void siteNewsRequest()
    {
        QFETCH(QString, endpoint);
        QFETCH(QString, keyword);
        QFETCH(bool, portuguese);
        QFETCH(QString, token);
        QFETCH(QString, url);
        QFETCH(QByteArray, authorization);
        SiteNewsQuery query;
        query.region = QStringLiteral("us");
        query.keyword = keyword;
        query.portuguese = portuguese;
        query.token = token;
        const QNetworkRequest request = ::siteNewsRequest(QUrl(endpoint), query);
        QCOMPARE(request.url().toString(QUrl::FullyEncoded), url);
        QCOMPARE(request.rawHeader("Authorization"), authorization);
        QCOMPARE(request.header(QNetworkRequest::UserAgentHeader).toByteArray(),
                 QByteArray("MURVEX_TERMINAL/0.1 Qt"));
    }

    void otherRequests()
    {
        const QNetworkRequest newsApi = newsApiRequest(QStringLiteral("https://api.example"),
                                                       QStringLiteral("BRK.B&x"), QStringLiteral(" key+1 "));
        QCOMPARE(newsApi.url().toString(QUrl::FullyEncoded),
                 QStringLiteral("https://api.example/v2/everything?q=BRK.B%26x&language=en&sortBy=publishedAt"
                                "&pageSize=50&apiKey=key%2B1"));
        QCOMPARE(newsApi.rawHeader("Authorization"), QByteArray());
        const QNetworkRequest rss =
            publicRssRequest(QStringLiteral("https://feeds.example"), QStringLiteral("BTCUSDT"));
        QCOMPARE(rss.url().toString(QUrl::FullyEncoded),
                 QStringLiteral("https://feeds.example/rss/2.0/headline?s=BTC-USD&region=US&lang=en-US"));
        for (const QNetworkRequest &request : {newsApi, rss})
            QCOMPARE(request.header(QNetworkRequest::UserAgentHeader).toByteArray(),
                     QByteArray("MURVEX_TERMINAL/0.1 Qt"));
    }
};

MVX_TEST_MAIN(TestNewsFilters)
#include "test_news_filters.moc"
