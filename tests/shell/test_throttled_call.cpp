#include "shell/throttled_call.h"
#include "tests/support/test_main.h"

#include <QCoreApplication>
#include <QObject>
#include <QStringList>
#include <QThread>

class TestThrottledCall : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A burst of requests in one turn, after a quiet spell, runs once and in the next turn.
    void requestsOfOneTurnRunOnceInTheNext()
    {
        ThrottledCall call(60000);
        int runs = 0;
        for (int i = 0; i < 3; ++i)
            call.request([&runs] { ++runs; });
        QCOMPARE(runs, 0);
        QVERIFY(call.isPending());
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
        QVERIFY(!call.isPending());
    }

    // Right after a run, further requests wait out the interval and then run once, with the call
    // given last: a stream's quotes spread over many turns share one rebuild.
    void requestsAfterARunWaitForTheInterval()
    {
        ThrottledCall slow(60000);
        int runs = 0;
        slow.request([&runs] { ++runs; });
        QCoreApplication::processEvents();
        slow.request([&runs] { ++runs; });
        for (int turn = 0; turn < 5; ++turn)
            QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
        QVERIFY(slow.isPending());

        ThrottledCall quick(50);
        QStringList ran;
        quick.request([&ran] { ran << QStringLiteral("first"); });
        QCoreApplication::processEvents();
        quick.request([&ran] { ran << QStringLiteral("second"); });
        quick.request([&ran] { ran << QStringLiteral("third"); });
        QTRY_VERIFY(!quick.isPending());
        QCOMPARE(ran, (QStringList{"first", "third"}));
    }

    // A run that takes longer than the interval is still followed by a full quiet interval: the gap
    // counts from the end of a run, or slow rebuilds would follow each other without a pause.
    void intervalCountsFromTheEndOfARun()
    {
        ThrottledCall call(200);
        int runs = 0;
        call.request([&runs] {
            ++runs;
            QThread::msleep(250);
        });
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
        call.request([&runs] { ++runs; });
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
        QTRY_COMPARE(runs, 2);
    }

    // Destroyed while a run is pending, it runs nothing afterwards.
    void destroyedWhilePendingRunsNothing()
    {
        int runs = 0;
        {
            ThrottledCall call(0);
            call.request([&runs] { ++runs; });
        }
        QCoreApplication::processEvents();
        QCOMPARE(runs, 0);
    }
};

MVX_TEST_MAIN(TestThrottledCall)
#include "test_throttled_call.moc"
