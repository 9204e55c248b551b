#include "providers/reply_deadline.h"
#include "tests/support/fake_http_server.h"
#include "tests/support/test_main.h"

#include <QNetworkAccessManager>
#include <QPointer>

Q_DECLARE_METATYPE(FakeReply)

namespace {
const QString kPath = QStringLiteral("/answer");
} // namespace

class TestReplyDeadline : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One answer for every way a request can go: what finished is read as it came, and what had not
    // finished by the deadline is a time-out with nothing read, its connection closed.
    void awaitsTheWholeAnswerOrTheDeadline_data()
    {
        QTest::addColumn<FakeReply>("reply");
        QTest::addColumn<bool>("failed");
        QTest::addColumn<bool>("timedOut");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        FakeReply limited = FakeReply::json("{\"e\":1}", 429);
        limited.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("30")));
        FakeReply lateLastByte = FakeReply::json("{\"late\":true}");
        lateLastByte.lastByteDelayMs = 1500;
        QTest::newRow("answer in time")
            << FakeReply::json("{\"ok\":1}") << false << false << 200 << QByteArray("{\"ok\":1}");
        QTest::newRow("error status in time") << limited << true << false << 429 << QByteArray("{\"e\":1}");
        QTest::newRow("dripping body") << FakeReply::dripping(40) << true << true << 0 << QByteArray();
        QTest::newRow("no answer at all") << FakeReply::hanging() << true << true << 0 << QByteArray();
        QTest::newRow("last byte after the deadline") << lateLastByte << true << true << 0 << QByteArray();
    }

    void awaitsTheWholeAnswerOrTheDeadline()
    {
        QFETCH(FakeReply, reply);
        QFETCH(bool, failed);
        QFETCH(bool, timedOut);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        FakeHttpServer server;
        QVERIFY(server.start());
        server.setReply(kPath, reply);
        QNetworkAccessManager manager;
        QObject receiver;
        QList<ReplyAnswer> answers;
        const QPointer<QNetworkReply> sent = manager.get(QNetworkRequest(QUrl(server.baseUrl() + kPath)));
        awaitReply(sent, &receiver, 600, [&answers](const ReplyAnswer &answer) { answers.append(answer); });
        QTRY_COMPARE(answers.size(), 1);
        QTest::qWait(200); // a second answer would have come by now
        QCOMPARE(answers.size(), 1);
        const ReplyAnswer &answer = answers.first();
        QCOMPARE(answer.failed, failed);
        QCOMPARE(answer.timedOut, timedOut);
        QCOMPARE(answer.status, status);
        QCOMPARE(answer.body, body);
        if (timedOut)
            QCOMPARE(answer.error, QNetworkReply::TimeoutError);
        if (status == 429)
            QCOMPARE(answer.headers.value("Retry-After"), QByteArray("30"));
        QTRY_VERIFY(!sent);
        QTRY_COMPARE(server.openHeldConnections(), 0);
    }

    // The deadline answers only while someone waits: after the receiver is gone it neither runs the
    // caller's code nor touches the reply, which its manager still owns.
    void aGoneReceiverHearsNothing()
    {
        FakeHttpServer server;
        QVERIFY(server.start());
        server.setReply(kPath, FakeReply::dripping(40));
        QNetworkAccessManager manager;
        int answers = 0;
        QNetworkReply *sent = manager.get(QNetworkRequest(QUrl(server.baseUrl() + kPath)));
        {
            QObject receiver;
            awaitReply(sent, &receiver, 300, [&answers](const ReplyAnswer &) { ++answers; });
            QVERIFY(server.waitForRequests(1));
        }
        QTest::qWait(600);
        QCOMPARE(answers, 0);
        QVERIFY(!sent->isFinished());
        delete sent;
        QTRY_COMPARE(server.openHeldConnections(), 0);
    }
};

MVX_TEST_MAIN(TestReplyDeadline)
#include "test_reply_deadline.moc"
