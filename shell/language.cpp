#include "shell/main_window.h"
#include "shell/text_picker.h"

#include <QAction>
#include <QMenu>

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

void MainWindow::retranslateUi()
{
    setWindowTitle(appTitle());
    retranslateMenus();
    retranslateStatusColumn();
    setBreadthCardTitles();
    retranslateStreamPanels();
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
