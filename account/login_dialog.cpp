#include "account/account_busy.h"
#include "account/account_rules.h"
#include "app/endpoints.h"
#include "app/startup_log.h"
#include "shell/main_window.h"
#include "shell/widget_kit.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QEventLoop>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QUrlQuery>
#include <QUuid>
#include <QVBoxLayout>

int MainWindow::showLoginDialog()
{
    writeStartupLog(QStringLiteral("showLoginDialog: enter"));
    QDialog dialog(this);
    dialog.setModal(true);
    dialog.setWindowTitle(localizedText(QStringLiteral("Murvex Login"), QStringLiteral("Login Murvex")));
    dialog.resize(560, 280);

    auto *layout = new QVBoxLayout(&dialog);
    auto *header = new QLabel(QStringLiteral("Murvex"), &dialog);
    header->setObjectName(QStringLiteral("terminalTitle"));
    header->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    layout->addWidget(header);

    auto *form = new QFormLayout();
    auto *emailEdit = new QLineEdit(settings.authEmail, &dialog);
    emailEdit->setObjectName(QStringLiteral("loginEmailEdit"));
    emailEdit->setPlaceholderText(QStringLiteral("name@example.com"));
    auto *passwordEdit = new QLineEdit(&dialog);
    passwordEdit->setObjectName(QStringLiteral("loginPasswordEdit"));
    passwordEdit->setEchoMode(QLineEdit::Password);
    form->addRow(localizedText(QStringLiteral("Email"), QStringLiteral("E-mail")), emailEdit);
    form->addRow(localizedText(QStringLiteral("Password"), QStringLiteral("Senha")), passwordEdit);
    layout->addLayout(form);

    auto *status = new QLabel(&dialog);
    status->setObjectName(QStringLiteral("loginStatusLabel"));
    status->setTextFormat(Qt::PlainText); // service texts are never markup
    status->setWordWrap(true);
    layout->addWidget(status);

    auto *buttonRow = new QWidget(&dialog);
    auto *buttons = new QHBoxLayout(buttonRow);
    buttons->setContentsMargins(0, 0, 0, 0);
    auto *createButton = new QPushButton(
        localizedText(QStringLiteral("Create account"), QStringLiteral("Criar conta")), buttonRow);
    auto *googleButton = new QPushButton(
        localizedText(QStringLiteral("Sign in with Google"), QStringLiteral("Entrar com Google")), buttonRow);
    googleButton->setIcon(googleSignInIcon());
    googleButton->setIconSize(QSize(18, 18));
    auto *cancelButton =
        new QPushButton(localizedText(QStringLiteral("Cancel"), QStringLiteral("Cancelar")), buttonRow);
    auto *loginButton =
        new QPushButton(localizedText(QStringLiteral("Login"), QStringLiteral("Entrar")), buttonRow);
    loginButton->setDefault(true);
    // The widths are floors: a longer text (Portuguese, an icon, the theme's padding) widens its button.
    holdWidthForText(createButton, 112);
    holdWidthForText(googleButton, 156);
    holdWidthForText(cancelButton, 112);
    holdWidthForText(loginButton, 112);
    buttons->addWidget(createButton);
    buttons->addWidget(googleButton);
    buttons->addStretch(1);
    buttons->addWidget(cancelButton);
    buttons->addWidget(loginButton);
    layout->addWidget(buttonRow);
    writeStartupLog(QStringLiteral("showLoginDialog: widgets created"));

    // While a request or the browser sign-in waits, a second click would start a nested attempt; Cancel
    // stays usable and ends the browser wait.
    loginDialogButtons = {createButton, googleButton, loginButton};
    connect(createButton, &QPushButton::clicked, this, [this]() { onCreateAccountClicked(); });
    connect(cancelButton, &QPushButton::clicked, &dialog, &QDialog::reject);
    connect(loginButton, &QPushButton::clicked, this, [this, &dialog, emailEdit, passwordEdit, status]() {
        onLoginClicked(&dialog, emailEdit, passwordEdit, status);
    });
    connect(googleButton, &QPushButton::clicked, this,
            [this, &dialog, status]() { onGoogleLoginClicked(&dialog, status); });

    loginDialog = &dialog;
    writeStartupLog(QStringLiteral("showLoginDialog: before exec"));
    const int result = dialog.exec();
    writeStartupLog(QStringLiteral("showLoginDialog: after exec %1").arg(result));
    loginDialog = nullptr;
    loginDialogButtons.clear();
    return result;
}

void MainWindow::setLoginButtonsEnabled(bool enabled)
{
    for (const QPointer<QPushButton> &button : loginDialogButtons)
        if (button)
            button->setEnabled(enabled);
}

void MainWindow::runLoginAttempt(QDialog *dialog, QLabel *status, const QString &waitingText,
                                 const std::function<bool(QString *)> &attempt, const QString &successLine)
{
    if (accountBusy)
        return;
    QPointer<QDialog> alive(dialog);
    status->setText(waitingText);
    QCoreApplication::processEvents();
    setLoginButtonsEnabled(false);
    QString errorText;
    const bool ok = attempt(&errorText);
    setLoginButtonsEnabled(true);
    if (ok)
        saveLocalSettings();
    // Cancelled while it waited: the dialog is gone or going, and says nothing more.
    if (!alive || !alive->isVisible())
        return;
    if (!ok) {
        status->setText(errorText);
        return;
    }
    appendEventLog(successLine);
    dialog->accept();
}

void MainWindow::onLoginClicked(QDialog *dialog, QLineEdit *emailEdit, QLineEdit *passwordEdit,
                                QLabel *status)
{
    runLoginAttempt(
        dialog, status, localizedText(QStringLiteral("Logging in..."), QStringLiteral("Entrando...")),
        [this, emailEdit, passwordEdit](QString *errorText) {
            return submitLogin(emailEdit->text().trimmed(), passwordEdit->text(), errorText);
        },
        localizedText(QStringLiteral("Login successful"), QStringLiteral("Login realizado com sucesso")));
}

void MainWindow::onGoogleLoginClicked(QDialog *dialog, QLabel *status)
{
    runLoginAttempt(
        dialog, status,
        localizedText(QStringLiteral("Opening Google login in your browser..."),
                      QStringLiteral("Abrindo login Google no navegador...")),
        [this](QString *errorText) {
            const bool ok = startGoogleLogin(errorText);
            // Whatever the outcome, the window minimised for the browser comes back.
            showNormal();
            raise();
            activateWindow();
            return ok;
        },
        localizedText(QStringLiteral("Google login successful"),
                      QStringLiteral("Login Google realizado com sucesso")));
}

bool MainWindow::pauseForGooglePoll(int ms)
{
    // Waits in a local loop that ends early when the sign-in dialog closes or the window is closing.
    if (closeAfterAccountWait || (loginDialogWatched && (!loginDialog || !loginDialog->isVisible())))
        return false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (loginDialog)
        connect(loginDialog, &QDialog::finished, &loop, &QEventLoop::quit);
    accountWaitLoop = &loop;
    timer.start(ms);
    loop.exec(QEventLoop::AllEvents);
    accountWaitLoop = nullptr;
    if (closeAfterAccountWait)
        return false;
    return !loginDialogWatched || (loginDialog && loginDialog->isVisible());
}

bool MainWindow::startGoogleLogin(QString *errorText)
{
    AccountBusyScope busy(this);
    loginDialogWatched = !loginDialog.isNull();
    const QString device = QUuid::createUuid().toString(QUuid::WithoutBraces).remove(QLatin1Char('-'));
    QUrl start(authEndpointUrl(QStringLiteral("google_start.php")));
    QUrlQuery startQuery;
    startQuery.addQueryItem(QStringLiteral("device"), device);
    startQuery.addQueryItem(QStringLiteral("lang"), accountLanguageCode());
    start.setQuery(startQuery);
    if (openInBrowser(start))
        QTimer::singleShot(250, this, [this]() { onGoogleLoginMinimize(); });

    QUrl poll(authEndpointUrl(QStringLiteral("google_poll.php")));
    QUrlQuery pollQuery;
    pollQuery.addQueryItem(QStringLiteral("device"), device);
    poll.setQuery(pollQuery);
    const qint64 deadline = QDateTime::currentMSecsSinceEpoch() + googleLoginLimitMs;
    for (;;) {
        if (QDateTime::currentMSecsSinceEpoch() >= deadline) {
            if (errorText)
                *errorText = localizedText(
                    QStringLiteral("Google login expired or timed out. Try again."),
                    QStringLiteral("Login Google expirou ou passou do tempo. Tente novamente."));
            return false;
        }
        // Closed or cancelled: stop at once and say nothing.
        if (!pauseForGooglePoll(googlePollIntervalMs))
            return false;
        int status = 0;
        const QJsonObject reply = sendAccountRequest(poll.toString(QUrl::FullyEncoded), "GET", QJsonObject(),
                                                     QString(), &status, errorText);
        if (closeAfterAccountWait || (loginDialogWatched && (!loginDialog || !loginDialog->isVisible())))
            return false;
        if (status == 410)
            continue;
        if (reply.value(QLatin1String("status")).toString() == QLatin1String("complete"))
            return applyAuthReply(reply, errorText);
    }
}

void MainWindow::onGoogleLoginMinimize()
{
    showMinimized();
}

void MainWindow::onCreateAccountClicked()
{
    QUrl url = kLoginPageUrl.toUrl();
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("lang"), accountLanguageCode());
    query.addQueryItem(QStringLiteral("form"), QStringLiteral("register"));
    url.setQuery(query);
    openInBrowser(url);
}

QIcon MainWindow::googleSignInIcon() const
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRect(1, 1, 22, 22));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(16);
    painter.setFont(font);
    const QRect text(0, 1, 24, 22);
    const int left = Qt::AlignLeft | Qt::AlignVCenter;
    painter.setPen(QColor(QStringLiteral("#4285F4")));
    painter.drawText(text.adjusted(7, 0, 0, 0), left, QStringLiteral("G"));
    painter.setPen(QColor(QStringLiteral("#EA4335")));
    painter.drawText(text.adjusted(7, -1, 0, 0), left, QStringLiteral("G"));
    painter.setPen(QColor(QStringLiteral("#34A853")));
    painter.drawText(text.adjusted(7, 1, 0, 0), left, QStringLiteral("G"));
    painter.setPen(QColor(QStringLiteral("#4285F4")));
    painter.drawText(text, Qt::AlignCenter, QStringLiteral("G"));
    painter.end();
    return QIcon(pixmap);
}
