#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

// One provider in one market's cascade, as the data-source dialog documents it. The table describes the
// providers a user can configure; it never drives the quote cascades, and lists providers that have no
// fetcher.
struct ProviderCoverageRow
{
    QString market;   // "Crypto", "US/America", "B3", "Forex" or "News"
    int order = 0;    // place in the market's cascade from 1; 99 is the last public fallback
    QString name;     // display name; also chooses the health probe
    QString keyName;  // configuration key of its credential or endpoint; empty for keyless providers
    QString coverage; // what it covers
    QString book;     // what it offers the order book
    QString fallback; // what takes over when it fails
    bool isPublic = false;
};

// The 26 rows, markets contiguous and each in cascade order.
QList<ProviderCoverageRow> providerCoverageRows();

// "not implemented", "public fallback", "enabled" or "skipped: no key"; `credential` gives the configured
// value of a key name (blanks count as no key).
QString coverageStatus(const ProviderCoverageRow &row,
                       const std::function<QString(const QString &)> &credential);

QColor coverageStatusColour(const QString &status, bool light);

// market + "|" + name: the key of the row's health record.
QString coverageKey(const ProviderCoverageRow &row);

// The summary's groups in table order: each market with its "name [status]" entries, skipped rows left
// out; markets left with no entry are dropped.
QList<QPair<QString, QStringList>> cascadeGroups(const QList<ProviderCoverageRow> &rows,
                                                 const QStringList &statuses);
