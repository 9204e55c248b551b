#include "account/account_rules.h"
#include "shell/main_window.h"

#include <QDateTime>
#include <QMessageBox>

QString MainWindow::formatSyncTime() const
{
    if (settings.syncLastUnix > 0)
        return QDateTime::fromSecsSinceEpoch(settings.syncLastUnix)
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return localizedText(QStringLiteral("Never"), QStringLiteral("Nunca"));
}

QString MainWindow::formatByteSize(qint64 bytes)
{
    return ::formatByteSize(bytes);
}

QString MainWindow::syncStatusText()
{
    QStringList lines;
    lines << localizedText(QStringLiteral("Last sync: %1"), QString::fromUtf8("Último sync: %1"))
                 .arg(formatSyncTime());
    lines << localizedText(QStringLiteral("Last status: %1"), QString::fromUtf8("Último status: %1"))
                 .arg(settings.syncLastStatus.isEmpty() ? QStringLiteral("--") : settings.syncLastStatus);
    lines << QString();
    lines << localizedText(QStringLiteral("Synced namespaces:"), QStringLiteral("Namespaces sincronizados:"));
    if (settings.syncVersions.isEmpty())
        lines << QStringLiteral("- --");
    for (auto it = settings.syncVersions.cbegin(); it != settings.syncVersions.cend(); ++it)
        lines << QStringLiteral("- %1 v%2").arg(it.key(), QString::number(it.value()));
    lines << QString();
    lines << localizedText(
        QStringLiteral("API keys are local-only and are not included in account sync."),
        QString::fromUtf8("Chaves de API ficam apenas locais e não entram no sync da conta."));
    if (settings.authToken.trimmed().isEmpty())
        return lines.join(QLatin1Char('\n'));

    int status = 0;
    QString errorText;
    const QJsonObject reply = sendAccountRequest(syncEndpointUrl(QStringLiteral("status.php")), "GET",
                                                 QJsonObject(), settings.authToken, &status, &errorText);
    lines << QString();
    if (reply.value(QLatin1String("ok")) == QJsonValue(true)) {
        lines << localizedText(QStringLiteral("Remote backend: reachable"),
                               QString::fromUtf8("Backend remoto: acessível"));
        const QJsonObject items = reply.value(QLatin1String("items")).toObject();
        if (items.isEmpty())
            lines << localizedText(QStringLiteral("- no remote namespaces yet"),
                                   QStringLiteral("- nenhum namespace remoto ainda"));
        for (auto it = items.begin(); it != items.end(); ++it) {
            const QJsonObject item = it.value().toObject();
            const qint64 updated = clampedInt64(item.value(QLatin1String("updated_unix")));
            lines << QStringLiteral("- %1 v%2 | %3 | %4")
                         .arg(redactedText(it.key()),
                              QString::number(clampedInt32(item.value(QLatin1String("version")))),
                              formatByteSize(clampedInt64(item.value(QLatin1String("payload_bytes")))),
                              updated < 1 ? QStringLiteral("--")
                                          : QDateTime::fromSecsSinceEpoch(updated).toString(
                                                QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        }
    } else {
        const QString code = reply.value(QLatin1String("error")).toString();
        lines << localizedText(QStringLiteral("Remote backend: unavailable (%1 %2)"),
                               QString::fromUtf8("Backend remoto: indisponível (%1 %2)"))
                     .arg(QString::number(status), redactedText(code.isEmpty() ? errorText.left(80) : code));
    }
    return lines.join(QLatin1Char('\n'));
}

void MainWindow::showSyncStatusDialog()
{
    if (accountOperationRefused())
        return;
    const QString text = syncStatusText();
    showAccountMessage(QMessageBox::Information, text);
}
