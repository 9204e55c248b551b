#include "movers/movers_mosaic.h"
#include "movers/movers_ranking.h"
#include "shell/formats.h"
#include "shell/main_window.h"
#include "watchlist/market_table_item.h"
#include "watchlist/sorting_pause.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QLabel>
#include <QStatusBar>
#include <QTableWidget>

#include <cmath>

namespace {
const QColor kGreen(0x20, 0xc8, 0x78);
const QColor kRed(0xf4, 0x5d, 0x5d);
const QColor kAmber(0xf3, 0xb2, 0x4a);

QString percentText(double value)
{
    return QStringLiteral("%1%").arg(QString::number(value, 'f', 2));
}

// The style a breadth card was last given, so that a load that changes nothing restyles nothing (a style
// sheet is re-parsed on every set).
const char *const kCardStyleProperty = "mvxBreadthStyle";

QString fillKey(const MoverEntry &entry, double turnover, const QString &sector)
{
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(entry.symbol)
        .arg(entry.price, 0, 'g', 17)
        .arg(entry.changePct, 0, 'g', 17)
        .arg(entry.volume, 0, 'g', 17)
        .arg(turnover, 0, 'g', 17)
        .arg(sector);
}
} // namespace

QString MainWindow::moversIntervalLabel(const QString &key) const
{
    if (key == QLatin1String("hour"))
        return localizedText(QStringLiteral("Hour"), QStringLiteral("Hora"));
    if (key == QLatin1String("week"))
        return localizedText(QStringLiteral("Week"), QStringLiteral("Semana"));
    if (key == QLatin1String("month"))
        return localizedText(QStringLiteral("Month"), QString::fromUtf8("Mês"));
    return localizedText(QStringLiteral("Day"), QStringLiteral("Dia"));
}

QString MainWindow::currentMoversIntervalLabel() const
{
    return moversIntervalCombo ? moversIntervalCombo->currentText()
                               : moversIntervalLabel(QStringLiteral("day"));
}

qint64 MainWindow::moversIntervalSeconds() const
{
    return moversIntervalCombo ? moversIntervalSecondsFor(currentMoversInterval()) : 86400;
}

double MainWindow::localSeriesChange(const QString &symbol, double fallback) const
{
    const auto found = candlesBySymbol.constFind(symbol);
    if (found == candlesBySymbol.constEnd())
        return fallback;
    return ::localSeriesChange(*found, moversIntervalSeconds(), fallback);
}

double MainWindow::moverTurnover(const MoverEntry &entry)
{
    return ::moverTurnover(entry);
}

bool MainWindow::compareMoverChangeDesc(const MoverEntry &a, const MoverEntry &b)
{
    return ::compareMoverChangeDesc(a, b);
}

bool MainWindow::compareMoverChangeAsc(const MoverEntry &a, const MoverEntry &b)
{
    return ::compareMoverChangeAsc(a, b);
}

bool MainWindow::compareMoverAbsChangeDesc(const MoverEntry &a, const MoverEntry &b)
{
    return ::compareMoverAbsChangeDesc(a, b);
}

void MainWindow::loadMarketMovers(QList<MoverEntry> list, const QString &sourceLabel)
{
    if (!gainersTable || !losersTable || !moversMosaic)
        return;

    const bool rebase = currentMoversInterval() != QLatin1String("day");
    int adjusted = 0;
    if (rebase) {
        for (MoverEntry &entry : list) {
            const auto found = candlesBySymbol.constFind(entry.symbol);
            if (found == candlesBySymbol.constEnd() || found->size() < 2)
                continue;
            entry.changePct = localSeriesChange(entry.symbol, entry.changePct);
            ++adjusted;
        }
    }
    for (const MoverEntry &entry : list) {
        // Only a changed entry asks the screener to rewrite its row.
        const auto known = moverSnapshots.constFind(entry.symbol);
        const bool same = known != moverSnapshots.constEnd() && known->price == entry.price &&
                          known->changePct == entry.changePct && known->volume == entry.volume &&
                          known->turnover == entry.turnover &&
                          moverSourceLabels.value(entry.symbol) == sourceLabel;
        if (same)
            continue;
        moverSnapshots.insert(entry.symbol, entry);
        moverSourceLabels.insert(entry.symbol, sourceLabel);
        screenerDirtySymbols.insert(entry.symbol);
    }
    refreshScreener();
    populateMoversSectorCombo(currentMoversSector());

    const double minVolume = moversMinVolumeSpin ? moversMinVolumeSpin->value() : 0.0;
    const double minTurnover = moversMinTurnoverSpin ? moversMinTurnoverSpin->value() : 0.0;
    list = filterMovers(list, minVolume, minTurnover, currentMoversSector(),
                        [this](const QString &symbol) { return sectorLabel(symbol); });
    updateMoversStats(list);

    const MoversRanking ranking = rankMovers(list);
    fillMoversTable(gainersTable, ranking.gainers, true);
    fillMoversTable(losersTable, ranking.losers, false);
    moversMosaic->setMovers(ranking.mosaic);

    const QString suffix =
        rebase
            ? localizedText(QStringLiteral(" | %1 local series adjusted, others provider daily"),
                            QString::fromUtf8(" | %1 séries locais ajustadas, demais no diário do provedor"))
                  .arg(adjusted)
            : QString();
    statusBar()->showMessage(
        localizedText(QStringLiteral("Market movers updated: %1 (%2 gainers, %3 losers)%4"),
                      QString::fromUtf8("Oscilações atualizadas: %1 (%2 altas, %3 baixas)%4"))
            .arg(sourceLabel, QString::number(ranking.gainers.size()), QString::number(ranking.losers.size()),
                 suffix));
}

void MainWindow::updateMoversStats(const QList<MoverEntry> &list)
{
    if (breadthCards.size() < 5)
        return;
    const BreadthStats stats = computeBreadth(list);
    const QString theme = settings.theme;
    auto styleMetricCard = [this, &theme](QLabel *card, const QString &caption, const QString &value,
                                          const QColor &accent) {
        const QString style = QStringList{caption, value, accent.name(), theme}.join(QLatin1Char('\n'));
        if (card->property(kCardStyleProperty).toString() == style)
            return;
        MainWindow::styleMetricCard(card, caption, value, accent);
        card->setProperty(kCardStyleProperty, style);
    };
    styleMetricCard(breadthCards.at(0),
                    localizedText(QStringLiteral("ADV / DEC"), QStringLiteral("ALTAS / BAIXAS")),
                    QStringLiteral("%1 / %2").arg(stats.advancers).arg(stats.decliners),
                    stats.advancers < stats.decliners ? kRed : kGreen);
    styleMetricCard(breadthCards.at(1), localizedText(QStringLiteral("MEDIAN"), QStringLiteral("MEDIANA")),
                    percentText(stats.median), stats.median < 0.0 ? kRed : kGreen);
    auto moverText = [&stats](const MoverEntry &entry) {
        return stats.hasBest ? QStringLiteral("%1 %2").arg(entry.symbol, percentText(entry.changePct))
                             : QStringLiteral("--");
    };
    styleMetricCard(breadthCards.at(2), localizedText(QStringLiteral("BEST"), QStringLiteral("MAIOR ALTA")),
                    moverText(stats.best), kGreen);
    styleMetricCard(breadthCards.at(3), localizedText(QStringLiteral("WORST"), QStringLiteral("MAIOR BAIXA")),
                    moverText(stats.worst), kRed);
    styleMetricCard(breadthCards.at(4), localizedText(QStringLiteral("TURNOVER"), QStringLiteral("GIRO")),
                    formatCompactNumber(stats.turnover), kAmber);
}

void MainWindow::setBreadthCardTitles()
{
    if (breadthCards.size() < 5)
        return;
    for (QLabel *card : std::as_const(breadthCards))
        card->setProperty(kCardStyleProperty, QVariant());
    restyleMetricCard(breadthCards.at(0),
                      localizedText(QStringLiteral("ADV / DEC"), QStringLiteral("ALTAS / BAIXAS")), kGreen);
    restyleMetricCard(breadthCards.at(1), localizedText(QStringLiteral("MEDIAN"), QStringLiteral("MEDIANA")),
                      kAmber);
    restyleMetricCard(breadthCards.at(2), localizedText(QStringLiteral("BEST"), QStringLiteral("MAIOR ALTA")),
                      kGreen);
    restyleMetricCard(breadthCards.at(3),
                      localizedText(QStringLiteral("WORST"), QStringLiteral("MAIOR BAIXA")), kRed);
    restyleMetricCard(breadthCards.at(4), localizedText(QStringLiteral("TURNOVER"), QStringLiteral("GIRO")),
                      kAmber);
}

void MainWindow::fillMoversTable(QTableWidget *table, const QList<MoverEntry> &list, bool gainers)
{
    if (!table)
        return;
    // A load that brings the same rows as the last one (the watchlist scope reloads on every quote)
    // leaves the table as it is.
    QStringList keys;
    keys.reserve(list.size());
    for (const MoverEntry &entry : list)
        keys.append(fillKey(entry, moverTurnover(entry), sectorLabel(entry.symbol)));
    const QString fill = keys.join(QLatin1Char('\n')) + (isPortuguese() ? QStringLiteral("|pt") : QString());
    if (table->rowCount() == list.size() && table->property("mvxMoversFill").toString() == fill)
        return;
    table->setProperty("mvxMoversFill", fill);
    SortingPause pause(table);
    table->setRowCount(0);
    for (const MoverEntry &entry : list) {
        const int row = table->rowCount();
        table->insertRow(row);
        const double turnover = moverTurnover(entry);
        setMoversCell(table, row, 0, entry.symbol, 0.0, false);
        setMoversCell(table, row, 1, formatPrice(entry.price), entry.price, true);
        setMoversCell(table, row, 2, percentText(entry.changePct), entry.changePct, true);
        setMoversCell(table, row, 3, formatCompactNumber(entry.volume), entry.volume, true);
        setMoversCell(table, row, 4, formatCompactNumber(turnover), turnover, true);
        setMoversCell(table, row, 5, sectorLabel(entry.symbol), 0.0, false);
        if (QTableWidgetItem *change = table->item(row, 2))
            change->setForeground(gainers ? kGreen : kRed);
    }
}

void MainWindow::setMoversCell(QTableWidget *table, int row, int column, const QString &text,
                               double sortValue, bool hasSortValue)
{
    if (!table)
        return;
    auto *item = new MarketTableItem(text);
    if (hasSortValue)
        item->setData(Qt::UserRole, sortValue);
    if (column == 0) {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setBold(true);
        item->setFont(font);
    }
    table->setItem(row, column, item);
}
