#include "tests/account/account_window_fixture.h"
#include "tests/support/test_main.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

Q_DECLARE_METATYPE(FakeReply)

namespace {
const QString kEmail = AccountWindow::kEmail;

QJsonObject alertsPayloadWith(const QString &symbol, double target)
{
    return QJsonObject{{"alerts", QJsonArray{QJsonObject{{"symbol", symbol}, {"target", target}}}},
                       {"history", QJsonArray()}};
}

QJsonObject pushBody(const FakeAccountService &service)
{
    return QJsonDocument::fromJson(service.requestsTo("push.php").last().body).object();
}
} // namespace

class TestMainWindowSync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theFirstSyncUploadsEverythingAtVersionZero()
    {
        AccountWindow f;
        f.signIn();
        f.window.alerts.append(PriceAlert{"AAPL", 150.0, true, false, false, 0});
        ModalScript boxes;
        f.window.pullAccountSync();
        const QJsonObject body = pushBody(f.service);
        QCOMPARE(body.value("items").toObject().keys(),
                 (QStringList{"alerts", "portfolios", "settings", "watchlists", "workspace"}));
        QCOMPARE(
            body.value("expected_versions").toObject(),
            (QJsonObject{
                {"alerts", 0}, {"portfolios", 0}, {"settings", 0}, {"watchlists", 0}, {"workspace", 0}}));
        QCOMPARE(body.value("items").toObject().value("alerts").toObject(), f.window.alertsJson());
        const QJsonObject settings = body.value("items").toObject().value("settings").toObject();
        QCOMPARE(settings.keys(), (QStringList{"chart_mode", "chart_timeframe", "hidden_columns", "language",
                                               "shortcuts", "theme"}));
        QVERIFY(!QJsonDocument(body).toJson().contains("api_key"));
        QCOMPARE(boxes.texts(), QStringList{"Initial local state was uploaded to your Murvex account."});
        QVERIFY(f.console().contains(QStringLiteral("Initial account sync uploaded")));
        QCOMPARE(f.window.settings.syncVersions.value("alerts"), 1);
        QCOMPARE(f.window.settings.syncLastStatus, QStringLiteral("uploaded"));
        QCOMPARE(f.savedSettings().value("sync_versions").toObject().value("workspace").toInt(), 1);
    }

    void newerRemoteDataAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<int>("remoteVersion");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("yes downloads") << int(QMessageBox::Yes) << "NVDA" << 3 << "downloaded"
                                       << QStringList{"Remote account state was applied locally."};
        QTest::newRow("no uploads over it") << int(QMessageBox::No) << "AAPL" << 4 << "uploaded"
                                            << QStringList{"Local state was synced to your Murvex account."};
        QTest::newRow("cancel changes nothing")
            << int(QMessageBox::Cancel) << "AAPL" << 3 << "" << QStringList();
        QTest::newRow("escape is cancel") << int(QMessageBox::NoButton) << "AAPL" << 3 << "" << QStringList();
    }

    void newerRemoteDataAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(QString, symbol);
        QFETCH(int, remoteVersion);
        QFETCH(QString, status);
        QFETCH(QStringList, boxes);
        AccountWindow f;
        f.signIn();
        f.window.alerts.append(PriceAlert{"AAPL", 150.0, true, false, false, 0});
        f.service.store(kEmail, "alerts", alertsPayloadWith("NVDA", 5.0), 3);
        ModalScript script({QMessageBox::StandardButton(answer)});
        f.window.pullAccountSync();
        QCOMPARE(script.seen.first(),
                 QStringLiteral(
                     "Murvex Terminal|Remote account data is newer for: alerts.\n\nDownload it and replace "
                     "local state? Choose No to keep local state and upload it."));
        QCOMPARE(script.texts().mid(1), boxes);
        QCOMPARE(f.window.alerts.size(), 1);
        QCOMPARE(f.window.alerts.first().symbol, symbol);
        QCOMPARE(f.service.versions(kEmail).value("alerts"), remoteVersion);
        QCOMPARE(f.window.settings.syncLastStatus, status);
        QCOMPARE(f.window.settings.syncVersions.value("alerts"), status.isEmpty() ? 0 : remoteVersion);
        if (answer == QMessageBox::No) {
            // The upload expected what the pull reported, which the service's check accepts.
            QCOMPARE(pushBody(f.service).value("expected_versions").toObject(), (QJsonObject{{"alerts", 3}}));
            QCOMPARE(f.service.payload(kEmail, "alerts"), f.window.alertsJson());
        }
        if (answer == QMessageBox::Yes)
            QCOMPARE(f.service.requestsTo("push.php").size(), 0);
    }

    void aWriteInBetweenIsAVersionConflict()
    {
        AccountWindow f;
        f.signIn();
        f.service.store(kEmail, "alerts", alertsPayloadWith("NVDA", 5.0), 3);
        f.window.settings.syncVersions.insert("alerts", 3);
        // Someone else writes between this pull and the upload.
        f.service.scriptNext("push.php", FakeReply::json(R"({"ok":false,"error":"version_conflict"})", 409));
        ModalScript boxes;
        f.window.pullAccountSync();
        QCOMPARE(boxes.texts(),
                 QStringList{"Remote account data changed before upload. Run Sync Now again and "
                             "choose whether to download or overwrite."});
        QVERIFY(
            f.console().contains(QStringLiteral("Account sync upload failed: HTTP 409 version_conflict")));
        QCOMPARE(f.window.settings.syncVersions.value("alerts"), 3);
        QCOMPARE(f.window.settings.syncLastStatus, QStringLiteral("failed"));
    }

    void aFailedPullSaysWhy_data()
    {
        QTest::addColumn<FakeReply>("reply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("line");
        QTest::newRow("missing token") << FakeReply::json(R"({"ok":false,"error":"missing_token"})", 401)
                                       << "Session token is missing. Log in again."
                                       << "Account sync failed: HTTP 401 missing_token";
        QTest::newRow("not ready") << FakeReply::json(R"({"ok":false,"error":"database_unavailable"})", 503)
                                   << "Account sync endpoint is not ready. Upload/test the site sync files."
                                   << "Account sync failed: HTTP 503 database_unavailable";
        QTest::newRow("expired") << FakeReply::json(R"({"ok":false,"error":"invalid_or_expired_token"})", 401)
                                 << "Session expired. Please log in again."
                                 << "Account sync failed: HTTP 401 invalid_or_expired_token";
        const QByteArray page = "<html><body>" + QByteArray(200, 'e') + "</body></html>";
        QTest::newRow("html page") << FakeReply::text(page, 502) << QString::fromUtf8(page.left(160))
                                   << "Account sync failed: HTTP 502 " + QString::fromUtf8(page.left(80));
        QTest::newRow("200 not JSON") << FakeReply::text("hello") << "Account sync failed."
                                      << "Account sync failed: HTTP 200 Account sync failed.";
        QTest::newRow("markup code") << FakeReply::json(R"({"ok":false,"error":"<b>x</b>"})", 400)
                                     << R"({"ok":false,"error":"<b>x</b>"})"
                                     << "Account sync failed: HTTP 400 <b>x</b>";
    }

    void aFailedPullSaysWhy()
    {
        QFETCH(FakeReply, reply);
        QFETCH(QString, message);
        QFETCH(QString, line);
        AccountWindow f;
        f.signIn();
        const QString token = f.window.settings.authToken;
        f.service.scriptNext("pull.php", reply);
        ModalScript boxes;
        f.window.pullAccountSync();
        QCOMPARE(boxes.texts(), QStringList{message});
        QVERIFY(f.console().contains(line));
        QCOMPARE(f.window.settings.syncLastStatus, QStringLiteral("failed"));
        QCOMPARE(f.savedSettings().value("sync_last_status").toString(), QStringLiteral("failed"));
        QCOMPARE(f.window.settings.authToken, token);
        QVERIFY(f.service.requestsTo("push.php").isEmpty());
    }

    void syncingSignedOutAsksForASignIn()
    {
        AccountWindow f;
        ModalScript boxes;
        NextWidget<QDialog> dialog([](QDialog *d) {
            // The warning box comes first, then the sign-in dialog.
            if (!qobject_cast<QMessageBox *>(d))
                d->reject();
        });
        f.window.pullAccountSync();
        QCOMPARE(boxes.texts().first(), QStringLiteral("Log in before syncing account data."));
        QVERIFY(f.service.server().requests().isEmpty());
    }

    void unusablePulledItemsLeaveLocalStateAlone()
    {
        AccountWindow f;
        f.signIn();
        f.window.alerts.append(PriceAlert{"AAPL", 150.0, true, false, false, 0});
        const QStringList symbolsBefore = [&]() {
            QStringList out;
            for (int row = 0; row < f.window.quoteTable->rowCount(); ++row)
                out << f.window.quoteTable->item(row, 0)->text();
            return out;
        }();
        f.service.store(kEmail, "alerts", QJsonObject{{"alerts", "not an array"}}, 2);
        f.service.store(kEmail, "watchlists", QJsonObject{{"name", "Default"}}, 2);
        f.service.store(kEmail, "settings", QJsonObject(), 2);
        ModalScript boxes({QMessageBox::Yes});
        f.window.pullAccountSync();
        QCOMPARE(f.window.alerts.size(), 1);
        QCOMPARE(f.window.alerts.first().symbol, QStringLiteral("AAPL"));
        QStringList symbolsAfter;
        for (int row = 0; row < f.window.quoteTable->rowCount(); ++row)
            symbolsAfter << f.window.quoteTable->item(row, 0)->text();
        QCOMPARE(symbolsAfter, symbolsBefore);
        QVERIFY(f.console().contains("Account sync skipped \"alerts\": its data is not usable"));
        QVERIFY(f.console().contains("Account sync skipped \"watchlists\": its data is not usable"));
        QCOMPARE(f.window.settings.syncVersions.value("alerts"), 0);
        QCOMPARE(f.window.settings.syncVersions.value("watchlists"), 0);
        QCOMPARE(f.window.settings.syncVersions.value("settings"), 2);
    }

    // A namespace this build does not know (another build's "drawings") is asked about once: after the
    // answer its version is recorded, so the next sync asks nothing, and the message says "applied" only
    // when a namespace was.
    void anUnknownNamespaceIsAskedAboutOnce_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("alertsToo");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("again");
        const QString synced = "Local state was synced to your Murvex account.";
        const QString syncedPt = "O estado local foi sincronizado com sua conta Murvex.";
        QTest::newRow("yes, unknown only")
            << "en" << false << int(QMessageBox::Yes) << "Remote account data is newer for: drawings."
            << "Nothing usable was pulled from your Murvex account; local state was kept." << synced;
        QTest::newRow("yes, unknown only, Portuguese")
            << "pt_BR" << false << int(QMessageBox::Yes)
            << QString::fromUtf8("Os dados remotos da conta são mais novos em: drawings.")
            << QString::fromUtf8(
                   "Nada utilizável foi baixado da sua conta Murvex; o estado local foi mantido.")
            << syncedPt;
        QTest::newRow("yes, a known namespace too")
            << "en" << true << int(QMessageBox::Yes) << "Remote account data is newer for: alerts, drawings."
            << "Remote account state was applied locally." << synced;
        QTest::newRow("yes, a known namespace too, Portuguese")
            << "pt_BR" << true << int(QMessageBox::Yes)
            << QString::fromUtf8("Os dados remotos da conta são mais novos em: alerts, drawings.")
            << "O estado remoto da conta foi aplicado localmente." << syncedPt;
        QTest::newRow("no keeps the local state")
            << "en" << true << int(QMessageBox::No) << "Remote account data is newer for: alerts, drawings."
            << synced << synced;
    }

    void anUnknownNamespaceIsAskedAboutOnce()
    {
        QFETCH(QString, language);
        QFETCH(bool, alertsToo);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QString, message);
        QFETCH(QString, again);
        AccountWindow f;
        f.signIn();
        f.window.settings.language = language;
        f.window.alerts.append(PriceAlert{"AAPL", 150.0, true, false, false, 0});
        const QJsonObject drawings{{"BTCUSDT|1h", QJsonArray{QJsonObject{{"price1", 105}}}}};
        f.service.store(kEmail, "drawings", drawings, 5);
        if (alertsToo)
            f.service.store(kEmail, "alerts", alertsPayloadWith("NVDA", 5.0), 3);
        {
            ModalScript first({QMessageBox::StandardButton(answer)});
            f.window.pullAccountSync();
            QCOMPARE(first.texts().size(), 2);
            QCOMPARE(first.texts().first().section('\n', 0, 0), question);
            QCOMPARE(first.texts().last(), message);
        }
        QCOMPARE(f.window.settings.syncVersions.value("drawings"), 5);
        QCOMPARE(f.savedSettings().value("sync_versions").toObject().value("drawings").toInt(), 5);
        QCOMPARE(f.window.alerts.first().symbol,
                 QString(alertsToo && answer == QMessageBox::Yes ? "NVDA" : "AAPL"));

        ModalScript second;
        f.window.pullAccountSync();
        QCOMPARE(second.texts(), QStringList{again});
        // It is never uploaded, so the service keeps what another build wrote.
        QVERIFY(!pushBody(f.service).value("items").toObject().contains("drawings"));
        QCOMPARE(f.service.payload(kEmail, "drawings"), drawings);
        QCOMPARE(f.service.versions(kEmail).value("drawings"), 5);
    }

    void twoMachinesShareTheirStateThroughTheService()
    {
        FakeAccountService service;
        service.addAccount(kEmail, "pw", "Ann");
        const QString token = service.issueToken(kEmail);
        {
            TempHome first;
            MainWindow window;
            window.settings.authToken = token;
            window.alerts.append(PriceAlert{"PETR4.SA", 31.2, false, false, true, 0});
            window.appendAlertHistory(window.alerts.first(), "Armed", 30.0, "Active");
            ModalScript boxes;
            window.pullAccountSync();
            QCOMPARE(boxes.texts(), QStringList{"Initial local state was uploaded to your Murvex account."});
        }
        {
            TempHome second;
            MainWindow window;
            window.settings.authToken = token;
            ModalScript boxes({QMessageBox::Yes});
            window.pullAccountSync();
            QCOMPARE(window.alerts.size(), 1);
            QCOMPARE(window.alerts.first().symbol, QStringLiteral("PETR4.SA"));
            QVERIFY(window.alerts.first().repeating);
            QCOMPARE(window.alertHistoryTable->rowCount(), 1);
            QCOMPARE(window.settings.syncLastStatus, QStringLiteral("downloaded"));
            // Downloaded and saved: the next start has it.
            QFile file(second.appConfigDir() + "/local.json");
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(QJsonDocument::fromJson(file.readAll()).object().value("alerts").toArray().size(), 1);
            // Nothing newer now: the next sync uploads at the recorded versions.
            ModalScript again;
            window.pullAccountSync();
            QCOMPARE(again.texts(), QStringList{"Local state was synced to your Murvex account."});
        }
    }

    void theStatusDialogShowsLocalAndRemoteState_data()
    {
        QTest::addColumn<bool>("signedIn");
        QTest::addColumn<FakeReply>("reply");
        QTest::addColumn<QStringList>("remote");
        QTest::newRow("signed out") << false << FakeReply() << QStringList();
        QTest::newRow("nothing remote")
            << true << FakeReply::json(R"({"ok":true,"items":{}})")
            << QStringList{"", "Remote backend: reachable", "- no remote namespaces yet"};
        QTest::newRow("items") << true << FakeReply::json(R"({"ok":true,"items":{"watchlists":{"version":2},
                                   "alerts":{"version":1e12,"payload_bytes":1536,"updated_unix":-3},
                                   "settings":{"version":4,"payload_bytes":-5,"updated_unix":1e300}}})")
                               << QStringList{
                                      "", "Remote backend: reachable", "- alerts v2147483647 | 1.5 KB | --",
                                      "- settings v4 | -5 B | " +
                                          QDateTime::fromSecsSinceEpoch(std::numeric_limits<qint64>::max())
                                              .toString("yyyy-MM-dd HH:mm:ss"),
                                      "- watchlists v2 | 0 B | --"};
        QTest::newRow("unavailable") << true << FakeReply::text("<p>down</p>", 503)
                                     << QStringList{"", "Remote backend: unavailable (503 <p>down</p>)"};
        QTest::newRow("expired") << true
                                 << FakeReply::json(R"({"ok":false,"error":"invalid_or_expired_token"})", 401)
                                 << QStringList{"",
                                                "Remote backend: unavailable (401 invalid_or_expired_token)"};
    }

    void theStatusDialogShowsLocalAndRemoteState()
    {
        QFETCH(bool, signedIn);
        QFETCH(FakeReply, reply);
        QFETCH(QStringList, remote);
        AccountWindow f;
        if (signedIn) {
            f.signIn();
            f.service.scriptNext("status.php", reply);
        }
        f.window.settings.syncVersions = {{"watchlists", 2}, {"alerts", 7}};
        ModalScript boxes;
        f.window.showSyncStatusDialog();
        QStringList expected{"Last sync: Never",
                             "Last status: --",
                             "",
                             "Synced namespaces:",
                             "- alerts v7",
                             "- watchlists v2",
                             "",
                             "API keys are local-only and are not included in account sync."};
        expected << remote;
        QCOMPARE(boxes.texts(), QStringList{expected.join('\n')});
        QCOMPARE(boxes.icons.first(), QMessageBox::Information);
        QCOMPARE(f.service.requestsTo("status.php").size(), signedIn ? 1 : 0);
    }

    void theStatusDialogWhenNeverSynced()
    {
        AccountWindow f;
        f.window.settings.language = "pt_BR";
        ModalScript boxes;
        f.window.showSyncStatusDialog();
        QCOMPARE(boxes.texts(),
                 QStringList{QString::fromUtf8("Último sync: Nunca\nÚltimo status: --\n\nNamespaces "
                                               "sincronizados:\n- --\n\nChaves de API ficam apenas "
                                               "locais e não entram no sync da conta.")});
        f.window.settings.syncLastUnix = 1700000000;
        QCOMPARE(f.window.formatSyncTime(),
                 QDateTime::fromSecsSinceEpoch(1700000000).toString("yyyy-MM-dd HH:mm:ss"));
    }

    void aSecondSyncDuringAWaitIsRefused()
    {
        AccountWindow f;
        f.signIn();
        // The second round of actions goes in once the service holds the pull, however slow the
        // machine, and the pull's answer waits long enough for them to be tried inside the wait.
        f.service.delayNext("pull.php", 1000);
        int pullsStartedInside = 0;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, &f.window, [&]() {
            if (f.service.requestsTo("pull.php").isEmpty())
                return;
            poll.stop();
            f.window.syncNowAction->trigger();
            f.window.syncStatusAction->trigger();
            f.window.logoutAction->trigger();
            pullsStartedInside = f.service.requestsTo("pull.php").size();
        });
        poll.start();
        ModalScript boxes;
        f.window.pullAccountSync();
        QCOMPARE(pullsStartedInside, 1);
        QCOMPARE(f.service.requestsTo("pull.php").size(), 1);
        QVERIFY(f.service.requestsTo("status.php").isEmpty());
        QVERIFY(f.service.requestsTo("logout.php").isEmpty());
        QVERIFY(!f.window.settings.authToken.isEmpty());
        QVERIFY(!f.window.accountBusy);
    }

    void closingDuringAWaitClosesAfterTheCallReturns()
    {
        AccountWindow f;
        f.signIn();
        f.service.server().setHandler([](const RecordedRequest &) { return FakeReply::hanging(); });
        f.window.show();
        bool closedDuring = true;
        QTimer::singleShot(100, &f.window, [&]() {
            f.window.close();
            closedDuring = !f.window.isVisible();
        });
        ModalScript boxes({QMessageBox::NoButton});
        QElapsedTimer clock;
        clock.start();
        f.window.pullAccountSync();
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(!closedDuring);
        QVERIFY(f.window.isVisible());
        // The close comes back once the call has returned, and asks its question then.
        QTRY_VERIFY(!boxes.seen.isEmpty());
        QVERIFY(boxes.seen.first().contains("What do you want to do?"));
    }

    void neitherPasswordNorTokenLeaks()
    {
        AccountWindow f;
        const QString password = AccountWindow::kPassword;
        NextWidget<QDialog> dialog([&](QDialog *d) {
            d->findChild<QLineEdit *>("loginEmailEdit")->setText(AccountWindow::kEmail);
            d->findChild<QLineEdit *>("loginPasswordEdit")->setText(password);
            for (QPushButton *button : d->findChildren<QPushButton *>())
                if (button->text() == "Login")
                    button->click();
        });
        QCOMPARE(f.window.showLoginDialog(), 1);
        const QString token = f.window.settings.authToken;
        QVERIFY(!token.isEmpty());
        QStringList statusTexts;
        QObject::connect(f.window.statusBar(), &QStatusBar::messageChanged,
                         [&](const QString &text) { statusTexts << text; });
        {
            ModalScript boxes;
            f.window.pullAccountSync();
            f.window.showSyncStatusDialog();
            QVERIFY(!boxes.seen.join('\n').contains(token));
        }
        f.window.logout();
        const QString seenText = f.window.eventConsole->toPlainText() + statusTexts.join('\n');
        QVERIFY(!seenText.contains(token));
        QVERIFY(!seenText.contains(password.trimmed()));
        const QByteArray files = f.everyFileButSettings();
        QVERIFY(!files.contains(token.toUtf8()));
        QVERIFY(!files.contains(password.trimmed().toUtf8()));
    }
};

MVX_TEST_MAIN(TestMainWindowSync)
#include "test_main_window_sync.moc"
