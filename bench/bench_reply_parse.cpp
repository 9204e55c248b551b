// What the reply check plus the fetcher's parse costs, measured against a bare QJsonDocument::fromJson
// of the same bytes: the check and the parse each read the document once, so about 2 is the floor.
#include "providers/fetchers.h"
#include "providers/reply_check.h"

#include <benchmark/benchmark.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int kYahooBars = 700;

// A five-minute chart of several sessions, shaped like Yahoo's: meta, timestamps and five parallel arrays
// with a null bar now and then.
QByteArray yahooChartReply()
{
    QJsonArray timestamps, opens, highs, lows, closes, volumes;
    const qint64 start = 1761658200;
    double price = 268.5;
    for (int i = 0; i < kYahooBars; ++i) {
        timestamps.append(start + i * 300 + (i / 78) * 17 * 3600);
        if (i % 97 == 41) {
            for (QJsonArray *array : {&opens, &highs, &lows, &closes, &volumes})
                array->append(QJsonValue::Null);
            continue;
        }
        const double open = price;
        price += ((i * 7919) % 13 - 6) * 0.0137;
        opens.append(open);
        highs.append(std::max(open, price) + 0.1234567);
        lows.append(std::min(open, price) - 0.0987654);
        closes.append(price);
        volumes.append(100000 + (i * 104729) % 90000);
    }
    const QJsonObject meta{{"currency", "USD"},
                           {"symbol", "AAPL"},
                           {"exchangeName", "NMS"},
                           {"instrumentType", "EQUITY"},
                           {"regularMarketTime", timestamps.last()},
                           {"gmtoffset", -14400},
                           {"timezone", "EDT"},
                           {"exchangeTimezoneName", "America/New_York"},
                           {"regularMarketPrice", price},
                           {"chartPreviousClose", 262.82},
                           {"dataGranularity", "5m"},
                           {"range", "1mo"}};
    const QJsonObject quote{
        {"open", opens}, {"high", highs}, {"low", lows}, {"close", closes}, {"volume", volumes}};
    const QJsonObject result{
        {"meta", meta}, {"timestamp", timestamps}, {"indicators", QJsonObject{{"quote", QJsonArray{quote}}}}};
    const QJsonObject root{
        {"chart", QJsonObject{{"result", QJsonArray{result}}, {"error", QJsonValue::Null}}}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QByteArray binanceTickerReply()
{
    return R"({"symbol":"BTCUSDT","priceChange":"1603.66000000","priceChangePercent":"2.496",)"
           R"("weightedAvgPrice":"64772.57437210","prevClosePrice":"64258.01000000","lastPrice":"65861.66000000",)"
           R"("lastQty":"0.00027000","bidPrice":"65861.65000000","bidQty":"11.79258000","askPrice":"65861.66000000",)"
           R"("askQty":"13.95261000","openPrice":"64258.00000000","highPrice":"68000.00000000",)"
           R"("lowPrice":"54000.00000000","volume":"980.74245000","quoteVolume":"63525213.28250340",)"
           R"("openTime":1781420007406,"closeTime":1781506407406,"firstId":1309612,"lastId":1400922,"count":91311})";
}

const ProviderReplyHeaders kHeaders{{"Content-Type", "application/json"},
                                    {"Date", "Wed, 29 Oct 2025 20:00:01 GMT"}};

void checkAndParse(benchmark::State &state, const DataFetcher &fetcher, const QString &key,
                   const QByteArray &body)
{
    for (auto _ : state) {
        const ProviderReplyCheck check = evaluateProviderReply(key, 200, kHeaders, body);
        std::optional<Quote> quote;
        if (check.ok)
            quote = fetcher.parseReply(QStringLiteral("AAPL"), body);
        if (!quote) {
            state.SkipWithError("the reply gave no quote");
            break;
        }
        benchmark::DoNotOptimize(quote);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * body.size());
}

void bareJson(benchmark::State &state, const QByteArray &body)
{
    for (auto _ : state) {
        QJsonDocument document = QJsonDocument::fromJson(body);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * body.size());
}

void BM_YahooChart_CheckAndParse(benchmark::State &state)
{
    static const QByteArray body = yahooChartReply();
    static const YahooFetcher fetcher(QStringLiteral("5m"), QStringLiteral("1mo"));
    checkAndParse(state, fetcher, QStringLiteral("yahoo_us"), body);
}

void BM_YahooChart_FromJson(benchmark::State &state)
{
    static const QByteArray body = yahooChartReply();
    bareJson(state, body);
}

void BM_BinanceTicker_CheckAndParse(benchmark::State &state)
{
    static const QByteArray body = binanceTickerReply();
    static const BinanceFetcher fetcher;
    checkAndParse(state, fetcher, QStringLiteral("binance_public"), body);
}

void BM_BinanceTicker_FromJson(benchmark::State &state)
{
    static const QByteArray body = binanceTickerReply();
    bareJson(state, body);
}

BENCHMARK(BM_YahooChart_CheckAndParse);
BENCHMARK(BM_YahooChart_FromJson);
BENCHMARK(BM_BinanceTicker_CheckAndParse);
BENCHMARK(BM_BinanceTicker_FromJson);

// Keeps the time per iteration of every run so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> times;
};

void printRatio(const RatioReporter &reporter, const char *label, const std::string &work,
                const std::string &bare)
{
    const auto workTime = reporter.times.find(work);
    const auto bareTime = reporter.times.find(bare);
    if (workTime == reporter.times.end() || bareTime == reporter.times.end() || bareTime->second <= 0)
        return;
    std::printf("%s: reply check + parse / bare fromJson = %.2f\n", label,
                workTime->second / bareTime->second);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    std::printf("Yahoo chart reply: %d bars, %lld bytes\n", kYahooBars,
                static_cast<long long>(yahooChartReply().size()));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printRatio(reporter, "Yahoo chart", "BM_YahooChart_CheckAndParse", "BM_YahooChart_FromJson");
    printRatio(reporter, "Binance 24h ticker", "BM_BinanceTicker_CheckAndParse", "BM_BinanceTicker_FromJson");
    benchmark::Shutdown();
    return 0;
}
