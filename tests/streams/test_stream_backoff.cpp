#include "streams/stream_backoff.h"
#include "tests/support/test_main.h"

class TestStreamBackoff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void delaySteps_data()
    {
        QTest::addColumn<int>("firstDelayMs");
        QTest::addColumn<QList<int>>("delays"); // for attempts -1, 0, 1, ... 6
        QTest::newRow("the program's steps")
            << 2000 << QList<int>{2000, 2000, 4000, 8000, 16000, 32000, 60000, 60000};
        QTest::newRow("shortened by a test") << 20 << QList<int>{20, 20, 40, 80, 160, 320, 600, 600};
    }

    void delaySteps()
    {
        QFETCH(int, firstDelayMs);
        QFETCH(QList<int>, delays);
        QList<int> actual;
        for (int attempt = -1; attempt <= 6; ++attempt)
            actual << streamReconnectDelayMs(attempt, firstDelayMs);
        QCOMPARE(actual, delays);
    }

    // Each drop: when it happens, how long its connection had been up (-1: never got through the
    // handshake). "R" marks a drop that may refresh over HTTP.
    void drops_data()
    {
        QTest::addColumn<QList<qint64>>("at");
        QTest::addColumn<QList<qint64>>("upFor");
        QTest::addColumn<QList<int>>("delays");
        QTest::addColumn<QString>("refreshes");
        QTest::newRow("failed connects climb to the last step and stay")
            << QList<qint64>{0, 2000, 6000, 14000, 30000, 62000, 122000}
            << QList<qint64>{-1, -1, -1, -1, -1, -1, -1}
            << QList<int>{2000, 4000, 8000, 16000, 32000, 60000, 60000} << "-------";
        QTest::newRow("accepted then dropped at once keeps climbing")
            << QList<qint64>{0, 2000, 6000, 14000, 30000, 62000} << QList<qint64>{0, 0, 0, 0, 0, 0}
            << QList<int>{2000, 4000, 8000, 16000, 32000, 60000} << "RRRRRR";
        QTest::newRow("a connection that stayed up starts over")
            << QList<qint64>{0, 2000, 20000, 22000} << QList<qint64>{0, 0, 10000, 0}
            << QList<int>{2000, 4000, 2000, 4000} << "RRRR";
        QTest::newRow("just short of steady does not")
            << QList<qint64>{0, 2000, 15999} << QList<qint64>{0, 0, 9999} << QList<int>{2000, 4000, 8000}
            << "RRR";
        QTest::newRow("a reopen forced inside a step refreshes once")
            << QList<qint64>{0, 500, 1999, 2000} << QList<qint64>{0, 0, 0, 0}
            << QList<int>{2000, 4000, 8000, 16000} << "R--R";
        QTest::newRow("failed connects neither refresh nor hold the next drop back")
            << QList<qint64>{0, 2000, 6000} << QList<qint64>{0, -1, 0} << QList<int>{2000, 4000, 8000}
            << "R-R";
    }

    void drops()
    {
        QFETCH(QList<qint64>, at);
        QFETCH(QList<qint64>, upFor);
        QFETCH(QList<int>, delays);
        QFETCH(QString, refreshes);
        StreamBackoff backoff;
        QList<int> actualDelays;
        QString actualRefreshes;
        for (int i = 0; i < at.size(); ++i) {
            const StreamBackoff::Drop drop = backoff.dropped(at.at(i), upFor.at(i));
            actualDelays << drop.delayMs;
            actualRefreshes += drop.refresh ? QLatin1Char('R') : QLatin1Char('-');
        }
        QCOMPARE(actualDelays, delays);
        QCOMPARE(actualRefreshes, refreshes);
    }
};

MVX_TEST_MAIN(TestStreamBackoff)
#include "test_stream_backoff.moc"
