#include "chart/price_chart.h"
#include "settings/json_file.h"
#include "shell/main_window.h"
#include "tests/support/shown_text.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QHeaderView>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {
QString u(const char *text)
{
    return QString::fromUtf8(text);
}

QStringList headers(const QTableWidget *table)
{
    QStringList out;
    for (int column = 0; column < table->columnCount(); ++column)
        out << table->horizontalHeaderItem(column)->text();
    return out;
}

QStringList comboKeys(const QComboBox *combo)
{
    QStringList out;
    for (int index = 0; index < combo->count(); ++index)
        out << combo->itemData(index).toString();
    return out;
}

// What Qt itself shows on the standard buttons of a new message box, without mnemonics.
QStringList standardButtonTexts()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Cancel | QMessageBox::Close | QMessageBox::Yes |
                           QMessageBox::No);
    QStringList out;
    for (QMessageBox::StandardButton which :
         {QMessageBox::Save, QMessageBox::Cancel, QMessageBox::Close, QMessageBox::Yes, QMessageBox::No})
        out << box.button(which)->text().remove(QLatin1Char('&'));
    return out;
}

// The prompt a new key editor shows while it holds no key.
QString keyEditorPrompt()
{
    QKeySequenceEdit editor;
    return editor.findChild<QLineEdit *>()->placeholderText();
}

const QStringList kEnglishButtons{"Save", "Cancel", "Close", "Yes", "No"};

// Qt's own Portuguese translation as Qt finds it on this machine, or empty when it is not installed.
QString installedQtTranslations()
{
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    return QFile::exists(dir + QStringLiteral("/qtbase_pt_BR.qm")) ? dir : QString();
}

// Every text the language switch owns, each named by its widget, in one list to compare at once. Buttons,
// labels and tabs give what the user reads on them, after Qt has taken its mnemonic marks.
QStringList windowTexts(const MainWindow &w)
{
    return {
        "placeholder=" + w.symbolInput->placeholderText(),
        "add=" + shownText(w.addSymbolButton),
        "refresh=" + shownText(w.refreshQuotesButton),
        "chart=" + shownText(w.chartTitleLabel),
        "select=" + shownText(w.chartSelectButton),
        "reset=" + shownText(w.chartResetButton),
        "hline=" + shownText(w.chartHLineButton),
        "vline=" + shownText(w.chartVLineButton),
        "trend=" + shownText(w.chartTrendButton),
        "modes=" + w.chartModeCombo->itemText(0) + "|" + w.chartModeCombo->itemText(1),
        "step=" + shownText(w.bookStepLabel),
        "raw=" + w.bookStepSpin->specialValueText(),
        "movers=" + shownText(w.moversTitleLabel),
        "minvol=" + w.moversMinVolumeSpin->prefix(),
        "minturn=" + w.moversMinTurnoverSpin->prefix(),
        "moversrefresh=" + shownText(w.moversRefreshButton),
        "gainers=" + shownText(w.gainersTitleLabel),
        "losers=" + shownText(w.losersTitleLabel),
        "screener=" + shownText(w.screenerTitleLabel),
        "minchange=" + w.screenerMinChangeSpin->prefix(),
        "screenerrefresh=" + shownText(w.screenerRefreshButton),
        "filter=" + w.screenerFilterEdit->placeholderText(),
        "news=" + shownText(w.newsTitleLabel),
        "query=" + w.newsQueryEdit->placeholderText(),
        "newsrefresh=" + shownText(w.newsRefreshButton),
        "portfolio=" + shownText(w.portfolioTitleLabel),
        "addpos=" + shownText(w.portfolioAddPositionButton),
        "remove=" + shownText(w.portfolioRemoveButton),
        "new=" + shownText(w.portfolioNewButton),
        "rename=" + shownText(w.portfolioRenameButton),
        "delete=" + shownText(w.portfolioDeleteButton),
        "cash=" + shownText(w.portfolioCashFlowButton),
        "dividend=" + shownText(w.portfolioDividendButton),
        "portfoliotabs=" + shownTabTexts(w.portfolioTabs).join('|'),
        "tapemin=" + w.tapeMinSizeSpin->prefix(),
        "clear=" + shownText(w.tapeClearButton),
        "main=" + shownTabTexts(w.mainTabs).join('|'),
        "right=" + shownTabTexts(w.rightTabs).join('|'),
        "bottom=" + shownTabTexts(w.bottomTabs).join('|'),
        "quote=" + headers(w.quoteTable).join('|'),
        "history=" + headers(w.alertHistoryTable).join('|'),
        "tips=" + QStringList{w.chartSelectButton->toolTip(), w.chartResetButton->toolTip(),
                              w.chartHLineButton->toolTip(), w.chartVLineButton->toolTip(),
                              w.chartTrendButton->toolTip()}
                      .join('|'),
    };
}
} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTextInBothLanguages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("en") << "en"
                            << QStringList{
                                   "placeholder=Search ticker: PETR4.SA, AAPL, BTCUSDT, USD/BRL",
                                   "add=Add",
                                   "refresh=Refresh",
                                   "chart=Chart",
                                   "select=Select",
                                   "reset=Reset",
                                   "hline=HLine",
                                   "vline=VLine",
                                   "trend=Trend",
                                   "modes=Line|Candle",
                                   "step=Step",
                                   "raw=Raw",
                                   "movers=MARKET MOVERS",
                                   "minvol=Min Vol ",
                                   "minturn=Min Turnover ",
                                   "moversrefresh=Refresh",
                                   "gainers=TOP GAINERS",
                                   "losers=TOP LOSERS",
                                   "screener=SCREENER",
                                   "minchange=Min Change ",
                                   "screenerrefresh=Refresh",
                                   "filter=Filter symbol",
                                   "news=MARKET NEWS",
                                   "query=Ticker or keyword: AAPL, PETR4.SA, BTCUSDT",
                                   "newsrefresh=Refresh",
                                   "portfolio=PORTFOLIO / P&L",
                                   "addpos=Add position",
                                   "remove=Remove",
                                   "new=New",
                                   "rename=Rename",
                                   "delete=Delete",
                                   "cash=Cash flow",
                                   "dividend=Dividend",
                                   "portfoliotabs=Positions|Cash & dividends",
                                   "tapemin=Min ",
                                   "clear=Clear",
                                   "main=Terminal|Movers|Screener|News|Portfolio",
                                   "right=Book|Tape",
                                   "bottom=Terminal|History",
                                   "quote=Symbol|Asset|Open|High|Low|Close|Last|Change|SMA20|EMA20|VWAP|MACD|"
                                   "Source|Latency|Status|Updated",
                                   "history=Time|Event|Symbol|Condition|Target|Price|Status",
                                   "tips=Select (Alt+1)|Reset zoom to the latest candle (Alt+0)|"
                                   "Horizontal line (Alt+2). Hold Ctrl to snap price to OHLC.|"
                                   "Vertical line (Alt+3). Time snaps to the nearest candle.|"
                                   "Trend line (Alt+4). Hold Ctrl to snap prices to OHLC.",
                               };
        QTest::newRow("pt_BR")
            << "pt_BR"
            << QStringList{
                   "placeholder=Buscar ticker: PETR4.SA, AAPL, BTCUSDT, USD/BRL",
                   "add=Adicionar",
                   "refresh=Atualizar",
                   u("chart=Gráfico"),
                   "select=Selecionar",
                   "reset=Resetar",
                   "hline=HLine",
                   "vline=VLine",
                   u("trend=Tendência"),
                   "modes=Linha|Candle",
                   "step=Degrau",
                   "raw=Bruto",
                   u("movers=OSCILAÇÕES DO MERCADO"),
                   u("minvol=Vol Mín "),
                   u("minturn=Giro mín "),
                   "moversrefresh=Atualizar",
                   "gainers=MAIORES ALTAS",
                   "losers=MAIORES BAIXAS",
                   "screener=RASTREADOR",
                   u("minchange=Variação min "),
                   "screenerrefresh=Atualizar",
                   u("filter=Filtrar símbolo"),
                   u("news=NOTÍCIAS DO MERCADO"),
                   "query=Ticker ou palavra-chave: AAPL, PETR4.SA, BTCUSDT",
                   "newsrefresh=Atualizar",
                   "portfolio=CARTEIRA / RESULTADO",
                   u("addpos=Adicionar posição"),
                   "remove=Remover",
                   "new=Nova",
                   "rename=Renomear",
                   "delete=Excluir",
                   "cash=Fluxo de caixa",
                   "dividend=Dividendo",
                   u("portfoliotabs=Posições|Caixa e dividendos"),
                   u("tapemin=Mín "),
                   "clear=Limpar",
                   u("main=Terminal|Oscilações|Rastreador|Notícias|Carteira"),
                   "right=Livro|Fita",
                   u("bottom=Terminal|Histórico"),
                   u("quote=Símbolo|Ativo|Abertura|Máxima|Mínima|Fechamento|Último|Variação|"
                     "SMA20|EMA20|VWAP|MACD|Fonte|Latência|Status|Atualizado"),
                   u("history=Horário|Evento|Símbolo|Condição|Alvo|Preço|Status"),
                   u("tips=Selecionar (Alt+1)|Resetar zoom para o candle mais recente (Alt+0)|"
                     "Linha horizontal (Alt+2). Segure Ctrl para encaixar no OHLC.|"
                     "Linha vertical (Alt+3). O tempo encaixa no candle mais próximo.|"
                     "Linha de tendência (Alt+4). Segure Ctrl para encaixar no OHLC."),
               };
    }

    void everyTextInBothLanguages()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        TempHome home;
        MainWindow window;
        // There and back: every text must come back from the other language, not only be set once.
        window.setLanguage(language == QLatin1String("en") ? QStringLiteral("pt_BR") : QStringLiteral("en"));
        window.setLanguage(language);
        const QStringList actual = windowTexts(window);
        QCOMPARE(actual.size(), texts.size());
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(actual.at(i), texts.at(i));
    }

    void indicatorHeadersFollowTheChartsPeriods()
    {
        TempHome home;
        MainWindow window;
        window.priceChart->applyIndicatorSettings(QJsonObject{{"sma_period", 50}, {"ema_period", 9}});
        for (const char *language : {"pt_BR", "en"}) {
            window.setLanguage(QString::fromLatin1(language));
            QCOMPARE(window.quoteTable->horizontalHeaderItem(QuoteColumnSma)->text(),
                     QStringLiteral("SMA50"));
            QCOMPARE(window.quoteTable->horizontalHeaderItem(QuoteColumnEma)->text(), QStringLiteral("EMA9"));
        }
        // Without a chart the default periods stand.
        delete window.priceChart;
        window.priceChart = nullptr;
        window.retranslateTables();
        QCOMPARE(window.quoteTable->horizontalHeaderItem(QuoteColumnSma)->text(), QStringLiteral("SMA20"));
        QCOMPARE(window.quoteTable->horizontalHeaderItem(QuoteColumnEma)->text(), QStringLiteral("EMA20"));
    }

    void tooltipsNameTheConfiguredKeys()
    {
        TempHome home;
        MainWindow window;
        window.settings.shortcutOverrides.insert(QStringLiteral("chart_trend"), QStringLiteral("Ctrl+T"));
        window.setLanguage(QStringLiteral("pt_BR"));
        QCOMPARE(window.chartTrendButton->toolTip(),
                 u("Linha de tendência (Ctrl+T). Segure Ctrl para encaixar no OHLC."));
        QCOMPARE(window.chartSelectButton->toolTip(), QStringLiteral("Selecionar (Alt+1)"));
    }

    void requestedCodes_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("logged"); // empty: nothing happens at all
        QTest::newRow("pt_BR from en") << "en"
                                       << "pt_BR"
                                       << "pt_BR"
                                       << "Idioma alterado";
        QTest::newRow("en from pt_BR") << "pt_BR"
                                       << "en"
                                       << "en"
                                       << "Language changed";
        QTest::newRow("hyphen from pt_BR") << "pt_BR"
                                           << "pt-BR"
                                           << "en"
                                           << "Language changed";
        QTest::newRow("upper case from pt_BR") << "pt_BR"
                                               << "PT_BR"
                                               << "en"
                                               << "Language changed";
        QTest::newRow("bare code from pt_BR") << "pt_BR"
                                              << "pt"
                                              << "en"
                                              << "Language changed";
        QTest::newRow("empty from pt_BR") << "pt_BR"
                                          << ""
                                          << "en"
                                          << "Language changed";
        QTest::newRow("hyphen from en") << "en"
                                        << "pt-BR"
                                        << "en"
                                        << "";
        QTest::newRow("same pt_BR") << "pt_BR"
                                    << "pt_BR"
                                    << "pt_BR"
                                    << "";
        QTest::newRow("same en") << "en"
                                 << "en"
                                 << "en"
                                 << "";
    }

    void requestedCodes()
    {
        QFETCH(QString, start);
        QFETCH(QString, requested);
        QFETCH(QString, result);
        QFETCH(QString, logged);
        TempHome home;
        MainWindow window;
        window.setLanguage(start);
        const QString settingsPath = window.localSettingsWritePath();
        QFile::remove(settingsPath);
        window.eventConsole->clear();
        window.addSymbolButton->setText(QStringLiteral("untouched"));

        window.setLanguage(requested);
        QCOMPARE(window.settings.language, result);
        if (logged.isEmpty()) {
            QVERIFY(window.eventConsole->toPlainText().isEmpty());
            QVERIFY(!QFile::exists(settingsPath));
            QCOMPARE(window.addSymbolButton->text(), QStringLiteral("untouched"));
            return;
        }
        QVERIFY(window.eventConsole->toPlainText().endsWith(logged));
        QCOMPARE(readJsonObjectFile(settingsPath).object.value("language").toString(), result);
        QVERIFY(window.addSymbolButton->text() != QLatin1String("untouched"));
    }

    void combosKeepTheirKeysAcrossASwitch()
    {
        TempHome home;
        MainWindow window;
        auto select = [](QComboBox *combo, const QString &key) {
            combo->setCurrentIndex(combo->findData(key));
            QCOMPARE(combo->currentData().toString(), key);
        };
        window.setLanguage(QStringLiteral("pt_BR"));
        select(window.moversScopeCombo, QStringLiteral("watchlist"));
        select(window.moversIntervalCombo, QStringLiteral("month"));
        select(window.screenerAssetCombo, QStringLiteral("forex"));
        select(window.screenerScopeCombo, QStringLiteral("universe"));
        select(window.newsSourceCombo, QStringLiteral("newsapi"));
        select(window.newsRegionCombo, QStringLiteral("br"));
        select(window.tapeSideCombo, QStringLiteral("sell"));
        select(window.chartModeCombo, QStringLiteral("candle"));
        QSignalSpy modeChanges(window.chartModeCombo, &QComboBox::currentIndexChanged);

        window.setLanguage(QStringLiteral("en"));
        QCOMPARE(window.moversScopeCombo->currentData().toString(), QStringLiteral("watchlist"));
        QCOMPARE(window.moversScopeCombo->currentText(), QStringLiteral("Watchlist"));
        QCOMPARE(window.moversIntervalCombo->currentText(), QStringLiteral("Month"));
        QCOMPARE(window.screenerAssetCombo->currentData().toString(), QStringLiteral("forex"));
        QCOMPARE(window.screenerScopeCombo->currentText(), QStringLiteral("Full universe"));
        QCOMPARE(window.newsSourceCombo->currentData().toString(), QStringLiteral("newsapi"));
        QCOMPARE(window.tapeSideCombo->currentText(), QStringLiteral("Sell"));
        // "br" is offered only in Portuguese: English falls back to the first region.
        QCOMPARE(comboKeys(window.newsRegionCombo), (QStringList{"all", "us", "crypto"}));
        QCOMPARE(window.newsRegionCombo->currentData().toString(), QStringLiteral("all"));
        QCOMPARE(window.chartModeCombo->currentData().toString(), QStringLiteral("candle"));
        QCOMPARE(window.chartModeCombo->currentText(), QStringLiteral("Candle"));
        QCOMPARE(modeChanges.count(), 0);
    }

    void statusCellsFollowTheLanguageWhileSortedByStatus()
    {
        TempHome home;
        MainWindow window;
        const QStringList symbols = {"PETR4.SA", "AAPL", "BRL=X"};
        const QStringList keys = {"no free data", "free/delayed", "http error"};
        for (int i = 0; i < symbols.size(); ++i)
            window.setQuoteStatus(symbols.at(i), keys.at(i));
        window.quoteTable->sortItems(QuoteColumnStatus);
        auto statusOf = [&window](const QString &symbol) {
            return window.quoteTable->item(window.findSymbolRow(symbol), QuoteColumnStatus)->text();
        };
        window.setLanguage(QStringLiteral("pt_BR"));
        for (int i = 0; i < symbols.size(); ++i)
            QCOMPARE(statusOf(symbols.at(i)), window.providerStatusText(keys.at(i)));
        QCOMPARE(statusOf("BRL=X"), QStringLiteral("erro HTTP"));
        window.setLanguage(QStringLiteral("en"));
        for (int i = 0; i < symbols.size(); ++i)
            QCOMPARE(statusOf(symbols.at(i)), keys.at(i));
    }

    // Qt's own texts switch with the window's: the standard buttons of new boxes, those of a box already
    // open, and the key editor's prompt. A missing translation leaves them English, silently.
    void qtsOwnTextsFollowTheLanguage_data()
    {
        QTest::addColumn<bool>("translationPresent");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("translation present")
            << true << QStringList{"Salvar", "Cancelar", "Fechar", "Sim", u("Não")} << "Pressionar atalho";
        QTest::newRow("translation missing") << false << kEnglishButtons << "Press shortcut";
    }

    void qtsOwnTextsFollowTheLanguage()
    {
        QFETCH(bool, translationPresent);
        QFETCH(QStringList, buttons);
        QFETCH(QString, prompt);
        QTemporaryDir emptyDir;
        const QString dir = translationPresent ? installedQtTranslations() : emptyDir.path();
        if (dir.isEmpty())
            QSKIP("Qt's Portuguese translation is not installed here");
        TempHome home;
        MainWindow window;
        window.qtTexts.directory = dir;
        QCOMPARE(standardButtonTexts(), kEnglishButtons);
        QDialogButtonBox openBox(QDialogButtonBox::Cancel);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        window.eventConsole->clear();

        window.setLanguage(QStringLiteral("pt_BR"));
        QCOMPARE(standardButtonTexts(), buttons);
        // Widgets already built hear of the change through a posted event.
        QTRY_COMPARE(openBox.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
                     buttons.at(1));
        QCOMPARE(keyEditorPrompt(), prompt);
        // The switch says what it always says, and nothing about Qt's translation.
        QCOMPARE(window.eventConsole->toPlainText().count(QLatin1Char('\n')), 0);
        QVERIFY(window.eventConsole->toPlainText().endsWith(QStringLiteral("Idioma alterado")));

        window.setLanguage(QStringLiteral("en"));
        QCOMPARE(standardButtonTexts(), kEnglishButtons);
        QTRY_COMPARE(openBox.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
                     QStringLiteral("Cancel"));
        QCOMPARE(keyEditorPrompt(), QStringLiteral("Press shortcut"));
    }

    // A window that starts in Portuguese shows Qt's texts in Portuguese from the start, and takes the
    // translation away with it when it goes.
    void qtsOwnTextsFromTheSavedLanguage()
    {
        if (installedQtTranslations().isEmpty())
            QSKIP("Qt's Portuguese translation is not installed here");
        TempHome home;
        {
            MainWindow window;
            window.setLanguage(QStringLiteral("pt_BR"));
        }
        QCOMPARE(standardButtonTexts(), kEnglishButtons);
        {
            MainWindow window;
            QCOMPARE(standardButtonTexts().at(1), QStringLiteral("Cancelar"));
        }
        QCOMPARE(standardButtonTexts(), kEnglishButtons);
    }

    void theSavedLanguageIsTheFirstOneShown()
    {
        TempHome home;
        {
            MainWindow window;
            window.setLanguage(QStringLiteral("pt_BR"));
        }
        MainWindow window;
        QCOMPARE(window.settings.language, QStringLiteral("pt_BR"));
        QCOMPARE(window.addSymbolButton->text(), QStringLiteral("Adicionar"));
        QCOMPARE(window.quoteTable->horizontalHeaderItem(0)->text(), u("Símbolo"));
        QCOMPARE(window.mainTabs->tabText(3), u("Notícias"));
    }
};

MVX_TEST_MAIN(TestLanguage)
#include "test_language.moc"
