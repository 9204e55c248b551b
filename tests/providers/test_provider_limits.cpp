#include "providers/provider_limits.h"
#include "tests/support/test_main.h"

#include <limits>

Q_DECLARE_METATYPE(AlphaVantageGate)

namespace {
constexpr qint64 kNow = 1'700'000'000'000; // a wall-clock time in ms
}

class TestProviderLimits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void alphaVantageGate_data()
    {
        QTest::addColumn<qint64>("lastCall");
        QTest::addColumn<qint64>("cooldownUntil");
        QTest::addColumn<AlphaVantageGate>("expected");

        QTest::newRow("first call") << qint64(0) << qint64(0) << AlphaVantageGate::Open;
        QTest::newRow("5 s after the last") << kNow - 5000 << qint64(0) << AlphaVantageGate::Throttled;
        QTest::newRow("11999 ms after") << kNow - 11999 << qint64(0) << AlphaVantageGate::Throttled;
        QTest::newRow("12000 ms after") << kNow - 12000 << qint64(0) << AlphaVantageGate::Open;
        // The cooldown wins over the throttle: no cache is offered while the provider asked for quiet.
        QTest::newRow("cooldown inside the throttle")
            << kNow - 5000 << kNow + 1 << AlphaVantageGate::Cooldown;
        QTest::newRow("cooldown long after the last")
            << kNow - 60000 << kNow + 30000 << AlphaVantageGate::Cooldown;
        QTest::newRow("cooldown just ended") << qint64(0) << kNow << AlphaVantageGate::Open;
    }

    void alphaVantageGate()
    {
        QFETCH(qint64, lastCall);
        QFETCH(qint64, cooldownUntil);
        QFETCH(AlphaVantageGate, expected);
        QCOMPARE(::alphaVantageGate(kNow, lastCall, cooldownUntil), expected);
    }

    void alphaVantageCooldown_data()
    {
        QTest::addColumn<int>("retryAfter");
        QTest::addColumn<qint64>("expectedMs");
        QTest::newRow("no header") << 0 << qint64(60000);
        QTest::newRow("30 s asked: at least 60") << 30 << qint64(60000);
        QTest::newRow("120 s asked") << 120 << qint64(120000);
        // Computed in 64 bits: the largest header value stays a positive, far-off time.
        QTest::newRow("largest header")
            << std::numeric_limits<int>::max() << qint64(std::numeric_limits<int>::max()) * 1000;
    }

    void alphaVantageCooldown()
    {
        QFETCH(int, retryAfter);
        QFETCH(qint64, expectedMs);
        QCOMPARE(alphaVantageCooldownUntil(kNow, retryAfter) - kNow, expectedMs);
    }

    void providerGate_data()
    {
        QTest::addColumn<qint64>("lastRequest");
        QTest::addColumn<qint64>("cooldownUntil");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("first request") << qint64(0) << qint64(0) << true;
        QTest::newRow("14999 ms after") << kNow - 14999 << qint64(0) << false;
        QTest::newRow("15000 ms after") << kNow - 15000 << qint64(0) << true;
        QTest::newRow("in cooldown") << qint64(0) << kNow + 1 << false;
        QTest::newRow("cooldown ends now") << qint64(0) << kNow << true;
        QTest::newRow("spacing over, cooldown not") << kNow - 60000 << kNow + 5000 << false;
    }

    void providerGate()
    {
        QFETCH(qint64, lastRequest);
        QFETCH(qint64, cooldownUntil);
        QFETCH(bool, allowed);
        QCOMPARE(providerGateAllows(kNow, lastRequest, cooldownUntil), allowed);
    }

    void providerCooldown_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<qint64>("expectedMs");
        QTest::newRow("0 gives 60 s") << 0 << qint64(60000);
        QTest::newRow("negative gives 60 s") << -5 << qint64(60000);
        QTest::newRow("30 s") << 30 << qint64(30000);
        QTest::newRow("largest header")
            << std::numeric_limits<int>::max() << qint64(std::numeric_limits<int>::max()) * 1000;
    }

    void providerCooldown()
    {
        QFETCH(int, seconds);
        QFETCH(qint64, expectedMs);
        QCOMPARE(providerCooldownUntil(kNow, seconds) - kNow, expectedMs);
    }
};

MVX_TEST_MAIN(TestProviderLimits)
#include "test_provider_limits.moc"
