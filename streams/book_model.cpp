#include "streams/book_model.h"

#include <QJsonValue>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kRelativeTolerance = 1e-9;

bool finitePositive(double value)
{
    return std::isfinite(value) && value > 0.0;
}

bool isDepthEntry(const QJsonValue &entry)
{
    return entry.isArray() && entry.toArray().size() >= 2;
}

template <typename Level, typename Reader>
AggregatedLevels aggregate(const QList<Level> &levels, qsizetype count, bool isBid, double step, Reader read)
{
    AggregatedLevels out;
    const double mergeTolerance = std::max(1e-9, step * 1e-9);
    for (qsizetype i = 0; i < count; ++i) {
        double price = 0.0;
        double size = 0.0;
        if (!read(levels.at(i), &price, &size))
            continue;
        price = roundToStep(price, step, isBid);
        if (!finitePositive(price) || !finitePositive(size))
            continue;
        if (!out.isEmpty() && std::abs(out.last().price - price) <= mergeTolerance)
            out.last().size += size;
        else
            out.append({price, size});
    }
    return out;
}
} // namespace

double bookPresetFraction(const QString &preset)
{
    if (preset == QLatin1String("raw"))
        return 0.0;
    if (preset == QLatin1String("tight"))
        return 0.0001;
    if (preset == QLatin1String("wide"))
        return 0.0025;
    return 0.0005;
}

double bookStepForPreset(const QString &preset, double lastPrice)
{
    const double fraction = bookPresetFraction(preset);
    if (fraction <= 0.0)
        return 0.0;
    // The coin's own price: a floor under it would give a sub-cent coin a step the box cannot hold.
    if (!finitePositive(lastPrice))
        return kLeastBookStep;
    const double rawStep = lastPrice * fraction;
    const double power = std::pow(10.0, std::floor(std::log10(rawStep)));
    const double mantissa = rawStep / power;
    const double slack = 1.0 + kRelativeTolerance;
    double multiplier = 10.0;
    if (mantissa <= 1.0 * slack)
        multiplier = 1.0;
    else if (mantissa <= 2.0 * slack)
        multiplier = 2.0;
    else if (mantissa <= 5.0 * slack)
        multiplier = 5.0;
    return std::max(kLeastBookStep, multiplier * power);
}

double roundToStep(double price, double step, bool isBid)
{
    if (!(step > 0.0) || !finitePositive(price))
        return price;
    double buckets = price / step;
    const double nearest = std::round(buckets);
    if (std::abs(buckets - nearest) <= kRelativeTolerance * std::max(1.0, std::abs(buckets)))
        buckets = nearest;
    return (isBid ? std::floor(buckets) : std::ceil(buckets)) * step;
}

double depthItemNumber(const QJsonValue &value)
{
    if (!value.isString())
        return 0.0;
    bool ok = false;
    const double number = value.toString().toDouble(&ok);
    return ok && std::isfinite(number) ? number : 0.0;
}

AggregatedLevels aggregateDepthArray(const QJsonArray &levels, bool isBid, double step)
{
    const QList<QJsonValue> entries(levels.begin(), levels.end());
    return aggregate(entries, std::min<qsizetype>(kAggregatedDepthEntries, entries.size()), isBid, step,
                     [](const QJsonValue &entry, double *price, double *size) {
                         if (!isDepthEntry(entry))
                             return false;
                         const QJsonArray pair = entry.toArray();
                         *price = depthItemNumber(pair.at(0));
                         *size = depthItemNumber(pair.at(1));
                         return true;
                     });
}

AggregatedLevels aggregateBookLevels(const QList<BookLevel> &levels, bool isBid, double step)
{
    return aggregate(levels, levels.size(), isBid, step,
                     [](const BookLevel &level, double *price, double *size) {
                         *price = level.price;
                         *size = level.size;
                         return true;
                     });
}

int countValidDepthEntries(const QJsonArray &levels)
{
    int count = 0;
    for (const QJsonValue &entry : levels) {
        if (isDepthEntry(entry) && depthItemNumber(entry.toArray().at(0)) > 0.0)
            ++count;
    }
    return count;
}

bool hasFullDepthArrays(const QJsonArray &bids, const QJsonArray &asks)
{
    return countValidDepthEntries(bids) >= kFullDepthLevels &&
           countValidDepthEntries(asks) >= kFullDepthLevels;
}

bool hasFullDepthSnapshot(const BookSnapshot &snapshot)
{
    return snapshot.bids.size() >= kFullDepthLevels && snapshot.asks.size() >= kFullDepthLevels;
}

double sumDepthQuantities(const QJsonArray &levels)
{
    double sum = 0.0;
    const qsizetype count = std::min<qsizetype>(kAggregatedDepthEntries, levels.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QJsonValue entry = levels.at(i);
        if (!isDepthEntry(entry))
            continue;
        const double quantity = depthItemNumber(entry.toArray().at(1));
        if (finitePositive(quantity))
            sum += quantity;
    }
    return sum;
}

double sumBookLevelSizes(const QList<BookLevel> &levels)
{
    double sum = 0.0;
    for (const BookLevel &level : levels) {
        if (finitePositive(level.size))
            sum += level.size;
    }
    return sum;
}

double firstDepthPrice(const QJsonArray &levels)
{
    if (levels.isEmpty())
        return 0.0;
    const QJsonArray first = levels.at(0).toArray();
    return first.isEmpty() ? 0.0 : depthItemNumber(first.at(0));
}

namespace {
QString bookStepText(double step)
{
    // The step as the box holds it, then the zeros after its last digit dropped down to the usual count.
    QString text = QString::number(step, 'f', kBookStepDecimals);
    const int fewest = step >= 1.0 ? 2 : 6;
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    while (text.size() - point - 1 > fewest && text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}
} // namespace

QString bookStepSuffixText(double step, const QString &word)
{
    if (!(step > 0.0))
        return QString();
    return QStringLiteral("  %1 %2").arg(word, bookStepText(step));
}

bool stepMatchesPreset(double step, double presetStep)
{
    return std::abs(step - presetStep) <= std::max(presetStep * 0.000001, 0.000000001);
}
