#pragma once

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>

// The persisted values the settings subsystem keeps for the window. A plain block: the loaders and
// writers of the settings, key and workspace files keep its invariants (hiddenColumns within 1..15,
// splitter sizes above 0, shortcut overrides only for known ids with a non-empty key).
struct LocalSettings
{
    QString brapiToken;
    QString alphaVantageApiKey;
    QString itickApiKey;
    QString theme = QStringLiteral("coffee_dark");
    QString language = QStringLiteral("en");
    QString chartMode = QStringLiteral("line");
    QString chartTimeframe = QStringLiteral("1m");
    QMap<QString, QString> configValues;
    QMap<QString, QString> shortcutOverrides;
    QSet<int> hiddenColumns;
    QList<int> leftSplitterSizes;
    QList<int> workspaceSplitterSizes;
    QString authToken;
    QString authEmail;
    QString authFirstName;
    QString authTokenExpiration;
    QMap<QString, int> syncVersions;
    qint64 syncLastUnix = 0;
    QString syncLastStatus;
};
