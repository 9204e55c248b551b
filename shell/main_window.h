#pragma once

#include "account/account_request.h"
#include "alerts/price_alert.h"
#include "chart/candle.h"
#include "portfolio/portfolio_model.h"
#include "news/news_feed.h"
#include "movers/mover_entry.h"
#include "movers/screener_rules.h"
#include "providers/provider_health.h"
#include "providers/quote_routing.h"
#include "providers/reply_deadline.h"
#include "settings/api_keys.h"
#include "settings/json_file.h"
#include "settings/local_settings.h"
#include "settings/shortcuts.h"
#include "watchlist/watchlist_file.h"
#include "streams/book_model.h"
#include "streams/stream_backoff.h"
#include "streams/stream_link.h"
#include "shell/layout_geometry.h"
#include "shell/qt_texts.h"
#include "shell/throttled_call.h"

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

#include <optional>
#include <functional>

class MoversMosaic;
class PriceChart;
struct Quote;
class QAction;
class QActionGroup;
class QColor;
class QComboBox;
class QDialog;
class QEventLoop;
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
class QNetworkRequest;
class QPlainTextEdit;
class QPushButton;
class QResizeEvent;
class QShortcut;
class QSplitter;
class QStringListModel;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;

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
    // Texts grow with the language and the theme's fonts and padding: after either changes, each box and
    // button is widened to its text (the page tables' columns follow their labels by themselves).
    void fitControlsToTexts();

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
    // Keeps a file its loader cannot use as it stands out of the way of the defaults that replace it,
    // and names it in the console: a file that could not be opened is moved aside, one that is no JSON
    // or holds `mistypedKeys` is copied aside. `englishName` and `portugueseName` name the kind of file
    // ("Settings file", "arquivo de configurações"). False when it could be neither moved nor copied:
    // the caller must then not write over it during this run.
    bool keepUnusableFileAside(const QString &path, const JsonFileRead &read, const QString &englishName,
                               const QString &portugueseName, const QStringList &mistypedKeys,
                               bool ownerOnly);
    // At start: removes what writes killed half-way left behind (the writer's temporary files) beside
    // the terminal's own files in its configuration and cache directories.
    void removeLeftoverTemporaryFiles();
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
    // `lastPrice` sets the MACD column's decimals (formatMacdValue); the other columns are prices.
    void setIndicatorCell(int row, int column, double value, double lastPrice = 0.0);
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
    void onCryptoUniverseReply(const ReplyAnswer &answer);
    void onSymbolSearchEdited(const QString &text);
    void onSymbolSearchTimer();
    void requestSymbolSearch(const QString &text);
    void abortSymbolSearch(); // the search in flight, if any, ends without merging
    void onSymbolSearchReply(const ReplyAnswer &answer);

    // ---- watchlist/: the watchlist file and its rows ----------------------------------------------
    QString watchlistWritePath() const;
    QString watchlistReadPath() const;
    QJsonObject buildWatchlistJson() const;
    void saveWatchlist();
    void loadWatchlist();
    void addDefaultWatchlistSymbols();
    void applyWatchlistJson(const QJsonObject &object);
    // Rows added from a file's "symbols"; the entries refused go to `refusedCount` when given.
    int appendWatchlistEntries(const QJsonObject &object, int *refusedCount = nullptr);
    void appendWatchlistRows(const QList<WatchlistRow> &rows); // "pending", in one batch
    void writeNewWatchlistRow(int row, const QString &symbol, const QString &asset, const QString &source,
                              const QString &status, const QString &updated);
    void addWatchlistRow(const QString &symbol, const QString &asset, const QString &source,
                         const QString &status, bool select);
    void addSymbolFromInput();
    void logRefusedSymbol(); // the console line for a symbol the watchlist's rule refuses
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
    void onApiHealthReply(const ReplyAnswer &answer, const QPointer<QTableWidget> &table,
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
    // A timer's beat: a walk still running for the symbol is left to answer instead of being replaced.
    void pollQuote(const QString &symbol);
    bool quoteWalkRunning(const QString &symbol) const;
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
    void onUsQuoteAttemptReply(const ReplyAnswer &answer, const QuoteAttemptContext &context);
    void onB3QuoteAttemptReply(const ReplyAnswer &answer, const QuoteAttemptContext &context);
    void onForexQuoteAttemptReply(const ReplyAnswer &answer, const QuoteAttemptContext &context);
    void onCryptoQuoteAttemptReply(const ReplyAnswer &answer, const QuoteAttemptContext &context);
    void handleQuoteAttemptReply(int market, const ReplyAnswer &answer, const QuoteAttemptContext &context);
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
    // A request given up ends at once (dropReply): left to its transfer limit it would hold one of the
    // few connections per host and delay every later request to that host.
    void abortQuoteAttempt(const QString &symbol);    // the symbol's walk gave its running attempt up
    void forgetSymbolRequests(const QString &symbol); // the symbol left the watchlist: every request ends
    static ProviderReplyHeaders replyHeaders(const QNetworkReply *reply);
    QString providerSymbol(const QString &providerKey, const QString &symbol) const;
    QString defaultProviderForSymbol(const QString &symbol) const;

    // The direct chart request, chart history, provider limits and the Alpha Vantage reply cache.
    void requestYahooChart(const QString &symbol, bool asQuote);
    void onYahooChartReply(const ReplyAnswer &answer, const QString &symbol, qint64 startMs, bool asQuote,
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
    // Runs `write` on the symbol's stored list in place (creating the entry); the write may change
    // only the last candle, or add the first one. The chart's share of the list follows it.
    void writeCandleTail(const QString &symbol, const std::function<void(CandleList &)> &write);
    QPair<QString, QString> chartIntervalAndRange() const;
    static double latestSma(const CandleList &candles, int period);
    static double latestEma(const CandleList &candles, int period);
    static double latestVwap(const CandleList &candles, bool sessionReset);

    // ---- chart/: chart panel, toolbar and selection ---------------------------------------------
    void createChartSelectionCombos(QWidget *topBar);
    QWidget *buildChartPanel(QWidget *root);
    void onChartStatusMessage(const QString &text);
    void onChartChanged();

    // ---- chart/: history requests and the hand-over to the chart --------------------------------
    QString currentChartTimeframe() const;
    QString binanceKlineInterval() const;
    void requestBinanceKlines(const QString &symbol);
    void onBinanceKlinesReply(const ReplyAnswer &answer, const QString &symbol, qint64 startMs,
                              quint64 generation, const QString &interval);
    void refreshChart();
    static QString chartDrawingsKey(const QString &symbol, const QString &timeframe);
    void storeChartDrawings();

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
    void restyleMetricCard(QLabel *card, const QString &caption, const QColor &accent);
    void updateBookMetricCards();
    static QString formatBookPrice(double price);
    void updateBookSummary(double bestBid, double bestAsk, double bidVolume, double askVolume);
    void resetBookPanel(const QString &title);
    QString orderBookTitle(const QString &symbol, const QString &status) const;
    QString quoteSnapshotTitle(const QString &symbol, const QString &status) const;
    QString timeAndSalesTitle(const QString &symbol, const QString &status) const;
    QString quoteTapeTitle(const QString &symbol, const QString &status) const;
    void populateTapeFilterCombo(const QString &preferredKey);
    void setTapeHeaders();
    void retranslateStreamPanels(); // the book and tape texts a language change re-applies

    // ---- streams/: aggregation step, presets and depth arithmetic ------------------------------
    double bookStep() const;
    double defaultBookStep(const QString &preset) const;
    double roundToBookStep(double price, bool isBid) const;
    AggregatedLevels aggregateJsonLevels(const QJsonArray &levels, bool isBid) const;
    AggregatedLevels aggregateLevels(const QList<BookLevel> &levels, bool isBid) const;
    static int countValidJsonLevels(const QJsonArray &levels);
    static bool hasFullJsonDepth(const QJsonArray &bids, const QJsonArray &asks);
    static bool hasFullDepth(const BookSnapshot &snapshot);
    static double sumDepthQuantity(const QJsonArray &levels);
    static double sumLevelSizes(const QList<BookLevel> &levels);
    static double firstLevelPrice(const QJsonArray &levels);
    QString bookStepSuffix() const;
    void onBookPresetTriggered(const QString &presetKey);
    void applyBookPreset(const QString &presetKey);
    void updateBookPresetButtons();
    void onBookStepChanged();
    void reapplyBookPreset(); // the stored preset's step for the newly selected symbol's price
    void followBookReferencePrice(); // the buttons follow a new selection or price; the choice stays

    // ---- streams/: filling the book, the Level 2 view, the crypto depth view -------------------
    void fillBookSide(QTableWidget *table, const QJsonArray &levels, bool isBid);
    void fillBookSideLevels(QTableWidget *table, const QList<BookLevel> &levels, bool isBid);
    void fillBookRows(QTableWidget *table, const AggregatedLevels &levels, bool isBid, int sizeDecimals);
    void makeBookItem(QTableWidget *table, int row, int column, const QString &text, bool isBid);
    void updateBookMetrics(const BookSnapshot &snapshot, const QString &label);
    // A crypto depth (a stream message's "data" or the REST reply) judged and shown for the symbol,
    // or the quote snapshot when it is too thin; `status` follows the symbol in the book title, then
    // the aggregation step unless `withStep` is false (the REST snapshot's title is the bare word).
    void showCryptoDepth(const QString &symbol, const QJsonObject &depth, const QString &status,
                         bool withStep = true);

    // ---- streams/: quote snapshot and B3 fallback ----------------------------------------------
    void showQuoteSnapshot(const QString &symbol);
    void showSnapshotFallback(const QString &symbol, double price, double reference, const QString &title);
    void showB3BookFallback(const QString &symbol);
    void addQuoteStatsRow(QTableWidget *table, const QString &field, const QString &value,
                          const QString &source, bool neutral);
    void setStatsItem(QTableWidget *table, int row, int column, const QString &text, const QColor &colour);
    QString tableText(int row, int column) const;

    // ---- streams/: time and sales tape ---------------------------------------------------------
    void startTradeStream(const QString &symbol);
    void onTradeSocketConnected();
    void onTradeSocketDisconnected();
    void onTradeSocketMessage(const QString &message);
    void onBinanceTrade(const QString &message);
    void appendQuoteTapeRow(const QString &symbol, double last, double changePercent, const QString &source,
                            const QString &latencyText, const QString &status);
    void appendQuoteTapeRowFromWatchlist(const QString &symbol, const QString &source);
    void insertTapeRow(const QString &timeText, double price, double size, const QString &side,
                       const QColor &colour);
    void setTapeItem(int row, int column, const QString &text, const QColor &colour,
                     std::optional<double> sortNumber = std::nullopt);
    bool tapeRowPassesFilter(const QString &side, double size) const;
    QString tapeSideFilter() const;
    QString tapeSideLabel(const QString &key) const;
    void resetTapePanel(const QString &title);
    void onTapeClearClicked();
    void onTapeFilterChanged();

    // ---- streams/: sockets, dispatch and the live feeds -----------------------------------------
    // Every (re)open of a stream: close with 1000 and no reason (advancing the link's generation, so
    // the old connection's tail has no effect), then open.
    void reopenStream(QWebSocket &socket, StreamLink &link, const QNetworkRequest &request);
    void closeStream(QWebSocket &socket, StreamLink &link);
    void startBookStream();
    void startTickerStream();
    void stopAllStreams();
    void onTickerSocketConnected();
    void onTickerSocketDisconnected();
    void onTickerSocketMessage(const QString &message);
    void onDepthSocketConnected();
    void onDepthSocketDisconnected();
    void onDepthSocketMessage(const QString &message);
    void onItickSocketConnected();
    void onItickSocketDisconnected();
    void onItickSocketError(QAbstractSocket::SocketError error);
    void onItickSocketMessage(const QString &message);
    void sendItickPing();
    void onItickPingTimer();
    void onItickDepthTimeout();
    void onItickRetryTimer();
    QNetworkRequest binanceStreamRequest(const QString &streamNames) const;
    void requestBinanceDepthSnapshot(const QString &symbol);
    void onBinanceDepthReply(const ReplyAnswer &answer, const QString &symbol, quint64 attempt);
    void onBinanceTicker(const QString &message);
    void onBinanceDepth(const QString &message);
    // An unplanned drop reconnects after 2, 4, 8 ... seconds (at most 60); our own close cancels it.
    // The returned drop says whether it may also refresh the stream's rows over HTTP.
    StreamBackoff::Drop scheduleStreamReconnect(QWebSocket &socket, const StreamLink &link);
    void onStreamReconnectTimer(QWebSocket &socket);
    QTimer *reconnectTimerFor(const QWebSocket &socket);
    StreamBackoff *backoffFor(const QWebSocket &socket);

    // ---- streams/: iTick Level 2 and the US Level 1 fallback -------------------------------------
    void startItickDepth(const QString &symbol);
    void connectItickSocket(const QString &symbol);
    void sendItickSubscribe();
    void scheduleItickRetry(const QString &reason);
    void onItickMessage(const QString &message);
    static void parseItickLevels(const QJsonArray &array, QList<BookLevel> &out);
    void startUsLevel1Fallback(const QString &symbol, const QString &reason);
    void requestFinnhubLevel1Quote(const QString &symbol, const QString &reason);
    void onFinnhubLevel1Reply(const ReplyAnswer &answer, const QString &symbol, const QString &reason,
                              quint64 attempt);
    void requestAlphaLevel1Quote(const QString &symbol, const QString &reason);
    void onAlphaLevel1Reply(const ReplyAnswer &answer, const QString &symbol, const QString &reason,
                            quint64 attempt);
    bool level1ReplyIsCurrent(const QString &symbol, quint64 attempt) const;

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

    // ---- movers/: filters, refresh and activation handlers ------------------------------------
    QString currentMoversScope() const;
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

    // ---- movers/: sources. Every refresh takes a new movers generation; a reply of an older one is
    // dropped unread, so no late batch or crypto list can load over a newer scope.
    void refreshMarketMovers();
    QString moversScopeLabel(const QString &key) const;
    QStringList universeB3Symbols() const;
    QStringList universeUsSymbols() const;
    static int brapiBatchCount(const QStringList &symbols);
    static int yahooBatchCount(const QStringList &symbols);
    void beginMoversBatch(const QString &scope, int count);
    void finishMoversBatch(const QString &scope);
    void fetchBrapiQuotesBatched(const QStringList &symbols, const QString &scope);
    void requestBrapiQuoteBatch(const QStringList &chunk, const QString &scope, bool keyed);
    void onBrapiMoversReply(const ReplyAnswer &answer, const QStringList &chunk, const QString &scope,
                            bool keyed, quint64 generation);
    void fetchYahooMoversQuotes(const QStringList &symbols, const QString &scope);
    void onYahooMoversReply(const ReplyAnswer &answer, const QString &scope, quint64 generation);
    void fetchAlphaTopMovers(const QString &scope, const QStringList &usSymbols);
    void onAlphaMoversReply(const ReplyAnswer &answer, const QString &scope, const QStringList &usSymbols,
                            quint64 generation);
    void appendAlphaMovers(const QJsonArray &array);
    void onBinanceMoversReply(const ReplyAnswer &answer, quint64 generation);
    static bool isEligibleUsdtPair(const QString &symbol);
    void loadWatchlistMovers(); // at most once per event-loop turn
    void loadWatchlistMoversNow();
    QList<MoverEntry> moversFromQuoteTable(const QString &assetClass) const; // empty class: every row
    int appendMoversFromQuoteTable(const QString &assetClass);

    // ---- movers/: loader, filters, breadth cards, tables and menu --------------------------------
    void loadMarketMovers(QList<MoverEntry> list, const QString &sourceLabel);
    double localSeriesChange(const QString &symbol, double fallback) const;
    static double moverTurnover(const MoverEntry &entry);
    QString moversIntervalLabel(const QString &key) const;
    QString currentMoversIntervalLabel() const;
    qint64 moversIntervalSeconds() const;
    static bool compareMoverChangeDesc(const MoverEntry &a, const MoverEntry &b);
    static bool compareMoverChangeAsc(const MoverEntry &a, const MoverEntry &b);
    static bool compareMoverAbsChangeDesc(const MoverEntry &a, const MoverEntry &b);
    void updateMoversStats(const QList<MoverEntry> &list);
    void setBreadthCardTitles();
    void fillMoversTable(QTableWidget *table, const QList<MoverEntry> &list, bool gainers);
    void setMoversCell(QTableWidget *table, int row, int column, const QString &text, double sortValue,
                       bool hasSortValue);
    void showMoversMenu(QTableWidget *table, const QPoint &pos);
    // False when nothing was added or selected (an empty symbol, or one the watchlist refuses).
    bool addMoverToWatchlist(const QString &symbol);

    // ---- movers/: screener ---------------------------------------------------------------------
    void refreshScreener(); // at most once per event-loop turn
    void rebuildScreener(); // in place when only some rows' values changed, else from scratch
    void rebuildScreenerFromScratch(const QStringList &symbols, const QHash<QString, int> &watchlistRows);
    ScreenerRowValues screenerRowValues(const QString &symbol, int quoteRow) const;
    bool screenerListsSymbol(const ScreenerRowValues &values) const; // the minimum-change test
    void writeScreenerRow(int row, const QString &symbol, const ScreenerRowValues &values);
    void updateScreenerRow(const QString &symbol, const ScreenerRowValues &values);
    QString screenerFilterKey() const;
    QString assetClassLabel(const QString &assetKey) const;
    bool screenerAssetMatches(const QString &symbol) const;
    bool passesMinChange(double changePercent) const;
    QString trendSignalLabel(double changePercent) const;
    QString marketSourceLabel(const QString &symbol) const;
    QString sectorLabel(const QString &symbol) const;
    void setScreenerCell(int row, int column, const QString &text, double number, bool hasNumber,
                         const QColor &color);
    void activateScreenerRow(int row);

    // ---- alerts/: rules, history and their menu ---------------------------------------------------
    void checkAlerts(const QString &symbol, double last);
    void flashQuoteRow(const QString &symbol);
    void onClearRowFlash(const QString &symbol);
    void showAlertPopup(const PriceAlert &alert, double last);
    qint64 alertNowMs() const;
    void soundAlertBeep();
    void loadAlerts(const QJsonArray &array);
    QJsonArray alertsToJsonArray() const;
    void showCreateAlertDialog(const QString &symbol);
    void appendAlertHistory(const PriceAlert &alert, const QString &event, double price,
                            const QString &status);
    void refreshAlertHistoryTable();
    void appendAlertHistoryRow(const AlertHistoryEntry &entry);
    QTableWidgetItem *setAlertHistoryCell(int row, int column, const QString &text,
                                          std::optional<double> sortValue = std::nullopt);
    void showAlertHistoryItem(const QTableWidgetItem *item);
    void onAlertHistoryContextMenu(const QPoint &pos);
    void showAlertHistoryMenu(const QPoint &pos);
    std::optional<AlertRowKey> alertKeyForHistoryRow(int row) const;
    int findAlertForHistoryRow(int row) const;
    void rearmAlert(int index);
    void removeAlert(int index);
    void clearAlertHistory();
    void loadAlertHistory(const QJsonArray &array);
    QJsonArray alertHistoryToJsonArray() const;
    QJsonObject alertsJson() const;
    // False, with nothing changed, for a payload that is not a usable "alerts" namespace.
    bool applyAlertsJson(const QJsonValue &payload);

    // ---- portfolio/: the page, the portfolios and their persistence, valuation, operations ------
    QWidget *buildPortfolioPage(QWidget *root);
    void setPortfolioTableHeaders();
    void ensureDefaultPortfolio();
    const QList<PortfolioPosition> &activePositions() const;
    QList<PortfolioPosition> &activePositionsForEdit();
    int indexOfPosition(const QString &symbol) const;
    QJsonArray positionsToJson(const QList<PortfolioPosition> &positions) const;
    QList<PortfolioPosition> positionsFromJson(const QJsonArray &array) const;
    QJsonObject portfoliosToJson() const;
    void loadPortfolios(const QJsonObject &portfolios, const QJsonArray &legacyPortfolio);
    // The sync namespace "portfolios": false (and nothing changes) when the payload is not an object
    // with an "items" array, so that a bad download never wipes the local portfolios.
    bool applySyncPortfoliosPayload(const QJsonValue &payload);
    void refreshPortfolio();
    // Quotes arrive one by one: all that arrive in one event-loop turn share one refresh.
    void refreshPortfolioSoon();
    void refreshPortfolioTransactions();
    QString positionCurrency(const PortfolioPosition &position) const;
    double convertCurrency(double amount, const QString &from, const QString &to, bool *ok = nullptr) const;
    void setPositionCell(int row, int column, const QString &text, std::optional<double> sortValue = {});
    void populatePortfolioCombo();
    void syncPortfolioCurrencyCombo();
    void onAddPositionClicked();
    void onRemovePositionClicked();
    void onNewPortfolioClicked();
    void onRenamePortfolioClicked();
    void onDeletePortfolioClicked();
    void onAddCashFlowClicked();
    void onAddDividendClicked();
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
    void informPortfolio(const QString &text);
    bool confirmPortfolio(const QString &text);
    void commitPortfolioChange(); // refresh, then save

    // ---- news/: the page and its feeds ------------------------------------------------------------
    QWidget *buildNewsPage(QWidget *root);
    void populateNewsSourceCombo(const QString &preferredKey);
    void populateNewsRegionCombo(const QString &preferredKey);
    void retranslateNewsHeaders();
    QString currentNewsSource() const;
    QString newsSourceLabel(const QString &key) const;
    QString currentNewsRegion() const;
    QString newsRegionLabel(const QString &key) const;
    QString newsQuerySymbol() const;

    // One refresh asks one feed; each request carries the refresh's generation through its fallbacks,
    // and a reply of an older refresh is dropped.
    void refreshNews();
    void fetchSiteNews(const QString &keyword, const QString &symbol, bool fallbackToRss);
    void fetchNewsApi(const QString &symbol, bool fallbackToSite);
    void fetchPublicRssNews(const QString &symbol);
    // Sends a news request; `done` gets the reply's body, or nothing when it failed or was too large.
    void sendNewsRequest(const QNetworkRequest &request,
                         std::function<void(const std::optional<QByteArray> &)> done);
    void onSiteNewsReply(const std::optional<QByteArray> &body, quint64 generation, const QString &keyword,
                         const QString &symbol, bool fallbackToRss);
    void onNewsApiReply(const std::optional<QByteArray> &body, quint64 generation, const QString &symbol,
                        bool fallbackToSite);
    void onPublicRssReply(const std::optional<QByteArray> &body, quint64 generation, const QString &symbol);
    void applySiteNews(const QList<NewsItem> &items, const QString &keyword, const QString &symbol,
                       bool fallbackToRss);

    // The table, its filters and the links.
    QList<NewsItem> filterNewsByDateAndKeyword(const QList<NewsItem> &items, const QString &keyword) const;
    QList<NewsItem> filterNewsByRegion(const QList<NewsItem> &items) const;
    void refreshNewsTable(const QList<NewsItem> &items, const QString &sourceLabel);
    void setNewsCell(int row, int column, const QString &text, const QString &userRoleText,
                     const QString &summary);
    QString formatNewsTime(const QString &text) const;
    void openNewsLink(int row);
    void onNewsRefreshRequested();
    void onNewsCellActivated(int row, int column);
    void onNewsTabShown(int index, QWidget *newsPage);

    // ---- account/: the account request, sign-in and session --------------------------------------
    QJsonObject sendAccountRequest(const QString &url, const QByteArray &method, const QJsonObject &body,
                                   const QString &token, int *httpStatus, QString *errorText);
    QString authEndpointUrl(const QString &endpoint) const;
    QString syncEndpointUrl(const QString &endpoint) const;
    QString accountLanguageCode() const;
    bool openInBrowser(const QUrl &url);
    void accountBusyChanged();
    bool accountOperationRefused(); // true, with a word in the status bar, while an account call waits
    void abandonAccountWait();
    void showAccountMessage(int icon, const QString &text);
    int showLoginDialog();
    void setLoginButtonsEnabled(bool enabled);
    void runLoginAttempt(QDialog *dialog, QLabel *status, const QString &waitingText,
                         const std::function<bool(QString *)> &attempt, const QString &successLine);
    void onLoginClicked(QDialog *dialog, QLineEdit *emailEdit, QLineEdit *passwordEdit, QLabel *status);
    bool submitLogin(const QString &email, const QString &password, QString *errorText);
    void onGoogleLoginClicked(QDialog *dialog, QLabel *status);
    bool startGoogleLogin(QString *errorText);
    bool pauseForGooglePoll(int ms);
    void onGoogleLoginMinimize();
    void onCreateAccountClicked();
    bool applyAuthReply(const QJsonObject &reply, QString *errorText);
    QString authErrorMessage(const QString &code) const;
    bool validateStoredSession();
    void refreshSession();
    QIcon googleSignInIcon() const;
    void logout();
    void logoutRemote();
    void clearSession();

    // ---- account/: sync and its status -----------------------------------------------------------
    void pullAccountSync();
    bool pushAccountSync(const QJsonObject &items, const QJsonObject &expectedVersions);
    QJsonObject buildSyncSnapshot();
    QJsonObject buildSyncSettingsPayload() const;
    bool applyAccountSyncItems(const QJsonObject &items); // whether any namespace was applied
    QJsonObject syncItemPayload(const QJsonObject &items, const QString &name) const;
    void reportSkippedNamespace(const QString &name);
    void recordSyncVersions(const QJsonObject &items);
    QStringList namespacesWithNewerVersion(const QJsonObject &items) const;
    QJsonObject buildExpectedVersions(const QStringList &names, bool allZero) const;
    void setSyncStatus(const QString &status);
    void loadSyncVersions(const QJsonObject &object);
    void showSyncStatusDialog();
    QString syncStatusText();
    QString formatSyncTime() const;
    static QString formatByteSize(qint64 bytes);

    // ======================================== state ===============================================

    // Symbol box
    QLineEdit *symbolInput = nullptr;

    // Qt's own texts (standard buttons, the key editor's prompt) follow the language; tests point its
    // translations folder elsewhere.
    QtTexts qtTexts;

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
    quint64 newsGeneration = 0;        // the refresh whose replies may still fill the table
    QPointer<QNetworkReply> newsReply; // that refresh's request in flight; a newer refresh drops it

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
    QTableWidget *positionsTable = nullptr;
    QTableWidget *transactionsTable = nullptr;
    QTabWidget *portfolioTabs = nullptr;

    // Tape panel
    QLabel *tapeTitleLabel = nullptr;
    QComboBox *tapeSideCombo = nullptr;
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
    StreamLink tickerLink;
    StreamLink depthLink;
    StreamLink itickLink;
    StreamLink tradeLink;

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
    QTimer tickerReconnectTimer;
    QTimer depthReconnectTimer;
    QTimer tradeReconnectTimer;

    // Stream state
    QString bookSymbol;
    QString bookPresetKey;
    QString itickSymbol;
    QString tapeSymbol;
    QString symbolSearchText;

    // Flags
    bool marketDataStarted = false;
    bool quitting = false;
    bool closeQuestionOpen = false; // the close question is on screen
    bool bookPending = false;       // a book stream was started and no depth has arrived yet
    bool bookLive = false;          // depth has arrived for the current book stream
    bool tradeStreamActive = false;
    int itickRetryCount = 0;
    int itickRetryBaseMs = 1000; // the first iTick retry delay; only tests shorten it
    quint64 itickAttempt = 0;    // advanced by every iTick attempt; a Level 1 reply of an older one is late
    bool level1Started = false;  // the current attempt has handed over to Level 1
    quint64 bookAttempt = 0;     // advanced by every crypto book start; a depth reply of an older one is late
    bool depthStreamDelivered = false; // the depth stream has filled the book since the REST request
    StreamBackoff tickerBackoff;
    StreamBackoff depthBackoff;
    StreamBackoff tradeBackoff;
    QSet<QString> unstreamableSymbolsNamed; // crypto rows whose names cannot join a stream, named once

    // Market data and records
    QMap<QString, CandleList> candlesBySymbol;
    QMap<QString, QString> candleTimeframeBySymbol; // the chart timeframe each series was fetched for
    QStringList symbolUniverse;
    QSet<QString> symbolUniverseMembers; // the same symbols, for membership tests
    // The newest symbol search while it runs; a newer one ends it.
    QPointer<QNetworkReply> symbolSearchReply;
    QStringList cryptoBaseAssets;
    QStringList b3BaseSymbols;
    QMap<QString, QString> sectorBySymbol;
    int dragSourceRow = -1;
    QPoint dragPressPos;
    QStringListModel *completerModel = nullptr;
    double usdBrlRate = 0.0; // BRL per USD; 0 until the first USD/BRL quote
    QMap<QString, quint64> quoteGenerations;
    QMap<QString, QPointer<AsyncProviderCascade>> quoteCascades;
    // Prices written to each row so far, and their count when the symbol's walk started: a walk that
    // fails after a newer price reached the row leaves that row's status alone.
    QHash<QString, quint64> quoteRowPriceWrites;
    QHash<QString, quint64> quoteWalkPriceMarks;
    QHash<QString, QPointer<QNetworkReply>> quoteAttemptReplies;      // each walk's attempt in flight
    QMultiHash<QString, QPointer<QNetworkReply>> chartRequestReplies; // direct chart requests in flight
    // Each quote attempt's limit and each quote request's transfer limit; only tests shorten them.
    int quoteAttemptLimitMs = 11000;
    int quoteTransferLimitMs = 10000;
    int healthTransferLimitMs = 10000; // each health probe's transfer limit; only tests shorten it
    ReplyDeadlines replyDeadlines;     // each request's time for its whole answer, by kind
    ProviderHealthMap providerHealth;  // health records by coverage row key
    int pendingMoversReplies = 0; // never below 0
    QList<MoverEntry> moversList; // entries gathered by the running batch
    quint64 moversGeneration = 0;
    QList<QPointer<QNetworkReply>> moversReplies; // that refresh's requests; a newer refresh drops them
    QMap<QString, MoverEntry> moverSnapshots; // the last entry loaded per symbol, for the screener
    QMap<QString, QString> moverSourceLabels;
    // Rebuilds that every applied quote asks for, each at most this often while quotes stream in.
    static constexpr int kQuoteRebuildIntervalMs = 250;
    ThrottledCall screenerRebuildCall{kQuoteRebuildIntervalMs};
    // The screener's last build: what each listed row shows and what the list was built from.
    QHash<QString, ScreenerRowValues> screenerShown;
    QHash<QString, QTableWidgetItem *> screenerSymbolItems; // column-0 item per listed symbol
    QStringList screenerWatchlistSeen;
    QStringList screenerUniverseSeen;
    QString screenerFilterSeen;
    QSet<QString> screenerDirtySymbols; // movers snapshot entries changed since the last build
    bool screenerFullRebuild = true;
    ThrottledCall watchlistMoversCall{kQuoteRebuildIntervalMs};
    qint64 alphaVantageLastCallMs = 0;
    qint64 alphaVantageCooldownUntilMs = 0;
    QMap<QString, qint64> providerLastRequestMs;
    QMap<QString, qint64> providerCooldownUntilMs;
    QString pendingMoversScope;
    QJsonObject chartDrawings; // drawings per "symbol|timeframe", only keys that have drawings
    QString currentDrawingsKey;
    QMap<QString, quint64> klineGenerations; // the newest klines request per symbol
    QHash<QString, QPointer<QNetworkReply>> klineReplies; // and that request while in flight
    LocalSettings settings;
    // A settings or watchlist file that could not be read nor kept aside at start: this run never
    // writes over it.
    bool protectSettingsFile = false;
    bool protectWatchlistFile = false;

    // Portfolios: the three maps share their keys; a portfolio exists when it has a positions entry.
    PortfolioPositionMap portfolioPositions;
    PortfolioTransactionMap portfolioTransactions;
    PortfolioCurrencyMap portfolioBaseCurrency;
    QString activePortfolio;
    bool portfolioCombosRefilling = false;
    ThrottledCall portfolioRefreshCall{kQuoteRebuildIntervalMs};
    // What the transactions table shows, so that a quote's refresh leaves its rows (and an open menu's
    // row) alone unless the transactions, the portfolio or the language changed.
    struct ShownTransactions
    {
        bool valid = false;
        QString portfolio;
        QString language;
        QList<PortfolioTransaction> transactions;
    } shownTransactions;

    // Price alerts: the rules in arming order and the append-only history. The clock and the beep are
    // the platform's unless a test sets them; the flash lasts rowFlashMs.
    QList<PriceAlert> alerts;
    QList<AlertHistoryEntry> alertHistory;
    std::function<qint64()> alertClock;
    std::function<void()> alertBeep;
    int rowFlashMs = 1800;
    // The open message box of each repeating rule (by alertPopupKey), which its next hits update.
    QHash<QString, QPointer<QDialog>> repeatingAlertBoxes;

    // Account: how a request waits (empty: a local event loop) and for how long, the browser sign-in's
    // poll interval and limit, the browser (empty: the desktop's), the busy guard and the open dialog.
    AccountWait accountWait;
    int accountRequestLimitMs = 15000;
    int googlePollIntervalMs = 2000;
    int googleLoginLimitMs = 300000;
    std::function<bool(const QUrl &)> browserOpener;
    bool accountBusy = false;
    bool closeAfterAccountWait = false;
    QEventLoop *accountWaitLoop = nullptr;
    QPointer<QDialog> loginDialog;
    bool loginDialogWatched = false;
    QList<QPointer<QPushButton>> loginDialogButtons;

    QList<QPair<QString, QKeySequenceEdit *>> shortcutEditors; // the open shortcut dialog's fields

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};
