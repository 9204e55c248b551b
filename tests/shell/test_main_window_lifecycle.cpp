#include "app/startup_log.h"
#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/quote_request_log.h"
#include "tests/support/startup_log_lines.h"
#include "tests/support/test_main.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMessageBox>
#include <QNetworkReply>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>
#include <QWebSocketServer>

namespace {
QString settingsPath(const TempHome &home)
{
    return home.appConfigDir() + QStringLiteral("/local.json");
}

void writeSettings(const TempHome &home, const QJsonObject &object)
{
    home.writeFile(QStringLiteral(".config/Murvex/Terminal Murvex/local.json"),
                   QJsonDocument(object).toJson());
}

// Answers the next question box, if one opens within a second, with the button of the given text
// (an empty text presses Escape), and remembers what the box showed.
class QuestionAnswerer
{
public:
    explicit QuestionAnswerer(const QString &answer)
    {
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [this, answer]() {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) {
                if (++tries > 100)
                    poll.stop();
                return;
            }
            poll.stop();
            seen = true;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton *button : box->buttons())
                roles.insert(button->text(), box->buttonRole(button));
            if (answer.isEmpty()) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton *button : box->buttons()) {
                if (button->text() == answer)
                    button->click();
            }
        });
        poll.start();
    }

    QTimer poll;
    int tries = 0;
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMap<QString, QMessageBox::ButtonRole> roles;
};
} // namespace

class TestMainWindowLifecycle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Closing a test window must not end the test process's event handling.
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void startupLogHoldsEveryStageInOrder()
    {
        TempHome home;
        LoopbackServices services;
        {
            MainWindow window;
        }
        QCOMPARE(startupLogTexts(home), expectedStartupLogTexts());
    }

    void theConsoleGreetsAndCountsSavedAlerts_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("alerts");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("none") << "en" << 0 << QStringList{"Terminal initialized"};
        QTest::newRow("three") << "en" << 3 << QStringList{"Terminal initialized", "Loaded 3 saved alert(s)"};
        QTest::newRow("portuguese") << "pt_BR" << 1
                                    << QStringList{"Terminal inicializado",
                                                   "1 alerta(s) salvo(s) carregado(s)"};
    }

    void theConsoleGreetsAndCountsSavedAlerts()
    {
        QFETCH(QString, language);
        QFETCH(int, alerts);
        QFETCH(QStringList, lines);
        TempHome home;
        LoopbackServices services;
        QJsonArray stored;
        for (int i = 0; i < alerts; ++i)
            stored.append(QJsonObject{{"symbol", "AAPL"}, {"target", 100 + i}, {"above", true}});
        writeSettings(home, QJsonObject{{"language", language}, {"alerts", stored}});
        MainWindow window;
        QStringList texts;
        for (const QString &line : window.eventConsole->toPlainText().split('\n'))
            texts << line.mid(line.indexOf(QLatin1String("] ")) + 2);
        QCOMPARE(texts, lines);
        QVERIFY(window.eventConsole->toPlainText().startsWith(QLatin1Char('[')));
    }

    void theFirstRowIsFetchedDuringConstructionAndTheRestLater()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QuoteRequestLog asked(window, QuoteRequestLog::From::Construction);
        QCOMPARE(window.quoteTable->currentRow(), 0);
        QCOMPARE(window.selectedSymbol(), QStringLiteral("PETR4.SA"));
        QCOMPARE(asked.counts(), (QHash<QString, int>{{"PETR4.SA", 1}}));
        QVERIFY(!window.marketDataStarted);
        QVERIFY(!window.quotePollTimer.isActive());

        QTRY_VERIFY(window.marketDataStarted);
        const QHash<QString, int> afterStart{
            {"PETR4.SA", 2},
            {"VALE3.SA", 1},
            {"AAPL", 1},
            {"NVDA", 1},
            {"BRL=X", 3},
            // With the ticker stream down, the crypto rows are fetched over HTTP at the data start.
            {"BTCUSDT", 1},
            {"ETHUSDT", 1}};
        QCOMPARE(asked.counts(), afterStart);
        for (const QTimer *timer :
             {&window.quotePollTimer, &window.moversTimer, &window.newsTimer, &window.usdBrlTimer})
            QVERIFY(timer->isActive());

        window.startMarketData(); // once per run
        QCOMPARE(asked.counts(), afterStart);
    }

    void theNineTimers()
    {
        TempHome home;
        MainWindow window;
        const QList<std::tuple<const QTimer *, int, bool>> timers = {
            {&window.quotePollTimer, 15000, false}, {&window.moversTimer, 60000, false},
            {&window.newsTimer, 60000, false},      {&window.symbolSearchTimer, 350, true},
            {&window.settingsSaveTimer, 450, true}, {&window.usdBrlTimer, 60000, false},
            {&window.itickPingTimer, 30000, false}, {&window.itickDepthTimer, 7000, true},
        };
        for (const auto &[timer, interval, singleShot] : timers) {
            QCOMPARE(timer->interval(), interval);
            QCOMPARE(timer->isSingleShot(), singleShot);
            QVERIFY(!timer->isActive());
        }
        QVERIFY(window.itickRetryTimer.isSingleShot());
    }

    void closingWithoutASessionSavesWithoutAsking()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!QFile::exists(settingsPath(home)));
        window.settings.authToken = QStringLiteral("   "); // blank counts as no session
        QuestionAnswerer answerer(QStringLiteral("Cancel"));
        QVERIFY(window.close());
        QVERIFY(!answerer.seen);
        QVERIFY(QFile::exists(settingsPath(home)));
        QVERIFY(!window.isVisible());
    }

    void theCloseQuestionWithASession_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("answer"); // "" presses Escape
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("signedOut");
        QTest::newRow("cancel") << "en"
                                << "Cancel" << false << false << false;
        QTest::newRow("escape") << "en"
                                << "" << false << false << false;
        QTest::newRow("close app") << "en"
                                   << "Close app" << true << true << false;
        QTest::newRow("logout") << "en"
                                << "Logout" << false << true << true;
        QTest::newRow("cancelar") << "pt_BR"
                                  << "Cancelar" << false << false << false;
        QTest::newRow("fechar") << "pt_BR"
                                << "Fechar aplicativo" << true << true << false;
        QTest::newRow("sair") << "pt_BR"
                              << "Sair" << false << true << true;
    }

    void theCloseQuestionWithASession()
    {
        QFETCH(QString, language);
        QFETCH(QString, answer);
        QFETCH(bool, closed);
        QFETCH(bool, saved);
        QFETCH(bool, signedOut);
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.settings.language = language;
        window.settings.authToken = QStringLiteral("session-token");
        window.settings.authEmail = QStringLiteral("ana@example.com");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(window.marketDataStarted);
        QFile::remove(settingsPath(home));

        QuestionAnswerer answerer(answer);
        QCOMPARE(window.close(), closed);
        QVERIFY(answerer.seen);
        const bool portuguese = language == QLatin1String("pt_BR");
        QCOMPARE(answerer.title,
                 portuguese ? QStringLiteral("Terminal Murvex") : QStringLiteral("Murvex Terminal"));
        QCOMPARE(answerer.text, portuguese ? QString::fromUtf8("O que você quer fazer?")
                                           : QStringLiteral("What do you want to do?"));
        QCOMPARE(answerer.icon, QMessageBox::Question);
        const QMap<QString, QMessageBox::ButtonRole> roles =
            portuguese
                ? QMap<QString, QMessageBox::ButtonRole>{{"Sair", QMessageBox::ActionRole},
                                                         {"Fechar aplicativo", QMessageBox::AcceptRole},
                                                         {"Cancelar", QMessageBox::RejectRole}}
                : QMap<QString, QMessageBox::ButtonRole>{{"Logout", QMessageBox::ActionRole},
                                                         {"Close app", QMessageBox::AcceptRole},
                                                         {"Cancel", QMessageBox::RejectRole}};
        QCOMPARE(answerer.roles, roles);

        QCOMPARE(window.isVisible(), !closed);
        QCOMPARE(window.quitting, closed);
        QCOMPARE(QFile::exists(settingsPath(home)), saved);
        QCOMPARE(window.settings.authToken.isEmpty(), signedOut);
        if (signedOut) {
            const QJsonObject auth = QJsonDocument::fromJson(TempHome::readFile(settingsPath(home)))
                                         .object()
                                         .value("auth")
                                         .toObject();
            QCOMPARE(auth.value("token").toString(), QString());
            QCOMPARE(auth.value("email").toString(), QStringLiteral("ana@example.com"));
            QVERIFY(!window.marketDataStarted); // stopped; the data start comes back from the event loop
            QTRY_VERIFY(window.marketDataStarted);
        }
        if (closed) {
            // Once closing was chosen, a later close asks nothing.
            window.show();
            QuestionAnswerer again(QStringLiteral("Cancel"));
            QVERIFY(window.close());
            QVERIFY(!again.seen);
        }
    }

    // A second close request while the question is open (another click on the close button, the
    // session ending) asks nothing more and closes nothing; once answered, the question comes again.
    void aSecondCloseRequestWhileTheQuestionIsOpenIsIgnored()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.settings.authToken = QStringLiteral("session-token");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        qsizetype questions = 0;
        bool secondClosed = true;
        QTimer::singleShot(50, &window, [&]() {
            // Runs inside the first question's event loop; the inner timer answers whatever is open.
            QTimer::singleShot(300, &window, [&]() {
                const QList<QMessageBox *> boxes = window.findChildren<QMessageBox *>();
                questions = boxes.size();
                for (QMessageBox *box : boxes)
                    box->reject();
            });
            // As the platform or a session ending delivers it: straight to the window, past the guard
            // that QWidget::close() keeps for its own re-entrant calls.
            QCloseEvent request;
            QApplication::sendEvent(&window, &request);
            secondClosed = request.isAccepted();
        });
        QVERIFY(!window.close());
        QVERIFY(!secondClosed);
        QCOMPARE(questions, qsizetype(1));
        QVERIFY(window.isVisible());
        QVERIFY(!window.closeQuestionOpen);

        QuestionAnswerer answerer(QStringLiteral("Cancel"));
        QVERIFY(!window.close());
        QVERIFY(answerer.seen);
    }

    void signingOutStopsTheDataAndStartsItAgain()
    {
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        QTRY_VERIFY(window.marketDataStarted);
        window.settings.authToken = QStringLiteral("tok");
        window.settings.authTokenExpiration = QStringLiteral("2030");
        window.settings.authFirstName = QStringLiteral("Ana");
        window.itickRetryTimer.start(60000);
        window.bookPending = true;
        window.tradeStreamActive = true;
        QuoteRequestLog asked(window);

        window.logout();
        QCOMPARE(window.settings.authToken, QString());
        QCOMPARE(window.settings.authTokenExpiration, QString());
        QCOMPARE(window.settings.authFirstName, QStringLiteral("Ana"));
        for (const QTimer *timer : {&window.quotePollTimer, &window.moversTimer, &window.newsTimer,
                                    &window.usdBrlTimer, &window.itickPingTimer, &window.itickDepthTimer})
            QVERIFY(!timer->isActive());
        QVERIFY(window.itickRetryTimer.isActive()); // left to its own guard
        QVERIFY(!window.marketDataStarted);
        QVERIFY(!window.bookPending);
        QVERIFY(!window.tradeStreamActive);
        QVERIFY(window.eventConsole->toPlainText().endsWith(QLatin1String("] Logged out")));
        QVERIFY(asked.counts().isEmpty());

        QTRY_VERIFY(window.marketDataStarted);
        QVERIFY(window.quotePollTimer.isActive());
        QCOMPARE(asked.count(QStringLiteral("BRL=X")), 3);
    }

    void destroyingTheWindowWithOpenStreamsAndRequestsIsClean()
    {
        TempHome home;
        LoopbackServices services;
        services.server().setReply(QStringLiteral("/hang"), FakeReply::hanging());
        QWebSocketServer streams(QStringLiteral("streams"), QWebSocketServer::NonSecureMode);
        QVERIFY(streams.listen(QHostAddress::LocalHost));
        QList<QPointer<QWebSocket>> accepted;
        connect(&streams, &QWebSocketServer::newConnection, &streams,
                [&]() { accepted << streams.nextPendingConnection(); });

        auto *window = new MainWindow;
        const QUrl url(QStringLiteral("ws://127.0.0.1:%1").arg(streams.serverPort()));
        for (QWebSocket *socket :
             {&window->tickerSocket, &window->depthSocket, &window->itickSocket, &window->tradeSocket})
            socket->open(url);
        QTRY_COMPARE(accepted.size(), 4);
        QTRY_VERIFY(window->tickerSocket.state() == QAbstractSocket::ConnectedState);

        // Late reports that would touch the window's members once they are gone. Only what arrives once
        // the deletion has begun counts: the window's own stream start may reopen a socket before it.
        bool armed = false;
        bool reached = false;
        QNetworkReply *pending = window->networkManager.get(
            QNetworkRequest(QUrl(services.server().baseUrl() + QStringLiteral("/hang"))));
        connect(pending, &QNetworkReply::finished, window, [&armed, &reached, window]() {
            reached = armed;
            window->settings.syncLastStatus = QStringLiteral("late");
        });
        for (QWebSocket *socket :
             {&window->tickerSocket, &window->depthSocket, &window->itickSocket, &window->tradeSocket})
            connect(socket, &QWebSocket::disconnected, window, [&armed, &reached, window]() {
                reached = armed;
                window->bookSymbol = QStringLiteral("late");
            });
        window->settingsSaveTimer.start(0);
        QTRY_VERIFY(services.server().requestsFor(QStringLiteral("/hang")).size() == 1);

        armed = true;
        delete window;
        QVERIFY(!reached);
        // The far ends see the connections go.
        for (const QPointer<QWebSocket> &socket : accepted)
            QTRY_VERIFY(!socket || socket->state() != QAbstractSocket::ConnectedState);
        QTest::qWait(50);
        QVERIFY(!reached);
        for (const QPointer<QWebSocket> &socket : accepted)
            delete socket.data();
    }
};

MVX_TEST_MAIN(TestMainWindowLifecycle)
#include "test_main_window_lifecycle.moc"
