#include "movers/movers_mosaic.h"
#include "shell/main_window.h"

#include <QAction>

// Style sheets and themed widgets come with the themes work; until then a theme is a stored key
// and the checked menu action.
void MainWindow::setTheme(const QString &themeKey)
{
    settings.theme = themeKey;
    applyTheme();
}

void MainWindow::applyTheme()
{
    const bool light = settings.theme == QLatin1String("mvx_light");
    if (themeLightAction)
        themeLightAction->setChecked(light);
    if (themeDarkAction)
        themeDarkAction->setChecked(!light);
}

void MainWindow::updateThemedWidgets()
{
    if (moversMosaic)
        moversMosaic->setLightTheme(settings.theme == QLatin1String("mvx_light"));
    setBreadthCardTitles();
    updateBookMetricCards();
}
