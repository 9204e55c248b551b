#include "account/account_busy.h"
#include "account/account_request.h"
#include "account/account_rules.h"
#include "app/endpoints.h"
#include "settings/local_settings_file.h"
#include "shell/main_window.h"

#include <QDesktopServices>
#include <QEventLoop>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QStatusBar>
#include <QTimer>

// ---- the busy guard ------------------------------------------------------------------------------

AccountBusyScope::AccountBusyScope(MainWindow *window) : m_window(window), m_wasBusy(window->accountBusy)
{
    m_window->accountBusy = true;
    m_window->accountBusyChanged();
}

AccountBusyScope::~AccountBusyScope()
{
    m_window->accountBusy = m_wasBusy;
    m_window->accountBusyChanged();
}

void MainWindow::accountBusyChanged()
{
    if (accountBusy || !closeAfterAccountWait)
        return;
    // The window was asked to close while a call waited; it closes now that the call has returned.
    QTimer::singleShot(0, this, [this]() { close(); });
}

bool MainWindow::accountOperationRefused()
{
    if (!accountBusy)
        return false;
    statusBar()->showMessage(
        localizedText(QStringLiteral("An account operation is in progress; please wait."),
                      QString::fromUtf8("Uma operação da conta está em andamento; aguarde.")));
    return true;
}

void MainWindow::abandonAccountWait()
{
    closeAfterAccountWait = true;
    if (accountWaitLoop)
        accountWaitLoop->quit();
}

void MainWindow::showAccountMessage(int icon, const QString &text)
{
    // A window on its way out shows nothing more.
    if (closeAfterAccountWait)
        return;
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), appTitle(), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// ---- the transport -------------------------------------------------------------------------------

QJsonObject MainWindow::sendAccountRequest(const QString &url, const QByteArray &method,
                                           const QJsonObject &body, const QString &token, int *httpStatus,
                                           QString *errorText)
{
    AccountBusyScope busy(this);
    QNetworkAccessManager manager;
    const AccountWait wait =
        accountWait ? accountWait : AccountWait([this](QNetworkReply *reply, int limitMs) {
            return waitForReplyInLocalLoop(reply, limitMs, &accountWaitLoop);
        });
    const AccountResponse response =
        closeAfterAccountWait
            ? AccountResponse{0, true, true,
                              localizedText(QStringLiteral("Network timeout."),
                                            QStringLiteral("Tempo de rede esgotado.")),
                              QJsonObject()}
            : performAccountRequest(manager, AccountRequest{url, method, body, token}, wait,
                                    accountRequestLimitMs,
                                    localizedText(QStringLiteral("Network timeout."),
                                                  QStringLiteral("Tempo de rede esgotado.")));
    if (httpStatus)
        *httpStatus = response.httpStatus;
    if (response.failed && errorText)
        *errorText = response.errorText;
    return response.result;
}

QString MainWindow::authEndpointUrl(const QString &endpoint) const
{
    return QStringLiteral("%1/%2").arg(kAuthBaseUrl.toString(), endpoint);
}

QString MainWindow::syncEndpointUrl(const QString &endpoint) const
{
    return QStringLiteral("%1/%2").arg(kSyncBaseUrl.toString(), endpoint);
}

QString MainWindow::accountLanguageCode() const
{
    return isPortuguese() ? QStringLiteral("pt") : QStringLiteral("en");
}

bool MainWindow::openInBrowser(const QUrl &url)
{
    return browserOpener ? browserOpener(url) : QDesktopServices::openUrl(url);
}

// ---- the session ---------------------------------------------------------------------------------

QString MainWindow::authErrorMessage(const QString &code) const
{
    return authErrorText(code, isPortuguese());
}

bool MainWindow::applyAuthReply(const QJsonObject &reply, QString *errorText)
{
    QString code;
    if (applyAuthReplyTo(settings, reply, &code))
        return true;
    if (errorText)
        *errorText = authErrorMessage(code);
    return false;
}

bool MainWindow::submitLogin(const QString &email, const QString &password, QString *errorText)
{
    const QJsonObject body{{QStringLiteral("email"), email},
                           {QStringLiteral("password"), password},
                           {QStringLiteral("lang"), accountLanguageCode()}};
    const QJsonObject reply = sendAccountRequest(authEndpointUrl(QStringLiteral("login.php")), "POST", body,
                                                 QString(), nullptr, errorText);
    return applyAuthReply(reply, errorText);
}

namespace {
// %2 of the session lines: the service's code, else the error text cut short.
QString failureDetail(const QJsonObject &reply, const QString &errorText)
{
    const QString code = reply.value(QLatin1String("error")).toString();
    return code.isEmpty() ? errorText.left(120) : code;
}
} // namespace

bool MainWindow::validateStoredSession()
{
    if (settings.authToken.trimmed().isEmpty()) {
        if (!settings.authEmail.trimmed().isEmpty())
            appendEventLog(localizedText(
                QStringLiteral("No saved session token found; login is required."),
                QString::fromUtf8("Nenhum token de sessão salvo encontrado; login é necessário.")));
        return false;
    }
    int status = 0;
    QString errorText;
    const QJsonObject reply = sendAccountRequest(authEndpointUrl(QStringLiteral("me.php")), "GET",
                                                 QJsonObject(), settings.authToken, &status, &errorText);
    const bool rejected = sessionRejected(status, reply);
    if (applyAuthReply(reply, &errorText)) {
        refreshSession();
        return true;
    }
    const QString detail = redactedText(failureDetail(reply, errorText));
    if (!rejected) {
        // No answer about the token is no verdict on it: the session stays for the next try.
        appendEventLog(
            localizedText(QStringLiteral("Saved session could not be checked: HTTP %1 %2"),
                          QString::fromUtf8("Não foi possível verificar a sessão salva: HTTP %1 %2"))
                .arg(QString::number(status), detail));
        return false;
    }
    appendEventLog(localizedText(QStringLiteral("Saved session rejected by server: HTTP %1 %2"),
                                 QString::fromUtf8("Sessão salva recusada pelo servidor: HTTP %1 %2"))
                       .arg(QString::number(status), detail));
    clearSession();
    saveLocalSettings();
    return false;
}

void MainWindow::refreshSession()
{
    if (settings.authToken.trimmed().isEmpty())
        return;
    int status = 0;
    QString errorText;
    const QJsonObject reply = sendAccountRequest(authEndpointUrl(QStringLiteral("refresh.php")), "POST",
                                                 QJsonObject(), settings.authToken, &status, &errorText);
    // A failed refresh must not lose the token the check just accepted.
    const QString token = settings.authToken, expiration = settings.authTokenExpiration,
                  email = settings.authEmail, firstName = settings.authFirstName;
    if (applyAuthReply(reply, &errorText)) {
        saveLocalSettings();
        appendEventLog(
            localizedText(QStringLiteral("Session refreshed"), QString::fromUtf8("Sessão renovada")));
        return;
    }
    settings.authToken = token;
    settings.authTokenExpiration = expiration;
    settings.authEmail = email;
    settings.authFirstName = firstName;
    appendEventLog(localizedText(QStringLiteral("Session refresh skipped: HTTP %1 %2"),
                                 QString::fromUtf8("Renovação de sessão ignorada: HTTP %1 %2"))
                       .arg(QString::number(status), redactedText(failureDetail(reply, errorText))));
}

void MainWindow::logoutRemote()
{
    if (settings.authToken.isEmpty())
        return;
    sendAccountRequest(authEndpointUrl(QStringLiteral("logout.php")), "POST", QJsonObject(),
                       settings.authToken, nullptr, nullptr);
}

void MainWindow::clearSession()
{
    settings.authToken.clear();
    settings.authTokenExpiration.clear();
}

void MainWindow::logout()
{
    if (accountOperationRefused())
        return;
    logoutRemote();
    clearSession();
    saveLocalSettings();
    stopAllStreams();
    appendEventLog(localizedText(QStringLiteral("Logged out"), QString::fromUtf8("Sessão encerrada")));
    // The data start reopens the ticker only; the book and tape of the selected symbol come back
    // through the same dispatch a selection runs.
    QTimer::singleShot(0, this, [this]() {
        startMarketData();
        startBookStream();
    });
}

void MainWindow::loadSyncVersions(const QJsonObject &object)
{
    settings.syncVersions = syncVersionsFromJson(object);
}
