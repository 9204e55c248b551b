#pragma once

#include <QString>
#include <QUrl>

// The one table of outside hosts. Nothing else in the program names a host: every request is built
// from a base taken here, so a test (or a user behind a proxy) can point any service elsewhere.
enum class Endpoint
{
    BinanceRest,
    BinanceStream,
    Yahoo,
    YahooRss,
    Brapi,
    AlphaVantage,
    Finnhub,
    TwelveData,
    Fmp,
    NewsApi,
    ITick,
    Service, // the maker's own web service: account, sync, login page and default news feed
};

struct EndpointInfo
{
    Endpoint endpoint;
    const char *envVar;     // overrides the base for the whole process
    const char *defaultUrl; // scheme://host[:port], no trailing slash
};

// Every row of the table, in declaration order.
const QList<EndpointInfo> &endpointTable();

// The base URL of a service: its variable when set and not blank, else the default. The variable is
// read on every call, so a process that sets it before its first request (a test that starts a
// loopback server on a free port) is served from there. A trailing slash is dropped.
QString endpointBase(Endpoint endpoint);

// endpointBase + path (path begins with "/").
QUrl endpointUrl(Endpoint endpoint, const QString &path);

// True when the maker's service still has its placeholder address: nothing may be sent to it.
bool serviceEndpointConfigured();

// A service address that exists before main (as the account and news code expect) but is resolved
// against the endpoint table when it is used, so it follows MVX_SERVICE_URL set at run time.
class ServiceAddress
{
public:
    constexpr explicit ServiceAddress(const char *path) : m_path(path) {}
    QString toString() const;
    operator QString() const { return toString(); }
    QUrl toUrl() const { return QUrl(toString()); }

private:
    const char *m_path;
};

extern const ServiceAddress kAuthBaseUrl;
extern const ServiceAddress kLoginPageUrl;
extern const ServiceAddress kSyncBaseUrl;
extern const ServiceAddress kDefaultNewsFeedUrl;
