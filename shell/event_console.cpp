#include "shell/formats.h"
#include "shell/main_window.h"

#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTime>

void MainWindow::appendEventLog(const QString &text)
{
    const QString line = eventLogLine(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), text);
    // The console drops its oldest block itself once it holds its maximum (set where it is built).
    if (eventConsole)
        eventConsole->appendPlainText(line);
    statusBar()->showMessage(text, 0);
}

QString MainWindow::appTitle() const
{
    return localizedText(QStringLiteral("Murvex Terminal"), QStringLiteral("Terminal Murvex"));
}

QString MainWindow::layoutPresetTitle(const QString &key) const
{
    if (key == QLatin1String("dense"))
        return localizedText(QStringLiteral("Dense Terminal"), QStringLiteral("Terminal denso"));
    if (key == QLatin1String("chart"))
        return localizedText(QStringLiteral("Chart Focus"), QString::fromUtf8("Foco no gráfico"));
    if (key == QLatin1String("order_flow"))
        return localizedText(QStringLiteral("Order Flow Focus"), QStringLiteral("Foco em fluxo"));
    return localizedText(QStringLiteral("Balanced"), QStringLiteral("Balanceado"));
}
