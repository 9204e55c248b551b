#include "chart/price_chart.h"
#include "settings/json_file.h"
#include "shell/main_window.h"
#include "shell/themes.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QKeySequenceEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>

namespace {
void closeNextModal(QString *text)
{
    QTimer::singleShot(0, qApp, [text]() {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            *text = box->text();
            box->accept();
        } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
            dialog->reject();
        }
    });
}

QJsonObject storedSettings(const MainWindow &window)
{
    return readJsonObjectFile(window.localSettingsWritePath()).object;
}

QList<int> hiddenColumns(const MainWindow &window)
{
    QList<int> out;
    for (int column = 0; column < window.quoteTable->columnCount(); ++column) {
        if (window.quoteTable->isColumnHidden(column))
            out << column;
    }
    return out;
}

QKeySequenceEdit *editorFor(QDialog *dialog, const QString &id)
{
    return dialog->findChild<QKeySequenceEdit *>(id);
}

QPushButton *dialogButton(QDialog *dialog, QDialogButtonBox::ButtonRole role)
{
    const auto *box = dialog->findChild<QDialogButtonBox *>();
    for (QAbstractButton *button : box->buttons()) {
        if (box->buttonRole(button) == role)
            return qobject_cast<QPushButton *>(button);
    }
    return nullptr;
}
} // namespace

class TestWorkspace : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theSnapshotHoldsTheWorkspaceKeysOnly()
    {
        TempHome home;
        MainWindow window;
        const QJsonObject snapshot = window.buildWorkspaceJson();
        QStringList keys = snapshot.keys();
        QCOMPARE(keys.size(), 21);
        for (const char *absent :
             {"alerts", "alert_history", "portfolios", "api_health", "auth", "sync_versions"})
            QVERIFY2(!snapshot.contains(QLatin1String(absent)), absent);
        // Encoded by the settings writer's own code: every snapshot value is what the file holds.
        window.saveLocalSettings();
        const QJsonObject stored = storedSettings(window);
        for (const QString &key : keys)
            QCOMPARE(stored.value(key), snapshot.value(key));
    }

    void saveChangeLoadRestoresEverything()
    {
        TempHome home;
        MainWindow window;
        window.setLanguage(QStringLiteral("pt_BR"));
        window.setTheme(QStringLiteral("mvx_light"));
        window.applyColumnPreset(QStringLiteral("compact"));
        window.applyLayoutPreset(QStringLiteral("chart"));
        window.bookStepSpin->setValue(0.5);
        window.settings.shortcutOverrides.insert(QStringLiteral("book_wide"), QStringLiteral("Ctrl+9"));
        window.chartDrawings = QJsonObject{{"AAPL|1m", QJsonArray{QJsonObject{{"type", "hline"}}}}};
        window.saveWorkspaceSnapshot();
        QVERIFY(window.eventConsole->toPlainText().endsWith(QStringLiteral("Workspace salvo")));
        QVERIFY(QFile::exists(window.workspaceSnapshotWritePath()));
        const QList<int> chartSizes = window.leftSplitter->sizes();

        window.setLanguage(QStringLiteral("en"));
        window.setTheme(QStringLiteral("coffee_dark"));
        window.applyColumnPreset(QStringLiteral("all"));
        window.applyLayoutPreset(QStringLiteral("order_flow"));
        window.bookStepSpin->setValue(2.0);
        window.settings.shortcutOverrides.clear();
        window.chartDrawings = QJsonObject();
        window.currentDrawingsKey = QStringLiteral("AAPL|1m");

        window.loadWorkspaceSnapshot();
        QCOMPARE(window.settings.language, QStringLiteral("pt_BR"));
        QCOMPARE(window.addSymbolButton->text(), QStringLiteral("Adicionar"));
        QCOMPARE(window.styleSheet(), themeStyleSheet(true));
        QCOMPARE(hiddenColumns(window), (QList<int>{1, 2, 3, 4, 5, 8, 9, 10, 11, 13, 15}));
        QCOMPARE(window.leftSplitter->sizes(), chartSizes);
        QCOMPARE(window.bookStepSpin->value(), 0.5);
        QCOMPARE(window.bookPresetShortcuts.at(3)->key(), QKeySequence(QStringLiteral("Ctrl+9")));
        QVERIFY(window.chartDrawings.contains(QStringLiteral("AAPL|1m")));
        QVERIFY(window.currentDrawingsKey.isEmpty() ||
                window.chartDrawings.value("AAPL|1m").toArray().size() == 1);
        QVERIFY(window.eventConsole->toPlainText().endsWith(QStringLiteral("Workspace carregado")));

        // The applier ends with a save: the settings file now holds the snapshot's values.
        const QJsonObject stored = storedSettings(window);
        QCOMPARE(stored.value("language").toString(), QStringLiteral("pt_BR"));
        QCOMPARE(stored.value("theme").toString(), QStringLiteral("mvx_light"));
        QCOMPARE(stored.value("book_step").toDouble(), 0.5);
        QCOMPARE(stored.value("shortcuts").toObject().value("book_wide").toString(),
                 QStringLiteral("Ctrl+9"));
    }

    void applyingSavesOnceAndFetchesNothingMidway()
    {
        TempHome home;
        MainWindow window;
        QJsonObject snapshot = window.buildWorkspaceJson();
        snapshot.insert("movers_scope", "watchlist");
        snapshot.insert("screener_scope", "universe");
        snapshot.insert("movers_min_volume", 5000.0);
        snapshot.insert("chart_mode", "candle");
        QSignalSpy scope(window.moversScopeCombo, &QComboBox::currentTextChanged);
        QSignalSpy volume(window.moversMinVolumeSpin, &QDoubleSpinBox::valueChanged);
        QSignalSpy mode(window.chartModeCombo, &QComboBox::currentIndexChanged);
        window.applyWorkspaceSnapshot(snapshot);
        QCOMPARE(scope.count(), 0);
        QCOMPARE(volume.count(), 0);
        QCOMPARE(mode.count(), 0);
        QCOMPARE(window.currentMoversScope(), QStringLiteral("watchlist"));
        QCOMPARE(window.moversMinVolumeSpin->value(), 5000.0);
        QCOMPARE(window.chartModeCombo->currentData().toString(), QStringLiteral("candle"));
        QCOMPARE(storedSettings(window).value("screener_scope").toString(), QStringLiteral("universe"));
    }

    void missingKeys_data()
    {
        QTest::addColumn<bool>("payload");
        QTest::newRow("snapshot") << false;
        QTest::newRow("synced payload") << true;
    }

    void missingKeys()
    {
        QFETCH(bool, payload);
        TempHome home;
        MainWindow window;
        window.bookStepSpin->setValue(1.5);
        window.settings.shortcutOverrides.insert(QStringLiteral("chart_select"), QStringLiteral("F2"));
        window.settings.hiddenColumns = {3, 14};
        if (payload)
            window.applySyncSettingsPayload(QJsonObject{{"language", "pt_BR"}});
        else
            window.applyWorkspaceSnapshot(QJsonObject{{"language", "pt_BR"}});
        QCOMPARE(window.settings.language, QStringLiteral("pt_BR"));
        QCOMPARE(window.bookStepSpin->value(), 1.5); // a snapshot without "book_step" keeps the step
        // A snapshot without "shortcuts" or "hidden_columns" clears them; a synced payload keeps them.
        QCOMPARE(window.settings.shortcutOverrides.isEmpty(), !payload);
        QCOMPARE(window.chartSelectButton->shortcut(),
                 QKeySequence(payload ? QStringLiteral("F2") : QStringLiteral("Alt+1")));
        QCOMPARE(window.settings.hiddenColumns.isEmpty(), !payload);
        QCOMPARE(window.quoteTable->isColumnHidden(QuoteColumnStatus), payload);
    }

    void settingsFileWithoutBookStepZeroesIt()
    {
        TempHome home;
        {
            MainWindow window;
            window.bookStepSpin->setValue(1.5);
            window.saveLocalSettings();
            QJsonObject object = storedSettings(window);
            object.remove("book_step");
            QVERIFY(writeJsonObjectFile(window.localSettingsWritePath(), object, true));
        }
        MainWindow window;
        QCOMPARE(window.bookStepSpin->value(), 0.0);
    }

    void unreadableSnapshotChangesNothing()
    {
        TempHome home;
        MainWindow window;
        window.settings.hiddenColumns = {14};
        window.applyColumnVisibilityConfig();
        window.saveLocalSettings();
        const QByteArray before = TempHome::readFile(window.localSettingsWritePath());
        QDir().mkpath(QFileInfo(window.workspaceSnapshotWritePath()).absolutePath());
        QFile file(window.workspaceSnapshotWritePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"language\": \"pt_BR\", truncated");
        file.close();
        window.eventConsole->clear();
        QString shown;
        closeNextModal(&shown);
        window.loadWorkspaceSnapshot();
        QCOMPARE(shown, QStringLiteral("The workspace snapshot could not be read."));
        QCOMPARE(window.settings.language, QStringLiteral("en"));
        QVERIFY(window.quoteTable->isColumnHidden(QuoteColumnStatus));
        QCOMPARE(TempHome::readFile(window.localSettingsWritePath()), before);
        QVERIFY(window.eventConsole->toPlainText().isEmpty());
    }

    void missingSnapshotIsReported()
    {
        TempHome home;
        MainWindow window;
        window.setLanguage(QStringLiteral("pt_BR"));
        QString shown;
        closeNextModal(&shown);
        window.loadWorkspaceSnapshot();
        QCOMPARE(shown, QString::fromUtf8("Nenhum snapshot de workspace salvo foi encontrado."));
    }

    void aFailedSaveWarnsAndNeverSaysSaved()
    {
        TempHome home;
        MainWindow window;
        // A directory where the file should be: the write cannot succeed.
        QVERIFY(QDir().mkpath(window.workspaceSnapshotWritePath()));
        window.eventConsole->clear();
        QString shown;
        closeNextModal(&shown);
        window.saveWorkspaceSnapshot();
        QCOMPARE(shown, QStringLiteral("Could not save the workspace snapshot."));
        QVERIFY(!window.eventConsole->toPlainText().contains(QStringLiteral("Workspace saved")));
    }

    void theLegacySnapshotIsReadAndTheNewPathWritten()
    {
        TempHome home;
        home.writeFile(QStringLiteral("app/data/settings/workspace.default.json"),
                       "{\"language\":\"pt_BR\",\"theme\":\"mvx_light\"}");
        MainWindow window;
        window.loadWorkspaceSnapshot();
        QCOMPARE(window.settings.language, QStringLiteral("pt_BR"));
        window.saveWorkspaceSnapshot();
        QVERIFY(QFile::exists(window.workspaceSnapshotWritePath()));
        QVERIFY(window.workspaceSnapshotWritePath().startsWith(window.configDir()));
    }

    void theSnapshotsDrawingsWin()
    {
        TempHome home;
        MainWindow window;
        window.currentDrawingsKey = QStringLiteral("AAPL|1m");
        window.chartDrawings = QJsonObject{{"AAPL|1m", QJsonArray{QJsonObject{{"type", "on screen"}}}}};
        const QJsonArray saved = {QJsonObject{{"type", "from snapshot"}}};
        window.applyWorkspaceSnapshot(QJsonObject{{"drawings", QJsonObject{{"AAPL|1m", saved}}}});
        QCOMPARE(window.chartDrawings.value("AAPL|1m").toArray(), saved);
    }

    void columnPresets_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QList<int>>("hidden");
        QTest::addColumn<QString>("stored");
        QTest::newRow("all") << "all" << QList<int>{} << "";
        QTest::newRow("trading") << "trading" << QList<int>{8, 9, 10, 11} << "8,9,10,11";
        QTest::newRow("analytics") << "analytics" << QList<int>{2, 3, 4, 5, 13, 14} << "2,3,4,5,13,14";
        QTest::newRow("compact") << "compact" << QList<int>{1, 2, 3, 4, 5, 8, 9, 10, 11, 13, 15}
                                 << "1,2,3,4,5,8,9,10,11,13,15";
        QTest::newRow("misspelt") << "tradng" << QList<int>{1, 2, 3, 4, 5, 8, 9, 10, 11, 13, 15}
                                  << "1,2,3,4,5,8,9,10,11,13,15";
    }

    void columnPresets()
    {
        QFETCH(QString, preset);
        QFETCH(QList<int>, hidden);
        QFETCH(QString, stored);
        TempHome home;
        MainWindow window;
        window.applyColumnPreset(QStringLiteral("compact"));
        window.applyColumnPreset(preset);
        QCOMPARE(hiddenColumns(window), hidden);
        QCOMPARE(storedSettings(window).value("hidden_columns").toString(), stored);
        QVERIFY(
            window.eventConsole->toPlainText().endsWith(QStringLiteral("Column preset applied: ") + preset));
    }

    void theHeaderMenuRefusesTheSymbolColumn()
    {
        TempHome home;
        MainWindow window;
        const QString path = window.localSettingsWritePath();
        QFile::remove(path);
        window.applyColumnVisibilityChoice(0, false);
        QVERIFY(!window.quoteTable->isColumnHidden(0));
        QVERIFY(!QFile::exists(path));
        QVERIFY(
            window.eventConsole->toPlainText().endsWith(QStringLiteral("Symbol column cannot be hidden")));
        window.applyColumnVisibilityChoice(7, false);
        QVERIFY(window.quoteTable->isColumnHidden(7));
        QCOMPARE(storedSettings(window).value("hidden_columns").toString(), QStringLiteral("7"));
        window.applyColumnVisibilityChoice(7, true);
        QCOMPARE(storedSettings(window).value("hidden_columns").toString(), QString());
    }

    void aStoredStatusColumnIsHiddenAtStart()
    {
        TempHome home;
        {
            MainWindow window;
            window.applyColumnVisibilityChoice(QuoteColumnStatus, false);
        }
        MainWindow window;
        QVERIFY(window.quoteTable->isColumnHidden(QuoteColumnStatus));
        QVERIFY(!window.quoteTable->isColumnHidden(0));
    }

    void shortcutsDialog_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::newRow("save override") << "save";
        QTest::newRow("cancel") << "cancel";
        QTest::newRow("restore then cancel") << "restore-cancel";
        QTest::newRow("restore then save") << "restore-save";
        QTest::newRow("default key stores nothing") << "default";
    }

    void shortcutsDialog()
    {
        QFETCH(QString, scenario);
        TempHome home;
        MainWindow window;
        window.settings.shortcutOverrides.insert(QStringLiteral("chart_hline"), QStringLiteral("F7"));
        window.applyConfiguredShortcuts();
        QTimer::singleShot(0, &window, [&]() {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(editorFor(dialog, "chart_hline")->keySequence(), QKeySequence(QStringLiteral("F7")));
            if (scenario.startsWith("restore"))
                dialogButton(dialog, QDialogButtonBox::ResetRole)->click();
            if (scenario == "save")
                editorFor(dialog, "chart_reset")
                    ->setKeySequence(QKeySequence(QStringLiteral("Ctrl+Shift+R")));
            if (scenario == "default")
                editorFor(dialog, "chart_reset")->setKeySequence(QKeySequence(QStringLiteral("Alt+0")));
            if (scenario.endsWith("cancel"))
                dialogButton(dialog, QDialogButtonBox::RejectRole)->click();
            else
                dialogButton(dialog, QDialogButtonBox::AcceptRole)->click();
        });
        window.showShortcutsDialog();
        const QMap<QString, QString> overrides = window.settings.shortcutOverrides;
        if (scenario == "save") {
            QCOMPARE(overrides.value("chart_reset"), QStringLiteral("Ctrl+Shift+R"));
            QCOMPARE(window.chartResetButton->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+R")));
            QVERIFY(window.chartResetButton->toolTip().contains(QStringLiteral("Ctrl+Shift+R")));
            QCOMPARE(storedSettings(window).value("shortcuts").toObject().value("chart_reset").toString(),
                     QStringLiteral("Ctrl+Shift+R"));
            QVERIFY(window.eventConsole->toPlainText().endsWith(QStringLiteral("Shortcuts updated")));
        } else if (scenario.endsWith("cancel")) {
            QCOMPARE(overrides, (QMap<QString, QString>{{"chart_hline", "F7"}}));
            QCOMPARE(window.chartHLineButton->shortcut(), QKeySequence(QStringLiteral("F7")));
        } else if (scenario == "restore-save") {
            QVERIFY(overrides.isEmpty());
            QCOMPARE(window.chartHLineButton->shortcut(), QKeySequence(QStringLiteral("Alt+2")));
        } else {
            QCOMPARE(overrides, (QMap<QString, QString>{{"chart_hline", "F7"}}));
            QVERIFY(!storedSettings(window).value("shortcuts").toObject().contains("chart_reset"));
        }
    }

    void shortcutsFromTheSettingsFileAreApplied()
    {
        TempHome home;
        {
            MainWindow window;
            window.saveLocalSettings();
            QJsonObject object = storedSettings(window);
            object.insert("shortcuts", QJsonObject{{"book_wide", "  Ctrl+Shift+W  "},
                                                   {"layout_dense", "Ctrl+Alt+D"},
                                                   {"not_a_command", "F1"}});
            QVERIFY(writeJsonObjectFile(window.localSettingsWritePath(), object, true));
        }
        MainWindow window;
        QCOMPARE(window.bookPresetShortcuts.at(3)->key(), QKeySequence(QStringLiteral("Ctrl+Shift+W")));
        QCOMPARE(window.layoutDenseAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+D")));
        QCOMPARE(window.moveToNextMonitorAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+M")));
        QVERIFY(!window.settings.shortcutOverrides.contains("not_a_command"));
    }

    void withoutBookShortcutsTheBookStepDoesNothing()
    {
        TempHome home;
        MainWindow window;
        qDeleteAll(window.bookPresetShortcuts);
        window.bookPresetShortcuts.clear();
        window.settings.shortcutOverrides.insert(QStringLiteral("chart_trend"), QStringLiteral("F9"));
        window.applyConfiguredShortcuts();
        QCOMPARE(window.chartTrendButton->shortcut(), QKeySequence(QStringLiteral("F9")));
    }
};

MVX_TEST_MAIN(TestWorkspace)
#include "test_workspace.moc"
