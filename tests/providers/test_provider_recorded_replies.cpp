#include "providers/fetchers.h"
#include "providers/reply_check.h"
#include "tests/support/test_main.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>

#include <cmath>
#include <memory>

namespace {

constexpr double kUnchecked = std::numeric_limits<double>::quiet_NaN();

// One recorded reply and what the check and the fetcher must make of it.
struct RealReply
{
    const char *name;
    QString file;    // below the real-data folder
    QString key;     // provider key handed to the reply check
    int status;      // the HTTP status the reply came with
    QString fetcher; // "name[:interval:range]"
    bool checkOk;
    bool rateLimited;
    QString message; // the check's reason; empty when ok
    double price;    // 0: the fetcher gives no quote
    double changePercent = kUnchecked;
    double prevClose = kUnchecked;
    QList<double> dayRange = {}; // open, high, low, volume; empty: not checked
    int candles = -1;            // -1: not checked
    bool wrapInResults = false;  // a brapi results[] item stored without its envelope
};

const QString kInvalid = QStringLiteral("Invalid or limited payload");

double change(double price, double previous)
{
    return (price - previous) / previous * 100.0;
}

std::shared_ptr<DataFetcher> makeFetcher(const QString &recipe)
{
    const QStringList parts = recipe.split(QLatin1Char(':'));
    const QString name = parts.first();
    if (name == QLatin1String("binance"))
        return std::make_shared<BinanceFetcher>();
    if (name == QLatin1String("brapi"))
        return std::make_shared<BrAPIFetcher>(QString(), QStringLiteral("1d"), QStringLiteral("1mo"));
    if (name == QLatin1String("alpha"))
        return std::make_shared<AlphaVantageFetcher>(QStringLiteral("demo"));
    if (name == QLatin1String("finnhub"))
        return std::make_shared<FinnhubFetcher>(QStringLiteral("demo"));
    if (name == QLatin1String("twelve"))
        return std::make_shared<TwelveDataFetcher>(QStringLiteral("demo"));
    if (name == QLatin1String("fmp"))
        return std::make_shared<FinancialModelingPrepFetcher>(QStringLiteral("demo"));
    return std::make_shared<YahooFetcher>(parts.value(1, QStringLiteral("1d")),
                                          parts.value(2, QStringLiteral("1d")));
}

// The replies a quote fetcher or the reply check can receive. Binance's commented ".jsonc" documentation
// copies are not replies; their comment-free copies are.
bool isProviderReply(const QString &relative)
{
    const QString name = relative.section(QLatin1Char('/'), -1);
    if (!name.endsWith(QLatin1String(".json")))
        return false;
    if (relative.startsWith(QLatin1String("yahoo/")))
        return name.startsWith(QLatin1String("chart_"));
    if (relative.startsWith(QLatin1String("binance/")))
        return name.startsWith(QLatin1String("rest_ticker_24hr")) ||
               name.startsWith(QLatin1String("rest_error"));
    if (relative.startsWith(QLatin1String("brapi/")))
        return name.startsWith(QLatin1String("quote_"));
    return relative.startsWith(QLatin1String("alphavantage/")) ||
           relative.startsWith(QLatin1String("finnhub/")) ||
           relative.startsWith(QLatin1String("twelvedata/")) || relative.startsWith(QLatin1String("fmp/"));
}

QList<RealReply> realReplies()
{
    const QString av = QStringLiteral("alphavantage/");
    const QString avInvalidCall = QStringLiteral("Invalid API call. Please retry or visit the documentation "
                                                 "(https://www.alphavantage.co/documentation/) for ");
    const QString demoKey = QStringLiteral(
        "The **demo** API key is for demo purposes only. Please claim your free API key at "
        "(https://www.alphavantage.co/support/#api-key) to explore our full API offerings. It takes fewer t");
    const QString brapiLimit = QStringLiteral(
        "Você atingiu o limite de requisições para o seu plano. Por favor, considere fazer um upgrade "
        "para um plano melhor em brapi.dev/dashboard");

    return {
        // Yahoo charts. Windows given by period1/period2 end long before their market price: their change
        // is not checked, the fetcher never asks for such windows.
        {"yahoo AAPL 2020 window",
         "yahoo/chart_AAPL_1d_period1-period2_2020-01-01_2020-01-03.json",
         "yahoo_us",
         200,
         "yahoo:1d:1d",
         true,
         false,
         {},
         222.5,
         kUnchecked,
         kUnchecked,
         {},
         1},
        {"yahoo AAPL 1m with previousClose",
         "yahoo/chart_AAPL_1m_intraday_2024-10-02_previousClose.json",
         "yahoo_us",
         200,
         "yahoo:1m:1d",
         true,
         false,
         {},
         225.67,
         change(225.67, 226.78),
         226.78,
         {225.6699981689453, 225.6699981689453, 225.6699981689453, 0},
         390},
        {"yahoo AAPL weekend, no bars",
         "yahoo/chart_AAPL_1m_weekend_empty_quote.json",
         "yahoo_us",
         200,
         "yahoo:1m:1d",
         true,
         false,
         {},
         244.87,
         change(244.87, 244.47),
         244.47,
         {0, 0, 0, 0},
         0},
        // A six-month window: the previous close is the bar of the day before, not the close six months ago.
        {"yahoo AAPL 6mo daily",
         "yahoo/chart_AAPL_range_6mo_1d_with_dividends_raw.json",
         "yahoo_us",
         200,
         "yahoo:1d:6mo",
         true,
         false,
         {},
         269.7,
         change(269.7, 269.0),
         269.0,
         {269.2749938964844, 271.4100036621094, 267.1099853515625, 43332154},
         127},
        {"yahoo BTC-USD 2020 window",
         "yahoo/chart_BTC-USD_crypto_1d_2020-01-01_2020-01-03.json",
         "yahoo_fx",
         200,
         "yahoo:1d:1d",
         true,
         false,
         {},
         58754.793,
         kUnchecked,
         kUnchecked,
         {},
         3},
        {"yahoo EURUSD=X 2020 window",
         "yahoo/chart_EURUSD_X_forex_1d_2020-01-01_2020-01-03.json",
         "yahoo_fx",
         200,
         "yahoo:1d:1d",
         true,
         false,
         {},
         1.1131,
         kUnchecked,
         kUnchecked,
         {},
         3},
        {"yahoo GRND3.SA empty arrays",
         "yahoo/chart_GRND3.SA_B3_range_1d_1m_empty_arrays.json",
         "yahoo_b3",
         200,
         "yahoo:1m:1d",
         true,
         false,
         {},
         9.27,
         0.0,
         9.27,
         {0, 0, 0, 0},
         0},
        {"yahoo GS2C.DE 5d daily",
         "yahoo/chart_GS2C.DE_range_5d_1d_raw.json",
         "yahoo_us",
         200,
         "yahoo:1d:5d",
         true,
         false,
         {},
         19.948,
         change(19.948, 20.079999923706055),
         20.079999923706055,
         {20.1299991607666, 20.149999618530273, 19.785999298095703, 9179},
         5},
        {"yahoo PETR4.SA window",
         "yahoo/chart_PETR4.SA_B3_1d_period1-period2_2022-11-23_2022-12-22.json",
         "yahoo_b3",
         200,
         "yahoo:1d:1mo",
         true,
         false,
         {},
         25.12,
         kUnchecked,
         kUnchecked,
         {},
         22},
        {"yahoo ^TNX 5m",
         "yahoo/chart_TNX_index_range_1d_5m_previousClose_trimmed.json",
         "yahoo_us",
         200,
         "yahoo:5m:1d",
         true,
         false,
         {},
         4.275,
         change(4.275, 4.227),
         4.227,
         {4.270999908447266, 4.279000282287598, 4.269000053405762, 0},
         15},
        {"yahoo WSU.DE null bar",
         "yahoo/chart_WSU.DE_xetra_1d_2023-08-04_2023-08-09.json",
         "yahoo_us",
         200,
         "yahoo:1d:1d",
         true,
         false,
         {},
         33.35,
         kUnchecked,
         kUnchecked,
         {},
         2},
        {"yahoo 400", "yahoo/chart_error_400_BEKE_data_doesnt_exist.json", "yahoo_us", 400, "yahoo", false,
         false, "HTTP 400", 0},
        {"yahoo 400 body alone", "yahoo/chart_error_400_BEKE_data_doesnt_exist.json", "yahoo_us", 200,
         "yahoo", false, false, kInvalid, 0},
        {"yahoo 404", "yahoo/chart_error_404_SI_no_data_found.json", "yahoo_us", 404, "yahoo", false, false,
         "HTTP 404", 0},
        {"yahoo 404 body alone", "yahoo/chart_error_404_SI_no_data_found.json", "yahoo_us", 200, "yahoo",
         false, false, kInvalid, 0},

        // Binance 24-hour tickers. The array forms answer a request for many symbols, which the fetcher never
        // makes: the check lets them through, the fetcher finds no quote in them.
        {"binance BTCUSDT testnet",
         "binance/rest_ticker_24hr_BTCUSDT_testnet_recorded.json",
         "binance_public",
         200,
         "binance",
         true,
         false,
         {},
         65861.66,
         2.496,
         64258.01,
         {64258.0, 68000.0, 54000.0, 980.74245}},
        {"binance full",
         "binance/doc_comments_stripped_DERIVED/rest_ticker_24hr_single_FULL_doc.json",
         "binance_public",
         200,
         "binance",
         true,
         false,
         {},
         4.000002,
         -95.96,
         0.10002,
         {99.0, 100.0, 0.1, 8913.3}},
        {"binance mini",
         "binance/doc_comments_stripped_DERIVED/rest_ticker_24hr_single_MINI_doc.json",
         "binance_public",
         200,
         "binance",
         true,
         false,
         {},
         4.000002,
         0.0,
         0.0,
         {99.0, 100.0, 0.1, 8913.3}},
        {"binance full array",
         "binance/doc_comments_stripped_DERIVED/rest_ticker_24hr_array_FULL_doc.json",
         "binance_public",
         200,
         "binance",
         true,
         false,
         {},
         0},
        {"binance mini array",
         "binance/rest_ticker_24hr_array_MINI_doc.json",
         "binance_public",
         200,
         "binance",
         true,
         false,
         {},
         0},
        {"binance invalid symbol", "binance/rest_error_generic_-1121_doc.json", "binance_public", 400,
         "binance", false, false, "HTTP 400", 0},
        {"binance invalid symbol body alone", "binance/rest_error_generic_-1121_doc.json", "binance_public",
         200, "binance", false, false, kInvalid, 0},

        // brapi.
        {"brapi PETR4 docs",
         "brapi/quote_PETR4+BVSP_range_interval_modules_docs_example_200.json",
         "brapi_public",
         200,
         "brapi",
         true,
         false,
         {},
         36.71,
         3.2630093,
         35.55,
         {35.83, 36.82, 35.51, 87666300},
         1},
        {"brapi GMCO34 item",
         "brapi/quote_results_item_GMCO34_range_1mo_interval_1d_recorded.json",
         "brapi_public",
         200,
         "brapi",
         true,
         false,
         {},
         74.61,
         -0.903,
         75.29,
         {73.17, 75.51, 73.98, 3268},
         20,
         true},
        {"brapi GMCO34 item without envelope",
         "brapi/quote_results_item_GMCO34_range_1mo_interval_1d_recorded.json", "brapi_public", 200, "brapi",
         false, false, kInvalid, 0},
        {"brapi 400", "brapi/quote_error_400_invalid_range_docs_example.json", "brapi_public", 400, "brapi",
         false, false, "HTTP 400", 0},
        {"brapi 400 body alone", "brapi/quote_error_400_invalid_range_docs_example.json", "brapi_public", 200,
         "brapi", false, false,
         QStringLiteral(
             "Campo 'range' inválido. Ranges válidos: 1d, 5d, 1mo, 3mo, 6mo, 1y, 2y, 5y, 10y, ytd, max"),
         0},
        {"brapi 401", "brapi/quote_error_401_invalid_token_docs_example.json", "brapi_keyed", 401, "brapi",
         false, false, "HTTP 401", 0},
        {"brapi 401 body alone", "brapi/quote_error_401_invalid_token_docs_example.json", "brapi_keyed", 200,
         "brapi", false, false,
         QStringLiteral("O seu token é inválido, por favor, verifique o seu token em brapi.dev/dashboard"),
         0},
        {"brapi 402", "brapi/quote_error_402_rate_limit_docs_example.json", "brapi_keyed", 402, "brapi",
         false, false, "HTTP 402", 0},
        {"brapi 402 body alone", "brapi/quote_error_402_rate_limit_docs_example.json", "brapi_keyed", 200,
         "brapi", false, true, brapiLimit, 0},
        {"brapi 404", "brapi/quote_error_404_unknown_ticker_docs_example.json", "brapi_public", 404, "brapi",
         false, false, "HTTP 404", 0},
        {"brapi 404 body alone", "brapi/quote_error_404_unknown_ticker_docs_example.json", "brapi_public",
         200, "brapi", false, false, QStringLiteral("Não encontramos a ação G3X"), 0},

        // Alpha Vantage: every error arrives with HTTP 200.
        {"alpha MSFT",
         av + "global_quote_MSFT_2018-10-05_fixture.json",
         "alpha_vantage",
         200,
         "alpha",
         true,
         false,
         {},
         112.13,
         -0.5852,
         112.79,
         {112.63, 113.17, 110.64, 29062853}},
        {"alpha invalid symbol", av + "error_message_invalid_api_call_GLOBAL_QUOTE_invalid_symbol.json",
         "alpha_vantage", 200, "alpha", false, false, avInvalidCall + "GLOBAL_QUOTE.", 0},
        {"alpha invalid call", av + "error_message_invalid_api_call_TIME_SERIES_INTRADAY.json",
         "alpha_vantage", 200, "alpha", false, false, avInvalidCall + "TIME_SERIES_INTRADAY.", 0},
        {"alpha daily limit", av + "information_daily_limit_25_requests_key_redacted.json", "alpha_vantage",
         200, "alpha", false, true,
         QStringLiteral(
             "We have detected your API key as [redacted] and our standard API rate limit is 25 requests "
             "per day. Please subscribe to any of the premium plans at https://www.alphavantage.co/prem"),
         0},
        {"alpha demo key", av + "information_demo_key_limited_2026.json", "alpha_vantage", 200, "alpha",
         false, false, demoKey, 0},
        {"alpha demo key older wording", av + "information_demo_key_limited_older_wording.json",
         "alpha_vantage", 200, "alpha", false, false, demoKey, 0},
        {"alpha call frequency", av + "note_rate_limit_5_per_minute_500_per_day_legacy.json", "alpha_vantage",
         200, "alpha", false, true,
         QStringLiteral(
             "Thank you for using Alpha Vantage! Our standard API call frequency is 5 calls per minute and "
             "500 calls per day. Please visit https://www.alphavantage.co/premium/ if you would like "),
         0},
        {"alpha symbol search", av + "symbol_search_keywords_BA_fixture.json", "alpha_vantage", 200, "alpha",
         false, false, kInvalid, 0},
        // The movers reply passes the check (the movers read it); it holds no quote.
        {"alpha gainers and losers",
         av + "top_gainers_losers_2024-07-12_recorded_keys_sorted.json",
         "alpha_vantage",
         200,
         "alpha",
         true,
         false,
         {},
         0},

        // Finnhub.
        {"finnhub AAPL",
         "finnhub/quote_AAPL_docs_sample_no_d_dp.json",
         "finnhub",
         200,
         "finnhub",
         true,
         false,
         {},
         261.74,
         0.0,
         259.45,
         {261.07, 263.31, 260.68, 0}},
        {"finnhub unknown symbol", "finnhub/quote_unknown_symbol_all_zero_observed.json", "finnhub", 200,
         "finnhub", false, false, kInvalid, 0},
        {"finnhub 401 invalid key", "finnhub/error_401_invalid_api_key_observed.json", "finnhub", 401,
         "finnhub", false, false, "HTTP 401", 0},
        {"finnhub 401 invalid key body alone", "finnhub/error_401_invalid_api_key_observed.json", "finnhub",
         200, "finnhub", false, false, "Invalid API key.", 0},
        {"finnhub 401 missing key", "finnhub/error_401_missing_api_key_observed.json", "finnhub", 401,
         "finnhub", false, false, "HTTP 401", 0},
        {"finnhub 401 missing key body alone", "finnhub/error_401_missing_api_key_observed.json", "finnhub",
         200, "finnhub", false, false, "Please use an API key.", 0},
        {"finnhub 403", "finnhub/error_403_no_access_premium_endpoint_observed.json", "finnhub", 403,
         "finnhub", false, false, "HTTP 403", 0},
        {"finnhub 403 body alone", "finnhub/error_403_no_access_premium_endpoint_observed.json", "finnhub",
         200, "finnhub", false, false, "You don't have access to this resource.", 0},
        {"finnhub 429", "finnhub/error_429_api_limit_reached_observed.json", "finnhub", 429, "finnhub", false,
         true, "HTTP 429 rate limit", 0},
        {"finnhub 429 body alone", "finnhub/error_429_api_limit_reached_observed.json", "finnhub", 200,
         "finnhub", false, true, "API limit reached. Please try again later. Remaining Limit: 0", 0},

        // Twelve Data: errors come with HTTP 200 and a code in the body.
        {"twelve AAPL",
         "twelvedata/quote_AAPL_docs_example.json",
         "twelvedata",
         200,
         "twelve",
         true,
         false,
         {},
         148.85001,
         -0.16097,
         149.09,
         {148.44, 148.9684, 147.22099, 67903927}},
        {"twelve symbol not found", "twelvedata/error_400_symbol_not_found_with_meta.json", "twelvedata", 200,
         "twelve", false, false,
         "**symbol** not found: NOTFOUND. Please specify it correctly according to API Documentation.", 0},
        {"twelve bad key", "twelvedata/error_401_apikey_incorrect.json", "twelvedata", 200, "twelve", false,
         false,
         QStringLiteral(
             "**apikey** parameter is incorrect or not specified. You can get your free API key instantly "
             "following this link: https://twelvedata.com/pricing. If you believe that everything is c"),
         0},
        {"twelve out of credits", "twelvedata/error_429_out_of_api_credits_recorded.json", "twelvedata", 200,
         "twelve", false, true,
         QStringLiteral(
             "You have run out of API credits for the current minute. 18 API credits were used, with the "
             "current limit being 8. Wait for the next minute or consider switching to a higher tier pl"),
         0},

        // Financial Modeling Prep. The newer API's quote names the change "changePercentage"; the fetcher
        // asks
        // the older one, whose replies name it "changesPercentage".
        {"fmp v3 AAPL",
         "fmp/v3_quote_AAPL_legacy_docs_example.json",
         "fmp",
         200,
         "fmp",
         true,
         false,
         {},
         145.775,
         0.32,
         145.31,
         {144.38, 146.71, 143.9, 42478176}},
        {"fmp stable AAPL",
         "fmp/stable_quote_symbol_AAPL_docs_example.json",
         "fmp",
         200,
         "fmp",
         true,
         false,
         {},
         232.8,
         0.0,
         228.01,
         {227.2, 233.13, 226.65, 44489128}},
        {"fmp 401", "fmp/error_401_invalid_api_key_recorded.json", "fmp", 401, "fmp", false, false,
         "HTTP 401", 0},
        {"fmp 401 body alone", "fmp/error_401_invalid_api_key_recorded.json", "fmp", 200, "fmp", false, false,
         QStringLiteral(
             "Invalid API KEY. Feel free to create a Free API Key or visit "
             "https://site.financialmodelingprep.com/faqs?search=why-is-my-api-key-invalid for more "
             "information."),
         0},
        {"fmp 403 legacy", "fmp/error_403_legacy_endpoint_v3_recorded.json", "fmp", 403, "fmp", false, false,
         "HTTP 403", 0},
        {"fmp 403 legacy body alone", "fmp/error_403_legacy_endpoint_v3_recorded.json", "fmp", 200, "fmp",
         false, false,
         QStringLiteral(
             "Legacy Endpoint : Due to Legacy endpoints being no longer supported - This endpoint is only "
             "available for legacy users who have valid subscriptions prior August 31, 2025. Please vi"),
         0},
        {"fmp exclusive endpoint", "fmp/error_exclusive_endpoint_plan.json", "fmp", 200, "fmp", false, false,
         QStringLiteral("Exclusive Endpoint : This endpoint is not available under your current subscription "
                        "agreement, please visit our subscription page to upgrade your plan or contact us at "
                        "https://site"),
         0},
    };
}

bool closeTo(double actual, double expected)
{
    return std::isnan(expected) || qFuzzyCompare(1.0 + actual, 1.0 + expected);
}

} // namespace

class TestProviderRealData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recordedReply_data()
    {
        QTest::addColumn<int>("index");
        const QList<RealReply> replies = realReplies();
        for (int i = 0; i < replies.size(); ++i)
            QTest::newRow(replies.at(i).name) << i;
    }

    void recordedReply()
    {
        const QString folder = realDataDirectory();
        if (folder.isEmpty())
            QSKIP("no recorded provider replies beside the checkout");
        QFETCH(int, index);
        const RealReply reply = realReplies().at(index);

        QFile file(QDir(folder).filePath(reply.file));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(reply.file));
        QByteArray body = file.readAll();
        if (reply.wrapInResults)
            body = "{\"results\":[" + body + "]}";

        const ProviderReplyCheck check = evaluateProviderReply(reply.key, reply.status, {}, body);
        QCOMPARE(check.message, reply.message);
        QCOMPARE(check.ok, reply.checkOk);
        QCOMPARE(check.rateLimited, reply.rateLimited);

        // The fetcher is asked even where the cascade would stop at the check: an error body must never
        // read as a quote.
        const std::optional<Quote> quote =
            makeFetcher(reply.fetcher)->parseReply(QStringLiteral("SYM"), body);
        QCOMPARE(quote.has_value(), reply.price > 0.0);
        if (!quote)
            return;
        QCOMPARE(quote->price, reply.price);
        QVERIFY2(closeTo(quote->prevClose, reply.prevClose),
                 qPrintable(QString::number(quote->prevClose, 'g', 17)));
        QVERIFY2(closeTo(quote->changePercent, reply.changePercent),
                 qPrintable(QString::number(quote->changePercent, 'g', 17)));
        if (!reply.dayRange.isEmpty()) {
            const QList<double> actual{quote->open, quote->high, quote->low, quote->volume};
            for (int i = 0; i < actual.size(); ++i)
                QVERIFY2(closeTo(actual.at(i), reply.dayRange.at(i)), qPrintable(QString::number(i)));
        }
        if (reply.candles >= 0)
            QCOMPARE(quote->candles.size(), reply.candles);
        for (const Candle &candle : quote->candles)
            QVERIFY(std::isfinite(candle.open) && std::isfinite(candle.close) && candle.time > 0);
    }

    // A reply recorded later must not slip past the test unnoticed.
    void everyRecordedReplyIsCovered()
    {
        const QString folder = realDataDirectory();
        if (folder.isEmpty())
            QSKIP("no recorded provider replies beside the checkout");
        QSet<QString> covered;
        for (const RealReply &reply : realReplies())
            covered.insert(reply.file);
        QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
        int replies = 0;
        while (it.hasNext()) {
            const QString relative = QDir(folder).relativeFilePath(it.next());
            if (!isProviderReply(relative))
                continue;
            ++replies;
            QVERIFY2(covered.contains(relative), qPrintable(relative));
        }
        QVERIFY(replies > 0);
    }
};

MVX_TEST_MAIN(TestProviderRealData)
#include "test_provider_recorded_replies.moc"
