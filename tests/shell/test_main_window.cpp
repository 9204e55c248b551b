#include "app/startup_log.h"
#include "shell/main_window.h"
#include "tests/support/test_main.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace {
QStringList menuEntries(const QMenu *menu)
{
    QStringList out;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            out << QStringLiteral("--");
        else if (action->menu())
            out << action->text() + QStringLiteral(" >");
        else
            out << action->text();
    }
    return out;
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructionTitleAndSize()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Murvex Terminal"));
        QCOMPARE(window.size(), QSize(1320, 820));
        QCOMPARE(window.menuBar()->actions().size(), 1);
    }

    void startupLogMarksTheStagesInOrder()
    {
        TempHome home;
        {
            MainWindow window;
        }
        {
            MainWindow window;
        }
        const QList<QByteArray> lines =
            TempHome::readFile(home.appConfigDir() + QStringLiteral("/startup.log")).split('\n');
        QStringList texts;
        for (const QByteArray &line : lines) {
            const int blank = line.indexOf(' ');
            if (blank > 0)
                texts << QString::fromUtf8(line.mid(blank + 1));
        }
        const QStringList stages = {QStringLiteral("MainWindow ctor: enter"),
                                    QStringLiteral("MainWindow ctor: before menu setup"),
                                    QStringLiteral("MainWindow ctor: after menu setup")};
        // Both runs are appended, each in construction order.
        QCOMPARE(texts.count(stages.at(0)), 2);
        int from = 0;
        for (int run = 0; run < 2; ++run) {
            for (const QString &stage : stages) {
                const int at = texts.indexOf(stage, from);
                QVERIFY2(at >= from, qPrintable(stage));
                from = at + 1;
            }
        }
        QVERIFY(texts.contains(QStringLiteral("MainWindow ctor: before signal connects")));
    }

    void viewMenuInBothLanguages_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("view");
        QTest::addColumn<QStringList>("layout");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("en")
            << QStringLiteral("en") << QStringLiteral("View")
            << QStringList{"Account >", "Data And APIs >", "Shortcuts", "--",       "Language >",
                           "--",        "Appearance >",    "Layout >",  "Columns >"}
            << QStringList{"Balanced", "Dense Terminal", "Chart Focus",    "Order Flow Focus",
                           "--",       "Save Workspace", "Load Workspace", "Move To Next Monitor"}
            << QStringList{"All", "Trading", "Analytics", "Compact"};
        QTest::newRow("pt_BR") << QStringLiteral("pt_BR") << QStringLiteral("Exibir")
                               << QStringList{"Conta >",
                                              "Dados e APIs >",
                                              "Atalhos",
                                              "--",
                                              "Idioma >",
                                              "--",
                                              QString::fromUtf8("Aparência >"),
                                              "Layout >",
                                              "Colunas >"}
                               << QStringList{"Balanceado",
                                              "Terminal denso",
                                              QString::fromUtf8("Foco no gráfico"),
                                              "Foco em fluxo",
                                              "--",
                                              "Salvar workspace",
                                              "Carregar workspace",
                                              QString::fromUtf8("Mover para próximo monitor")}
                               << QStringList{"Todas", "Trading", "Analytics", "Compacto"};
    }

    void viewMenuInBothLanguages()
    {
        QFETCH(QString, language);
        QFETCH(QString, title);
        QFETCH(QStringList, view);
        QFETCH(QStringList, layout);
        QFETCH(QStringList, columns);
        TempHome home;
        MainWindow window;
        window.setLanguage(language);
        QCOMPARE(window.viewMenu->title(), title);
        QCOMPARE(menuEntries(window.viewMenu), view);
        QCOMPARE(menuEntries(window.layoutMenu), layout);
        QCOMPARE(menuEntries(window.columnsMenu), columns);
        // Language and theme names never change.
        QCOMPARE(menuEntries(window.languageMenu), (QStringList{"English", QString::fromUtf8("Português")}));
        QCOMPARE(menuEntries(window.appearanceMenu), (QStringList{"Dark", "Light"}));
        QCOMPARE(window.accountMenu->actions().size(), 3);
        QCOMPARE(window.dataApisMenu->actions().size(), 2);
    }

    void languageSwitchRetitlesChecksAndLogs()
    {
        TempHome home;
        MainWindow window;
        QVERIFY(window.languageEnglishAction->isChecked());
        window.languagePortugueseAction->trigger();
        QCOMPARE(window.settings.language, QStringLiteral("pt_BR"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Terminal Murvex"));
        QVERIFY(window.languagePortugueseAction->isChecked());
        QVERIFY(!window.languageEnglishAction->isChecked());
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Idioma alterado"));

        window.statusBar()->clearMessage();
        window.setLanguage(QStringLiteral("pt_BR")); // same language: nothing happens
        QVERIFY(window.statusBar()->currentMessage().isEmpty());

        window.setLanguage(QStringLiteral("PT-br")); // anything but the exact code means English
        QCOMPARE(window.settings.language, QStringLiteral("en"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Murvex Terminal"));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Language changed"));
    }

    void themeActionsAreExclusive()
    {
        TempHome home;
        MainWindow window;
        window.themeLightAction->trigger();
        QCOMPARE(window.settings.theme, QStringLiteral("mvx_light"));
        QVERIFY(window.themeLightAction->isChecked());
        QVERIFY(!window.themeDarkAction->isChecked());
        window.themeDarkAction->trigger();
        QCOMPARE(window.settings.theme, QStringLiteral("coffee_dark"));
        QVERIFY(!window.themeLightAction->isChecked());
    }

    void layoutActionsCarryTheirDefaultKeys()
    {
        TempHome home;
        MainWindow window;
        QCOMPARE(window.layoutBalancedAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+1")));
        QCOMPARE(window.layoutDenseAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+2")));
        QCOMPARE(window.layoutChartAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+3")));
        QCOMPARE(window.layoutOrderFlowAction->shortcut(), QKeySequence(QStringLiteral("Ctrl+Alt+4")));
    }

    void eventLogGoesToTheStatusBarWithoutTime()
    {
        TempHome home;
        MainWindow window;
        window.appendEventLog(QStringLiteral("quote 100%1"));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("quote 100%1"));
        window.appendEventLog(QString());
        QVERIFY(window.statusBar()->currentMessage().isEmpty());
    }

    void layoutPresetTitles_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("portuguese");
        QTest::newRow("dense") << "dense"
                               << "Dense Terminal"
                               << "Terminal denso";
        QTest::newRow("chart") << "chart"
                               << "Chart Focus" << QString::fromUtf8("Foco no gráfico");
        QTest::newRow("order_flow") << "order_flow"
                                    << "Order Flow Focus"
                                    << "Foco em fluxo";
        QTest::newRow("balanced") << "balanced"
                                  << "Balanced"
                                  << "Balanceado";
        QTest::newRow("case matters") << "Dense"
                                      << "Balanced"
                                      << "Balanceado";
        QTest::newRow("unknown") << ""
                                 << "Balanced"
                                 << "Balanceado";
    }

    void layoutPresetTitles()
    {
        QFETCH(QString, key);
        QFETCH(QString, english);
        QFETCH(QString, portuguese);
        TempHome home;
        MainWindow window;
        QCOMPARE(window.layoutPresetTitle(key), english);
        window.settings.language = QStringLiteral("pt_BR");
        QCOMPARE(window.layoutPresetTitle(key), portuguese);
    }

    void pathsFollowTheConfigurationDirectory()
    {
        TempHome home;
        MainWindow window;
        const QString config = home.path() + QStringLiteral("/.config/Murvex/Terminal Murvex");
        QCOMPARE(window.configDir(), config);
        QCOMPARE(window.configFileWritePath(), config + QStringLiteral("/config.txt"));
        QCOMPARE(window.localSettingsWritePath(), config + QStringLiteral("/local.json"));
        QCOMPARE(window.workspaceSnapshotWritePath(), config + QStringLiteral("/workspace.default.json"));
        // Only the legacy file exists: it is read until the new one is written.
        const QString legacy = home.writeFile(QStringLiteral("app/data/settings/local.json"), "{}");
        QCOMPARE(window.localSettingsReadPath(), legacy);
        home.writeFile(QStringLiteral(".config/Murvex/Terminal Murvex/local.json"), "{}");
        QCOMPARE(window.localSettingsReadPath(), config + QStringLiteral("/local.json"));
        const QString legacyKeys = home.writeFile(QStringLiteral("app/config.txt"), "# keys\n");
        QCOMPARE(window.configFilePath(), legacyKeys);
    }
};

MVX_TEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
