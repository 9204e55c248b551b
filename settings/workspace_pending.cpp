#include "shell/main_window.h"

// Members of the workspace work that the account sync calls. Until they land they carry
// nothing: an upload holds an empty workspace, and a download of these namespaces changes nothing.

QJsonObject MainWindow::buildWorkspaceJson()
{
    return QJsonObject();
}

void MainWindow::applyWorkspaceSnapshot(const QJsonObject &snapshot)
{
    Q_UNUSED(snapshot);
}

void MainWindow::applySyncSettingsPayload(const QJsonObject &payload)
{
    Q_UNUSED(payload);
}
