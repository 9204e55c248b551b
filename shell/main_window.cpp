#include "shell/main_window.h"

#include "app/startup_log.h"
#include "watchlist/symbol_rules.h"

#include <QCloseEvent>

MainWindow::MainWindow()
{
    writeStartupLog(QStringLiteral("MainWindow ctor: enter"));

    // The literal title is replaced by the current language's title during the initial loading.
    setWindowTitle(QStringLiteral("Terminal Murvex"));
    resize(1320, 820);

    writeStartupLog(QStringLiteral("MainWindow ctor: before menu setup"));
    setupMenus();
    writeStartupLog(QStringLiteral("MainWindow ctor: after menu setup"));
    // Normalisation completes bare B3 tickers from the built-in universe until the completer takes over.
    b3BaseSymbols = b3BaseSymbolsFrom(defaultSymbolUniverse());

    buildPanels();

    writeStartupLog(QStringLiteral("MainWindow ctor: before signal connects"));

    writeStartupLog(QStringLiteral("MainWindow ctor: before loadConfig"));
    loadConfig();

    retranslateUi();
}

MainWindow::~MainWindow() = default;

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
}
