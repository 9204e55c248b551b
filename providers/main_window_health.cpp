#include "providers/provider_health.h"
#include "providers/reply_check.h"
#include "providers/reply_deadline.h"
#include "shell/content_columns.h"
#include "shell/main_window.h"
#include "shell/themes.h"

#include <QAbstractItemView>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

// ---- the coverage table ---------------------------------------------------------------------------

QList<ProviderCoverageRow> MainWindow::providerCoverageTable() const
{
    return providerCoverageRows();
}

QString MainWindow::providerCoverageStatus(const ProviderCoverageRow &row) const
{
    return coverageStatus(row, [this](const QString &key) { return apiKeyFor(key); });
}

QColor MainWindow::coverageStatusColor(const QString &status) const
{
    return coverageStatusColour(status, isLightThemeKey(settings.theme));
}

QString MainWindow::coverageRowKey(const ProviderCoverageRow &row) const
{
    return coverageKey(row);
}

void MainWindow::logDataSourceSummary()
{
    const QList<ProviderCoverageRow> rows = providerCoverageTable();
    QStringList statuses;
    for (const ProviderCoverageRow &row : rows)
        statuses.append(providerCoverageStatus(row));
    for (const auto &[market, entries] : cascadeGroups(rows, statuses))
        logCascadeGroup(market, entries);
    appendEventLog(localizedText(
        QStringLiteral("Book/depth rule: show depth only with >5 valid bid levels and >5 valid ask levels; "
                       "otherwise show quote/stat fallback."),
        QString::fromUtf8("Regra de livro/depth: exibir depth apenas com >5 níveis válidos de compra e >5 de "
                          "venda; caso contrário, exibir fallback de cotação/dados.")));
}

void MainWindow::logCascadeGroup(const QString &market, const QStringList &entries)
{
    if (market.isEmpty() || entries.isEmpty())
        return;
    appendEventLog(
        localizedText(QStringLiteral("API cascade %1: %2"), QStringLiteral("Cascata de APIs %1: %2"))
            .arg(market, entries.join(QStringLiteral(" -> "))));
}

// ---- provider health ------------------------------------------------------------------------------

std::optional<QNetworkRequest> MainWindow::buildHealthCheckRequest(const ProviderCoverageRow &row) const
{
    return healthCheckRequest(row, [this](const QString &key) { return apiKeyFor(key); });
}

QColor MainWindow::healthStateColor(const QString &state) const
{
    return healthStateColour(state, isLightThemeKey(settings.theme));
}

QJsonObject MainWindow::providerHealthToJson() const
{
    return providerHealthJson(providerHealth);
}

void MainWindow::loadProviderHealth(const QJsonObject &object)
{
    providerHealth = providerHealthFromJson(object);
}

void MainWindow::runApiHealthChecks(QTableWidget *table)
{
    const QPointer<QTableWidget> guard(table);
    const QList<ProviderCoverageRow> rows = providerCoverageTable();
    for (int i = 0; i < rows.size(); ++i) {
        const ProviderCoverageRow &row = rows.at(i);
        const QString key = coverageRowKey(row);
        const QString status = providerCoverageStatus(row);
        const std::optional<QNetworkRequest> probe = buildHealthCheckRequest(row);
        ProviderHealth &health = providerHealth[key];
        if (status == QLatin1String("not implemented") ||
            (!probe && !status.startsWith(QLatin1String("skipped")))) {
            health.status = QStringLiteral("not implemented");
            health.latencyMs = -1;
        } else if (status.startsWith(QLatin1String("skipped"))) {
            health.status = QStringLiteral("skipped: no key");
            health.latencyMs = -1;
        } else {
            health.status = QStringLiteral("testing");
            health.lastError.clear();
            ++health.attempts;
            QNetworkRequest request = *probe;
            request.setTransferTimeout(healthTransferLimitMs);
            // A monotonic clock: a wall-clock step while the probe runs cannot make its latency negative.
            QElapsedTimer sent;
            sent.start();
            awaitReply(networkManager.get(request), this, replyDeadlines.quoteMs,
                       [this, guard, row, i, key, sent](const ReplyAnswer &answer) {
                           onApiHealthReply(answer, guard, row, i, key, sent);
                       });
        }
        fillProviderHealthColumns(guard, i, row);
    }
    appendEventLog(localizedText(QStringLiteral("API health verification started"),
                                 QString::fromUtf8("Verificação de saúde das APIs iniciada")));
}

void MainWindow::onApiHealthReply(const ReplyAnswer &answer, const QPointer<QTableWidget> &table,
                                  const ProviderCoverageRow &row, int rowIndex, const QString &key,
                                  const QElapsedTimer &sent)
{
    const QByteArray &body = answer.body;
    const int status = answer.status;
    const ProviderReplyHeaders &headers = answer.headers;
    const QNetworkReply::NetworkError networkError = answer.error;

    const ProviderReplyCheck check = evaluateProviderReply(row.name, status, headers, body);
    ProviderHealth &health = providerHealth[key];
    health.latencyMs = std::max<qint64>(0, sent.elapsed());
    if (check.ok) {
        health.status = QStringLiteral("ok");
        health.lastSuccess = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        health.lastError.clear();
        ++health.successes;
    } else {
        health.status = check.rateLimited ? QStringLiteral("rate limited") : QStringLiteral("error");
        // The record is stored and shown: whatever the provider echoed, no configured key stays in it.
        QString error = redactedText(check.message);
        if (!error.isEmpty() && check.retryAfterSec > 0)
            error += localizedText(QStringLiteral("; retry in %1s"), QStringLiteral("; tentar em %1s"))
                         .arg(check.retryAfterSec);
        if (error.isEmpty())
            error = healthNetworkErrorText(networkError);
        health.lastError = error;
        ++health.failures;
    }
    if (table)
        fillProviderHealthColumns(table, rowIndex, row);
    saveLocalSettings();
}

// ---- the data-source dialog -------------------------------------------------------------------------

void MainWindow::showApiHealthDialog()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("apiHealthDialog"));
    dialog.setWindowTitle(localizedText(QStringLiteral("Verify APIs"), QStringLiteral("Verificar APIs")));
    dialog.resize(1180, 620);
    auto *layout = new QVBoxLayout(&dialog);
    auto *goal = new QLabel(
        localizedText(
            QStringLiteral(
                "Goal: obtain the maximum market data possible for free. User-provided API keys have "
                "priority by capability; the app tries each implemented configured provider until one "
                "works, then continues through public fallbacks. Secrets are never displayed or "
                "logged."),
            QString::fromUtf8(
                "Objetivo: obter o máximo possível de dados de mercado gratuitamente. APIs "
                "inseridas pelo usuário têm prioridade por capacidade; o app tenta cada provedor "
                "configurado e implementado até funcionar, seguindo depois pelos fallbacks "
                "públicos. Chaves nunca são exibidas nem registradas.")),
        &dialog);
    goal->setWordWrap(true);
    layout->addWidget(goal);

    const QList<ProviderCoverageRow> rows = providerCoverageTable();
    auto *table = new QTableWidget(static_cast<int>(rows.size()), 13, &dialog);
    table->setObjectName(QStringLiteral("apiHealthTable"));
    table->setHorizontalHeaderLabels(
        {localizedText(QStringLiteral("Asset"), QStringLiteral("Ativo")), QStringLiteral("Rank"),
         QStringLiteral("Provider"), localizedText(QStringLiteral("Key"), QStringLiteral("Chave")),
         QStringLiteral("Cascade"), localizedText(QStringLiteral("Coverage"), QStringLiteral("Cobertura")),
         QStringLiteral("Book/Depth"), QStringLiteral("Fallback"),
         localizedText(QStringLiteral("Health"), QString::fromUtf8("Saúde")),
         localizedText(QStringLiteral("Latency"), QString::fromUtf8("Latência")),
         localizedText(QStringLiteral("Last Success"), QString::fromUtf8("Último sucesso")),
         localizedText(QStringLiteral("Last Error"), QString::fromUtf8("Último erro")),
         localizedText(QStringLiteral("Attempts / OK / Fail"), QStringLiteral("Tentativas / OK / Falhas"))});
    table->verticalHeader()->setVisible(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setAlternatingRowColors(true);
    for (int i = 0; i < rows.size(); ++i) {
        const ProviderCoverageRow &row = rows.at(i);
        const QString status = providerCoverageStatus(row);
        setHealthTableItem(table, i, 0, row.market, QColor());
        setHealthTableItem(table, i, 1, QString::number(row.order), QColor());
        setHealthTableItem(table, i, 2, row.name, QColor());
        setHealthTableItem(table, i, 3, row.keyName.isEmpty() ? QStringLiteral("-") : row.keyName, QColor());
        setHealthTableItem(table, i, 4, status, coverageStatusColor(status));
        setHealthTableItem(table, i, 5, row.coverage, QColor());
        setHealthTableItem(table, i, 6, row.book, QColor());
        setHealthTableItem(table, i, 7, row.fallback, QColor());
        fillProviderHealthColumns(table, i, row);
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    // Health checks write their results after the sizing above.
    keepColumnsWideForContents(table);
    layout->addWidget(table, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton *run = buttons->addButton(
        localizedText(QStringLiteral("Run Health Checks"), QStringLiteral("Executar testes")),
        QDialogButtonBox::ActionRole);
    run->setObjectName(QStringLiteral("runHealthChecksButton"));
    QPushButton *log =
        buttons->addButton(localizedText(QStringLiteral("Log Cascade"), QStringLiteral("Registrar Cascata")),
                           QDialogButtonBox::ActionRole);
    log->setObjectName(QStringLiteral("logCascadeButton"));
    connect(run, &QPushButton::clicked, this, [this, table]() { onRunHealthChecksClicked(table); });
    connect(log, &QPushButton::clicked, this, [this]() { onLogCascadeClicked(); });
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

void MainWindow::setHealthTableItem(QTableWidget *table, int row, int column, const QString &text,
                                    const QColor &colour)
{
    auto *item = new QTableWidgetItem(text);
    if (colour.isValid())
        item->setForeground(colour);
    table->setItem(row, column, item);
}

void MainWindow::fillProviderHealthColumns(QTableWidget *table, int row, const ProviderCoverageRow &coverage)
{
    if (!table || row < 0 || row >= table->rowCount())
        return;
    const ProviderHealth health = providerHealth.value(coverageRowKey(coverage));
    setHealthTableItem(table, row, 8, health.status, healthStateColor(health.status));
    setHealthTableItem(table, row, 9,
                       health.latencyMs < 0 ? QStringLiteral("--")
                                            : QStringLiteral("%1 ms").arg(health.latencyMs),
                       QColor());
    setHealthTableItem(table, row, 10,
                       health.lastSuccess.isEmpty() ? QStringLiteral("--") : health.lastSuccess, QColor());
    setHealthTableItem(table, row, 11, health.lastError.isEmpty() ? QStringLiteral("--") : health.lastError,
                       health.lastError.isEmpty() ? QColor() : QColor(QStringLiteral("#f45d5d")));
    setHealthTableItem(
        table, row, 12,
        QStringLiteral("%1 / %2 / %3").arg(health.attempts).arg(health.successes).arg(health.failures),
        QColor());
}

void MainWindow::onRunHealthChecksClicked(QTableWidget *table)
{
    runApiHealthChecks(table);
}

void MainWindow::onLogCascadeClicked()
{
    logDataSourceSummary();
}
