#pragma once

#include <QJsonArray>
#include <QList>
#include <QString>

// One price level of a Level 2 feed, as the feed numbers it.
struct BookLevel
{
    double price = 0.0;
    double size = 0.0;
    int position = 0;
};

// One Level 2 depth message: bids best (highest) first, asks best (lowest) first.
struct BookSnapshot
{
    QList<BookLevel> bids;
    QList<BookLevel> asks;
    double bestBid = 0.0; // price of the first bid, 0 when there is none
    double bestAsk = 0.0; // price of the first ask, 0 when there is none
    double spread = 0.0;  // bestAsk - bestBid when both are above 0, else 0
    bool level2 = false;
};

// A row of a side table: a bucket's price and the size gathered in it.
struct AggregatedLevel
{
    double price = 0.0;
    double size = 0.0;
};
using AggregatedLevels = QList<AggregatedLevel>;

// Levels needed on each side before a feed's depth is worth showing at all.
constexpr int kFullDepthLevels = 5;
// Entries of a raw depth array that aggregation and the volume sums look at.
constexpr int kAggregatedDepthEntries = 10;
// Decimals the step box holds, and so the finest step above raw: the finest tick the crypto venues
// quote, so a coin priced below a cent still has steps a preset can choose.
constexpr int kBookStepDecimals = 8;
constexpr double kLeastBookStep = 0.00000001;

// The fraction of the reference price a preset key stands for: 0 for "raw", 0.0001 "tight",
// 0.0025 "wide", 0.0005 for "normal" and any unknown key.
double bookPresetFraction(const QString &preset);

// The step a preset gives at a price: 1, 2 or 5 times a power of ten, never below price x fraction,
// and never below kLeastBookStep, so no preset but "raw" ever gives step 0 (the step box would hold a
// finer step as 0 and the book would stay raw). Without a price (0, negative or not finite) every
// preset but "raw" gives kLeastBookStep. A wider preset never gives a finer step than a tighter one;
// below a price of 0.0001, where tight's fraction falls under the least step, two can give the same.
// The 1-2-5 choice allows a relative 1e-9, so a product that lands a hair above a notch through
// rounding (0.01 x 0.0001 is 1.0000000000000002e-6) stays on that notch instead of moving up one.
double bookStepForPreset(const QString &preset, double lastPrice);

// A price moved to the edge of its bucket: down for a bid, up for an ask. A price already on the grid
// (within a relative 1e-9, the error a division leaves) stays where it is. Step 0 or below, and prices
// that are not finite or not above 0, come back unchanged.
double roundToStep(double price, double step, bool isBid);

// An item of a raw depth entry as a number: only a JSON string holding a finite decimal number reads;
// anything else reads as 0.
double depthItemNumber(const QJsonValue &value);

// The first ten entries of a raw depth array ([price, quantity] string pairs), bucketed and merged.
// Entries with fewer than two items, or whose bucketed price or quantity is not a finite number above
// 0, are skipped. Only adjacent buckets merge, which the feed's ordering makes sufficient.
AggregatedLevels aggregateDepthArray(const QJsonArray &levels, bool isBid, double step);
// Every level of a list, the same way.
AggregatedLevels aggregateBookLevels(const QList<BookLevel> &levels, bool isBid, double step);

// Entries over the whole array that are arrays of at least two items with a price above 0.
int countValidDepthEntries(const QJsonArray &levels);
// The depth rule: at least five valid entries on each side.
bool hasFullDepthArrays(const QJsonArray &bids, const QJsonArray &asks);
bool hasFullDepthSnapshot(const BookSnapshot &snapshot);

// Volume of the first ten entries of a raw array, and of a level list. Only finite quantities above 0
// count, so no odd entry can make the imbalance infinite or not a number.
double sumDepthQuantities(const QJsonArray &levels);
double sumBookLevelSizes(const QList<BookLevel> &levels);
// The price of the first entry; 0 for an empty array or an empty first entry.
double firstDepthPrice(const QJsonArray &levels);

// "  <word> <step>", empty for a step of 0 or below. The step has 2 decimals from 1 up, else 6, and
// more, up to the step box's 8, where it has digits there (0.00000002 must not read "0.000000").
QString bookStepSuffixText(double step, const QString &word);

// Whether a step is the one a preset gives, allowing for the step box's 8 decimals.
bool stepMatchesPreset(double step, double presetStep);
