#include "shell/themes.h"
#include "streams/snapshot_colours.h"

#include "chart/price_chart.h"
#include "movers/movers_mosaic.h"
#include "shell/main_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCompleter>
#include <QFile>
#include <QLineEdit>

namespace {
QString readSheet(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}
} // namespace

bool isLightThemeKey(const QString &key)
{
    return key == QLatin1String("mvx_light");
}

QString normalizedThemeKey(const QString &key)
{
    return isLightThemeKey(key) ? QStringLiteral("mvx_light") : QStringLiteral("coffee_dark");
}

QString themeStyleSheet(bool light)
{
    static const QString dark = readSheet(QStringLiteral(":/themes/coffee_dark.qss"));
    static const QString lightSheet = readSheet(QStringLiteral(":/themes/mvx_light.qss"));
    return light ? lightSheet : dark;
}

// Choosing the current theme again still applies and saves it: the menu is also how a user repairs a
// window whose look went wrong.
void MainWindow::setTheme(const QString &themeKey)
{
    settings.theme = normalizedThemeKey(themeKey);
    applyTheme();
    updateThemedWidgets();
    saveLocalSettings();
}

void MainWindow::applyTheme()
{
    const bool light = isLightThemeKey(settings.theme);
    if (themeDarkAction)
        themeDarkAction->setChecked(!light);
    if (themeLightAction)
        themeLightAction->setChecked(light);
    setStyleSheet(themeStyleSheet(light));
    // The symbol suggestions are a window without a parent, out of reach of the window's sheet.
    if (symbolInput && symbolInput->completer())
        symbolInput->completer()->popup()->setStyleSheet(themeStyleSheet(light));
    fitControlsToTexts();
}

void MainWindow::updateThemedWidgets()
{
    const bool light = isLightThemeKey(settings.theme);
    if (priceChart)
        priceChart->setLightTheme(light);
    if (moversMosaic)
        moversMosaic->setLightTheme(light);
    updateBookMetricCards();
    setBreadthCardTitles();
    // A snapshot is filled again only with its symbol's next quote; until then it keeps readable colours.
    if (!bookLive) {
        recolourSnapshotCells(askTable, light);
        recolourSnapshotCells(bidTable, light);
    }
}
