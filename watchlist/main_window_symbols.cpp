#include "shell/main_window.h"

#include "watchlist/builtin_universe.h"
#include "watchlist/symbol_rules.h"

QString MainWindow::normalizeSymbol(const QString &text) const
{
    return ::normalizeSymbol(text, cryptoBaseAssets, b3BaseSymbols);
}

QString MainWindow::parseForexPair(const QString &text) const
{
    return ::parseForexPair(text);
}

bool MainWindow::isKnownCurrency(const QString &code) const
{
    return ::isKnownCurrency(code);
}

QString MainWindow::classifySymbol(const QString &symbol) const
{
    return ::classifySymbol(symbol);
}

QString MainWindow::assetClassKey(const QString &symbol) const
{
    return ::assetClassKey(symbol);
}

QString MainWindow::marketLabelForSymbol(const QString &symbol) const
{
    return ::marketLabelForSymbol(symbol);
}

QString MainWindow::forexDisplayName(const QString &symbol) const
{
    return ::forexDisplayName(symbol);
}

QStringList MainWindow::defaultSymbolUniverse() const
{
    return builtinSymbolUniverse();
}
