#include "settings/api_keys.h"
#include "settings/api_keys_dialog.h"
#include "settings/atomic_file.h"
#include "settings/config_paths.h"
#include "shell/main_window.h"

#include <QAction>
#include <QFile>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QProcessEnvironment>

namespace {
const char kVisibilityActionName[] = "apiKeyVisibilityAction";
}

QList<ApiKeySpec> MainWindow::apiKeyCatalog() const
{
    return ::apiKeyCatalog();
}

void MainWindow::loadConfig()
{
    // The first file read at start: what earlier runs' killed writes left is cleared away before any
    // file is read or written.
    removeLeftoverTemporaryFiles();
    applyEnvironmentApiKeys(settings, QProcessEnvironment::systemEnvironment());
    QFile file(configFilePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    const std::optional<QString> hidden =
        applyKeyFileEntries(settings, parseKeyFileText(QString::fromUtf8(file.readAll())));
    if (hidden)
        parseHiddenColumns(*hidden);
}

bool MainWindow::saveLocalApiKeys()
{
    // The file holds secrets: owner-only from its first byte, whatever mode an earlier file had.
    const bool saved = writeFileAtomically(configFileWritePath(), keyFileText(settings).toUtf8(), true);
    if (!saved)
        appendEventLog(localizedText(QStringLiteral("Unable to save local API keys"),
                                     QString::fromUtf8("Não foi possível salvar as chaves locais")));
    return saved;
}

QString MainWindow::apiKeyFor(const QString &key) const
{
    return apiKeyValue(settings, key);
}

QMap<QString, QString> MainWindow::effectiveApiKeys() const
{
    return effectiveApiKeyValues(settings);
}

void MainWindow::setApiKey(const QString &key, const QString &value)
{
    setApiKeyValue(settings, key, value);
}

QStringList MainWindow::configuredSecrets() const
{
    QStringList secrets = effectiveApiKeys().values();
    secrets.append(settings.authToken);
    return secrets;
}

QString MainWindow::redactedText(const QString &text) const
{
    return redactSecrets(text, configuredSecrets());
}

void MainWindow::showApiKeysDialog()
{
    ApiKeysDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QList<QPair<QString, QString>> values = dialog.enteredValues();
    for (const auto &entry : values)
        setApiKey(entry.first, entry.second);
    if (saveLocalApiKeys())
        appendEventLog(localizedText(QStringLiteral("API keys saved locally"),
                                     QStringLiteral("Chaves de API salvas localmente")));
    // The keys are in memory whether or not the file took them: use them at once.
    refreshMarketMovers();
    refreshAllQuotes();
}

void MainWindow::addApiKeyVisibilityToggle(QLineEdit *edit)
{
    QAction *action = edit->addAction(makeEyeIcon(false), QLineEdit::TrailingPosition);
    action->setObjectName(QLatin1String(kVisibilityActionName));
    action->setCheckable(true);
    action->setToolTip(QStringLiteral("Show key"));
    connect(action, &QAction::toggled, this,
            [this, edit](bool shown) { onApiKeyVisibilityToggled(edit, shown); });
}

void MainWindow::onApiKeyVisibilityToggled(QLineEdit *edit, bool shown)
{
    edit->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    QAction *action = edit->findChild<QAction *>(QLatin1String(kVisibilityActionName));
    if (!action)
        return;
    action->setIcon(makeEyeIcon(shown));
    action->setToolTip(shown ? QStringLiteral("Hide key") : QStringLiteral("Show key"));
}

QIcon MainWindow::makeEyeIcon(bool shown) const
{
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QColor color(shown ? QStringLiteral("#20c878") : QStringLiteral("#8fb8ad"));
    painter.setPen(QPen(color, 1.7, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(Qt::NoBrush);

    QPainterPath outline(QPointF(2.5, 9.0));
    outline.cubicTo(QPointF(5.0, 4.8), QPointF(13.0, 4.8), QPointF(15.5, 9.0));
    outline.cubicTo(QPointF(13.0, 13.2), QPointF(5.0, 13.2), QPointF(2.5, 9.0));
    painter.drawPath(outline);

    painter.setBrush(shown ? color : QColor(Qt::black));
    painter.drawEllipse(QPointF(9.0, 9.0), 2.3, 2.3);
    painter.end();
    return QIcon(pixmap);
}
