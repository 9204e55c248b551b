#pragma once

#include <QString>

// One market mover as a source reported it. B3 symbols carry ".SA"; for crypto pairs of the 24-hour list
// `volume` already is the turnover in the quote currency. `turnover` is set by a source that reports
// one, and for the entries read from the quote table, whose volume is a candle's count of units.
struct MoverEntry
{
    QString symbol;
    double price = 0.0;
    double changePct = 0.0; // after the loader's re-basing: the change over the chosen interval
    double volume = 0.0;
    double turnover = 0.0;
};
