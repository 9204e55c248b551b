#include "chart/price_chart.h"
#include "settings/json_file.h"
#include "settings/local_settings_file.h"
#include "shell/main_window.h"

#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <QSplitter>

#include <vector>

// The keys a workspace snapshot shares with the settings file, encoded once for both writers.
void MainWindow::insertWorkspaceKeys(QJsonObject &object)
{
    storeChartSelection();
    storeChartDrawings();
    object.insert(QStringLiteral("language"), settings.language);
    object.insert(QStringLiteral("theme"), settings.theme);
    object.insert(QStringLiteral("chart_mode"), settings.chartMode);
    object.insert(QStringLiteral("chart_timeframe"), settings.chartTimeframe);
    object.insert(QStringLiteral("window_geometry"), geometryToText(saveGeometry()));
    object.insert(QStringLiteral("hidden_columns"), hiddenColumnsText());
    object.insert(QStringLiteral("indicators"),
                  priceChart ? priceChart->indicatorSettingsToJson() : QJsonObject());
    object.insert(QStringLiteral("shortcuts"), shortcutsToJson());
    object.insert(QStringLiteral("drawings"), chartDrawings);
    if (bookStepSpin)
        object.insert(QStringLiteral("book_step"), bookStepSpin->value());
    object.insert(QStringLiteral("book_preset"), bookPresetKey);
    if (moversMinVolumeSpin)
        object.insert(QStringLiteral("movers_min_volume"), moversMinVolumeSpin->value());
    if (moversMinTurnoverSpin)
        object.insert(QStringLiteral("movers_min_turnover"), moversMinTurnoverSpin->value());
    object.insert(QStringLiteral("movers_scope"), currentMoversScope());
    object.insert(QStringLiteral("movers_interval"), currentMoversInterval());
    object.insert(QStringLiteral("movers_sector"), currentMoversSector());
    if (screenerAssetCombo)
        object.insert(QStringLiteral("screener_asset"), currentScreenerAsset());
    if (screenerScopeCombo)
        object.insert(QStringLiteral("screener_scope"), currentScreenerScope());
    if (screenerMinChangeSpin)
        object.insert(QStringLiteral("screener_min_change"), screenerMinChangeSpin->value());
    if (leftSplitter)
        object.insert(QStringLiteral("left_splitter_sizes"), intsToJsonArray(leftSplitter->sizes()));
    if (workspaceSplitter)
        object.insert(QStringLiteral("workspace_splitter_sizes"),
                      intsToJsonArray(workspaceSplitter->sizes()));
}

void MainWindow::saveLocalSettings()
{
    QJsonObject object;
    insertWorkspaceKeys(object);
    object.insert(QStringLiteral("alerts"), alertsToJsonArray());
    object.insert(QStringLiteral("alert_history"), alertHistoryToJsonArray());
    object.insert(QStringLiteral("portfolios"), portfoliosToJson());
    object.insert(QStringLiteral("api_health"), providerHealthToJson());
    object.insert(QStringLiteral("auth"), authToJson(settings));
    object.insert(QStringLiteral("sync_versions"), syncVersionsToJson());
    object.insert(QStringLiteral("sync_last_unix"), settings.syncLastUnix);
    object.insert(QStringLiteral("sync_last_status"), settings.syncLastStatus);
    // The file holds the account session: it is readable by its owner only. A failed write is silent and
    // leaves the previous file whole; the next save tries again.
    if (!protectSettingsFile)
        writeJsonObjectFile(localSettingsWritePath(), object, true);
}

void MainWindow::loadLocalSettings()
{
    const QString path = localSettingsReadPath();
    const JsonFileRead read = readJsonObjectFile(path);
    const QString englishName = QStringLiteral("Settings file");
    const QString portugueseName = QString::fromUtf8("arquivo de configurações");
    // A legacy file is never written, so only the file at the write path needs keeping from the saves.
    const bool written = path == localSettingsWritePath();
    if (!read.opened) {
        // A file that exists but cannot be opened (its permissions) would be replaced by the defaults.
        if (read.exists && written)
            protectSettingsFile = !keepUnusableFileAside(path, read, englishName, portugueseName, {}, true);
        return;
    }
    // What follows reads an unparseable file as empty, and a mistyped member of the user's records as
    // empty, and the next save replaces the file: keep the user's bytes first.
    const QStringList mistyped = mistypedUserDataKeys(read.object);
    if ((!read.parsed && !read.content.trimmed().isEmpty()) || !mistyped.isEmpty()) {
        if (!keepUnusableFileAside(path, read, englishName, portugueseName, mistyped, true) && written)
            protectSettingsFile = true;
    }
    const QJsonObject object = read.object;

    // Applying the file must neither save (a save now would write keys not yet applied with their
    // construction values) nor fetch: the widgets whose handlers do either stay silent meanwhile.
    std::vector<QSignalBlocker> quiet;
    for (QObject *widget : std::initializer_list<QObject *>{
             bookStepSpin, moversMinVolumeSpin, moversMinTurnoverSpin, screenerMinChangeSpin,
             moversScopeCombo, moversIntervalCombo, moversSectorCombo, screenerAssetCombo, screenerScopeCombo,
             chartModeCombo, chartTimeframeCombo, leftSplitter, workspaceSplitter}) {
        if (widget)
            quiet.emplace_back(widget);
    }

    settings.language = acceptedLanguage(object.value(QStringLiteral("language")), settings.language);
    settings.theme = acceptedTheme(object.value(QStringLiteral("theme")), settings.theme);
    const QByteArray geometry = geometryFromText(object.value(QStringLiteral("window_geometry")));
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    settings.chartMode = acceptedChartMode(object.value(QStringLiteral("chart_mode")), settings.chartMode);
    if (chartTimeframeCombo) {
        QStringList timeframes;
        for (int index = 0; index < chartTimeframeCombo->count(); ++index)
            timeframes << chartTimeframeCombo->itemText(index);
        settings.chartTimeframe = acceptedChartTimeframe(object.value(QStringLiteral("chart_timeframe")),
                                                         settings.chartTimeframe, timeframes);
    }
    parseHiddenColumns(object.value(QStringLiteral("hidden_columns")).toString());
    if (priceChart)
        priceChart->applyIndicatorSettings(object.value(QStringLiteral("indicators")).toObject());
    chartDrawings = object.value(QStringLiteral("drawings")).toObject();
    loadShortcuts(object.value(QStringLiteral("shortcuts")).toObject());
    loadAlerts(object.value(QStringLiteral("alerts")).toArray());
    loadAlertHistory(object.value(QStringLiteral("alert_history")).toArray());
    loadPortfolios(object.value(QStringLiteral("portfolios")).toObject(),
                   object.value(QStringLiteral("portfolio")).toArray());
    loadProviderHealth(object.value(QStringLiteral("api_health")).toObject());
    readAuthJson(object.value(QStringLiteral("auth")), settings);
    loadSyncVersions(object.value(QStringLiteral("sync_versions")).toObject());
    settings.syncLastUnix = syncLastUnixFromJson(object.value(QStringLiteral("sync_last_unix")));
    settings.syncLastStatus = object.value(QStringLiteral("sync_last_status")).toString();
    if (bookStepSpin)
        bookStepSpin->setValue(numberSetting(object.value(QStringLiteral("book_step"))));
    bookPresetKey = object.value(QStringLiteral("book_preset")).toString();
    if (moversMinVolumeSpin)
        moversMinVolumeSpin->setValue(numberSetting(object.value(QStringLiteral("movers_min_volume"))));
    if (moversMinTurnoverSpin)
        moversMinTurnoverSpin->setValue(numberSetting(object.value(QStringLiteral("movers_min_turnover"))));
    populateMoversScopeCombo(object.value(QStringLiteral("movers_scope")).toString(QStringLiteral("crypto")));
    populateMoversIntervalCombo(
        object.value(QStringLiteral("movers_interval")).toString(QStringLiteral("hour")));
    populateMoversSectorCombo(object.value(QStringLiteral("movers_sector")).toString(QStringLiteral("all")));
    if (screenerAssetCombo)
        populateScreenerAssetCombo(
            object.value(QStringLiteral("screener_asset")).toString(QStringLiteral("all")));
    if (screenerScopeCombo)
        populateScreenerScopeCombo(
            object.value(QStringLiteral("screener_scope")).toString(QStringLiteral("watchlist")));
    if (screenerMinChangeSpin)
        screenerMinChangeSpin->setValue(numberSetting(object.value(QStringLiteral("screener_min_change"))));
    settings.leftSplitterSizes =
        positiveIntsFromJson(object.value(QStringLiteral("left_splitter_sizes")).toArray());
    settings.workspaceSplitterSizes =
        positiveIntsFromJson(object.value(QStringLiteral("workspace_splitter_sizes")).toArray());

    syncChartCombos();
    restoreSplitterSizes();
    applyConfiguredShortcuts();
}

bool MainWindow::keepUnusableFileAside(const QString &path, const JsonFileRead &read,
                                       const QString &englishName, const QString &portugueseName,
                                       const QStringList &mistypedKeys, bool ownerOnly)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (!read.opened) {
        const QString moved = moveUnreadableFileAside(path, now);
        if (moved.isEmpty()) {
            appendEventLog(localizedText(
                QStringLiteral("%1 %2 could not be opened nor moved aside; it will not be overwritten during "
                               "this run")
                    .arg(englishName, path),
                QString::fromUtf8("Não foi possível abrir nem mover o %1 %2; ele não será sobrescrito nesta "
                                  "execução")
                    .arg(portugueseName, path)));
            return false;
        }
        appendEventLog(localizedText(
            QStringLiteral("%1 %2 could not be opened; it was moved to %3").arg(englishName, path, moved),
            QString::fromUtf8("Não foi possível abrir o %1 %2; ele foi movido para %3")
                .arg(portugueseName, path, moved)));
        return true;
    }
    const QString copy = preserveUnreadableFile(path, read.content, now, ownerOnly);
    const QString english = mistypedKeys.isEmpty()
                                ? QStringLiteral("%1 %2 could not be read").arg(englishName, path)
                                : QStringLiteral("%1 %2 holds %3 in a form that cannot be read")
                                      .arg(englishName, path, mistypedKeys.join(QStringLiteral(", ")));
    const QString portuguese =
        mistypedKeys.isEmpty() ? QString::fromUtf8("Não foi possível ler o %1 %2").arg(portugueseName, path)
                               : QString::fromUtf8("O %1 %2 traz %3 em uma forma que não pode ser lida")
                                     .arg(portugueseName, path, mistypedKeys.join(QStringLiteral(", ")));
    if (copy.isEmpty()) {
        appendEventLog(localizedText(
            english +
                QStringLiteral("; no copy could be kept, so it will not be overwritten during this run"),
            portuguese +
                QString::fromUtf8(
                    "; não foi possível guardar uma cópia, então ele não será sobrescrito nesta execução")));
        return false;
    }
    appendEventLog(localizedText(english + QStringLiteral("; a copy was kept at %1").arg(copy),
                                 portuguese + QString::fromUtf8("; uma cópia foi mantida em %1").arg(copy)));
    return true;
}

QString MainWindow::hiddenColumnsText() const
{
    return ::hiddenColumnsText(settings.hiddenColumns);
}

QList<int> MainWindow::positiveIntsFromJson(const QJsonArray &array)
{
    return ::positiveIntsFromJson(array);
}

QJsonArray MainWindow::intsToJsonArray(const QList<int> &values)
{
    return ::intsToJsonArray(values);
}

QJsonObject MainWindow::syncVersionsToJson() const
{
    return ::syncVersionsToJson(settings.syncVersions);
}

QJsonObject MainWindow::shortcutsToJson() const
{
    return shortcutOverridesToJson(settings.shortcutOverrides);
}

void MainWindow::loadShortcuts(const QJsonObject &object)
{
    settings.shortcutOverrides = shortcutOverridesFromJson(object);
}

QList<ShortcutDefinition> MainWindow::defaultShortcutDefinitions() const
{
    return ::defaultShortcutDefinitions();
}

QString MainWindow::shortcutText(const QString &id) const
{
    return shortcutKeyText(settings.shortcutOverrides, id);
}

void MainWindow::restoreSplitterSizes()
{
    if (leftSplitter && settings.leftSplitterSizes.size() == leftSplitter->count())
        leftSplitter->setSizes(settings.leftSplitterSizes);
    if (workspaceSplitter && settings.workspaceSplitterSizes.size() == workspaceSplitter->count())
        workspaceSplitter->setSizes(settings.workspaceSplitterSizes);
}

void MainWindow::syncChartCombos()
{
    if (chartModeCombo) {
        const QSignalBlocker quiet(chartModeCombo);
        const int index = chartModeCombo->findData(settings.chartMode);
        chartModeCombo->setCurrentIndex(index >= 0 ? index : 0);
    }
    if (chartTimeframeCombo) {
        const QSignalBlocker quiet(chartTimeframeCombo);
        const int index =
            chartTimeframeCombo->findText(settings.chartTimeframe, Qt::MatchExactly | Qt::MatchCaseSensitive);
        chartTimeframeCombo->setCurrentIndex(index >= 0 ? index : 0);
    }
}

void MainWindow::onSplitterMoved()
{
    settingsSaveTimer.start();
}

void MainWindow::onSaveSettingsTimeout()
{
    saveLocalSettings();
}
