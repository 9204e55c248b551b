#pragma once

#include "chart/candle.h"
#include "providers/provider_health.h"
#include "providers/quote_routing.h"
#include "settings/api_keys.h"
#include "settings/local_settings.h"
#include "settings/shortcuts.h"
#include "shell/layout_geometry.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QKeySequence>
#include <QMainWindow>
#include <QMap>
#include <QNetworkAccessManager>
#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWebSocket>

#include <functional>

class MoversMosaic;
class PriceChart;
struct Quote;
class QAction;
class QActionGroup;
class QColor;
class QComboBox;
class QDoubleSpinBox;
class QGridLayout;
class QIcon;
class QKeyEvent;
class QKeySequenceEdit;
class QLabel;
class QLineEdit;
class QMenu;
class QMouseEvent;
class QNetworkReply;
class QPlainTextEdit;
class QPushButton;
class QResizeEvent;
class QShortcut;
class QSplitter;
class QStringListModel;
class QTabWidget;
class QTableWidget;

// The terminal's one window and the owner of nearly all its state. Each group of members below is
// defined in the folder of the subsystem named in its comment; pure logic lives in free functions
// beside them and the members here read widgets, call that logic and write widgets and state.
// Members are public: every subsystem's code (and its tests) works on the same shared vocabulary.
class MainWindow : public QMainWindow
{
public:
    MainWindow();
    ~MainWindow() override;

    // ---- shell/: construction, menus, console, titles, language -------------------------------
    void setupMenus();
    bool isPortuguese() const;
    QString localizedText(const QString &english, const QString &portuguese) const;
    void appendEventLog(const QString &text);
    QString appTitle() const;
    QString layoutPresetTitle(const QString &key) const;
    void setLanguage(const QString &code);
    void retranslateUi();
    void retranslateMenus();
    void retranslateTables();
    void setTheme(const QString &themeKey);
    void applyTheme();
    void applyLayoutPreset(const QString &presetKey);
    void moveToNextMonitor();
    MonitorList currentMonitors() const;
    void updateThemedWidgets();

    // ---- shell/: signal wiring, timers, the data start -------------------------------------------
    void connectSignals();
    void startMarketData();

    // Menu actions, in menu order; each calls the one operation of the same meaning.
    void onSyncNowTriggered();
    void onSyncStatusTriggered();
    void onLogoutTriggered();
    void onOpenApiKeys();
    void onVerifyApisTriggered();
    void onOpenShortcuts();
    void onLanguageEnglishTriggered();
    void onLanguagePortugueseTriggered();
    void onThemeDarkTriggered();
    void onThemeLightTriggered();
    void onLayoutBalancedTriggered();
    void onLayoutDenseTriggered();
    void onLayoutChartTriggered();
    void onLayoutOrderFlowTriggered();
    void onSaveWorkspace();
    void onLoadWorkspace();
    void onMoveToNextMonitorTriggered();
    void onColumnPresetAll();
    void onColumnPresetTrading();
    void onColumnPresetAnalytics();
    void onColumnPresetCompact();

    // ---- shell/: panel construction, the frame around the panels ---------------------------------
    void buildPanels();
    QWidget *buildRootWidget();
    void buildRightTabs(QWidget *root, QWidget *bookPanel, QWidget *tapePage);
    void buildCentralArea(QWidget *root, QWidget *topBar, QWidget *chartPanel, QWidget *moversPage,
                          QWidget *screenerPage, QWidget *newsPage, QWidget *portfolioPage);
    bool eventFilter(QObject *watched, QEvent *event) override;

    // ---- settings/: configuration directory, key file, settings file, workspace, columns ---------
    QString configDir() const;
    QString cacheDir() const;
    QString resolveSettingsPath(const QString &legacyPath, const QString &newPath) const;
    QString configFileWritePath() const;
    QString configFilePath() const;
    QString localSettingsWritePath() const;
    QString localSettingsReadPath() const;
    QString workspaceSnapshotWritePath() const;
    QString workspaceSnapshotReadPath() const;
    void insertWorkspaceKeys(QJsonObject &object);
    void saveLocalSettings();
    void loadLocalSettings();
    QString hiddenColumnsText() const;
    static QList<int> positiveIntsFromJson(const QJsonArray &array);
    static QJsonArray intsToJsonArray(const QList<int> &values);
    QJsonObject syncVersionsToJson() const;
    QJsonObject shortcutsToJson() const;
    void loadShortcuts(const QJsonObject &object);
    void restoreSplitterSizes();
    void syncChartCombos();
    void onSplitterMoved();
    void onSaveSettingsTimeout();
    QList<ShortcutDefinition> defaultShortcutDefinitions() const;
    QString shortcutText(const QString &id) const;
    void onQuoteHeaderContextMenu(const QPoint &pos);
    QKeySequence shortcutSequence(const QString &id) const;
    void setActionShortcut(QAction *action, const QString &id);
    void applyConfiguredShortcuts();
    void applyColumnVisibilityConfig();
    void showColumnMenu(const QPoint &pos);
    void applyColumnVisibilityChoice(int column, bool visible); // the header menu's choice
    void showApiKeysDialog();
    void showShortcutsDialog();
    void onRestoreDefaultShortcuts();
    void saveWorkspaceSnapshot();
    void loadWorkspaceSnapshot();
    QJsonObject buildWorkspaceJson();
    void applyWorkspaceSnapshot(const QJsonObject &snapshot);
    void applySyncSettingsPayload(const QJsonObject &payload);
    void applyColumnPreset(const QString &presetKey);
    void parseHiddenColumns(const QString &text);
    QList<ApiKeySpec> apiKeyCatalog() const;
    void loadConfig();
    bool saveLocalApiKeys(); // false when the key file could not be written (already reported)
    QString apiKeyFor(const QString &key) const;
    QMap<QString, QString> effectiveApiKeys() const;
    void setApiKey(const QString &key, const QString &value);
    QStringList configuredSecrets() const;           // every key and token held, for redaction
    QString redactedText(const QString &text) const; // text fit to show, log or store
    void addApiKeyVisibilityToggle(QLineEdit *edit);
    void onApiKeyVisibilityToggled(QLineEdit *edit, bool shown);
    QIcon makeEyeIcon(bool shown) const;

    // ---- watchlist/: symbol rules and the built-in universe ----------------------------------------
    QString normalizeSymbol(const QString &text) const;
    QString parseForexPair(const QString &text) const;
    bool isKnownCurrency(const QString &code) const;
    QString classifySymbol(const QString &symbol) const;
    QString assetClassKey(const QString &symbol) const;
    QString marketLabelForSymbol(const QString &symbol) const;
    QString forexDisplayName(const QString &symbol) const;
    QStringList defaultSymbolUniverse() const;

    // ---- watchlist/: top bar, quote table, row moves, tiles and the USD/BRL ticker -----------------
    QWidget *buildTopBar(QWidget *root);
    void buildQuoteTable(QWidget *root);
    int findSymbolRow(const QString &symbol) const;
    QString selectedSymbol() const;
    void moveWatchlistRow(int from, int to);
    void removeSelectedSymbol();
    bool handleQuoteTableKey(QKeyEvent *event);
    bool handleQuoteTableMouse(QMouseEvent *event);
    void onWatchlistContextMenu(const QPoint &pos);
    void showWatchlistMenu(const QPoint &pos);
    void refreshAllIndicatorColumns();
    void updateIndicatorColumns(const QString &symbol, int row);
    void setIndicatorCell(int row, int column, double value);
    void updateQuoteTiles();
    void layoutQuoteTiles();
    void updateFxTicker(double rate, double changePercent);
    void onUsdBrlTickerTimer();

    // ---- watchlist/: the symbol universe, classification and completion ---------------------------
    void setupCompleter();
    QStringList universeSearchDirs() const;
    QStringList loadUniverseSymbols() const;
    void loadSymbolClassifications();
    void mergeIntoUniverse(const QStringList &symbols);
    void refreshCompleterModel();
    void requestCryptoUniverse();
    void onCryptoUniverseReply(QNetworkReply *reply);
    void onSymbolSearchEdited(const QString &text);
    void onSymbolSearchTimer();
    void requestSymbolSearch(const QString &text);
    void onSymbolSearchReply(QNetworkReply *reply);

    // ---- watchlist/: the watchlist file and its rows ----------------------------------------------
    QString watchlistWritePath() const;
    QString watchlistReadPath() const;
    QJsonObject buildWatchlistJson() const;
    void saveWatchlist();
    void loadWatchlist();
    void addDefaultWatchlistSymbols();
    void applyWatchlistJson(const QJsonObject &object);
    int appendWatchlistEntries(const QJsonObject &object); // rows added from a file's "symbols"
    void addWatchlistRow(const QString &symbol, const QString &asset, const QString &source,
                         const QString &status, bool select);
    void addSymbolFromInput();
    void onAddSymbolClicked();

    // ---- watchlist/: quote refresh scheduling and selection ---------------------------------------
    void onQuoteSelectionChanged();
    void onQuotePollTimer();
    void onRefreshQuotesClicked();
    void refreshAllQuotes();
    void refreshHttpQuotes();
    void refreshCryptoCandles();
    void refreshCryptoRestQuotes();
    void refreshSymbolQuote(const QString &symbol);

    // ---- watchlist/: applying quotes to rows, the Status vocabulary, the table readers ------------
    void applyQuote(const QString &symbol, const QString &providerKey, const Quote &quote, qint64 latencyMs);
    void updateQuoteRow(const QString &symbol, double last, double changePercent, const QString &source,
                        const QString &latencyText, const QString &status);
    void applyPriceToLastCandle(const QString &symbol, double price);
    void setQuoteCell(int row, int column, const QString &text);
    void setQuoteNumberCell(int row, int column, const QString &text, double value);
    void setQuoteStatus(const QString &symbol, const QString &status);
    void setQuoteLatency(const QString &symbol, const QString &latencyText);
    void setCryptoRowsStatus(const QString &status);
    void writeQuoteOhlc(const QString &symbol, int row);
    void colorQuoteRow(int row, double changePercent);
    void setRowToolTip(const QString &symbol);
    QString chartTooltipText(const QString &symbol) const;
    QString providerStatusText(const QString &key) const;
    QString statusKeyFromText(const QString &text) const;
    void retranslateStatusColumn();
    QString providerDisplayName(const QString &symbol, const QString &providerKey) const;
    double lastPriceForSymbol(const QString &symbol) const;
    double tableNumber(int row, int column, bool *ok = nullptr) const;

    // ---- providers/: catalogue, cascades, limits, health ----------------------------------------
    QList<ProviderCoverageRow> providerCoverageTable() const;
    QString providerCoverageStatus(const ProviderCoverageRow &row) const;
    QColor coverageStatusColor(const QString &status) const;
    QString coverageRowKey(const ProviderCoverageRow &row) const;
    void logDataSourceSummary();
    void logCascadeGroup(const QString &market, const QStringList &entries);
    std::optional<QNetworkRequest> buildHealthCheckRequest(const ProviderCoverageRow &row) const;
    void runApiHealthChecks(QTableWidget *table);
    void onApiHealthReply(QNetworkReply *reply, const QPointer<QTableWidget> &table,
                          const ProviderCoverageRow &row, int rowIndex, const QString &key,
                          const QElapsedTimer &sent);
    QColor healthStateColor(const QString &state) const;
    void showApiHealthDialog();
    void setHealthTableItem(QTableWidget *table, int row, int column, const QString &text,
                            const QColor &colour);
    void fillProviderHealthColumns(QTableWidget *table, int row, const ProviderCoverageRow &coverage);
    void onRunHealthChecksClicked(QTableWidget *table);
    void onLogCascadeClicked();

    // The quote dispatcher and the four market cascades. Each run captures the symbol's generation;
    // a reply whose generation is no longer current is dropped without effect.
    void requestQuote(const QString &symbol);
    int historySourceForClass(const QString &symbol) const;
    void fetchUsQuoteCascade(const QString &symbol, const QStringList &providerKeys);
    void fetchB3QuoteCascade(const QString &symbol, const QStringList &providerKeys);
    void fetchForexQuoteCascade(const QString &symbol, const QStringList &providerKeys);
    void fetchCryptoHttpQuote(const QString &symbol);
    void startQuoteCascade(int market, const QString &symbol, const QStringList &providerKeys);
    void startUsQuoteAttempt(const QuoteCascadeRun &run, const QString &providerKey,
                             const AsyncProviderCompletion &done);
    void startB3QuoteAttempt(const QuoteCascadeRun &run, const QString &providerKey,
                             const AsyncProviderCompletion &done);
    void startForexQuoteAttempt(const QuoteCascadeRun &run, const QString &providerKey,
                                const AsyncProviderCompletion &done);
    void startCryptoQuoteAttempt(const QuoteCascadeRun &run, const QString &providerKey,
                                 const AsyncProviderCompletion &done);
    void sendQuoteAttempt(int market, const QuoteCascadeRun &run, const QString &providerKey,
                          const QString &requestSymbol, const AsyncProviderCompletion &done);
    void onUsQuoteAttemptReply(QNetworkReply *reply, const QuoteAttemptContext &context);
    void onB3QuoteAttemptReply(QNetworkReply *reply, const QuoteAttemptContext &context);
    void onForexQuoteAttemptReply(QNetworkReply *reply, const QuoteAttemptContext &context);
    void onCryptoQuoteAttemptReply(QNetworkReply *reply, const QuoteAttemptContext &context);
    void handleQuoteAttemptReply(int market, QNetworkReply *reply, const QuoteAttemptContext &context);
    void onQuoteCascadeSucceeded(const QString &symbol, AsyncProviderCascade *cascade,
                                 const QString &providerKey);
    void onUsQuoteCascadeFailed(const QString &symbol, AsyncProviderCascade *cascade,
                                const QStringList &errors);
    void onB3QuoteCascadeFailed(const QString &symbol, AsyncProviderCascade *cascade,
                                const QStringList &errors);
    void onForexQuoteCascadeFailed(const QString &symbol, AsyncProviderCascade *cascade,
                                   const QStringList &errors);
    void onCryptoQuoteCascadeFailed(const QString &symbol, AsyncProviderCascade *cascade,
                                    const QStringList &errors);
    bool releaseQuoteCascade(const QString &symbol, AsyncProviderCascade *cascade);
    static ProviderReplyHeaders replyHeaders(const QNetworkReply *reply);
    QString providerSymbol(const QString &providerKey, const QString &symbol) const;
    QString defaultProviderForSymbol(const QString &symbol) const;

    // The direct chart request, chart history, provider limits and the Alpha Vantage reply cache.
    void requestYahooChart(const QString &symbol, bool asQuote);
    void onYahooChartReply(QNetworkReply *reply, const QString &symbol, qint64 startMs, bool asQuote,
                           const QString &timeframe);
    void requestChartHistory(const QString &symbol);
    bool allowProviderRequest(const QString &key);
    void setProviderCooldown(const QString &key, int seconds);
    void clearProviderCooldown(const QString &key);
    bool readCachedReply(const QString &symbol);
    QString alphaVantageCacheReadPath(const QString &symbol) const;
    QString alphaVantageCacheWritePath(const QString &symbol) const;
    void writeAlphaVantageCache(const QString &symbol, const QByteArray &body);
    bool applyAlphaVantageQuote(const QString &symbol, const QByteArray &body);

    // Replies of the direct chart request.
    void refreshRowFromCandles(const QString &symbol); // open to close, indicators and tooltip
    void parseYahooChart(const QString &symbol, const QByteArray &body, qint64 latencyMs, bool asQuote);
    static CandleList yahooChartCandles(const QJsonArray &timestamps, const QJsonArray &opens,
                                        const QJsonArray &highs, const QJsonArray &lows,
                                        const QJsonArray &closes, const QJsonArray &volumes);

    QJsonObject providerHealthToJson() const;
    void loadProviderHealth(const QJsonObject &object);

    // ---- chart/: candles and indicators --------------------------------------------------------
    void recordQuoteSample(const QString &symbol, double open, double high, double low, double price,
                           double volume);
    static CandleList aggregateCandlesByHours(const CandleList &candles, int hours);
    QPair<QString, QString> chartIntervalAndRange() const;
    static double latestSma(const CandleList &candles, int period);
    static double latestEma(const CandleList &candles, int period);
    static double latestVwap(const CandleList &candles, bool sessionReset);

    // ---- chart/: chart panel, toolbar and selection ---------------------------------------------
    void createChartSelectionCombos(QWidget *topBar);
    QWidget *buildChartPanel(QWidget *root);
    void onChartStatusMessage(const QString &text);
    void onChartChanged(); // stub until the chart wiring lands
    void refreshChart();   // stub until the chart history lands

    // Stubs until the drawings and the chart history land.
    void storeChartDrawings();
    void requestBinanceKlines(const QString &symbol);

    QString currentChartMode() const;
    void storeChartSelection();
    void onChartToolSelect();
    void onChartResetZoom();
    void onChartToolHLine();
    void onChartToolVLine();
    void onChartToolTrend();
    void onChartDrawModeChanged(int mode);
    void onChartModeChanged();
    void onChartTimeframeChanged();
    void updateChartToolTips();

    // ---- streams/: order-book panel, metric cards, tape page -------------------------------------
    QWidget *buildBookPanel(QWidget *root);
    QWidget *buildTapePage(QWidget *root);
    QTableWidget *createBookSideTable(QWidget *parent);
    void setupBookTables();
    void setupSnapshotTables();
    QLabel *createMetricCard(QWidget *parent, const QString &caption);
    void styleMetricCard(QLabel *card, const QString &caption, const QString &value, const QColor &accent);
    static QString formatBookPrice(double price);
    void updateBookSummary(double bestBid, double bestAsk, double bidVolume, double askVolume);
    void resetBookPanel(const QString &title);
    QString orderBookTitle(const QString &symbol, const QString &status) const;
    QString timeAndSalesTitle(const QString &symbol, const QString &status) const;
    void populateTapeFilterCombo(const QString &preferredKey);
    void setTapeHeaders();
    void onBookPresetTriggered(const QString &presetKey);
    void applyBookPreset(const QString &presetKey); // stub until the book presets land
    void startBookStream();                         // stub until the streams land
    void startTickerStream();                       // stub until the streams land
    void appendQuoteTapeRow(const QString &symbol, double last, double changePercent, const QString &source,
                            const QString &latencyText, const QString &status); // stub until the tape lands
    void showB3BookFallback(const QString &symbol); // stub until the quote snapshot lands
    void showQuoteSnapshot(const QString &symbol);  // stub until the quote snapshot lands

    void stopAllStreams();
    void updateBookPresetButtons(); // stub until the book presets land
    void updateBookMetricCards();   // stub until the book presets land
    void onBookStepChanged();
    void onTapeClearClicked();
    void onTapeFilterChanged();
    void appendQuoteTapeRowFromWatchlist(const QString &symbol, const QString &source); // stub
    // Stream handlers: stubs until the streams land.
    void onTickerSocketConnected();
    void onTickerSocketDisconnected();
    void onTickerSocketMessage(const QString &message);
    void onDepthSocketConnected();
    void onDepthSocketDisconnected();
    void onDepthSocketMessage(const QString &message);
    void onTradeSocketConnected();
    void onTradeSocketDisconnected();
    void onTradeSocketMessage(const QString &message);
    void onItickSocketConnected();
    void onItickSocketDisconnected();
    void onItickSocketError(QAbstractSocket::SocketError error);
    void onItickSocketMessage(const QString &message);
    void sendItickPing();
    void onItickPingTimer();
    void onItickDepthTimeout();
    void onItickRetryTimer();

    // ---- movers/: movers and screener pages ------------------------------------------------------
    QWidget *buildMoversPage(QWidget *root);
    QWidget *buildScreenerPage(QWidget *root);
    QTableWidget *createMoversTable(QWidget *parent);
    void retranslateMoversTables();
    void retranslateScreenerHeaders();
    void populateMoversScopeCombo(const QString &preferredKey);
    void populateMoversIntervalCombo(const QString &preferredKey);
    void populateMoversSectorCombo(const QString &preferredKey);
    void populateScreenerAssetCombo(const QString &preferredKey);
    void populateScreenerScopeCombo(const QString &preferredKey);
    QString currentMoversScope() const;
    void loadWatchlistMovers();  // stub until the movers land
    void refreshScreener();      // stub until the screener lands
    void setBreadthCardTitles(); // stub until the movers land

    // ---- movers/: filters, refresh and activation handlers ------------------------------------
    QString currentMoversInterval() const;
    QString currentMoversSector() const;
    QString currentScreenerAsset() const;
    QString currentScreenerScope() const;
    void onMoversRefreshRequested();
    void onMoversFilterChanged();
    void onScreenerRefreshRequested();
    void onScreenerFilterChanged();
    void onScreenerCellActivated(int row, int column);
    void onMosaicTileActivated(const QString &symbol);
    void onGainersDoubleClicked(int row, int column);
    void onLosersDoubleClicked(int row, int column);
    void onGainersContextMenu(const QPoint &pos);
    void onLosersContextMenu(const QPoint &pos);
    // Stubs until the movers and screener land.
    void refreshMarketMovers();
    void activateScreenerRow(int row);
    void addMoverToWatchlist(const QString &symbol);
    void showMoversMenu(QTableWidget *table, const QPoint &pos);

    // ---- alerts/: rules, history and their menu ---------------------------------------------------
    void showCreateAlertDialog(const QString &symbol);    // stub until the alerts land
    void checkAlerts(const QString &symbol, double last); // stub until the alerts land
    void onAlertHistoryContextMenu(const QPoint &pos);
    // Stubs until the alerts land; the loaders keep what they are given for the writers.
    void showAlertHistoryMenu(const QPoint &pos);
    void refreshAlertHistoryTable();
    void loadAlerts(const QJsonArray &array);
    QJsonArray alertsToJsonArray() const;
    void loadAlertHistory(const QJsonArray &array);
    QJsonArray alertHistoryToJsonArray() const;

    // ---- portfolio/: the page, its buttons and the stored portfolios -----------------------------
    QWidget *buildPortfolioPage(QWidget *root);
    void setPortfolioTableHeaders();
    void refreshPortfolio(); // stub until the portfolio lands
    void onAddPositionClicked();
    void onRemovePositionClicked();
    void onNewPortfolioClicked();
    void onRenamePortfolioClicked();
    void onDeletePortfolioClicked();
    void onAddCashFlowClicked();
    void onAddDividendClicked();
    // Stubs until the portfolio lands; the loader keeps what it is given for the writer.
    void onPortfolioCurrencyChanged(const QString &text);
    void onPortfolioSelected(const QString &text);
    void onTransactionsContextMenu(const QPoint &pos);
    void onPositionDoubleClicked(int row, int column);
    void addPortfolioPosition();
    void removeSelectedPosition();
    void createPortfolio();
    void renamePortfolio();
    void deletePortfolio();
    void addPortfolioCashFlow(const QString &type);
    void editPositionRow(int row);
    void loadPortfolios(const QJsonObject &portfolios, const QJsonArray &legacyPortfolio);
    QJsonObject portfoliosToJson() const;

    // ---- news/: the page and its feeds ------------------------------------------------------------
    QWidget *buildNewsPage(QWidget *root);
    void populateNewsSourceCombo(const QString &preferredKey);
    void populateNewsRegionCombo(const QString &preferredKey);
    void retranslateNewsHeaders();
    void refreshNews(); // does nothing until the news feeds land

    void openNewsLink(int row); // stub until the news feeds land
    void onNewsRefreshRequested();
    void onNewsCellActivated(int row, int column);
    void onNewsTabShown(int index, QWidget *newsPage);

    // ---- account/: sign-in and sync -------------------------------------------------------------
    void pullAccountSync();
    void showSyncStatusDialog();
    void logout();
    void logoutRemote(); // stub until the account service lands
    void clearSession();
    void loadSyncVersions(const QJsonObject &object);

    // ======================================== state ===============================================

    // Symbol box
    QLineEdit *symbolInput = nullptr;

    // Menus and actions
    QMenu *viewMenu = nullptr;
    QMenu *accountMenu = nullptr;
    QMenu *dataApisMenu = nullptr;
    QMenu *languageMenu = nullptr;
    QMenu *appearanceMenu = nullptr;
    QMenu *layoutMenu = nullptr;
    QMenu *columnsMenu = nullptr;
    QAction *apiKeysAction = nullptr;
    QAction *verifyApisAction = nullptr;
    QAction *shortcutsAction = nullptr;
    QAction *syncNowAction = nullptr;
    QAction *syncStatusAction = nullptr;
    QAction *logoutAction = nullptr;
    QAction *languageEnglishAction = nullptr;
    QAction *languagePortugueseAction = nullptr;
    QAction *themeDarkAction = nullptr;
    QAction *themeLightAction = nullptr;
    QAction *layoutBalancedAction = nullptr;
    QAction *layoutDenseAction = nullptr;
    QAction *layoutChartAction = nullptr;
    QAction *layoutOrderFlowAction = nullptr;
    QAction *saveWorkspaceAction = nullptr;
    QAction *loadWorkspaceAction = nullptr;
    QAction *moveToNextMonitorAction = nullptr;
    QAction *columnsAllAction = nullptr;
    QAction *columnsTradingAction = nullptr;
    QAction *columnsAnalyticsAction = nullptr;
    QAction *columnsCompactAction = nullptr;
    QActionGroup *languageActionGroup = nullptr;
    QActionGroup *themeActionGroup = nullptr;

    // Top bar and quote table
    QPushButton *addSymbolButton = nullptr;
    QPushButton *refreshQuotesButton = nullptr;
    QLabel *fxTickerLabel = nullptr;
    QTableWidget *quoteTable = nullptr;

    // Chart panel
    QLabel *chartTitleLabel = nullptr;
    QPushButton *chartSelectButton = nullptr;
    QPushButton *chartResetButton = nullptr;
    QPushButton *chartHLineButton = nullptr;
    QPushButton *chartVLineButton = nullptr;
    QPushButton *chartTrendButton = nullptr;
    QComboBox *chartModeCombo = nullptr;
    QComboBox *chartTimeframeCombo = nullptr;
    PriceChart *priceChart = nullptr;

    // Order book panel
    QLabel *bookTitleLabel = nullptr;
    QLabel *bookStepLabel = nullptr;
    QLabel *askCaptionLabel = nullptr;
    QLabel *bidCaptionLabel = nullptr;
    QList<QLabel *> bookMetricCards; // BID, ASK, SPR, IMB
    QDoubleSpinBox *bookStepSpin = nullptr;
    QList<QPushButton *> bookPresetButtons;
    QList<QShortcut *> bookPresetShortcuts;
    QTableWidget *askTable = nullptr;
    QTableWidget *bidTable = nullptr;

    // Movers panel
    QLabel *moversTitleLabel = nullptr;
    QLabel *gainersTitleLabel = nullptr;
    QLabel *losersTitleLabel = nullptr;
    QPushButton *moversRefreshButton = nullptr;
    QComboBox *moversScopeCombo = nullptr;
    QComboBox *moversIntervalCombo = nullptr;
    QComboBox *moversSectorCombo = nullptr;
    QDoubleSpinBox *moversMinVolumeSpin = nullptr;
    QDoubleSpinBox *moversMinTurnoverSpin = nullptr;
    QList<QLabel *> breadthCards;
    MoversMosaic *moversMosaic = nullptr;
    QTableWidget *gainersTable = nullptr;
    QTableWidget *losersTable = nullptr;

    // Screener panel
    QLabel *screenerTitleLabel = nullptr;
    QComboBox *screenerAssetCombo = nullptr;
    QComboBox *screenerScopeCombo = nullptr;
    QLineEdit *screenerFilterEdit = nullptr;
    QDoubleSpinBox *screenerMinChangeSpin = nullptr;
    QPushButton *screenerRefreshButton = nullptr;
    QTableWidget *screenerTable = nullptr;

    // News panel
    QLabel *newsTitleLabel = nullptr;
    QLineEdit *newsQueryEdit = nullptr;
    QComboBox *newsSourceCombo = nullptr;
    QComboBox *newsRegionCombo = nullptr;
    QPushButton *newsRefreshButton = nullptr;
    QTableWidget *newsTable = nullptr;

    // Portfolio panel
    QLabel *portfolioTitleLabel = nullptr;
    QLabel *portfolioSummaryLabel = nullptr;
    QComboBox *portfolioCombo = nullptr;
    QComboBox *portfolioCurrencyCombo = nullptr;
    QPushButton *portfolioNewButton = nullptr;
    QPushButton *portfolioRenameButton = nullptr;
    QPushButton *portfolioDeleteButton = nullptr;
    QPushButton *portfolioCashFlowButton = nullptr;
    QPushButton *portfolioDividendButton = nullptr;
    QPushButton *portfolioAddPositionButton = nullptr;
    QPushButton *portfolioRemoveButton = nullptr;
    QTableWidget *portfolioPositionsTable = nullptr;
    QTableWidget *portfolioTransactionsTable = nullptr;
    QTabWidget *portfolioTabs = nullptr;

    // Tape panel
    QLabel *tapeTitleLabel = nullptr;
    QComboBox *tapeFilterCombo = nullptr;
    QDoubleSpinBox *tapeMinSizeSpin = nullptr;
    QPushButton *tapeClearButton = nullptr;
    QTableWidget *tapeTable = nullptr;

    // Frame
    QTabWidget *mainTabs = nullptr;
    QTabWidget *bottomTabs = nullptr;
    QTabWidget *rightTabs = nullptr;
    QSplitter *leftSplitter = nullptr;
    QSplitter *workspaceSplitter = nullptr;
    QWidget *quoteTilesBar = nullptr;
    QGridLayout *quoteTilesLayout = nullptr;
    QList<QLabel *> quoteTileLabels;
    QTableWidget *alertHistoryTable = nullptr;
    QPlainTextEdit *eventConsole = nullptr;

    // Network and streams (value members; the destructor cuts them off before anything else goes)
    QNetworkAccessManager networkManager;
    QWebSocket tickerSocket{QString(), QWebSocketProtocol::VersionLatest};
    QWebSocket depthSocket{QString(), QWebSocketProtocol::VersionLatest};
    QWebSocket itickSocket{QString(), QWebSocketProtocol::VersionLatest};
    QWebSocket tradeSocket{QString(), QWebSocketProtocol::VersionLatest};

    // The monitors the window can move across; empty means the toolkit's screens. Tests set it.
    std::function<MonitorList()> monitorListProvider;

    // Timers
    QTimer quotePollTimer;
    QTimer moversTimer;
    QTimer newsTimer;
    QTimer symbolSearchTimer;
    QTimer settingsSaveTimer;
    QTimer usdBrlTimer;
    QTimer itickPingTimer;
    QTimer itickDepthTimer;
    QTimer itickRetryTimer;

    // Stream state
    QString bookSymbol;
    QString bookPresetKey;
    QString itickSymbol;
    QString tapeSymbol;
    QString symbolSearchText;

    // Flags
    bool marketDataStarted = false;
    bool quitting = false;
    bool bookPending = false; // a book stream was started and no depth has arrived yet
    bool bookLive = false;    // depth has arrived for the current book stream
    bool tradeStreamActive = false;
    int itickRetryCount = 0;

    // Market data and records
    QMap<QString, CandleList> candlesBySymbol;
    QStringList symbolUniverse;
    QSet<QString> symbolUniverseMembers; // the same symbols, for membership tests
    QStringList cryptoBaseAssets;
    QStringList b3BaseSymbols;
    QMap<QString, QString> sectorBySymbol;
    int dragSourceRow = -1;
    QPoint dragPressPos;
    QStringListModel *completerModel = nullptr;
    QString activePortfolio;
    bool portfolioCombosUpdating = false;
    double usdBrlRate = 0.0;
    QMap<QString, quint64> quoteGenerations;
    QMap<QString, QPointer<AsyncProviderCascade>> quoteCascades;
    // Each quote attempt's limit and each quote request's transfer limit; only tests shorten them.
    int quoteAttemptLimitMs = 11000;
    int quoteTransferLimitMs = 10000;
    int healthTransferLimitMs = 10000; // each health probe's transfer limit; only tests shorten it
    ProviderHealthMap providerHealth;  // health records by coverage row key
    int pendingMoversReplies = 0;
    qint64 alphaVantageLastCallMs = 0;
    qint64 alphaVantageCooldownUntilMs = 0;
    QMap<QString, qint64> providerLastRequestMs;
    QMap<QString, qint64> providerCooldownUntilMs;
    QString pendingMoversScope;
    QJsonObject chartDrawings; // drawings per "symbol|timeframe"
    QString currentDrawingsKey;
    LocalSettings settings;
    QList<QPair<QString, QKeySequenceEdit *>> shortcutEditors; // the open shortcut dialog's fields

    // What the settings file holds for subsystems not built yet, kept as read so that every save
    // writes it back unchanged. Their loaders and writers replace these.
    QJsonArray alertsAsRead;
    QJsonArray alertHistoryAsRead;
    QJsonObject portfoliosAsRead;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};
