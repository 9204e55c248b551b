#include "tests/account/account_window_fixture.h"
#include "tests/support/test_main.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Q_DECLARE_METATYPE(FakeReply)

namespace {
QPushButton *buttonNamed(QDialog *dialog, const QString &text)
{
    for (QPushButton *button : dialog->findChildren<QPushButton *>())
        if (button->text() == text)
            return button;
    return nullptr;
}

FakeReply failure(const char *code, int status)
{
    return FakeReply::json(QByteArray(R"({"ok":false,"error":")") + code + "\"}", status);
}
} // namespace

class TestMainWindowAccount : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theDialogSignsInWithTheTrimmedEmailAndTheTypedPassword()
    {
        AccountWindow f;
        f.window.settings.authEmail = "old@example.com";
        QString shownEmail, status;
        NextWidget<QDialog> dialog([&](QDialog *d) {
            auto *email = d->findChild<QLineEdit *>("loginEmailEdit");
            shownEmail = email->text();
            QCOMPARE(d->findChild<QLineEdit *>("loginPasswordEdit")->echoMode(), QLineEdit::Password);
            QCOMPARE(d->windowTitle(), QStringLiteral("Murvex Login"));
            email->setText(QStringLiteral("  ann@example.com "));
            d->findChild<QLineEdit *>("loginPasswordEdit")->setText(AccountWindow::kPassword);
            buttonNamed(d, "Login")->click();
        });
        QCOMPARE(f.window.showLoginDialog(), 1);
        QVERIFY(dialog.seen);
        QCOMPARE(shownEmail, QStringLiteral("old@example.com"));
        const QJsonObject sent =
            QJsonDocument::fromJson(f.service.requestsTo("login.php").last().body).object();
        QCOMPARE(sent.value("email").toString(), QStringLiteral("ann@example.com"));
        QCOMPARE(sent.value("password").toString(), QString(AccountWindow::kPassword));
        QCOMPARE(sent.value("lang").toString(), QStringLiteral("en"));
        QVERIFY(f.service.tokenValid(f.window.settings.authToken));
        QCOMPARE(f.window.settings.authFirstName, QStringLiteral("Ann"));
        QCOMPARE(f.savedSettings().value("auth").toObject().value("token").toString(),
                 f.window.settings.authToken);
        QVERIFY(f.console().contains("Login successful"));
    }

    void theDialogsButtonsShowTheirTexts_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts"); // Create account, Google, Cancel, Login
        const QStringList english = {"Create account", "Sign in with Google", "Cancel", "Login"};
        const QStringList portuguese = {"Criar conta", "Entrar com Google", "Cancelar", "Entrar"};
        for (const char *theme : {"coffee_dark", "mvx_light"}) {
            QTest::addRow("%s en", theme) << theme << "en" << english;
            QTest::addRow("%s pt_BR", theme) << theme << "pt_BR" << portuguese;
        }
    }

    // "Sign in with Google" is no longer cut to "Sign in with Goog": no button of the row is narrower
    // than its text, its icon and the theme's padding, and the set widths stay as floors.
    void theDialogsButtonsShowTheirTexts()
    {
        QFETCH(QString, theme);
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        AccountWindow f;
        f.window.setTheme(theme);
        f.window.setLanguage(language);
        const QList<int> floors = {112, 156, 112, 112};
        QStringList narrow;
        NextWidget<QDialog> dialog([&](QDialog *d) {
            QTest::qWait(0); // laid out as shown
            for (int i = 0; i < texts.size(); ++i) {
                QPushButton *button = buttonNamed(d, texts.at(i));
                if (!button) {
                    narrow << texts.at(i) + QStringLiteral(": missing");
                    continue;
                }
                const int iconWidth = button->icon().isNull() ? 0 : button->iconSize().width();
                const int content = button->fontMetrics().horizontalAdvance(button->text()) + iconWidth;
                if (button->width() < button->sizeHint().width() || button->sizeHint().width() < content ||
                    button->width() < floors.at(i))
                    narrow << QStringLiteral("%1: %2 wide, hint %3, text and icon %4")
                                  .arg(button->text())
                                  .arg(button->width())
                                  .arg(button->sizeHint().width())
                                  .arg(content);
            }
            buttonNamed(d, texts.at(2))->click();
        });
        QCOMPARE(f.window.showLoginDialog(), 0);
        QVERIFY(dialog.seen);
        QVERIFY2(narrow.isEmpty(), qPrintable(narrow.join("; ")));
    }

    void aFailedSignInKeepsTheDialogOpenWithItsMessage()
    {
        AccountWindow f;
        f.window.settings.language = "pt_BR";
        QString status;
        NextWidget<QDialog> dialog([&](QDialog *d) {
            d->findChild<QLineEdit *>("loginEmailEdit")->setText(AccountWindow::kEmail);
            d->findChild<QLineEdit *>("loginPasswordEdit")->setText("wrong");
            buttonNamed(d, "Entrar")->click();
            status = d->findChild<QLabel *>("loginStatusLabel")->text();
            QVERIFY(d->isVisible());
            buttonNamed(d, "Cancelar")->click();
        });
        QCOMPARE(f.window.showLoginDialog(), 0);
        QCOMPARE(status, QString::fromUtf8("E-mail ou senha inválidos."));
        QCOMPARE(
            QJsonDocument::fromJson(f.service.requestsTo("login.php").last().body).object().value("lang"),
            QJsonValue("pt"));
        QVERIFY(f.window.settings.authToken.isEmpty());
    }

    void everySignInFailureHasItsMessage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<FakeReply>("reply");
        QTest::addColumn<QString>("message");
        const struct
        {
            const char *code;
            const char *english;
            const char *portuguese;
        } codes[] = {
            {"invalid_credentials", "Invalid email or password.", "E-mail ou senha inválidos."},
            {"invalid_or_expired_token", "Session expired. Please log in again.",
             "Sessão expirada. Entre novamente."},
            {"missing_credentials", "Fill email and password.", "Preencha e-mail e senha."},
            {"rate_limited", "Too many attempts. Wait a few minutes and try again.",
             "Muitas tentativas. Aguarde alguns minutos e tente novamente."},
            {"refresh_failed", "Session refresh failed. Try again later.",
             "Falha ao renovar sessão. Tente novamente mais tarde."},
            {"something_else", "Login failed. Please try again.", "Falha no login. Tente novamente."},
        };
        for (const auto &code : codes) {
            QTest::addRow("%s en", code.code)
                << "en" << failure(code.code, 400) << QString::fromUtf8(code.english);
            QTest::addRow("%s pt", code.code)
                << "pt_BR" << failure(code.code, 200) << QString::fromUtf8(code.portuguese);
        }
        QTest::newRow("html 500") << "en" << FakeReply::text("<html>down</html>", 500)
                                  << "Login failed. Please try again.";
        QTest::newRow("ok without token")
            << "en" << FakeReply::json(R"({"ok":true})") << "Login failed. Please try again.";
    }

    void everySignInFailureHasItsMessage()
    {
        QFETCH(QString, language);
        QFETCH(FakeReply, reply);
        QFETCH(QString, message);
        AccountWindow f;
        f.window.settings.language = language;
        f.service.scriptNext("login.php", reply);
        QString error;
        QVERIFY(!f.window.submitLogin(AccountWindow::kEmail, AccountWindow::kPassword, &error));
        QCOMPARE(error, message);
    }

    void theBrowserSignInPollsUntilTheDeviceIsComplete()
    {
        AccountWindow f;
        bool timerRan = false;
        QTimer::singleShot(5, [&timerRan]() { timerRan = true; });
        int polls = 0;
        // The device completes on the third poll; the first two get 410 even with a "complete" body.
        FakeAccountService &service = f.service;
        f.window.accountWait = [&](QNetworkReply *reply, int limitMs) {
            if (++polls == 3 && !service.devices().isEmpty())
                service.completeDevice(service.devices().first(), AccountWindow::kEmail);
            return waitForReplyInLocalLoop(reply, limitMs);
        };
        f.service.scriptNext("google_poll.php",
                             FakeReply::json(R"({"ok":true,"status":"complete","token":"X"})", 410));
        QString error;
        QVERIFY(f.window.startGoogleLogin(&error));
        QVERIFY(timerRan);
        QCOMPARE(f.opened.size(), 1);
        const QUrl start = f.opened.first();
        QCOMPARE(start.path(), QStringLiteral("/TERMINAL/auth/google_start.php"));
        const QString device = QUrlQuery(start).queryItemValue("device");
        QVERIFY(QRegularExpression("^[0-9a-f]{32}$").match(device).hasMatch());
        QCOMPARE(QUrlQuery(start).queryItems().last().first, QStringLiteral("lang"));
        QCOMPARE(f.service.requestsTo("google_poll.php").size(), 3);
        QCOMPARE(f.service.requestsTo("google_poll.php").first().query, "device=" + device);
        QVERIFY(f.service.tokenValid(f.window.settings.authToken));
        QVERIFY(f.window.settings.authToken != "X");
    }

    void aCompleteReplyThatIsNotOkEndsTheBrowserSignIn()
    {
        AccountWindow f;
        f.service.scriptNext("google_poll.php",
                             FakeReply::json(R"({"ok":false,"status":"complete","error":"rate_limited"})"));
        QString error;
        QVERIFY(!f.window.startGoogleLogin(&error));
        QCOMPARE(error, QStringLiteral("Too many attempts. Wait a few minutes and try again."));
        f.window.googleLoginLimitMs = 0;
        QVERIFY(!f.window.startGoogleLogin(&error));
        QCOMPARE(error, QStringLiteral("Google login expired or timed out. Try again."));
    }

    void cancellingTheDialogEndsTheBrowserWait()
    {
        AccountWindow f;
        f.window.googlePollIntervalMs = 200;
        QString status;
        bool disabledDuringWait = false;
        NextWidget<QDialog> dialog([&](QDialog *d) {
            QTimer::singleShot(300, d, [&, d]() {
                disabledDuringWait = !buttonNamed(d, "Login")->isEnabled();
                status = d->findChild<QLabel *>("loginStatusLabel")->text();
                buttonNamed(d, "Cancel")->click();
            });
            buttonNamed(d, "Sign in with Google")->click();
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(f.window.showLoginDialog(), 0);
        QVERIFY(clock.elapsed() < 300 + 200 + 1000);
        QVERIFY(disabledDuringWait);
        QCOMPARE(status, QStringLiteral("Opening Google login in your browser..."));
        const int polls = f.service.requestsTo("google_poll.php").size();
        QVERIFY(polls <= 2);
        QTest::qWait(450);
        QCOMPARE(f.service.requestsTo("google_poll.php").size(), polls);
        QVERIFY(f.window.settings.authToken.isEmpty());
        QVERIFY(!f.window.accountBusy);
    }

    void onlyARejectedSessionIsCleared_data()
    {
        QTest::addColumn<FakeReply>("reply");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("line");
        QTest::newRow("401") << failure("invalid_or_expired_token", 401) << false << false
                             << "Saved session rejected by server: HTTP 401 invalid_or_expired_token";
        QTest::newRow("200 expired") << failure("invalid_or_expired_token", 200) << false << false
                                     << "Saved session rejected by server: HTTP 200 invalid_or_expired_token";
        QTest::newRow("503 page")
            << FakeReply::text("<html>maintenance</html>", 503) << false << true
            << "Saved session could not be checked: HTTP 503 Login failed. Please try again.";
        QTest::newRow("200 not JSON")
            << FakeReply::text("oops") << false << true
            << "Saved session could not be checked: HTTP 200 Login failed. Please try again.";
        QTest::newRow("time-out")
            << FakeReply::hanging() << false << true
            << "Saved session could not be checked: HTTP 0 Login failed. Please try again.";
        QTest::newRow("refused")
            << FakeReply() << true << true
            << "Saved session could not be checked: HTTP 0 Login failed. Please try again.";
    }

    void onlyARejectedSessionIsCleared()
    {
        QFETCH(FakeReply, reply);
        QFETCH(bool, refuse);
        QFETCH(bool, kept);
        QFETCH(QString, line);
        AccountWindow f;
        f.signIn();
        const QString token = f.window.settings.authToken;
        // Only the hanging reply needs a short wait; a short one for the others would let a slow
        // machine's answer come too late and turn a rejection into a failed check.
        if (reply.hang)
            f.window.accountRequestLimitMs = 100;
        if (refuse)
            f.service.server().setRefuseConnections(true);
        else
            f.service.scriptNext("me.php", reply);
        QVERIFY(!f.window.validateStoredSession());
        QCOMPARE(f.window.settings.authToken, kept ? token : QString());
        QVERIFY(f.console().contains(line));
        QCOMPARE(f.window.settings.authEmail, QString(AccountWindow::kEmail));
    }

    void aGoodSessionIsRefreshedAndAFailedRefreshKeepsIt()
    {
        AccountWindow f;
        f.signIn();
        const QString first = f.window.settings.authToken;
        QVERIFY(f.window.validateStoredSession());
        QVERIFY(f.window.settings.authToken != first);
        QVERIFY(f.service.tokenValid(f.window.settings.authToken));
        QVERIFY(f.console().contains(QStringLiteral("Session refreshed")));
        QCOMPARE(f.savedSettings().value("auth").toObject().value("token").toString(),
                 f.window.settings.authToken);

        const QString second = f.window.settings.authToken;
        f.service.scriptNext("refresh.php",
                             FakeReply::json(R"({"ok":false,"error":"refresh_failed","token":"N"})", 500));
        f.window.refreshSession();
        QCOMPARE(f.window.settings.authToken, second);
        QCOMPARE(f.window.settings.authEmail, QString(AccountWindow::kEmail));
        QCOMPARE(f.window.settings.authFirstName, QStringLiteral("Ann"));
        QVERIFY(f.console().contains(QStringLiteral("Session refresh skipped: HTTP 500 refresh_failed")));
    }

    void noTokenSendsNothing()
    {
        AccountWindow f;
        f.window.settings.authEmail = AccountWindow::kEmail;
        QVERIFY(!f.window.validateStoredSession());
        QVERIFY(f.console().contains(QStringLiteral("No saved session token found; login is required.")));
        f.window.settings.authEmail.clear();
        f.window.eventConsole->clear();
        QVERIFY(!f.window.validateStoredSession());
        QVERIFY(!f.console().join('\n').contains("No saved session"));
        f.window.refreshSession();
        f.window.logoutRemote();
        QVERIFY(f.service.server().requests().isEmpty());
    }

    void signingOutTellsTheServiceStopsAndStartsAgain_data()
    {
        QTest::addColumn<bool>("withToken");
        QTest::newRow("signed in") << true;
        QTest::newRow("no token") << false;
    }

    void signingOutTellsTheServiceStopsAndStartsAgain()
    {
        QFETCH(bool, withToken);
        AccountWindow f;
        if (withToken)
            f.signIn();
        const QString token = f.window.settings.authToken;
        f.window.startMarketData();
        QVERIFY(f.window.marketDataStarted);
        bool streamsStoppedBeforeLine = false;
        QObject::connect(f.window.eventConsole, &QPlainTextEdit::textChanged, [&]() {
            if (f.window.eventConsole->toPlainText().contains("Logged out"))
                streamsStoppedBeforeLine = !f.window.marketDataStarted && !f.window.quotePollTimer.isActive();
        });
        f.window.logout();
        QVERIFY(streamsStoppedBeforeLine);
        QCOMPARE(f.service.requestsTo("logout.php").size(), withToken ? 1 : 0);
        if (withToken)
            QVERIFY(!f.service.tokenValid(token));
        QVERIFY(f.window.settings.authToken.isEmpty());
        QCOMPARE(f.savedSettings().value("auth").toObject().value("token").toString(), QString());
        QVERIFY(f.console().contains(QStringLiteral("Logged out")));
        QTRY_VERIFY(f.window.marketDataStarted);
    }
};

MVX_TEST_MAIN(TestMainWindowAccount)
#include "test_main_window_account.moc"
