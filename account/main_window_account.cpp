#include "settings/local_settings_file.h"
#include "shell/main_window.h"

#include <QTimer>

void MainWindow::pullAccountSync() {}
void MainWindow::showSyncStatusDialog() {}

// The account service arrives with its own work; until then signing out is local only.
void MainWindow::logoutRemote() {}

void MainWindow::clearSession()
{
    settings.authToken.clear();
    settings.authTokenExpiration.clear();
}

void MainWindow::logout()
{
    logoutRemote();
    clearSession();
    saveLocalSettings();
    stopAllStreams();
    appendEventLog(localizedText(QStringLiteral("Logged out"), QString::fromUtf8("Sessão encerrada")));
    QTimer::singleShot(0, this, [this]() { startMarketData(); });
}

void MainWindow::loadSyncVersions(const QJsonObject &object)
{
    settings.syncVersions = syncVersionsFromJson(object);
}
