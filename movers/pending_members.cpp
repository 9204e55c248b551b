#include "shell/main_window.h"

#include <QStringListModel>

// Members other subsystems own and build in their own work; these minimal bodies keep the movers
// working until theirs land.

void MainWindow::refreshCompleterModel()
{
    if (completerModel)
        completerModel->setStringList(symbolUniverse);
}
