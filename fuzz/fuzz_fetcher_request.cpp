// Arbitrary symbols (the input as UTF-8) through every fetcher's request. Whatever the symbol, it stays
// inside its own path segment or query value: the request line the network layer would send has the
// fetcher's path, exactly its query items in order, and decodes back to the symbol; or the URL is empty
// and nothing is sent.
#include "providers/fetchers.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <cstdlib>
#include <memory>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

namespace {

struct Expected
{
    std::shared_ptr<DataFetcher> fetcher;
    QByteArray pathPrefix; // the fixed part of the path
    QString segment;       // what the last path segment decodes to; null when the path is fixed
    QList<QPair<QByteArray, QString>> query; // items in order, values decoded
};

// What the network layer puts on the request line: dot segments folded, no fragment.
QByteArray requestTarget(const QUrl &url)
{
    return url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment |
                         QUrl::FullyEncoded | QUrl::NormalizePathSegments);
}

void check(const Expected &expected, const QString &symbol)
{
    const QNetworkRequest request = expected.fetcher->buildRequest(symbol);
    require(request.rawHeaderList() == QList<QByteArray>{QByteArray("User-Agent")});
    const QUrl url = request.url();
    if (url.isEmpty()) {
        // Only a segment that would fold away may stop a request.
        require(!expected.segment.isNull() &&
                (expected.segment == QLatin1String(".") || expected.segment == QLatin1String("..")));
        return;
    }
    require(url.isValid() && !url.hasFragment());

    const QByteArray target = requestTarget(url);
    const qsizetype mark = target.indexOf('?');
    const QByteArray path = mark < 0 ? target : target.left(mark);
    const QByteArray query = mark < 0 ? QByteArray() : target.mid(mark + 1);
    require(path.startsWith(expected.pathPrefix));
    const QByteArray segment = path.mid(expected.pathPrefix.size());
    if (expected.segment.isNull()) {
        require(segment.isEmpty());
    } else {
        require(!segment.contains('/'));
        require(QUrl::fromPercentEncoding(segment) == expected.segment);
    }

    const QList<QByteArray> items = query.split('&');
    require(items.size() == expected.query.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        const qsizetype equals = items.at(i).indexOf('=');
        require(equals > 0);
        require(items.at(i).left(equals) == expected.query.at(i).first);
        const QByteArray value = items.at(i).mid(equals + 1);
        require(!value.contains('+') && !value.contains('#'));
        require(QUrl::fromPercentEncoding(value) == expected.query.at(i).second);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString symbol =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString key = QStringLiteral("K+y&1=%2");
    const QString stripped = stripSaSuffix(symbol);

    check({std::make_shared<BinanceFetcher>(),
           "/api/v3/ticker/24hr",
           QString(),
           {{"symbol", symbol.toUpper()}}},
          symbol);
    check({std::make_shared<BrAPIFetcher>(key, QStringLiteral("1d"), QStringLiteral("1y")),
           "/api/quote/",
           stripped,
           {{"interval", QStringLiteral("1d")}, {"range", QStringLiteral("1y")}, {"token", key}}},
          symbol);
    check({std::make_shared<BrAPIFetcher>(QString(), QStringLiteral("5m"), QStringLiteral("5d")),
           "/api/quote/",
           stripped,
           {{"interval", QStringLiteral("5m")}, {"range", QStringLiteral("5d")}}},
          symbol);
    check({std::make_shared<AlphaVantageFetcher>(key),
           "/query",
           QString(),
           {{"function", QStringLiteral("GLOBAL_QUOTE")}, {"symbol", symbol}, {"apikey", key}}},
          symbol);
    check({std::make_shared<FinnhubFetcher>(key),
           "/api/v1/quote",
           QString(),
           {{"symbol", symbol}, {"token", key}}},
          symbol);
    check({std::make_shared<TwelveDataFetcher>(key),
           "/quote",
           QString(),
           {{"symbol", symbol}, {"apikey", key}}},
          symbol);
    check({std::make_shared<FinancialModelingPrepFetcher>(key), "/api/v3/quote/", symbol, {{"apikey", key}}},
          symbol);
    check({std::make_shared<YahooFetcher>(QStringLiteral("1d"), QStringLiteral("1d")),
           "/v8/finance/chart/",
           symbol,
           {{"range", QStringLiteral("1d")},
            {"interval", QStringLiteral("1d")},
            {"includePrePost", QStringLiteral("false")}}},
          symbol);
    return 0;
}
