#include "providers/provider_cascade.h"
#include "tests/support/test_main.h"

#include <QPointer>

#include <memory>

namespace {
// Records what a walk does. Providers listed in `answers` answer inside the starter; every other
// provider holds its completion in `pending` for the test to call whenever it likes.
struct Walk
{
    QMap<QString, AsyncProviderResult> answers;
    QStringList started;
    QList<QPair<QString, AsyncProviderCompletion>> pending;
    QStringList successes;
    QList<QStringList> failures;

    AsyncProviderStarter starter()
    {
        return [this](const QString &key, AsyncProviderCompletion done) {
            started << key;
            if (answers.contains(key))
                done(answers.value(key));
            else
                pending.append({key, std::move(done)});
        };
    }
    AsyncProviderSuccess success()
    {
        return [this](const QString &key) { successes << key; };
    }
    AsyncProviderFailure failure()
    {
        return [this](const QStringList &errors) { failures << errors; };
    }
    void start(AsyncProviderCascade &cascade, const QStringList &keys, int limitMs = 60000)
    {
        cascade.start(keys, starter(), success(), failure(), limitMs);
    }
    // The completion of the n-th held attempt of `key` (0 = the first).
    AsyncProviderCompletion completion(const QString &key, int n = 0) const
    {
        for (const auto &entry : pending) {
            if (entry.first == key && n-- == 0)
                return entry.second;
        }
        return {};
    }
    int finals() const { return int(successes.size() + failures.size()); }
};

AsyncProviderResult ok()
{
    return {true, false, QString()};
}

AsyncProviderResult failed(const QString &message, bool rateLimited = false)
{
    return {false, rateLimited, message};
}
} // namespace

Q_DECLARE_METATYPE(AsyncProviderResult)

class TestProviderCascade : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyListFailsInsideStart()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        walk.start(cascade, {});
        QCOMPARE(walk.failures, QList<QStringList>{QStringList()});
        QVERIFY(walk.successes.isEmpty());
        QVERIFY(walk.started.isEmpty());
        QVERIFY(!cascade.running);
        QVERIFY(!cascade.timer.isActive());
        QVERIFY(cascade.currentProvider().isEmpty());
    }

    void failureLines_data()
    {
        QTest::addColumn<AsyncProviderResult>("result");
        QTest::addColumn<QString>("line");
        QTest::newRow("message") << failed(QStringLiteral("HTTP 500")) << QStringLiteral("a: HTTP 500");
        QTest::newRow("no message") << failed(QString()) << QStringLiteral("a: invalid response");
        QTest::newRow("rate limited")
            << failed(QStringLiteral("HTTP 429"), true) << QStringLiteral("a: HTTP 429 [rate limited]");
        QTest::newRow("rate limited without message")
            << failed(QString(), true) << QStringLiteral("a: invalid response [rate limited]");
    }

    void failureLines()
    {
        QFETCH(AsyncProviderResult, result);
        QFETCH(QString, line);
        AsyncProviderCascade cascade;
        Walk walk;
        walk.answers.insert(QStringLiteral("a"), result);
        walk.start(cascade, {QStringLiteral("a")});
        QCOMPARE(walk.failures, QList<QStringList>{QStringList{line}});
        QVERIFY(walk.successes.isEmpty());
    }

    void missingStarterFailsEveryProvider()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        cascade.start({QStringLiteral("a"), QStringLiteral("b")}, nullptr, walk.success(), walk.failure(),
                      50);
        QCOMPARE(walk.failures, QList<QStringList>{QStringList({QStringLiteral("a: missing starter"),
                                                                QStringLiteral("b: missing starter")})});
        QVERIFY(!cascade.timer.isActive());
    }

    void walksInOrderUntilOneAnswers()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        walk.answers.insert(QStringLiteral("a"), failed(QStringLiteral("HTTP 503")));
        walk.start(cascade, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        QCOMPARE(walk.started, QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(cascade.currentProvider(), QStringLiteral("b"));
        QVERIFY(cascade.timer.isActive());

        QTimer::singleShot(5, [done = walk.completion(QStringLiteral("b"))] { done(ok()); });
        QVERIFY(QTest::qWaitFor([&] { return walk.finals() > 0; }, 5000));
        QCOMPARE(walk.successes, QStringList{QStringLiteral("b")});
        QVERIFY(walk.failures.isEmpty());
        QCOMPARE(walk.started.size(), 2);
        // The failure before the success stays recorded but is never reported.
        QCOMPARE(cascade.errors, QStringList{QStringLiteral("a: HTTP 503")});
        QVERIFY(!cascade.running);
        QVERIFY(!cascade.timer.isActive());
        QVERIFY(cascade.currentProvider().isEmpty());
    }

    void silentProvidersTimeOut()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        walk.start(cascade, {QStringLiteral("a"), QStringLiteral("b")}, 20);
        QVERIFY(QTest::qWaitFor([&] { return walk.finals() > 0; }, 5000));
        QCOMPARE(walk.started, QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(walk.failures, QList<QStringList>{QStringList(
                                    {QStringLiteral("a: timeout"), QStringLiteral("b: timeout")})});
        QVERIFY(walk.successes.isEmpty());
    }

    void lateAnswersAreDropped()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        walk.start(cascade, {QStringLiteral("a"), QStringLiteral("b")}, 30);
        QVERIFY(QTest::qWaitFor([&] { return walk.started.size() == 2; }, 5000));

        // a's answer arrives after its time ran out: b's attempt goes on untouched.
        walk.completion(QStringLiteral("a"))(ok());
        QVERIFY(walk.successes.isEmpty());
        QCOMPARE(cascade.currentProvider(), QStringLiteral("b"));

        walk.completion(QStringLiteral("b"))(failed(QStringLiteral("HTTP 404")));
        QCOMPARE(walk.failures, QList<QStringList>{QStringList(
                                    {QStringLiteral("a: timeout"), QStringLiteral("b: HTTP 404")})});
        // Nothing after the end of the walk counts, nor does its timer come back.
        walk.completion(QStringLiteral("b"))(ok());
        walk.completion(QStringLiteral("a"))(ok());
        QTest::qWait(60);
        QCOMPARE(walk.finals(), 1);
        QCOMPARE(walk.started.size(), 2);
    }

    void onlyTheFirstAnswerOfAnAttemptCounts()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        AsyncProviderStarter twice = [&](const QString &key, AsyncProviderCompletion done) {
            walk.started << key;
            if (key == QLatin1String("a")) {
                done(failed(QStringLiteral("first")));
                done(ok()); // b's attempt is current by now
            } else {
                walk.pending.append({key, done});
            }
        };
        cascade.start({QStringLiteral("a"), QStringLiteral("b")}, twice, walk.success(), walk.failure(),
                      60000);
        QCOMPARE(walk.started, QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QVERIFY(walk.successes.isEmpty());
        QCOMPARE(cascade.currentProvider(), QStringLiteral("b"));
        QCOMPARE(cascade.errors, QStringList{QStringLiteral("a: first")});
    }

    void foreignAnswersAreIgnored()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        walk.start(cascade, {QStringLiteral("a"), QStringLiteral("b")});
        const quint64 token = cascade.generation;

        cascade.handleResult(token, QStringLiteral("b"), ok());     // right token, other provider
        cascade.handleResult(token - 1, QStringLiteral("a"), ok()); // right provider, old token
        cascade.handleResult(token + 1, QStringLiteral("a"), ok());
        QCOMPARE(walk.finals(), 0);
        QCOMPARE(cascade.currentProvider(), QStringLiteral("a"));

        cascade.handleResult(token, QStringLiteral("a"), ok());
        QCOMPARE(walk.successes, QStringList{QStringLiteral("a")});
    }

    void sameProviderTwiceKeepsItsAttemptsApart()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        walk.start(cascade, {QStringLiteral("a"), QStringLiteral("a")}, 20);
        QVERIFY(QTest::qWaitFor([&] { return walk.started.size() == 2; }, 5000));
        walk.completion(QStringLiteral("a"), 0)(ok()); // the timed-out first attempt
        QCOMPARE(walk.finals(), 0);
        walk.completion(QStringLiteral("a"), 1)(ok());
        QCOMPARE(walk.successes, QStringList{QStringLiteral("a")});
    }

    void restartAbandonsTheOldWalk()
    {
        AsyncProviderCascade cascade;
        Walk first;
        first.answers.insert(QStringLiteral("a"), failed(QStringLiteral("HTTP 500")));
        first.start(cascade, {QStringLiteral("a"), QStringLiteral("b")}, 20);
        QCOMPARE(cascade.errors.size(), 1);

        Walk second;
        second.start(cascade, {QStringLiteral("c")}, 60000);
        QVERIFY(cascade.errors.isEmpty());
        QCOMPARE(cascade.currentProvider(), QStringLiteral("c"));

        first.completion(QStringLiteral("b"))(ok());
        QTest::qWait(60); // past the old walk's time limit
        QCOMPARE(first.finals(), 0);
        QCOMPARE(second.finals(), 0);
        QCOMPARE(cascade.currentProvider(), QStringLiteral("c"));

        second.completion(QStringLiteral("c"))(ok());
        QCOMPARE(second.successes, QStringList{QStringLiteral("c")});
        QCOMPARE(first.finals(), 0);
    }

    void restartFromInsideTheWalk()
    {
        AsyncProviderCascade cascade;
        Walk second;
        second.answers.insert(QStringLiteral("x"), ok());
        int firstFinals = 0;
        // The starter replaces itself while it runs, then still uses what it holds and answers for the
        // abandoned walk.
        const auto calls = std::make_shared<int>(0);
        AsyncProviderStarter restarting = [&, calls](const QString &, AsyncProviderCompletion done) {
            second.start(cascade, {QStringLiteral("x")});
            ++*calls;
            done(ok());
        };
        cascade.start(
            {QStringLiteral("a")}, restarting, [&](const QString &) { ++firstFinals; },
            [&](const QStringList &) { ++firstFinals; }, 60000);
        QCOMPARE(*calls, 1);
        QCOMPARE(firstFinals, 0);
        QCOMPARE(second.successes, QStringList{QStringLiteral("x")});

        // A failure callback may start the next walk on the same cascade.
        Walk third;
        third.answers.insert(QStringLiteral("y"), ok());
        cascade.start(
            {}, nullptr, nullptr, [&](const QStringList &) { third.start(cascade, {QStringLiteral("y")}); },
            100);
        QCOMPARE(third.successes, QStringList{QStringLiteral("y")});
        QVERIFY(!cascade.running);
    }

    void timeLimitIsAtLeastOneMillisecond_data()
    {
        QTest::addColumn<int>("limit");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -500;
    }

    void timeLimitIsAtLeastOneMillisecond()
    {
        QFETCH(int, limit);
        AsyncProviderCascade cascade;
        Walk walk;
        walk.start(cascade, {QStringLiteral("a")}, limit);
        QCOMPARE(cascade.timeoutMs, 1);
        QVERIFY(QTest::qWaitFor([&] { return walk.finals() > 0; }, 5000));
        QCOMPARE(walk.failures, QList<QStringList>{QStringList{QStringLiteral("a: timeout")}});
    }

    void currentProviderOnlyWhileRunning()
    {
        AsyncProviderCascade cascade;
        QVERIFY(cascade.currentProvider().isEmpty());
        QCOMPARE(cascade.index, -1);

        QString seenInsideStarter;
        cascade.start(
            {QStringLiteral("a")},
            [&](const QString &, AsyncProviderCompletion done) {
                seenInsideStarter = cascade.currentProvider();
                done(failed(QStringLiteral("down")));
            },
            nullptr, nullptr, 1000);
        QCOMPARE(seenInsideStarter, QStringLiteral("a"));
        QVERIFY(cascade.currentProvider().isEmpty());

        // Set by hand: a running cascade that has not started an attempt names none.
        cascade.running = true;
        cascade.index = -1;
        QVERIFY(cascade.currentProvider().isEmpty());
    }

    void cancelStopsTheWalkAtOnce()
    {
        AsyncProviderCascade cascade;
        Walk walk;
        walk.start(cascade, {QStringLiteral("a"), QStringLiteral("b")}, 20);
        cascade.cancel();
        QVERIFY(!cascade.running);
        QVERIFY(!cascade.timer.isActive());
        QVERIFY(cascade.currentProvider().isEmpty());

        // Waiting for deletion, it starts no further attempt and takes no answer.
        QTest::qWait(80);
        QCOMPARE(walk.started, QStringList{QStringLiteral("a")});
        walk.completion(QStringLiteral("a"))(ok());
        walk.completion(QStringLiteral("a"))(failed(QStringLiteral("HTTP 500")));
        cascade.startNext();
        QCOMPARE(walk.finals(), 0);
        QCOMPARE(walk.started.size(), 1);

        // A cancelled cascade can still run a new walk.
        Walk next;
        next.answers.insert(QStringLiteral("c"), ok());
        next.start(cascade, {QStringLiteral("c")});
        QCOMPARE(next.successes, QStringList{QStringLiteral("c")});
    }

    void cancelFromInsideTheStarter()
    {
        AsyncProviderCascade cascade;
        int finals = 0;
        int attempts = 0;
        cascade.start(
            {QStringLiteral("a"), QStringLiteral("b")},
            [&](const QString &, AsyncProviderCompletion done) {
                ++attempts;
                cascade.cancel();
                done(failed(QStringLiteral("HTTP 500")));
            },
            [&](const QString &) { ++finals; }, [&](const QStringList &) { ++finals; }, 20);
        QTest::qWait(60);
        QCOMPARE(attempts, 1);
        QCOMPARE(finals, 0);
        QVERIFY(cascade.errors.isEmpty());
    }

    void answersAfterDeletionAreHarmless()
    {
        auto *cascade = new AsyncProviderCascade;
        Walk walk;
        walk.start(*cascade, {QStringLiteral("a")}, 20);
        const AsyncProviderCompletion done = walk.completion(QStringLiteral("a"));
        delete cascade;
        done(ok());
        done(failed(QStringLiteral("HTTP 500")));
        QTest::qWait(50);
        QCOMPARE(walk.finals(), 0);
    }

    void ownerDeletesFromItsCallback()
    {
        QObject owner;
        QPointer<AsyncProviderCascade> cascade = new AsyncProviderCascade(&owner);
        int successes = 0;
        AsyncProviderCompletion done;
        cascade->start(
            {QStringLiteral("a")}, [&](const QString &, AsyncProviderCompletion d) { done = std::move(d); },
            [&](const QString &) {
                ++successes;
                cascade->deleteLater();
            },
            [&](const QStringList &) { cascade->deleteLater(); }, 1000);
        done(ok());
        QCOMPARE(successes, 1);
        QVERIFY(QTest::qWaitFor([&] { return cascade.isNull(); }, 5000));
        done(ok());
        QCOMPARE(successes, 1);
    }
};

MVX_TEST_MAIN(TestProviderCascade)
#include "test_provider_cascade.moc"
