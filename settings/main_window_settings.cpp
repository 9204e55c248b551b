#include "chart/price_chart.h"
#include "settings/hidden_columns.h"
#include "settings/json_file.h"
#include "settings/local_settings_file.h"
#include "shell/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <vector>

namespace {
// Applying a snapshot must neither save nor fetch midway: the widgets whose handlers do either stay
// silent until the applier's own refreshes and its one save.
std::vector<QSignalBlocker> silence(std::initializer_list<QObject *> widgets)
{
    std::vector<QSignalBlocker> quiet;
    quiet.reserve(widgets.size());
    for (QObject *widget : widgets) {
        if (widget)
            quiet.emplace_back(widget);
    }
    return quiet;
}

QStringList comboTexts(const QComboBox *combo)
{
    QStringList texts;
    for (int index = 0; combo && index < combo->count(); ++index)
        texts << combo->itemText(index);
    return texts;
}
} // namespace

// ---- workspace snapshots and the synced settings payload ------------------------------------------

QJsonObject MainWindow::buildWorkspaceJson()
{
    QJsonObject object;
    insertWorkspaceKeys(object);
    return object;
}

void MainWindow::saveWorkspaceSnapshot()
{
    if (!writeJsonObjectFile(workspaceSnapshotWritePath(), buildWorkspaceJson(), false)) {
        QMessageBox::warning(
            this, appTitle(),
            localizedText(QStringLiteral("Could not save the workspace snapshot."),
                          QString::fromUtf8("Não foi possível salvar o snapshot do workspace.")));
        return;
    }
    const QString saved = localizedText(QStringLiteral("Workspace saved"), QStringLiteral("Workspace salvo"));
    appendEventLog(saved);
    statusBar()->showMessage(saved);
}

void MainWindow::loadWorkspaceSnapshot()
{
    const JsonFileRead read = readJsonObjectFile(workspaceSnapshotReadPath());
    if (!read.opened) {
        QMessageBox::information(
            this, appTitle(),
            localizedText(QStringLiteral("No saved workspace snapshot was found."),
                          QString::fromUtf8("Nenhum snapshot de workspace salvo foi encontrado.")));
        return;
    }
    // Applied as an empty object, a damaged file would clear the hidden columns, shortcuts and drawings
    // and save that over the settings file.
    if (!read.parsed) {
        QMessageBox::warning(
            this, appTitle(),
            localizedText(QStringLiteral("The workspace snapshot could not be read."),
                          QString::fromUtf8("Não foi possível ler o snapshot do workspace.")));
        return;
    }
    applyWorkspaceSnapshot(read.object);
    const QString loaded =
        localizedText(QStringLiteral("Workspace loaded"), QStringLiteral("Workspace carregado"));
    appendEventLog(loaded);
    statusBar()->showMessage(loaded);
}

void MainWindow::applyWorkspaceSnapshot(const QJsonObject &snapshot)
{
    {
        const auto quiet = silence({bookStepSpin, moversMinVolumeSpin, moversMinTurnoverSpin,
                                    screenerMinChangeSpin, moversScopeCombo, moversIntervalCombo,
                                    moversSectorCombo, screenerAssetCombo, screenerScopeCombo, chartModeCombo,
                                    chartTimeframeCombo, leftSplitter, workspaceSplitter});
        settings.language = acceptedLanguage(snapshot.value(QStringLiteral("language")), settings.language);
        settings.theme = acceptedTheme(snapshot.value(QStringLiteral("theme")), settings.theme);
        const QByteArray geometry = geometryFromText(snapshot.value(QStringLiteral("window_geometry")));
        if (!geometry.isEmpty())
            restoreGeometry(geometry);
        settings.chartMode =
            acceptedChartMode(snapshot.value(QStringLiteral("chart_mode")), settings.chartMode);
        if (chartTimeframeCombo)
            settings.chartTimeframe =
                acceptedChartTimeframe(snapshot.value(QStringLiteral("chart_timeframe")),
                                       settings.chartTimeframe, comboTexts(chartTimeframeCombo));
        parseHiddenColumns(snapshot.value(QStringLiteral("hidden_columns")).toString());
        if (priceChart)
            priceChart->applyIndicatorSettings(snapshot.value(QStringLiteral("indicators")).toObject());
        loadShortcuts(snapshot.value(QStringLiteral("shortcuts")).toObject());
        // The snapshot's drawings win: with no current key, the chart refresh below cannot store the
        // drawings on screen over the snapshot's entry.
        currentDrawingsKey.clear();
        chartDrawings = snapshot.value(QStringLiteral("drawings")).toObject();
        if (bookStepSpin)
            bookStepSpin->setValue(
                snapshot.value(QStringLiteral("book_step")).toDouble(bookStepSpin->value()));
        bookPresetKey = snapshot.value(QStringLiteral("book_preset")).toString(bookPresetKey);
        if (moversMinVolumeSpin)
            moversMinVolumeSpin->setValue(
                snapshot.value(QStringLiteral("movers_min_volume")).toDouble(moversMinVolumeSpin->value()));
        if (moversMinTurnoverSpin)
            moversMinTurnoverSpin->setValue(snapshot.value(QStringLiteral("movers_min_turnover"))
                                                .toDouble(moversMinTurnoverSpin->value()));
        populateMoversScopeCombo(
            snapshot.value(QStringLiteral("movers_scope")).toString(currentMoversScope()));
        populateMoversIntervalCombo(
            snapshot.value(QStringLiteral("movers_interval")).toString(currentMoversInterval()));
        populateMoversSectorCombo(
            snapshot.value(QStringLiteral("movers_sector")).toString(currentMoversSector()));
        if (screenerAssetCombo)
            populateScreenerAssetCombo(
                snapshot.value(QStringLiteral("screener_asset")).toString(currentScreenerAsset()));
        if (screenerScopeCombo)
            populateScreenerScopeCombo(
                snapshot.value(QStringLiteral("screener_scope")).toString(currentScreenerScope()));
        if (screenerMinChangeSpin)
            screenerMinChangeSpin->setValue(snapshot.value(QStringLiteral("screener_min_change"))
                                                .toDouble(screenerMinChangeSpin->value()));
        settings.leftSplitterSizes =
            positiveIntsFromJson(snapshot.value(QStringLiteral("left_splitter_sizes")).toArray());
        settings.workspaceSplitterSizes =
            positiveIntsFromJson(snapshot.value(QStringLiteral("workspace_splitter_sizes")).toArray());

        applyTheme();
        updateThemedWidgets();
        retranslateUi();
        syncChartCombos();
        applyColumnVisibilityConfig();
        restoreSplitterSizes();
    }
    refreshChart();
    refreshScreener();
    applyConfiguredShortcuts();
    saveLocalSettings();
}

void MainWindow::applySyncSettingsPayload(const QJsonObject &payload)
{
    const auto quiet = silence({chartModeCombo, chartTimeframeCombo});
    settings.language = acceptedLanguage(payload.value(QStringLiteral("language")), settings.language);
    settings.theme = acceptedTheme(payload.value(QStringLiteral("theme")), settings.theme);
    parseHiddenColumns(payload.value(QStringLiteral("hidden_columns")).toString(hiddenColumnsText()));
    loadShortcuts(payload.value(QStringLiteral("shortcuts")).toObject(shortcutsToJson()));
    settings.chartMode = acceptedChartMode(payload.value(QStringLiteral("chart_mode")), settings.chartMode);
    if (chartTimeframeCombo)
        settings.chartTimeframe =
            acceptedChartTimeframe(payload.value(QStringLiteral("chart_timeframe")), settings.chartTimeframe,
                                   comboTexts(chartTimeframeCombo));
    applyTheme();
    updateThemedWidgets();
    retranslateUi();
    syncChartCombos();
    applyColumnVisibilityConfig();
    applyConfiguredShortcuts();
}

// ---- column presets and hidden columns -------------------------------------------------------------

void MainWindow::applyColumnPreset(const QString &presetKey)
{
    settings.hiddenColumns = hiddenColumnsForPreset(presetKey);
    applyColumnVisibilityConfig();
    saveLocalSettings();
    appendEventLog(localizedText(QStringLiteral("Column preset applied: %1"),
                                 QStringLiteral("Preset de colunas aplicado: %1"))
                       .arg(presetKey));
}

void MainWindow::applyColumnVisibilityConfig()
{
    if (!quoteTable)
        return;
    for (int column = 0; column < quoteTable->columnCount(); ++column)
        quoteTable->setColumnHidden(column, settings.hiddenColumns.contains(column));
    quoteTable->setColumnHidden(0, false);
}

void MainWindow::showColumnMenu(const QPoint &pos)
{
    if (!quoteTable)
        return;
    QMenu menu(this);
    for (int column = 0; column < quoteTable->columnCount(); ++column) {
        const QTableWidgetItem *header = quoteTable->horizontalHeaderItem(column);
        QAction *action = menu.addAction(header ? header->text() : QString::number(column));
        action->setCheckable(true);
        action->setChecked(!quoteTable->isColumnHidden(column));
        action->setData(column);
    }
    const QAction *chosen = menu.exec(quoteTable->horizontalHeader()->viewport()->mapToGlobal(pos));
    if (chosen)
        applyColumnVisibilityChoice(chosen->data().toInt(), chosen->isChecked());
}

void MainWindow::applyColumnVisibilityChoice(int column, bool visible)
{
    if (!quoteTable || column < 0 || column >= quoteTable->columnCount())
        return;
    if (column == 0) {
        appendEventLog(localizedText(QStringLiteral("Symbol column cannot be hidden"),
                                     QString::fromUtf8("A coluna Símbolo não pode ser ocultada")));
        return;
    }
    quoteTable->setColumnHidden(column, !visible);
    if (visible)
        settings.hiddenColumns.remove(column);
    else
        settings.hiddenColumns.insert(column);
    saveLocalSettings();
}

void MainWindow::onQuoteHeaderContextMenu(const QPoint &pos)
{
    showColumnMenu(pos);
}

void MainWindow::parseHiddenColumns(const QString &text)
{
    settings.hiddenColumns = parseHiddenColumnsText(text);
}

// ---- keyboard shortcuts ---------------------------------------------------------------------------

// Stored texts are in the portable form, whatever the system's language; the native form differs on a
// non-English system and would read back as another key.
QKeySequence MainWindow::shortcutSequence(const QString &id) const
{
    return QKeySequence::fromString(shortcutText(id), QKeySequence::PortableText);
}

void MainWindow::setActionShortcut(QAction *action, const QString &id)
{
    if (action)
        action->setShortcut(shortcutSequence(id));
}

void MainWindow::applyConfiguredShortcuts()
{
    setActionShortcut(layoutBalancedAction, QStringLiteral("layout_balanced"));
    setActionShortcut(layoutDenseAction, QStringLiteral("layout_dense"));
    setActionShortcut(layoutChartAction, QStringLiteral("layout_chart"));
    setActionShortcut(layoutOrderFlowAction, QStringLiteral("layout_order_flow"));
    setActionShortcut(moveToNextMonitorAction, QStringLiteral("layout_next_monitor"));

    const QList<QPair<QPushButton *, const char *>> tools = {{chartSelectButton, "chart_select"},
                                                             {chartResetButton, "chart_reset"},
                                                             {chartHLineButton, "chart_hline"},
                                                             {chartVLineButton, "chart_vline"},
                                                             {chartTrendButton, "chart_trend"}};
    for (const auto &[button, id] : tools) {
        if (button)
            button->setShortcut(shortcutSequence(QString::fromLatin1(id)));
    }
    if (chartResetButton && priceChart)
        priceChart->setResetZoomShortcut(shortcutSequence(QStringLiteral("chart_reset")));

    static const char *const presets[] = {"raw", "tight", "normal", "wide"};
    for (int i = 0; i < bookPresetShortcuts.size() && i < 4; ++i)
        bookPresetShortcuts.at(i)->setKey(
            shortcutSequence(QStringLiteral("book_%1").arg(QLatin1String(presets[i]))));

    updateChartToolTips();
}

void MainWindow::showShortcutsDialog()
{
    QDialog dialog(this);
    dialog.setWindowTitle(localizedText(QStringLiteral("Shortcuts"), QStringLiteral("Atalhos")));
    dialog.resize(620, 420);
    auto *layout = new QVBoxLayout(&dialog);
    auto *intro = new QLabel(
        localizedText(QStringLiteral("Review and customise the keyboard shortcuts. A field left empty "
                                     "gives its command the default key back."),
                      QString::fromUtf8("Revise e personalize os atalhos de teclado. Um campo deixado vazio "
                                        "devolve ao comando a tecla padrão.")),
        &dialog);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *form = new QFormLayout();
    shortcutEditors.clear();
    const QList<ShortcutDefinition> definitions = defaultShortcutDefinitions();
    for (const ShortcutDefinition &definition : definitions) {
        auto *editor = new QKeySequenceEdit(shortcutSequence(definition.id), &dialog);
        editor->setObjectName(definition.id);
        editor->setClearButtonEnabled(true);
        form->addRow(localizedText(definition.labelEn, definition.labelPt), editor);
        shortcutEditors.append({definition.id, editor});
    }
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, &dialog);
    QPushButton *restore = buttons->addButton(
        localizedText(QStringLiteral("Restore defaults"), QString::fromUtf8("Restaurar padrões")),
        QDialogButtonBox::ResetRole);
    connect(restore, &QPushButton::clicked, this, [this]() { onRestoreDefaultShortcuts(); });
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    const bool accepted = dialog.exec() == QDialog::Accepted;
    const QList<QPair<QString, QKeySequenceEdit *>> editors = shortcutEditors;
    if (accepted) {
        settings.shortcutOverrides.clear();
        for (const ShortcutDefinition &definition : definitions) {
            for (const auto &[id, editor] : editors) {
                if (id != definition.id)
                    continue;
                // Compared as key sequences: a text spelt otherwise but meaning the default stores nothing.
                const QKeySequence chosen = editor->keySequence();
                if (!chosen.isEmpty() &&
                    chosen != QKeySequence::fromString(definition.defaultKey, QKeySequence::PortableText))
                    settings.shortcutOverrides.insert(id, chosen.toString(QKeySequence::PortableText));
            }
        }
    }
    shortcutEditors.clear();
    if (!accepted)
        return;
    applyConfiguredShortcuts();
    saveLocalSettings();
    appendEventLog(localizedText(QStringLiteral("Shortcuts updated"), QStringLiteral("Atalhos atualizados")));
}

void MainWindow::onRestoreDefaultShortcuts()
{
    const QList<ShortcutDefinition> definitions = defaultShortcutDefinitions();
    for (const ShortcutDefinition &definition : definitions) {
        for (const auto &[id, editor] : std::as_const(shortcutEditors)) {
            if (id == definition.id)
                editor->setKeySequence(
                    QKeySequence::fromString(definition.defaultKey, QKeySequence::PortableText));
        }
    }
}
