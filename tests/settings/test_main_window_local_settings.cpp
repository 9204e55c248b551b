#include "chart/price_chart.h"
#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/test_main.h"

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPlainTextEdit>
#include <QSplitter>

#include <unistd.h>

namespace {
QString settingsPath(const TempHome &home)
{
    return home.appConfigDir() + QStringLiteral("/local.json");
}

QJsonObject readJson(const QString &path)
{
    return QJsonDocument::fromJson(TempHome::readFile(path)).object();
}

void writeSettings(const TempHome &home, const QByteArray &content)
{
    QDir().mkpath(home.appConfigDir());
    QFile file(settingsPath(home));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

int comboIndex(const QComboBox *combo, const QString &key)
{
    return combo->findData(key);
}

// Every key the writer puts in the file, all of them away from their construction values.
void setEveryValue(MainWindow &window)
{
    window.settings.language = QStringLiteral("pt_BR");
    window.settings.theme = QStringLiteral("mvx_light");
    window.chartModeCombo->setCurrentIndex(comboIndex(window.chartModeCombo, QStringLiteral("candle")));
    window.chartTimeframeCombo->setCurrentIndex(window.chartTimeframeCombo->findText(QStringLiteral("4h")));
    window.resize(1100, 760);
    window.parseHiddenColumns(QStringLiteral("3,14"));
    window.priceChart->applyIndicatorSettings(
        QJsonObject{{"sma20", true}, {"sma_period", 50}, {"macd", true}, {"draw_trend", false}});
    window.loadShortcuts(QJsonObject{{"book_wide", "Ctrl+9"}, {"layout_chart", "Ctrl+Shift+C"}});
    window.loadAlerts(QJsonArray{QJsonObject{{"symbol", "AAPL"},
                                             {"target", 200.5},
                                             {"above", true},
                                             {"triggered", false},
                                             {"repeating", true},
                                             {"last_trigger_ms", "0"}}});
    window.loadAlertHistory(QJsonArray{QJsonObject{{"timestamp", "2024-01-02 10:00:00"},
                                                   {"event", "hit"},
                                                   {"symbol", "AAPL"},
                                                   {"condition", "above"},
                                                   {"target", 200.5},
                                                   {"price", 201.0},
                                                   {"status", "fired"}}});
    window.loadPortfolios(QJsonObject{{"active", "Main"},
                                      {"items", QJsonArray{QJsonObject{{"name", "Main"},
                                                                       {"base_currency", "USD"},
                                                                       {"positions", QJsonArray()},
                                                                       {"transactions", QJsonArray()}}}}},
                          QJsonArray());
    window.loadProviderHealth(QJsonObject{{"finnhub", QJsonObject{{"state", "rate limited"}, {"ms", 812}}}});
    window.settings.authToken = QStringLiteral("session-token");
    window.settings.authEmail = QStringLiteral("ana@example.com");
    window.settings.authFirstName = QStringLiteral("Ana");
    window.settings.authTokenExpiration = QStringLiteral("2030-01-01T00:00:00Z");
    window.loadSyncVersions(QJsonObject{{"settings", 4}, {"watchlists", 9}});
    window.settings.syncLastUnix = 1700000123;
    window.settings.syncLastStatus = QStringLiteral("pushed");
    window.bookStepSpin->setValue(0.25);
    window.bookPresetKey = QStringLiteral("tight");
    window.moversMinVolumeSpin->setValue(150000);
    window.moversMinTurnoverSpin->setValue(2500000);
    window.populateMoversScopeCombo(QStringLiteral("us"));
    window.populateMoversIntervalCombo(QStringLiteral("week"));
    window.populateScreenerAssetCombo(QStringLiteral("crypto"));
    window.populateScreenerScopeCombo(QStringLiteral("universe"));
    window.screenerMinChangeSpin->setValue(2.5);
    window.leftSplitter->setSizes({250, 330, 140});
    window.workspaceSplitter->setSizes({800, 260});
    window.chartDrawings = QJsonObject{
        {"AAPL|1m", QJsonArray{QJsonObject{{"type", "hline"}, {"price1", 190.0}, {"locked", true}}}}};
}
} // namespace

class TestMainWindowLocalSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyKeySurvivesASaveAndALoad()
    {
        TempHome home;
        LoopbackServices services;
        QJsonObject saved;
        QList<int> leftSizes;
        {
            MainWindow window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            setEveryValue(window);
            window.saveLocalSettings();
            saved = readJson(settingsPath(home));
            leftSizes = window.leftSplitter->sizes(); // as laid out, not as asked for
        }
        QCOMPARE(saved.keys(), (QStringList{"alert_history",
                                            "alerts",
                                            "api_health",
                                            "auth",
                                            "book_preset",
                                            "book_step",
                                            "chart_mode",
                                            "chart_timeframe",
                                            "drawings",
                                            "hidden_columns",
                                            "indicators",
                                            "language",
                                            "left_splitter_sizes",
                                            "movers_interval",
                                            "movers_min_turnover",
                                            "movers_min_volume",
                                            "movers_scope",
                                            "movers_sector",
                                            "portfolios",
                                            "screener_asset",
                                            "screener_min_change",
                                            "screener_scope",
                                            "shortcuts",
                                            "sync_last_status",
                                            "sync_last_unix",
                                            "sync_versions",
                                            "theme",
                                            "window_geometry",
                                            "workspace_splitter_sizes"}));
        QCOMPARE(saved.value("chart_mode").toString(), QStringLiteral("candle"));
        QCOMPARE(saved.value("chart_timeframe").toString(), QStringLiteral("4h"));
        QCOMPARE(saved.value("book_step").toDouble(), 0.25);
        QCOMPARE(saved.value("hidden_columns").toString(), QStringLiteral("3,14"));
        QCOMPARE(MainWindow::positiveIntsFromJson(saved.value("left_splitter_sizes").toArray()), leftSizes);
        const QByteArray before = TempHome::readFile(settingsPath(home));

        MainWindow window;
        // Applying the file saved nothing: not even a save of the same values in between.
        QCOMPARE(TempHome::readFile(settingsPath(home)), before);
        QCOMPARE(window.settings.language, QStringLiteral("pt_BR"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Terminal Murvex"));
        QCOMPARE(window.settings.theme, QStringLiteral("mvx_light"));
        QCOMPARE(window.chartModeCombo->currentData().toString(), QStringLiteral("candle"));
        QCOMPARE(window.chartTimeframeCombo->currentText(), QStringLiteral("4h"));
        QCOMPARE(window.settings.hiddenColumns, (QSet<int>{3, 14}));
        QCOMPARE(window.priceChart->smaPeriod(), 50);
        QCOMPARE(window.shortcutText(QStringLiteral("book_wide")), QStringLiteral("Ctrl+9"));
        QCOMPARE(window.shortcutText(QStringLiteral("book_raw")), QStringLiteral("Ctrl+1"));
        QCOMPARE(window.settings.authToken, QStringLiteral("session-token"));
        QCOMPARE(window.settings.syncVersions, (QMap<QString, int>{{"settings", 4}, {"watchlists", 9}}));
        QCOMPARE(window.settings.syncLastUnix, qint64(1700000123));
        QCOMPARE(window.bookStepSpin->value(), 0.25);
        QCOMPARE(window.bookPresetKey, QStringLiteral("tight"));
        QCOMPARE(window.moversMinVolumeSpin->value(), 150000.0);
        QCOMPARE(window.currentMoversScope(), QStringLiteral("us"));
        QCOMPARE(window.currentMoversInterval(), QStringLiteral("week"));
        QCOMPARE(window.currentScreenerAsset(), QStringLiteral("crypto"));
        QCOMPARE(window.currentScreenerScope(), QStringLiteral("universe"));
        QCOMPARE(window.screenerMinChangeSpin->value(), 2.5);
        QCOMPARE(window.settings.leftSplitterSizes, leftSizes);
        QCOMPARE(window.settings.workspaceSplitterSizes,
                 MainWindow::positiveIntsFromJson(saved.value("workspace_splitter_sizes").toArray()));
        QCOMPARE(window.alertsToJsonArray().size(), 1);

        // Written back, every key reads as it was stored, the splitters' live sizes aside (they depend
        // on the window being laid out).
        window.saveLocalSettings();
        QJsonObject again = readJson(settingsPath(home));
        for (const char *key : {"left_splitter_sizes", "workspace_splitter_sizes", "window_geometry"}) {
            QVERIFY(again.contains(QLatin1String(key)));
            again.remove(QLatin1String(key));
            saved.remove(QLatin1String(key));
        }
        QCOMPARE(again, saved);
    }

    void aMissingFileLeavesTheDefaultsAndTheKeyFileColumns()
    {
        TempHome home;
        home.writeFile(QStringLiteral(".config/Murvex/Terminal Murvex/config.txt"), "hidden_columns=4,5\n");
        MainWindow window;
        QVERIFY(!QFile::exists(settingsPath(home)));
        QCOMPARE(window.settings.language, QStringLiteral("en"));
        QCOMPARE(window.settings.hiddenColumns, (QSet<int>{4, 5}));
        QCOMPARE(window.currentMoversInterval(), QStringLiteral("hour"));
    }

    void missingKeysFollowTheirRules()
    {
        TempHome home;
        home.writeFile(QStringLiteral(".config/Murvex/Terminal Murvex/config.txt"), "hidden_columns=4,5\n");
        writeSettings(home, R"({"language": "PT_BR", "sync_last_unix": 12.9,
                                "hidden_columns": " 0, 3,3, 16 ,5,x", "left_splitter_sizes": [300, 0, 500]})");
        MainWindow window;
        QCOMPARE(window.settings.language, QStringLiteral("en"));
        QCOMPARE(window.settings.syncLastUnix, qint64(12));
        QCOMPARE(window.settings.hiddenColumns, (QSet<int>{3, 5})); // the file wins over the key file
        QCOMPARE(window.settings.leftSplitterSizes, (QList<int>{300, 500}));
        QCOMPARE(window.currentMoversScope(), QStringLiteral("crypto"));
        QCOMPARE(window.currentMoversInterval(), QStringLiteral("hour"));
        QCOMPARE(window.currentScreenerScope(), QStringLiteral("watchlist"));
        QCOMPARE(window.chartTimeframeCombo->currentText(), QStringLiteral("1m"));
        QCOMPARE(window.bookPresetKey, QString());
    }

    void aCorruptFileIsKeptAsideThenReadAsEmpty()
    {
        TempHome home;
        const QByteArray corrupt = R"({"language": "pt_BR", "auth": {"token": "abc"}, "book_step": 0.5,)";
        writeSettings(home, corrupt);
        MainWindow window;
        const QStringList copies =
            QDir(home.appConfigDir()).entryList({QStringLiteral("local.json.unreadable-*")}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        const QString copy = home.appConfigDir() + QLatin1Char('/') + copies.first();
        QCOMPARE(TempHome::readFile(copy), corrupt);
        QCOMPARE(QFile::permissions(copy) & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());
        QVERIFY(window.eventConsole->toPlainText().contains(copy));
        // Then the file counts as an empty object, not as missing.
        QCOMPARE(window.settings.language, QStringLiteral("en"));
        QCOMPARE(window.settings.authToken, QString());
        QCOMPARE(window.bookStepSpin->value(), 0.0);
        QCOMPARE(window.currentMoversInterval(), QStringLiteral("hour"));
    }

    void theFileIsOwnerOnly()
    {
        TempHome home;
        writeSettings(home, R"({"auth": {"token": "secret"}})");
        QVERIFY(QFile::setPermissions(settingsPath(home), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                              QFileDevice::ReadGroup |
                                                              QFileDevice::ReadOther));
        MainWindow window;
        window.saveLocalSettings();
        const QFileDevice::Permissions permissions = QFile::permissions(settingsPath(home));
        QVERIFY(permissions & QFileDevice::ReadOwner);
        QCOMPARE(permissions & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                                QFileDevice::WriteOther),
                 QFileDevice::Permissions());
        QCOMPARE(readJson(settingsPath(home)).value("auth").toObject().value("token").toString(),
                 QStringLiteral("secret"));
    }

    void theLegacyFileIsReadUntilTheNewOneExists()
    {
        TempHome home;
        home.writeFile(QStringLiteral("app/data/settings/local.json"), R"({"theme": "mvx_light"})");
        {
            MainWindow window;
            QCOMPARE(window.settings.theme, QStringLiteral("mvx_light"));
            window.settings.theme = QStringLiteral("coffee_dark");
            window.saveLocalSettings();
        }
        MainWindow again;
        QCOMPARE(again.settings.theme, QStringLiteral("coffee_dark"));
        QCOMPARE(readJson(home.path() + QStringLiteral("/app/data/settings/local.json")).value("theme"),
                 QJsonValue("mvx_light"));
    }

    // Files planted where the terminal is started from must not hand it keys, a news endpoint or an
    // account session; an older install's files beside the program are still read.
    void legacyFilesComeFromTheProgramFolderOnly_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("read");
        QTest::newRow("working directory: ignored") << "work" << false;
        QTest::newRow("beside the program: read") << "app" << true;
    }

    void legacyFilesComeFromTheProgramFolderOnly()
    {
        QFETCH(QString, folder);
        QFETCH(bool, read);
        TempHome home;
        home.writeFile(folder + QStringLiteral("/config.txt"),
                       "finnhub_api_key=planted-key\nmurvex_news_endpoint=http://127.0.0.1:9/news.json\n"
                       "murvex_news_token=planted-token\n");
        home.writeFile(folder + QStringLiteral("/data/settings/local.json"),
                       R"({"auth": {"token": "planted-session", "email": "someone@example.com"}})");
        MainWindow window;
        const auto expected = [read](const char *value) {
            return read ? QString::fromLatin1(value) : QString();
        };
        QCOMPARE(window.apiKeyFor(QStringLiteral("finnhub_api_key")), expected("planted-key"));
        QCOMPARE(window.apiKeyFor(QStringLiteral("murvex_news_endpoint")),
                 expected("http://127.0.0.1:9/news.json"));
        QCOMPARE(window.apiKeyFor(QStringLiteral("murvex_news_token")), expected("planted-token"));
        QCOMPARE(window.settings.authToken, expected("planted-session"));
        QCOMPARE(window.settings.authEmail, expected("someone@example.com"));
    }

    // The legacy "portfolio" array becomes a portfolio of the new form at the first start: no start
    // and no save after that may drop a position.
    void theLegacyPortfolioSurvivesStartsAndSaves()
    {
        TempHome home;
        writeSettings(home, R"({"theme": "mvx_light", "portfolio": [)"
                            R"({"avg_price":28.35,"note":"ação","quantity":100,"symbol":"PETR4.SA"},)"
                            R"({"avg_price":170,"quantity":1.5,"symbol":"AAPL"}]})");
        for (int start = 0; start < 3; ++start) {
            MainWindow window;
            window.saveLocalSettings();
            const QJsonObject saved = readJson(settingsPath(home));
            const QJsonArray items = saved.value("portfolios").toObject().value("items").toArray();
            QCOMPARE(items.size(), 1);
            QStringList symbols;
            for (const QJsonValue &position : items.at(0).toObject().value("positions").toArray())
                symbols << position.toObject().value("symbol").toString();
            QCOMPARE(symbols, (QStringList{"PETR4.SA", "AAPL"}));
            QCOMPARE(window.settings.theme, QStringLiteral("mvx_light"));
        }
    }

    // A member of the user's records in a form its reader cannot take would be saved back empty: the
    // file is copied aside first and the console names the copy and the member.
    void mistypedRecordsAreCopiedAsideFirst_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("member"); // empty: no copy is made
        QTest::newRow("alerts as an object")
            << QByteArray(R"({"alerts": {"AAPL": {"above": 200}}})") << "alerts";
        QTest::newRow("portfolios as an array")
            << QByteArray(R"({"portfolios": [{"name": "Main", "positions": [1]}]})") << "portfolios";
        QTest::newRow("legacy portfolio as an object")
            << QByteArray(R"({"portfolio": {"AAPL": 3}})") << "portfolio";
        QTest::newRow("drawings as text") << QByteArray(R"({"drawings": "AAPL|1d"})") << "drawings";
        QTest::newRow("null holds nothing") << QByteArray(R"({"alerts": null, "portfolios": {}})") << "";
    }

    void mistypedRecordsAreCopiedAsideFirst()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, member);
        TempHome home;
        writeSettings(home, content);
        MainWindow window;
        const QStringList copies =
            QDir(home.appConfigDir()).entryList({QStringLiteral("local.json.unreadable-*")}, QDir::Files);
        if (member.isEmpty()) {
            QVERIFY(copies.isEmpty());
            return;
        }
        QCOMPARE(copies.size(), 1);
        const QString copy = home.appConfigDir() + QLatin1Char('/') + copies.first();
        QCOMPARE(TempHome::readFile(copy), content);
        const QString console = window.eventConsole->toPlainText();
        QVERIFY2(console.contains(copy) && console.contains(member), qPrintable(console));
        window.saveLocalSettings(); // the original may now be replaced: the copy stays
        QCOMPARE(TempHome::readFile(copy), content);
    }

    // Something at the file's path that cannot be opened (here a directory, which no one can read as
    // a file, root included) is moved aside, not replaced by the defaults.
    void aFileThatCannotBeOpenedIsMovedAside()
    {
        TempHome home;
        const QString inside = home.writeFile(
            QDir(home.path()).relativeFilePath(settingsPath(home)) + QStringLiteral("/keep.txt"), "mine");
        MainWindow window;
        const QStringList aside =
            QDir(home.appConfigDir()).entryList({QStringLiteral("local.json.unreadable-*")}, QDir::Dirs);
        QCOMPARE(aside.size(), 1);
        const QString moved = home.appConfigDir() + QLatin1Char('/') + aside.first();
        QCOMPARE(TempHome::readFile(moved + QStringLiteral("/keep.txt")), QByteArray("mine"));
        QVERIFY(!QFileInfo::exists(inside));
        QVERIFY(window.eventConsole->toPlainText().contains(moved));
        QVERIFY(!window.protectSettingsFile);
        window.saveLocalSettings();
        QVERIFY(QFileInfo(settingsPath(home)).isFile());
    }

    // A file without read permission: moved aside; when it cannot be moved either (its folder is
    // read-only), this run never writes over it. Permissions do not hold for root.
    void anUnreadableFileIsNeverOverwritten_data()
    {
        QTest::addColumn<bool>("folderWritable");
        QTest::newRow("moved aside") << true;
        QTest::newRow("cannot be moved") << false;
    }

    void anUnreadableFileIsNeverOverwritten()
    {
        QFETCH(bool, folderWritable);
        if (::geteuid() == 0)
            QSKIP("file permissions do not hold for root");
        TempHome home;
        const QByteArray content = R"({"theme": "mvx_light", "alerts": [{"symbol": "AAPL"}]})";
        writeSettings(home, content);
        QVERIFY(QFile::setPermissions(settingsPath(home), QFileDevice::WriteOwner));
        const QFileDevice::Permissions folderMode = QFile::permissions(home.appConfigDir());
        if (!folderWritable)
            QVERIFY(
                QFile::setPermissions(home.appConfigDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        {
            MainWindow window;
            QCOMPARE(window.protectSettingsFile, !folderWritable);
            QCOMPARE(window.settings.theme, QStringLiteral("coffee_dark"));
            window.saveLocalSettings();
            const QString console = window.eventConsole->toPlainText();
            QVERIFY2(console.contains(folderWritable ? QStringLiteral("it was moved to")
                                                     : QStringLiteral("will not be overwritten")),
                     qPrintable(console));
        }
        QFile::setPermissions(home.appConfigDir(), folderMode);
        QString kept = settingsPath(home);
        if (folderWritable) {
            const QStringList aside =
                QDir(home.appConfigDir()).entryList({QStringLiteral("local.json.unreadable-*")}, QDir::Files);
            QCOMPARE(aside.size(), 1);
            kept = home.appConfigDir() + QLatin1Char('/') + aside.first();
        }
        QVERIFY(QFile::setPermissions(kept, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(TempHome::readFile(kept), content);
    }

    // A write killed half-way leaves the atomic writer's temporary beside the file; the next start
    // removes those of the terminal's own files and nothing else.
    void leftoverTemporariesAreRemovedAtStart()
    {
        TempHome home;
        const QString config = QDir(home.path()).relativeFilePath(home.appConfigDir());
        const QString cache = QDir(home.path()).relativeFilePath(home.appCacheDir());
        const QStringList leftovers = {config + "/local.json.kXqWbZ",
                                       config + "/config.txt.AbCdEf",
                                       config + "/workspace.default.json.QWERTY",
                                       config + "/local.json.unreadable-20240506-070809.PqRsTu",
                                       config + "/watchlists/default.json.ZyXwVu",
                                       cache + "/alpha_vantage/AAPL.json.MnOpQr"};
        const QStringList kept = {config + "/local.json.backup",
                                  config + "/notes.txt.AbCdEf",
                                  config + "/local.json.AbCdE",
                                  config + "/local.json.AbCd3f",
                                  config + "/watchlists/other.json.ZyXwVu",
                                  cache + "/alpha_vantage/AAPL.json"};
        for (const QString &file : leftovers + kept)
            home.writeFile(file, "{}");
        MainWindow window;
        for (const QString &file : leftovers)
            QVERIFY2(!QFileInfo::exists(home.path() + QLatin1Char('/') + file), qPrintable(file));
        for (const QString &file : kept)
            QVERIFY2(QFileInfo::exists(home.path() + QLatin1Char('/') + file), qPrintable(file));
    }

    void splitterMovesSaveOnceAfterTheyStop()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.settingsSaveTimer.interval(), 450);
        QVERIFY(window.settingsSaveTimer.isSingleShot());
        QVERIFY(!QFile::exists(settingsPath(home)));
        Q_EMIT window.leftSplitter->splitterMoved(100, 1);
        QTest::qWait(200);
        Q_EMIT window.workspaceSplitter->splitterMoved(700, 1);
        // The second move restarted the wait: nothing is written yet.
        QVERIFY(window.settingsSaveTimer.isActive());
        QVERIFY(window.settingsSaveTimer.remainingTime() > 300);
        QVERIFY(!QFile::exists(settingsPath(home)));
        QTRY_VERIFY(QFile::exists(settingsPath(home)));
        QVERIFY(!window.settingsSaveTimer.isActive());
    }

    void changingAFilterSavesAtOnce()
    {
        TempHome home;
        MainWindow window;
        window.bookStepSpin->setValue(1.5);
        QCOMPARE(readJson(settingsPath(home)).value("book_step").toDouble(), 1.5);
        window.screenerMinChangeSpin->setValue(3.0);
        QCOMPARE(readJson(settingsPath(home)).value("screener_min_change").toDouble(), 3.0);
        window.chartTimeframeCombo->setCurrentIndex(
            window.chartTimeframeCombo->findText(QStringLiteral("1d")));
        QCOMPARE(readJson(settingsPath(home)).value("chart_timeframe").toString(), QStringLiteral("1d"));
    }
};

MVX_TEST_MAIN(TestMainWindowLocalSettings)
#include "test_main_window_local_settings.moc"
