#pragma once

#include "providers/data_fetcher.h"

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

using QueryItems = QList<QPair<QString, QString>>;

// `url` with the query made of `items` in their order, every byte outside the unreserved characters of
// each key and value percent-encoded, so no value can add an item or change another.
QUrl urlWithQuery(QUrl url, const QueryItems &items);

// `text` as one path segment: percent-encoded except for the bytes in `keepRaw`. Nothing when the
// segment would be "." or "..", which would name another resource.
std::optional<QString> encodedPathSegment(const QString &text, const QByteArray &keepRaw = QByteArray());

// The seven quote providers. Each keeps the configuration it was built with and nothing else.

class BinanceFetcher final : public DataFetcher
{
public:
    QString name() const override;
    QNetworkRequest buildRequest(const QString &symbol) const override;
    std::optional<Quote> parseReply(const QString &symbol, const QByteArray &body) const override;
};

class BrAPIFetcher final : public DataFetcher
{
public:
    // An empty token asks the public tier.
    BrAPIFetcher(const QString &token, const QString &interval, const QString &range);
    QString name() const override;
    QNetworkRequest buildRequest(const QString &symbol) const override;
    std::optional<Quote> parseReply(const QString &symbol, const QByteArray &body) const override;

private:
    const QString m_token;
    const QString m_interval;
    const QString m_range;
};

class AlphaVantageFetcher final : public DataFetcher
{
public:
    explicit AlphaVantageFetcher(const QString &apiKey);
    QString name() const override;
    QNetworkRequest buildRequest(const QString &symbol) const override;
    std::optional<Quote> parseReply(const QString &symbol, const QByteArray &body) const override;

private:
    const QString m_apiKey;
};

class FinnhubFetcher final : public DataFetcher
{
public:
    explicit FinnhubFetcher(const QString &apiKey);
    QString name() const override;
    QNetworkRequest buildRequest(const QString &symbol) const override;
    std::optional<Quote> parseReply(const QString &symbol, const QByteArray &body) const override;

private:
    const QString m_apiKey;
};

class TwelveDataFetcher final : public DataFetcher
{
public:
    explicit TwelveDataFetcher(const QString &apiKey);
    QString name() const override;
    QNetworkRequest buildRequest(const QString &symbol) const override;
    std::optional<Quote> parseReply(const QString &symbol, const QByteArray &body) const override;

private:
    const QString m_apiKey;
};

class FinancialModelingPrepFetcher final : public DataFetcher
{
public:
    explicit FinancialModelingPrepFetcher(const QString &apiKey);
    QString name() const override;
    QNetworkRequest buildRequest(const QString &symbol) const override;
    std::optional<Quote> parseReply(const QString &symbol, const QByteArray &body) const override;

private:
    const QString m_apiKey;
};

class YahooFetcher final : public DataFetcher
{
public:
    YahooFetcher(const QString &interval, const QString &range);
    QString name() const override;
    QNetworkRequest buildRequest(const QString &symbol) const override;
    // Reads the quote of the day the reply's market time falls on (in the exchange's offset). With bars
    // of a day or finer, open, high, low and volume are those of that day's bars, not of the last bar
    // alone, which for intraday bars covers only a few minutes. The previous close is the close of the
    // trading day before: Yahoo's own "previousClose" when the reply has it; else the last bar of an
    // earlier day; else "chartPreviousClose" when the window is a single day. "chartPreviousClose" is the
    // close before the requested window, which for any longer window is far older than yesterday, so it
    // is not used there; bars coarser than a day hold no previous day at all. Without a previous close
    // the change stays 0.
    std::optional<Quote> parseReply(const QString &symbol, const QByteArray &body) const override;

private:
    const QString m_interval;
    const QString m_range;
};
