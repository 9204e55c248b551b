#include "account/account_rules.h"
#include "shell/main_window.h"

#include <QDateTime>
#include <QMessageBox>

namespace {
QString detailOrText(const QString &code, const QString &text)
{
    return code.isEmpty() ? text.left(80) : code;
}
} // namespace

void MainWindow::pullAccountSync()
{
    if (accountOperationRefused())
        return;
    if (settings.authToken.trimmed().isEmpty()) {
        showAccountMessage(QMessageBox::Warning,
                           localizedText(QStringLiteral("Log in before syncing account data."),
                                         QStringLiteral("Entre antes de sincronizar dados da conta.")));
        showLoginDialog();
        return;
    }
    int status = 0;
    QString errorText;
    const QJsonObject reply = sendAccountRequest(syncEndpointUrl(QStringLiteral("pull.php")), "GET",
                                                 QJsonObject(), settings.authToken, &status, &errorText);
    if (reply.value(QLatin1String("ok")) != QJsonValue(true)) {
        const QString code = redactedText(reply.value(QLatin1String("error")).toString());
        const QString message = syncPullErrorText(code, redactedText(errorText), isPortuguese());
        appendEventLog(localizedText(QStringLiteral("Account sync failed: HTTP %1 %2"),
                                     QStringLiteral("Falha no sync da conta: HTTP %1 %2"))
                           .arg(QString::number(status), detailOrText(code, message)));
        setSyncStatus(QStringLiteral("failed"));
        saveLocalSettings();
        showAccountMessage(QMessageBox::Warning, message);
        return;
    }
    const QJsonObject items = reply.value(QLatin1String("items")).toObject();
    if (items.isEmpty()) {
        if (pushAccountSync(buildSyncSnapshot(), buildExpectedVersions(syncNamespaces(), true))) {
            appendEventLog(localizedText(QStringLiteral("Initial account sync uploaded"),
                                         QStringLiteral("Sync inicial da conta enviado")));
            showAccountMessage(
                QMessageBox::Information,
                localizedText(QStringLiteral("Initial local state was uploaded to your Murvex account."),
                              QStringLiteral("O estado local inicial foi enviado para sua conta Murvex.")));
        }
        return;
    }
    const QStringList newer = namespacesWithNewerVersion(items);
    QJsonObject expected;
    if (!newer.isEmpty()) {
        if (closeAfterAccountWait)
            return;
        const QString text =
            localizedText(
                QStringLiteral(
                    "Remote account data is newer for: %1.\n\nDownload it and replace local state? "
                    "Choose No to keep local state and upload it."),
                QString::fromUtf8("Os dados remotos da conta são mais novos em: %1.\n\nBaixar e substituir o "
                                  "estado local? Escolha Não para manter o local e enviar ao servidor."))
                .arg(redactedText(newer.join(QStringLiteral(", "))));
        QMessageBox question(QMessageBox::Question, appTitle(), text,
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
        question.setDefaultButton(QMessageBox::Yes);
        question.setEscapeButton(QMessageBox::Cancel);
        question.setTextFormat(Qt::PlainText);
        const int answer = question.exec();
        if (answer == QMessageBox::Yes) {
            const bool applied = applyAccountSyncItems(items);
            saveLocalSettings();
            saveWatchlist();
            if (applied) {
                appendEventLog(localizedText(QStringLiteral("Remote account state downloaded"),
                                             QStringLiteral("Estado remoto da conta baixado")));
                showAccountMessage(
                    QMessageBox::Information,
                    localizedText(QStringLiteral("Remote account state was applied locally."),
                                  QStringLiteral("O estado remoto da conta foi aplicado localmente.")));
            } else {
                appendEventLog(
                    localizedText(QStringLiteral("Remote account state held nothing usable"),
                                  QString::fromUtf8("O estado remoto da conta não tinha nada utilizável")));
                showAccountMessage(
                    QMessageBox::Information,
                    localizedText(
                        QStringLiteral(
                            "Nothing usable was pulled from your Murvex account; local state was kept."),
                        QString::fromUtf8(
                            "Nada utilizável foi baixado da sua conta Murvex; o estado local foi mantido.")));
            }
            return;
        }
        if (answer != QMessageBox::No)
            return;
        // Keeping the local state means overwriting what the pull showed, so the upload expects
        // exactly those versions; a write by someone else in between still meets the service's check.
        expected = pulledVersions(items);
    } else {
        recordSyncVersions(items);
        expected = buildExpectedVersions(items.keys(), false);
    }
    if (pushAccountSync(buildSyncSnapshot(), expected)) {
        // The upload answers only for what it carried; the pulled namespaces it cannot carry are settled
        // too, or keeping the local state would be asked about again on every sync.
        const QJsonObject unknown = unknownNamespaceItems(items);
        if (!unknown.isEmpty()) {
            recordSyncVersions(unknown);
            saveLocalSettings();
        }
        appendEventLog(localizedText(QStringLiteral("Account state synced"),
                                     QStringLiteral("Estado da conta sincronizado")));
        showAccountMessage(
            QMessageBox::Information,
            localizedText(QStringLiteral("Local state was synced to your Murvex account."),
                          QStringLiteral("O estado local foi sincronizado com sua conta Murvex.")));
    }
}

bool MainWindow::pushAccountSync(const QJsonObject &items, const QJsonObject &expectedVersions)
{
    int status = 0;
    QString errorText;
    const QJsonObject body{{QStringLiteral("items"), items},
                           {QStringLiteral("expected_versions"), expectedVersions}};
    const QJsonObject reply = sendAccountRequest(syncEndpointUrl(QStringLiteral("push.php")), "POST", body,
                                                 settings.authToken, &status, &errorText);
    if (reply.value(QLatin1String("ok")) == QJsonValue(true)) {
        recordSyncVersions(reply.value(QLatin1String("items")).toObject());
        setSyncStatus(QStringLiteral("uploaded"));
        saveLocalSettings();
        return true;
    }
    const QString code = redactedText(reply.value(QLatin1String("error")).toString());
    const QString message =
        code == QLatin1String("version_conflict")
            ? localizedText(
                  QStringLiteral("Remote account data changed before upload. Run Sync Now again and choose "
                                 "whether to download or overwrite."),
                  QString::fromUtf8("Os dados remotos mudaram antes do envio. Rode Sincronizar agora "
                                    "novamente e escolha baixar ou sobrescrever."))
            : localizedText(QStringLiteral("Could not upload account sync data."),
                            QString::fromUtf8("Não foi possível enviar os dados de sync da conta."));
    appendEventLog(localizedText(QStringLiteral("Account sync upload failed: HTTP %1 %2"),
                                 QStringLiteral("Envio do sync da conta falhou: HTTP %1 %2"))
                       .arg(QString::number(status), detailOrText(code, redactedText(errorText))));
    setSyncStatus(QStringLiteral("failed"));
    saveLocalSettings();
    showAccountMessage(QMessageBox::Warning, message);
    return false;
}

QJsonObject MainWindow::buildSyncSnapshot()
{
    return QJsonObject{{QStringLiteral("settings"), buildSyncSettingsPayload()},
                       {QStringLiteral("watchlists"), buildWatchlistJson()},
                       {QStringLiteral("alerts"), alertsJson()},
                       {QStringLiteral("workspace"), buildWorkspaceJson()},
                       {QStringLiteral("portfolios"), portfoliosToJson()}};
}

QJsonObject MainWindow::buildSyncSettingsPayload() const
{
    return QJsonObject{{QStringLiteral("language"), settings.language},
                       {QStringLiteral("theme"), settings.theme},
                       {QStringLiteral("hidden_columns"), hiddenColumnsText()},
                       {QStringLiteral("shortcuts"), shortcutsToJson()},
                       {QStringLiteral("chart_mode"), settings.chartMode},
                       {QStringLiteral("chart_timeframe"), settings.chartTimeframe}};
}

QJsonObject MainWindow::syncItemPayload(const QJsonObject &items, const QString &name) const
{
    return items.value(name).toObject().value(QLatin1String("payload")).toObject();
}

bool MainWindow::applyAccountSyncItems(const QJsonObject &items)
{
    QJsonObject applied;
    const auto usable = [this, &items, &applied](const QString &name) {
        if (!items.contains(name))
            return false;
        const QString reason = unusableSyncItemReason(name, items.value(name));
        if (!reason.isEmpty()) {
            reportSkippedNamespace(name);
            return false;
        }
        applied.insert(name, items.value(name));
        return true;
    };
    if (usable(QStringLiteral("settings")))
        applySyncSettingsPayload(syncItemPayload(items, QStringLiteral("settings")));
    if (usable(QStringLiteral("watchlists")))
        applyWatchlistJson(syncItemPayload(items, QStringLiteral("watchlists")));
    if (usable(QStringLiteral("alerts")) &&
        !applyAlertsJson(syncItemPayload(items, QStringLiteral("alerts")))) {
        applied.remove(QStringLiteral("alerts"));
        reportSkippedNamespace(QStringLiteral("alerts"));
    }
    if (usable(QStringLiteral("workspace")))
        applyWorkspaceSnapshot(syncItemPayload(items, QStringLiteral("workspace")));
    if (usable(QStringLiteral("portfolios")) &&
        !applySyncPortfoliosPayload(syncItemPayload(items, QStringLiteral("portfolios")))) {
        applied.remove(QStringLiteral("portfolios"));
        reportSkippedNamespace(QStringLiteral("portfolios"));
    }
    // A skipped namespace keeps its old version, so the next sync asks about it again; one this build
    // does not know can never be applied, so asking again would change nothing.
    recordSyncVersions(applied);
    recordSyncVersions(unknownNamespaceItems(items));
    setSyncStatus(QStringLiteral("downloaded"));
    return !applied.isEmpty();
}

void MainWindow::reportSkippedNamespace(const QString &name)
{
    appendEventLog(
        localizedText(QStringLiteral("Account sync skipped \"%1\": its data is not usable"),
                      QString::fromUtf8("Sync da conta ignorou \"%1\": os dados não são utilizáveis"))
            .arg(redactedText(name)));
}

void MainWindow::recordSyncVersions(const QJsonObject &items)
{
    recordVersions(settings.syncVersions, items);
}

QStringList MainWindow::namespacesWithNewerVersion(const QJsonObject &items) const
{
    return newerNamespaces(settings.syncVersions, items);
}

QJsonObject MainWindow::buildExpectedVersions(const QStringList &names, bool allZero) const
{
    return expectedVersions(settings.syncVersions, names, allZero);
}

void MainWindow::setSyncStatus(const QString &status)
{
    settings.syncLastUnix = QDateTime::currentSecsSinceEpoch();
    settings.syncLastStatus = status;
}
