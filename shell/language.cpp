#include "shell/main_window.h"
#include "shell/text_picker.h"
#include "shell/widget_kit.h"

#include "chart/price_chart.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>

bool MainWindow::isPortuguese() const
{
    return isPortugueseLanguage(settings.language);
}

QString MainWindow::localizedText(const QString &english, const QString &portuguese) const
{
    return pickLocalized(settings.language, english, portuguese);
}

void MainWindow::setLanguage(const QString &code)
{
    const QString normalized = normalizeLanguageCode(code);
    if (normalized == settings.language)
        return;
    settings.language = normalized;
    retranslateUi();
    refreshNews();
    saveLocalSettings();
    appendEventLog(localizedText(QStringLiteral("Language changed"), QStringLiteral("Idioma alterado")));
}

// Every text set at construction, in the order the window is built; a widget that does not exist is
// skipped, and the members called here test their own widgets.
void MainWindow::retranslateUi()
{
    auto setText = [](auto *widget, const QString &text) {
        if (widget)
            widget->setText(text);
    };
    auto setPrefix = [](QDoubleSpinBox *spin, const QString &prefix) {
        if (spin)
            spin->setPrefix(prefix);
    };
    // A tab title reads a lone '&' as a mnemonic mark; every title here is meant as written.
    auto setTabText = [](QTabWidget *tabs, int index, const QString &text) {
        if (tabs && index < tabs->count())
            tabs->setTabText(index, withLiteralAmpersands(text));
    };
    const QString refresh = localizedText(QStringLiteral("Refresh"), QStringLiteral("Atualizar"));

    // Every change of language ends here, whether from the menu, the settings file, a workspace or a
    // sync, so Qt's own texts switch with the window's.
    qtTexts.switchTo(settings.language);
    setWindowTitle(appTitle());
    retranslateMenus();
    if (symbolInput)
        symbolInput->setPlaceholderText(
            localizedText(QStringLiteral("Search ticker: PETR4.SA, AAPL, BTCUSDT, USD/BRL"),
                          QStringLiteral("Buscar ticker: PETR4.SA, AAPL, BTCUSDT, USD/BRL")));
    refreshCompleterModel();

    setText(addSymbolButton, localizedText(QStringLiteral("Add"), QStringLiteral("Adicionar")));
    setText(refreshQuotesButton, refresh);
    setText(chartTitleLabel, localizedText(QStringLiteral("Chart"), QString::fromUtf8("Gráfico")));
    setText(chartSelectButton, localizedText(QStringLiteral("Select"), QStringLiteral("Selecionar")));
    setText(chartResetButton, localizedText(QStringLiteral("Reset"), QStringLiteral("Resetar")));
    setText(chartHLineButton, QStringLiteral("HLine"));
    setText(chartVLineButton, QStringLiteral("VLine"));
    setText(chartTrendButton, localizedText(QStringLiteral("Trend"), QString::fromUtf8("Tendência")));
    updateChartToolTips();

    if (chartModeCombo) {
        const QString mode = currentChartMode();
        const QSignalBlocker quiet(chartModeCombo);
        chartModeCombo->clear();
        chartModeCombo->addItem(localizedText(QStringLiteral("Line"), QStringLiteral("Linha")),
                                QStringLiteral("line"));
        chartModeCombo->addItem(QStringLiteral("Candle"), QStringLiteral("candle"));
        chartModeCombo->setCurrentIndex(mode == QLatin1String("candle") ? 1 : 0);
    }

    setText(bookStepLabel, localizedText(QStringLiteral("Step"), QStringLiteral("Degrau")));
    if (bookStepSpin)
        bookStepSpin->setSpecialValueText(localizedText(QStringLiteral("Raw"), QStringLiteral("Bruto")));
    updateBookPresetButtons();

    populateMoversScopeCombo(QString());
    populateMoversIntervalCombo(QString());
    populateMoversSectorCombo(QString());
    setText(moversTitleLabel,
            localizedText(QStringLiteral("MARKET MOVERS"), QString::fromUtf8("OSCILAÇÕES DO MERCADO")));
    setPrefix(moversMinVolumeSpin, localizedText(QStringLiteral("Min Vol "), QString::fromUtf8("Vol Mín ")));
    setPrefix(moversMinTurnoverSpin,
              localizedText(QStringLiteral("Min Turnover "), QString::fromUtf8("Giro mín ")));
    setText(moversRefreshButton, refresh);
    setText(gainersTitleLabel, localizedText(QStringLiteral("TOP GAINERS"), QStringLiteral("MAIORES ALTAS")));
    setText(losersTitleLabel, localizedText(QStringLiteral("TOP LOSERS"), QStringLiteral("MAIORES BAIXAS")));
    setBreadthCardTitles();

    populateScreenerAssetCombo(QString());
    populateScreenerScopeCombo(QString());
    setText(screenerTitleLabel, localizedText(QStringLiteral("SCREENER"), QStringLiteral("RASTREADOR")));
    setPrefix(screenerMinChangeSpin,
              localizedText(QStringLiteral("Min Change "), QString::fromUtf8("Variação min ")));
    setText(screenerRefreshButton, refresh);
    if (screenerFilterEdit)
        screenerFilterEdit->setPlaceholderText(
            localizedText(QStringLiteral("Filter symbol"), QString::fromUtf8("Filtrar símbolo")));

    setText(newsTitleLabel,
            localizedText(QStringLiteral("MARKET NEWS"), QString::fromUtf8("NOTÍCIAS DO MERCADO")));
    if (newsQueryEdit)
        newsQueryEdit->setPlaceholderText(
            localizedText(QStringLiteral("Ticker or keyword: AAPL, PETR4.SA, BTCUSDT"),
                          QStringLiteral("Ticker ou palavra-chave: AAPL, PETR4.SA, BTCUSDT")));
    populateNewsRegionCombo(QString());
    populateNewsSourceCombo(QString());
    setText(newsRefreshButton, refresh);

    setText(portfolioTitleLabel,
            localizedText(QStringLiteral("PORTFOLIO / P&L"), QStringLiteral("CARTEIRA / RESULTADO")));
    setText(portfolioAddPositionButton,
            localizedText(QStringLiteral("Add position"), QString::fromUtf8("Adicionar posição")));
    setText(portfolioRemoveButton, localizedText(QStringLiteral("Remove"), QStringLiteral("Remover")));
    setText(portfolioNewButton, localizedText(QStringLiteral("New"), QStringLiteral("Nova")));
    setText(portfolioRenameButton, localizedText(QStringLiteral("Rename"), QStringLiteral("Renomear")));
    setText(portfolioDeleteButton, localizedText(QStringLiteral("Delete"), QStringLiteral("Excluir")));
    setText(portfolioCashFlowButton,
            localizedText(QStringLiteral("Cash flow"), QStringLiteral("Fluxo de caixa")));
    setText(portfolioDividendButton, localizedText(QStringLiteral("Dividend"), QStringLiteral("Dividendo")));
    setTabText(portfolioTabs, 0, localizedText(QStringLiteral("Positions"), QString::fromUtf8("Posições")));
    setTabText(portfolioTabs, 1,
               localizedText(QStringLiteral("Cash & dividends"), QStringLiteral("Caixa e dividendos")));

    populateTapeFilterCombo(QString());
    setPrefix(tapeMinSizeSpin, localizedText(QStringLiteral("Min "), QString::fromUtf8("Mín ")));
    setText(tapeClearButton, localizedText(QStringLiteral("Clear"), QStringLiteral("Limpar")));

    setTabText(mainTabs, 0, QStringLiteral("Terminal"));
    setTabText(mainTabs, 1, localizedText(QStringLiteral("Movers"), QString::fromUtf8("Oscilações")));
    setTabText(mainTabs, 2, localizedText(QStringLiteral("Screener"), QStringLiteral("Rastreador")));
    setTabText(mainTabs, 3, localizedText(QStringLiteral("News"), QString::fromUtf8("Notícias")));
    setTabText(mainTabs, 4, localizedText(QStringLiteral("Portfolio"), QStringLiteral("Carteira")));
    setTabText(rightTabs, 0, localizedText(QStringLiteral("Book"), QStringLiteral("Livro")));
    setTabText(rightTabs, 1, localizedText(QStringLiteral("Tape"), QStringLiteral("Fita")));
    setTabText(bottomTabs, 0, QStringLiteral("Terminal"));
    setTabText(bottomTabs, 1, localizedText(QStringLiteral("History"), QString::fromUtf8("Histórico")));

    retranslateTables();
    retranslateStatusColumn();
    retranslateStreamPanels();
}

void MainWindow::retranslateTables()
{
    if (quoteTable) {
        const int smaPeriod = priceChart ? priceChart->smaPeriod() : 20;
        const int emaPeriod = priceChart ? priceChart->emaPeriod() : 20;
        quoteTable->setHorizontalHeaderLabels(
            {localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
             localizedText(QStringLiteral("Asset"), QStringLiteral("Ativo")),
             localizedText(QStringLiteral("Open"), QStringLiteral("Abertura")),
             localizedText(QStringLiteral("High"), QString::fromUtf8("Máxima")),
             localizedText(QStringLiteral("Low"), QString::fromUtf8("Mínima")),
             localizedText(QStringLiteral("Close"), QStringLiteral("Fechamento")),
             localizedText(QStringLiteral("Last"), QString::fromUtf8("Último")),
             localizedText(QStringLiteral("Change"), QString::fromUtf8("Variação")),
             QStringLiteral("SMA%1").arg(smaPeriod), QStringLiteral("EMA%1").arg(emaPeriod),
             QStringLiteral("VWAP"), QStringLiteral("MACD"),
             localizedText(QStringLiteral("Source"), QStringLiteral("Fonte")),
             localizedText(QStringLiteral("Latency"), QString::fromUtf8("Latência")),
             QStringLiteral("Status"),
             localizedText(QStringLiteral("Updated"), QStringLiteral("Atualizado"))});
    }
    if (alertHistoryTable) {
        alertHistoryTable->setHorizontalHeaderLabels(
            {localizedText(QStringLiteral("Time"), QString::fromUtf8("Horário")),
             localizedText(QStringLiteral("Event"), QStringLiteral("Evento")),
             localizedText(QStringLiteral("Symbol"), QString::fromUtf8("Símbolo")),
             localizedText(QStringLiteral("Condition"), QString::fromUtf8("Condição")),
             localizedText(QStringLiteral("Target"), QStringLiteral("Alvo")),
             localizedText(QStringLiteral("Price"), QString::fromUtf8("Preço")), QStringLiteral("Status")});
    }
    retranslateMoversTables();
    retranslateScreenerHeaders();
    setTapeHeaders();
    retranslateNewsHeaders();
    setPortfolioTableHeaders();
    refreshPortfolio();
    updateQuoteTiles();
    fitControlsToTexts();
}

void MainWindow::retranslateMenus()
{
    auto setMenuTitle = [](QMenu *menu, const QString &text) {
        if (menu)
            menu->setTitle(text);
    };
    auto setActionText = [](QAction *action, const QString &text) {
        if (action)
            action->setText(text);
    };
    setMenuTitle(viewMenu, localizedText(QStringLiteral("View"), QStringLiteral("Exibir")));
    setMenuTitle(accountMenu, localizedText(QStringLiteral("Account"), QStringLiteral("Conta")));
    setMenuTitle(dataApisMenu,
                 localizedText(QStringLiteral("Data And APIs"), QStringLiteral("Dados e APIs")));
    setActionText(apiKeysAction, localizedText(QStringLiteral("API Keys"), QStringLiteral("Chaves de API")));
    setActionText(verifyApisAction,
                  localizedText(QStringLiteral("Verify APIs"), QStringLiteral("Verificar APIs")));
    setActionText(shortcutsAction, localizedText(QStringLiteral("Shortcuts"), QStringLiteral("Atalhos")));
    setActionText(syncNowAction,
                  localizedText(QStringLiteral("Sync Now"), QStringLiteral("Sincronizar agora")));
    setActionText(syncStatusAction,
                  localizedText(QStringLiteral("Sync Status"), QStringLiteral("Status do sync")));
    setActionText(logoutAction, localizedText(QStringLiteral("Logout"), QStringLiteral("Sair")));
    setMenuTitle(languageMenu, localizedText(QStringLiteral("Language"), QStringLiteral("Idioma")));
    if (languageEnglishAction)
        languageEnglishAction->setChecked(!isPortuguese());
    if (languagePortugueseAction)
        languagePortugueseAction->setChecked(isPortuguese());
    setMenuTitle(appearanceMenu, localizedText(QStringLiteral("Appearance"), QString::fromUtf8("Aparência")));
    setMenuTitle(layoutMenu, localizedText(QStringLiteral("Layout"), QStringLiteral("Layout")));
    setActionText(layoutBalancedAction,
                  localizedText(QStringLiteral("Balanced"), QStringLiteral("Balanceado")));
    setActionText(layoutDenseAction,
                  localizedText(QStringLiteral("Dense Terminal"), QStringLiteral("Terminal denso")));
    setActionText(layoutChartAction,
                  localizedText(QStringLiteral("Chart Focus"), QString::fromUtf8("Foco no gráfico")));
    setActionText(layoutOrderFlowAction,
                  localizedText(QStringLiteral("Order Flow Focus"), QStringLiteral("Foco em fluxo")));
    setActionText(saveWorkspaceAction,
                  localizedText(QStringLiteral("Save Workspace"), QStringLiteral("Salvar workspace")));
    setActionText(loadWorkspaceAction,
                  localizedText(QStringLiteral("Load Workspace"), QStringLiteral("Carregar workspace")));
    setActionText(moveToNextMonitorAction, localizedText(QStringLiteral("Move To Next Monitor"),
                                                         QString::fromUtf8("Mover para próximo monitor")));
    setMenuTitle(columnsMenu, localizedText(QStringLiteral("Columns"), QStringLiteral("Colunas")));
    setActionText(columnsAllAction, localizedText(QStringLiteral("All"), QStringLiteral("Todas")));
    setActionText(columnsTradingAction, localizedText(QStringLiteral("Trading"), QStringLiteral("Trading")));
    setActionText(columnsAnalyticsAction, QStringLiteral("Analytics"));
    setActionText(columnsCompactAction, localizedText(QStringLiteral("Compact"), QStringLiteral("Compacto")));
}
