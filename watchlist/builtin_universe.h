#pragma once

#include <QStringList>

// The symbols the terminal knows without any universe file: B3 tickers, US stocks and funds, currency
// pairs and codes, and crypto pairs, in that order. Universe files and symbol search only add to it.
QStringList builtinSymbolUniverse();
