#pragma once

#include <QString>

// One market mover as a source reported it. B3 symbols carry ".SA"; for crypto pairs `volume` already is
// the 24-hour turnover in the quote currency. `turnover` is only set by a source that reports one.
struct MoverEntry
{
    QString symbol;
    double price = 0.0;
    double changePct = 0.0; // after the loader's re-basing: the change over the chosen interval
    double volume = 0.0;
    double turnover = 0.0;
};
