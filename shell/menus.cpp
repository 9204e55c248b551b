#include "shell/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace {
// One menu action: created in `menu`, its trigger bound to one member of the window.
template <typename Handler>
QAction *addMenuAction(MainWindow *window, QMenu *menu, const QString &text, Handler handler)
{
    QAction *action = menu->addAction(text);
    QObject::connect(action, &QAction::triggered, window, [window, handler]() { (window->*handler)(); });
    return action;
}
} // namespace

void MainWindow::setupMenus()
{
    viewMenu = menuBar()->addMenu(localizedText(QStringLiteral("View"), QStringLiteral("Exibir")));

    accountMenu = viewMenu->addMenu(localizedText(QStringLiteral("Account"), QStringLiteral("Conta")));
    syncNowAction = addMenuAction(
        this, accountMenu, localizedText(QStringLiteral("Sync Now"), QStringLiteral("Sincronizar agora")),
        &MainWindow::onSyncNowTriggered);
    syncStatusAction = addMenuAction(
        this, accountMenu, localizedText(QStringLiteral("Sync Status"), QStringLiteral("Status do sync")),
        &MainWindow::onSyncStatusTriggered);
    logoutAction =
        addMenuAction(this, accountMenu, localizedText(QStringLiteral("Logout"), QStringLiteral("Sair")),
                      &MainWindow::onLogoutTriggered);

    dataApisMenu =
        viewMenu->addMenu(localizedText(QStringLiteral("Data And APIs"), QStringLiteral("Dados e APIs")));
    apiKeysAction = addMenuAction(this, dataApisMenu,
                                  localizedText(QStringLiteral("API Keys"), QStringLiteral("Chaves de API")),
                                  &MainWindow::onOpenApiKeys);
    verifyApisAction = addMenuAction(
        this, dataApisMenu, localizedText(QStringLiteral("Verify APIs"), QStringLiteral("Verificar APIs")),
        &MainWindow::onVerifyApisTriggered);

    shortcutsAction =
        addMenuAction(this, viewMenu, localizedText(QStringLiteral("Shortcuts"), QStringLiteral("Atalhos")),
                      &MainWindow::onOpenShortcuts);
    viewMenu->addSeparator();

    languageMenu = viewMenu->addMenu(localizedText(QStringLiteral("Language"), QStringLiteral("Idioma")));
    languageActionGroup = new QActionGroup(this);
    languageEnglishAction =
        addMenuAction(this, languageMenu, QStringLiteral("English"), &MainWindow::onLanguageEnglishTriggered);
    languagePortugueseAction = addMenuAction(this, languageMenu, QString::fromUtf8("Português"),
                                             &MainWindow::onLanguagePortugueseTriggered);
    for (QAction *action : {languageEnglishAction, languagePortugueseAction}) {
        action->setCheckable(true);
        languageActionGroup->addAction(action);
    }
    viewMenu->addSeparator();

    appearanceMenu =
        viewMenu->addMenu(localizedText(QStringLiteral("Appearance"), QString::fromUtf8("Aparência")));
    themeActionGroup = new QActionGroup(this);
    themeDarkAction =
        addMenuAction(this, appearanceMenu, QStringLiteral("Dark"), &MainWindow::onThemeDarkTriggered);
    themeLightAction =
        addMenuAction(this, appearanceMenu, QStringLiteral("Light"), &MainWindow::onThemeLightTriggered);
    for (QAction *action : {themeDarkAction, themeLightAction}) {
        action->setCheckable(true);
        themeActionGroup->addAction(action);
    }

    layoutMenu = viewMenu->addMenu(localizedText(QStringLiteral("Layout"), QStringLiteral("Layout")));
    layoutBalancedAction = addMenuAction(
        this, layoutMenu, localizedText(QStringLiteral("Balanced"), QStringLiteral("Balanceado")),
        &MainWindow::onLayoutBalancedTriggered);
    layoutBalancedAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+1")));
    layoutDenseAction = addMenuAction(
        this, layoutMenu, localizedText(QStringLiteral("Dense Terminal"), QStringLiteral("Terminal denso")),
        &MainWindow::onLayoutDenseTriggered);
    layoutDenseAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+2")));
    layoutChartAction = addMenuAction(
        this, layoutMenu, localizedText(QStringLiteral("Chart Focus"), QString::fromUtf8("Foco no gráfico")),
        &MainWindow::onLayoutChartTriggered);
    layoutChartAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+3")));
    layoutOrderFlowAction = addMenuAction(
        this, layoutMenu, localizedText(QStringLiteral("Order Flow Focus"), QStringLiteral("Foco em fluxo")),
        &MainWindow::onLayoutOrderFlowTriggered);
    layoutOrderFlowAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+4")));
    layoutMenu->addSeparator();
    saveWorkspaceAction = addMenuAction(
        this, layoutMenu, localizedText(QStringLiteral("Save Workspace"), QStringLiteral("Salvar workspace")),
        &MainWindow::onSaveWorkspace);
    loadWorkspaceAction =
        addMenuAction(this, layoutMenu,
                      localizedText(QStringLiteral("Load Workspace"), QStringLiteral("Carregar workspace")),
                      &MainWindow::onLoadWorkspace);
    moveToNextMonitorAction = addMenuAction(this, layoutMenu,
                                            localizedText(QStringLiteral("Move To Next Monitor"),
                                                          QString::fromUtf8("Mover para próximo monitor")),
                                            &MainWindow::onMoveToNextMonitorTriggered);

    columnsMenu = viewMenu->addMenu(localizedText(QStringLiteral("Columns"), QStringLiteral("Colunas")));
    columnsAllAction =
        addMenuAction(this, columnsMenu, localizedText(QStringLiteral("All"), QStringLiteral("Todas")),
                      &MainWindow::onColumnPresetAll);
    columnsTradingAction =
        addMenuAction(this, columnsMenu, localizedText(QStringLiteral("Trading"), QStringLiteral("Trading")),
                      &MainWindow::onColumnPresetTrading);
    columnsAnalyticsAction =
        addMenuAction(this, columnsMenu, QStringLiteral("Analytics"), &MainWindow::onColumnPresetAnalytics);
    columnsCompactAction =
        addMenuAction(this, columnsMenu, localizedText(QStringLiteral("Compact"), QStringLiteral("Compacto")),
                      &MainWindow::onColumnPresetCompact);
}

void MainWindow::onSyncNowTriggered()
{
    pullAccountSync();
}
void MainWindow::onSyncStatusTriggered()
{
    showSyncStatusDialog();
}
void MainWindow::onLogoutTriggered()
{
    logout();
}
void MainWindow::onOpenApiKeys()
{
    showApiKeysDialog();
}
void MainWindow::onVerifyApisTriggered()
{
    showApiHealthDialog();
}
void MainWindow::onOpenShortcuts()
{
    showShortcutsDialog();
}
void MainWindow::onLanguageEnglishTriggered()
{
    setLanguage(QStringLiteral("en"));
}
void MainWindow::onLanguagePortugueseTriggered()
{
    setLanguage(QStringLiteral("pt_BR"));
}
void MainWindow::onThemeDarkTriggered()
{
    setTheme(QStringLiteral("coffee_dark"));
}
void MainWindow::onThemeLightTriggered()
{
    setTheme(QStringLiteral("mvx_light"));
}
void MainWindow::onLayoutBalancedTriggered()
{
    applyLayoutPreset(QStringLiteral("balanced"));
}
void MainWindow::onLayoutDenseTriggered()
{
    applyLayoutPreset(QStringLiteral("dense"));
}
void MainWindow::onLayoutChartTriggered()
{
    applyLayoutPreset(QStringLiteral("chart"));
}
void MainWindow::onLayoutOrderFlowTriggered()
{
    applyLayoutPreset(QStringLiteral("order_flow"));
}
void MainWindow::onSaveWorkspace()
{
    saveWorkspaceSnapshot();
}
void MainWindow::onLoadWorkspace()
{
    loadWorkspaceSnapshot();
}
void MainWindow::onMoveToNextMonitorTriggered()
{
    moveToNextMonitor();
}
void MainWindow::onColumnPresetAll()
{
    applyColumnPreset(QStringLiteral("all"));
}
void MainWindow::onColumnPresetTrading()
{
    applyColumnPreset(QStringLiteral("trading"));
}
void MainWindow::onColumnPresetAnalytics()
{
    applyColumnPreset(QStringLiteral("analytics"));
}
void MainWindow::onColumnPresetCompact()
{
    applyColumnPreset(QStringLiteral("compact"));
}
