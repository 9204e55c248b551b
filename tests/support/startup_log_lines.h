#pragma once

#include "tests/support/temp_home.h"

#include <QString>
#include <QStringList>

// The start-up log of one complete window construction: every stage's text, in the order written.
inline QStringList expectedStartupLogTexts()
{
    return {
        "MainWindow ctor: enter",
        "MainWindow ctor: before menu setup",
        "MainWindow ctor: after menu setup",
        "MainWindow ctor: root layout created",
        "MainWindow ctor: top layout created",
        "MainWindow ctor: brand created",
        "MainWindow ctor: before setupCompleter",
        "MainWindow ctor: after setupCompleter",
        "MainWindow ctor: before loadSymbolClassifications",
        "MainWindow ctor: after loadSymbolClassifications",
        "MainWindow ctor: top bar created",
        "MainWindow ctor: table created",
        "MainWindow ctor: chart toolbar partially created",
        "MainWindow ctor: chart panel created",
        "MainWindow ctor: book panel created",
        "MainWindow ctor: movers panel created",
        "MainWindow ctor: screener panel created",
        "MainWindow ctor: news panel created",
        "MainWindow ctor: portfolio panel created",
        "MainWindow ctor: tape panel created",
        "MainWindow ctor: right tabs created",
        "MainWindow ctor: central widget set",
        "MainWindow ctor: before signal connects",
        "MainWindow ctor: before loadConfig",
        "MainWindow ctor: before loadLocalSettings",
        "MainWindow ctor: before applyConfiguredShortcuts",
        "MainWindow ctor: before retranslateUi",
        "MainWindow ctor: before applyColumnVisibilityConfig",
        "MainWindow ctor: before loadWatchlist",
        "MainWindow ctor: before refreshPortfolio",
        "MainWindow ctor: before applyTheme",
        "MainWindow ctor: before updateThemedWidgets",
        "MainWindow ctor: before refreshAlertHistoryTable",
        "MainWindow ctor: after refreshAlertHistoryTable",
    };
}

// The messages of the start-up log under the given home, each without its time stamp, in file order.
inline QStringList startupLogTexts(const TempHome &home)
{
    QStringList texts;
    for (const QByteArray &line :
         TempHome::readFile(home.appConfigDir() + QStringLiteral("/startup.log")).split('\n')) {
        const int blank = line.indexOf(' ');
        if (blank > 0)
            texts << QString::fromUtf8(line.mid(blank + 1));
    }
    return texts;
}
