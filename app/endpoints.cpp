#include "app/endpoints.h"

#include <QtGlobal>

namespace {
// The maker's service has no address we can vouch for; a name under the reserved ".invalid" domain
// never resolves, so a user's e-mail and password cannot leave the machine until MVX_SERVICE_URL
// names a host the user chose.
constexpr const char *kUnconfiguredServiceUrl = "https://murvex-service.invalid";
} // namespace

const QList<EndpointInfo> &endpointTable()
{
    static const QList<EndpointInfo> table = {
        {Endpoint::BinanceRest, "MVX_BINANCE_REST_URL", "https://api.binance.com"},
        {Endpoint::BinanceStream, "MVX_BINANCE_STREAM_URL", "wss://stream.binance.com:9443"},
        {Endpoint::Yahoo, "MVX_YAHOO_URL", "https://query1.finance.yahoo.com"},
        {Endpoint::YahooRss, "MVX_YAHOO_RSS_URL", "https://feeds.finance.yahoo.com"},
        {Endpoint::Brapi, "MVX_BRAPI_URL", "https://brapi.dev"},
        {Endpoint::AlphaVantage, "MVX_ALPHA_VANTAGE_URL", "https://www.alphavantage.co"},
        {Endpoint::Finnhub, "MVX_FINNHUB_URL", "https://finnhub.io"},
        {Endpoint::TwelveData, "MVX_TWELVE_DATA_URL", "https://api.twelvedata.com"},
        {Endpoint::Fmp, "MVX_FMP_URL", "https://financialmodelingprep.com"},
        {Endpoint::NewsApi, "MVX_NEWSAPI_URL", "https://newsapi.org"},
        {Endpoint::ITick, "MVX_ITICK_URL", "wss://api.itick.org"},
        {Endpoint::Service, "MVX_SERVICE_URL", kUnconfiguredServiceUrl},
    };
    return table;
}

static const EndpointInfo &infoFor(Endpoint endpoint)
{
    const auto &table = endpointTable();
    return table.at(static_cast<int>(endpoint));
}

QString endpointBase(Endpoint endpoint)
{
    const EndpointInfo &info = infoFor(endpoint);
    QString base = qEnvironmentVariable(info.envVar).trimmed();
    if (base.isEmpty())
        base = QString::fromLatin1(info.defaultUrl);
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

QUrl endpointUrl(Endpoint endpoint, const QString &path)
{
    return QUrl(endpointBase(endpoint) + path);
}

bool serviceEndpointConfigured()
{
    return endpointBase(Endpoint::Service) != QLatin1String(kUnconfiguredServiceUrl);
}

QString ServiceAddress::toString() const
{
    return endpointBase(Endpoint::Service) + QLatin1String(m_path);
}

const ServiceAddress kAuthBaseUrl("/TERMINAL/auth");
const ServiceAddress kLoginPageUrl("/login_page.php");
const ServiceAddress kSyncBaseUrl("/TERMINAL/sync");
const ServiceAddress kDefaultNewsFeedUrl("/TERMINAL/NEWS.json");
