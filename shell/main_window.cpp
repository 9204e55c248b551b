#include "shell/main_window.h"

#include "app/startup_log.h"
#include "chart/price_chart.h"
#include "movers/movers_mosaic.h"
#include "providers/provider_cascade.h"
#include "providers/reply_drop.h"
#include "watchlist/symbol_rules.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QNetworkReply>
#include <QPushButton>
#include <QTableWidget>

MainWindow::MainWindow()
{
    writeStartupLog(QStringLiteral("MainWindow ctor: enter"));

    // The literal title is replaced by the current language's title during the initial loading.
    setWindowTitle(QStringLiteral("Terminal Murvex"));
    resize(1320, 820);

    writeStartupLog(QStringLiteral("MainWindow ctor: before menu setup"));
    setupMenus();
    writeStartupLog(QStringLiteral("MainWindow ctor: after menu setup"));

    buildPanels();

    writeStartupLog(QStringLiteral("MainWindow ctor: before signal connects"));
    connectSignals();

    writeStartupLog(QStringLiteral("MainWindow ctor: before loadConfig"));
    loadConfig();
    writeStartupLog(QStringLiteral("MainWindow ctor: before loadLocalSettings"));
    loadLocalSettings();
    writeStartupLog(QStringLiteral("MainWindow ctor: before applyConfiguredShortcuts"));
    applyConfiguredShortcuts();
    writeStartupLog(QStringLiteral("MainWindow ctor: before retranslateUi"));
    retranslateUi();
    writeStartupLog(QStringLiteral("MainWindow ctor: before applyColumnVisibilityConfig"));
    applyColumnVisibilityConfig();
    writeStartupLog(QStringLiteral("MainWindow ctor: before loadWatchlist"));
    loadWatchlist();
    writeStartupLog(QStringLiteral("MainWindow ctor: before refreshPortfolio"));
    refreshPortfolio();
    writeStartupLog(QStringLiteral("MainWindow ctor: before applyTheme"));
    applyTheme();
    writeStartupLog(QStringLiteral("MainWindow ctor: before updateThemedWidgets"));
    updateThemedWidgets();
    writeStartupLog(QStringLiteral("MainWindow ctor: before refreshAlertHistoryTable"));
    refreshAlertHistoryTable();
    writeStartupLog(QStringLiteral("MainWindow ctor: after refreshAlertHistoryTable"));

    appendEventLog(
        localizedText(QStringLiteral("Terminal initialized"), QStringLiteral("Terminal inicializado")));
    const int savedAlerts = static_cast<int>(alerts.size());
    if (savedAlerts > 0)
        appendEventLog(localizedText(QStringLiteral("Loaded %1 saved alert(s)"),
                                     QStringLiteral("%1 alerta(s) salvo(s) carregado(s)"))
                           .arg(savedAlerts));
    // The selection handler runs at once: the first row's quote, chart and book are asked for here.
    if (quoteTable && quoteTable->rowCount() > 0)
        quoteTable->selectRow(0);
    QTimer::singleShot(250, this, [this]() { startMarketData(); });
}

MainWindow::~MainWindow()
{
    // Members go before the window base, so a socket, timer or reply that still reported to the window
    // while being destroyed would reach members that are already gone. Everything that can call back
    // is cut off first, and the open connections and requests are dropped without a word.
    for (QTimer *timer : {&quotePollTimer, &moversTimer, &newsTimer, &symbolSearchTimer, &settingsSaveTimer,
                          &usdBrlTimer, &itickPingTimer, &itickDepthTimer, &itickRetryTimer}) {
        timer->stop();
        disconnect(timer, nullptr, this, nullptr);
    }
    for (QWebSocket *socket : {&tickerSocket, &depthSocket, &itickSocket, &tradeSocket}) {
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
    }
    // A running quote walk would otherwise still answer into the rows from its timer or its reply.
    for (const auto &cascade : std::as_const(quoteCascades)) {
        if (cascade)
            cascade->cancel();
    }
    const QList<QNetworkReply *> replies = networkManager.findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies) {
        reply->disconnect();
        dropReply(reply, nullptr);
    }
    const QList<QObject *> children = findChildren<QObject *>();
    for (QObject *child : children)
        disconnect(child, nullptr, this, nullptr);
    if (priceChart) {
        priceChart->setStatusCallback({});
        priceChart->setChangedCallback({});
        priceChart->setDrawModeCallback({});
    }
    if (moversMosaic)
        moversMosaic->setActivationCallback({});
    // Qt's translation goes with the window that installed it, taken away while the window is still
    // whole: removing it tells the application of a language change.
    qtTexts.switchTo(QString());
}

void MainWindow::startMarketData()
{
    if (marketDataStarted)
        return;
    marketDataStarted = true;
    requestCryptoUniverse();
    refreshAllQuotes();
    refreshMarketMovers();
    refreshNews();
    requestQuote(QStringLiteral("BRL=X"));
    quotePollTimer.start();
    moversTimer.start();
    newsTimer.start();
    usdBrlTimer.start();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (accountBusy) {
        // An account call waits in a nested loop below this one: the window must outlive it. The wait
        // ends as a time-out and the close comes back once the call has returned.
        event->ignore();
        abandonAccountWait();
        return;
    }
    closeAfterAccountWait = false;
    if (quitting || settings.authToken.trimmed().isEmpty()) {
        saveLocalSettings();
        event->accept();
        return;
    }
    // The question runs its own event loop, where a second close request (another click on the close
    // button, the session ending) would otherwise open a second question over the first.
    if (closeQuestionOpen) {
        event->ignore();
        return;
    }
    QMessageBox box(this);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(appTitle());
    box.setText(localizedText(QStringLiteral("What do you want to do?"),
                              QString::fromUtf8("O que você quer fazer?")));
    QPushButton *logoutButton = box.addButton(localizedText(QStringLiteral("Logout"), QStringLiteral("Sair")),
                                              QMessageBox::ActionRole);
    QPushButton *closeButton =
        box.addButton(localizedText(QStringLiteral("Close app"), QStringLiteral("Fechar aplicativo")),
                      QMessageBox::AcceptRole);
    QPushButton *cancelButton = box.addButton(
        localizedText(QStringLiteral("Cancel"), QStringLiteral("Cancelar")), QMessageBox::RejectRole);
    box.setEscapeButton(cancelButton);
    closeQuestionOpen = true;
    box.exec();
    closeQuestionOpen = false;
    const QAbstractButton *chosen = box.clickedButton();
    if (chosen == logoutButton) {
        event->ignore();
        logout();
    } else if (chosen == closeButton) {
        saveLocalSettings();
        quitting = true;
        event->accept();
    } else {
        event->ignore();
    }
}
