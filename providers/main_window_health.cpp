#include "shell/main_window.h"

void MainWindow::showApiHealthDialog() {}

// Provider health is filled by its own work; until then the stored records are kept as read so that a
// save writes them back unchanged.
QJsonObject MainWindow::providerHealthToJson() const
{
    return providerHealthAsRead;
}

void MainWindow::loadProviderHealth(const QJsonObject &object)
{
    providerHealthAsRead = object;
}
