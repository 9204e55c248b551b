#pragma once

#include "shell/main_window.h"
#include "tests/support/temp_home.h"
#include "watchlist/quote_columns.h"

#include <QLabel>
#include <QTableWidget>

// A window in a private home whose quote table holds only the rows a test adds, none selected.
struct StreamWindow
{
    TempHome home;
    MainWindow window;

    StreamWindow()
    {
        window.quoteTable->setSortingEnabled(false);
        window.quoteTable->setRowCount(0);
    }

    void addRow(const QString &symbol)
    {
        window.addWatchlistRow(symbol, window.classifySymbol(symbol), QStringLiteral("Yahoo"),
                               QStringLiteral("pending"), false);
    }

    // A quote through the road's last step; the candle gives the row's Open to Close.
    void quote(const QString &symbol, double last, double change, double close = 0.0, double volume = 0.0)
    {
        if (close > 0.0)
            window.candlesBySymbol[symbol] = {{1700000000, close, close + 1.0, close - 1.0, close, volume}};
        window.updateQuoteRow(symbol, last, change, QStringLiteral("brapi"), QStringLiteral("120 ms"),
                              QStringLiteral("delayed"));
    }

    void select(const QString &symbol) { window.quoteTable->setCurrentCell(window.findSymbolRow(symbol), 0); }

    QString bookTitle() const { return window.bookTitleLabel->text(); }
    QString tapeTitle() const { return window.tapeTitleLabel->text(); }

    QStringList cards() const
    {
        QStringList out;
        for (const QLabel *card : window.bookMetricCards)
            out << card->text();
        return out;
    }

    static QStringList column(const QTableWidget *table, int column)
    {
        QStringList out;
        for (int row = 0; row < table->rowCount(); ++row) {
            const QTableWidgetItem *item = table->item(row, column);
            out << (item ? item->text() : QStringLiteral("<none>"));
        }
        return out;
    }

    static QStringList colours(const QTableWidget *table, int column)
    {
        QStringList out;
        for (int row = 0; row < table->rowCount(); ++row) {
            const QTableWidgetItem *item = table->item(row, column);
            out << (item ? item->foreground().color().name() : QStringLiteral("<none>"));
        }
        return out;
    }
};
