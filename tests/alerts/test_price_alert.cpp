#include "alerts/price_alert.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>

#include <limits>

Q_DECLARE_METATYPE(PriceAlert)

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const qint64 kT = 1700000000000;

QString upper(const QString &text)
{
    return text.trimmed().toUpper();
}

PriceAlert alertOn(const QString &symbol, double target, bool above, bool repeating = false)
{
    PriceAlert alert;
    alert.symbol = symbol;
    alert.target = target;
    alert.above = above;
    alert.repeating = repeating;
    return alert;
}

QJsonArray arrayOf(const char *json)
{
    return QJsonDocument::fromJson(json).array();
}
} // namespace

class TestPriceAlert : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theHitRuleDecidesEachQuote_data()
    {
        QTest::addColumn<PriceAlert>("alert");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("last");
        QTest::addColumn<qint64>("now");
        QTest::addColumn<bool>("fires");

        const PriceAlert above = alertOn("AAPL", 10.0, true);
        const PriceAlert below = alertOn("AAPL", 10.0, false);
        QTest::newRow("above, beyond") << above << "AAPL" << 10.5 << kT << true;
        QTest::newRow("above, short") << above << "AAPL" << 9.99 << kT << false;
        QTest::newRow("above, equal") << above << "AAPL" << 10.0 << kT << true;
        QTest::newRow("below, beyond") << below << "AAPL" << 9.5 << kT << true;
        QTest::newRow("below, short") << below << "AAPL" << 10.01 << kT << false;
        QTest::newRow("below, equal") << below << "AAPL" << 10.0 << kT << true;
        QTest::newRow("NaN above") << above << "AAPL" << kNaN << kT << false;
        QTest::newRow("NaN below") << below << "AAPL" << kNaN << kT << false;
        QTest::newRow("infinity above") << above << "AAPL" << kInf << kT << false;
        QTest::newRow("minus infinity below") << below << "AAPL" << -kInf << kT << false;
        QTest::newRow("zero below") << below << "AAPL" << 0.0 << kT << false;
        QTest::newRow("negative below") << below << "AAPL" << -3.0 << kT << false;
        QTest::newRow("lower-case symbol") << above << "aapl" << 11.0 << kT << false;
        QTest::newRow("other suffix") << alertOn("PETR4.SA", 10.0, true) << "PETR4" << 11.0 << kT << false;

        PriceAlert fired = above;
        fired.triggered = true;
        fired.lastTriggerMs = kT - 3600000;
        QTest::newRow("one-shot after a hit") << fired << "AAPL" << 11.0 << kT << false;

        PriceAlert repeating = alertOn("AAPL", 10.0, true, true);
        repeating.lastTriggerMs = kT;
        QTest::newRow("repeat at T") << repeating << "AAPL" << 11.0 << kT << false;
        QTest::newRow("repeat at T+59999") << repeating << "AAPL" << 11.0 << kT + 59999 << false;
        QTest::newRow("repeat at T+60000") << repeating << "AAPL" << 11.0 << kT + 60000 << true;
        QTest::newRow("repeat, last hit in the future") << repeating << "AAPL" << 11.0 << kT - 1 << true;
        QTest::newRow("repeat, last hit far in the future")
            << repeating << "AAPL" << 11.0 << std::numeric_limits<qint64>::min() << true;
        PriceAlert triggeredRepeating = repeating;
        triggeredRepeating.triggered = true;
        triggeredRepeating.lastTriggerMs = 0;
        QTest::newRow("repeating ignores triggered") << triggeredRepeating << "AAPL" << 11.0 << kT << true;
        PriceAlert rearmed = repeating;
        rearmed.lastTriggerMs = 0;
        QTest::newRow("repeat rearmed ends the cool-down") << rearmed << "AAPL" << 11.0 << kT << true;
    }

    void theHitRuleDecidesEachQuote()
    {
        QFETCH(PriceAlert, alert);
        QFETCH(QString, symbol);
        QFETCH(double, last);
        QFETCH(qint64, now);
        QFETCH(bool, fires);
        QCOMPARE(alertFires(alert, symbol, last, now), fires);
    }

    void lastTriggerReadsAsA64BitInteger_data()
    {
        QTest::addColumn<QJsonValue>("value");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("string") << QJsonValue("1700000000123") << qint64(1700000000123);
        QTest::newRow("number") << QJsonValue(1700000000123.0) << qint64(1700000000123);
        QTest::newRow("zero string") << QJsonValue("0") << qint64(0);
        QTest::newRow("largest string")
            << QJsonValue("9223372036854775807") << std::numeric_limits<qint64>::max();
        QTest::newRow("string past 64 bits") << QJsonValue("9223372036854775808") << qint64(0);
        QTest::newRow("number past 64 bits") << QJsonValue(1e19) << qint64(0);
        QTest::newRow("number at 2^63") << QJsonValue(9223372036854775808.0) << qint64(0);
        QTest::newRow("negative past 64 bits") << QJsonValue(-1e19) << qint64(0);
        QTest::newRow("letters") << QJsonValue("soon") << qint64(0);
        QTest::newRow("fraction string") << QJsonValue("12.5") << qint64(0);
        QTest::newRow("bool") << QJsonValue(true) << qint64(0);
        QTest::newRow("null") << QJsonValue() << qint64(0);
        QTest::newRow("array") << QJsonValue(QJsonArray{1}) << qint64(0);
    }

    void lastTriggerReadsAsA64BitInteger()
    {
        QFETCH(QJsonValue, value);
        QFETCH(qint64, expected);
        QCOMPARE(jsonInt64(value), expected);
    }

    void storedAlertsReadByTheRules()
    {
        const QList<PriceAlert> read = alertsFromJson(arrayOf(R"([
            {"symbol": " aapl ", "target": 200.5},
            {"symbol": "MSFT", "target": 0},
            {"symbol": "", "target": 5},
            "junk",
            7,
            {"symbol": "TSLA", "target": -1},
            {"symbol": 42, "target": 3},
            {"symbol": "NVDA", "target": "12"},
            {"symbol": "BTCUSDT", "target": 60000, "above": false, "triggered": true, "repeating": "yes",
             "last_trigger_ms": 1700000000000},
            {"symbol": "PETR4.SA", "target": 30, "above": "no", "repeating": true, "last_trigger_ms": "1700000000001"}
        ])"),
                                                      upper);
        QCOMPARE(read.size(), 3);
        QCOMPARE(read[0].symbol, QStringLiteral("AAPL"));
        QCOMPARE(read[0].target, 200.5);
        QVERIFY(read[0].above);
        QVERIFY(!read[0].triggered);
        QVERIFY(!read[0].repeating);
        QCOMPARE(read[0].lastTriggerMs, qint64(0));
        QCOMPARE(read[1].symbol, QStringLiteral("BTCUSDT"));
        QVERIFY(!read[1].above);
        QVERIFY(read[1].triggered);
        QVERIFY(!read[1].repeating);
        QCOMPARE(read[1].lastTriggerMs, qint64(1700000000000));
        QCOMPARE(read[2].symbol, QStringLiteral("PETR4.SA"));
        QVERIFY(read[2].above);
        QVERIFY(read[2].repeating);
        QCOMPARE(read[2].lastTriggerMs, qint64(1700000000001));
    }

    void alertsRoundTripInTheStringForm()
    {
        PriceAlert alert = alertOn("AAPL", 31.2, false, true);
        alert.triggered = true;
        alert.lastTriggerMs = std::numeric_limits<qint64>::max();
        const QJsonArray written = alertsToJson({alert});
        QCOMPARE(written.at(0).toObject().value("last_trigger_ms").toString(),
                 QStringLiteral("9223372036854775807"));
        QCOMPARE(written.at(0).toObject().keys(),
                 (QStringList{"above", "last_trigger_ms", "repeating", "symbol", "target", "triggered"}));
        const QList<PriceAlert> read = alertsFromJson(written, upper);
        QCOMPARE(read.size(), 1);
        QCOMPARE(read[0].lastTriggerMs, alert.lastTriggerMs);
        QCOMPARE(alertsToJson(read), written);
        QCOMPARE(alertToJson(PriceAlert()).value("last_trigger_ms").toString(), QStringLiteral("0"));
    }

    void historyReadsTheEntriesThatHaveATimeAndASymbol()
    {
        const QList<AlertHistoryEntry> read = alertHistoryFromJson(arrayOf(R"([
            {"timestamp": "2024-01-02 10:00:00", "event": "Armed", "symbol": "aapl", "condition": ">= 31.2000",
             "target": 31.2, "price": 30.1, "status": "Active"},
            {"timestamp": "", "symbol": "AAPL"},
            {"timestamp": "2024-01-02 10:00:01", "symbol": ""},
            [],
            {"timestamp": "2024-01-02 10:00:02", "symbol": "MSFT", "target": "5", "price": null, "event": 3}
        ])"),
                                                                   upper);
        QCOMPARE(read.size(), 2);
        QCOMPARE(read[0].symbol, QStringLiteral("AAPL"));
        QCOMPARE(read[0].condition, QStringLiteral(">= 31.2000"));
        QCOMPARE(read[0].price, 30.1);
        QCOMPARE(read[1].symbol, QStringLiteral("MSFT"));
        QCOMPARE(read[1].target, 0.0);
        QCOMPARE(read[1].price, 0.0);
        QCOMPARE(read[1].event, QString());
        const QJsonArray written = alertHistoryToJson(read);
        QCOMPARE(alertHistoryToJson(alertHistoryFromJson(written, upper)), written);
        QCOMPARE(written.at(0).toObject().keys(),
                 (QStringList{"condition", "event", "price", "status", "symbol", "target", "timestamp"}));
    }

    void historyEntriesShowTheRuleAndTheRepeatStatus_data()
    {
        QTest::addColumn<PriceAlert>("alert");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("shownStatus");
        QTest::newRow("armed above") << alertOn("AAPL", 31.2, true) << "Active"
                                     << ">= 31.2000"
                                     << "Active";
        QTest::newRow("armed repeating") << alertOn("AAPL", 31.2, true, true) << "Active"
                                         << ">= 31.2000"
                                         << "Active / Repeat";
        QTest::newRow("hit repeating") << alertOn("AAPL", 0.000001, false, true) << "Hit"
                                       << "<= 0.00000100"
                                       << "Hit";
        QTest::newRow("below a cent") << alertOn("SHIBUSDT", 0.00001234, true) << "Active"
                                      << ">= 0.00001234"
                                      << "Active";
        QTest::newRow("removed repeating") << alertOn("AAPL", 1234567.891, false, true) << "Inactive"
                                           << "<= 1234567.8910"
                                           << "Inactive";
    }

    void historyEntriesShowTheRuleAndTheRepeatStatus()
    {
        QFETCH(PriceAlert, alert);
        QFETCH(QString, status);
        QFETCH(QString, condition);
        QFETCH(QString, shownStatus);
        const AlertHistoryEntry entry =
            makeAlertHistoryEntry(alert, "Armed", 0.0, status, "2024-01-02 10:00:00");
        QCOMPARE(entry.condition, condition);
        QCOMPARE(entry.status, shownStatus);
        QCOMPARE(entry.target, alert.target);
    }

    // Below 1 the dialog starts at the four significant digits it shows; from 1 up at the price itself.
    void theDialogStartsAtTheShownDigits_data()
    {
        QTest::addColumn<double>("current");
        QTest::addColumn<double>("start");
        QTest::newRow("below a cent") << 0.0000123456 << 0.00001235;
        QTest::newRow("already four digits") << 0.0000123 << 0.0000123;
        QTest::newRow("below 1") << 0.123456 << 0.1235;
        QTest::newRow("four digits just under a power of ten") << 0.09995 << 0.09995;
        QTest::newRow("rounds up to 1") << 0.99996 << 1.0;
        QTest::newRow("finer than the finest tick") << 0.000000004 << 0.0;
        QTest::newRow("from 1 up as it is") << 1.23456789 << 1.23456789;
        QTest::newRow("from 1000 up as it is") << 1234.5678 << 1234.5678;
        QTest::newRow("no price") << 0.0 << 0.0;
        QTest::newRow("negative") << -5.0 << 0.0;
        QTest::newRow("not a number") << kNaN << 0.0;
        QTest::newRow("infinite") << kInf << 0.0;
    }

    void theDialogStartsAtTheShownDigits()
    {
        QFETCH(double, current);
        QFETCH(double, start);
        QCOMPARE(alertTargetStart(current), start);
    }

    void historyColoursFollowTheExactWord_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("colour");
        QTest::newRow("Triggered") << "Triggered"
                                   << "#f45d5d";
        QTest::newRow("Hit") << "Hit"
                             << "#f45d5d";
        QTest::newRow("Removed") << "Removed"
                                 << "#9aa0a6";
        QTest::newRow("Inactive") << "Inactive"
                                  << "#9aa0a6";
        QTest::newRow("Armed") << "Armed"
                               << "#20c878";
        QTest::newRow("Rearmed") << "Rearmed"
                                 << "#20c878";
        QTest::newRow("Active") << "Active"
                                << "#20c878";
        QTest::newRow("Active / Repeat") << "Active / Repeat"
                                         << "#20c878";
        QTest::newRow("lower case") << "hit"
                                    << "";
        QTest::newRow("padded") << " Active"
                                << "";
        QTest::newRow("other") << "fired"
                               << "";
    }

    void historyColoursFollowTheExactWord()
    {
        QFETCH(QString, word);
        QFETCH(QString, colour);
        QCOMPARE(alertHistoryColorName(word), colour);
    }

    void aRowFindsTheFirstMatchingAlert_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<double>("target");
        QTest::addColumn<int>("index");
        QTest::newRow("first of two identical") << "AAPL"
                                                << ">= 31.2000" << 31.2 << 1;
        QTest::newRow("below") << "AAPL"
                               << "<= 31.2000" << 31.2 << 3;
        QTest::newRow("padded condition") << "AAPL"
                                          << "  >= 31.2000 " << 31.2 << 1;
        QTest::newRow("lower-case symbol") << "aapl"
                                           << ">= 31.2000" << 31.2 << 1;
        QTest::newRow("within 1e-6") << "AAPL"
                                     << ">= 31.2000" << 31.2000009 << 1;
        QTest::newRow("beyond 1e-6") << "AAPL"
                                     << ">= 31.2000" << 31.200002 << -1;
        QTest::newRow("sub-cent target") << "SHIBUSDT"
                                         << ">= 0.00001234" << 0.00001234 << 4;
        QTest::newRow("sub-cent: the next tick is another alert") << "SHIBUSDT"
                                                                  << ">= 0.00001235" << 0.00001235 << -1;
        QTest::newRow("sub-cent: three ticks lower is another alert") << "SHIBUSDT"
                                                                      << ">= 0.00001231" << 0.00001231 << -1;
        QTest::newRow("unknown condition means below") << "AAPL"
                                                       << "above" << 31.2 << 3;
        QTest::newRow("no such symbol") << "MSFT"
                                        << ">= 31.2000" << 31.2 << -1;
    }

    void aRowFindsTheFirstMatchingAlert()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, condition);
        QFETCH(double, target);
        QFETCH(int, index);
        const QList<PriceAlert> alerts{alertOn("MSFTX", 31.2, true), alertOn("AAPL", 31.2, true),
                                       alertOn("AAPL", 31.2, true, true), alertOn("AAPL", 31.2, false),
                                       alertOn("SHIBUSDT", 0.00001234, true)};
        QCOMPARE(findMatchingAlert(alerts, alertRowKey(symbol, condition, target, upper)), index);
    }

    void downloadedPayloadsAreReadOrRefused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<int>("alerts");
        QTest::addColumn<int>("history");
        const QByteArray alert = R"({"symbol": "AAPL", "target": 5})";
        const QByteArray entry = R"({"timestamp": "2024-01-02 10:00:00", "symbol": "AAPL"})";
        QTest::newRow("both") << "{\"alerts\": [" + alert + "], \"history\": [" + entry + "]}" << true << 1
                              << 1;
        QTest::newRow("both empty") << QByteArray(R"({"alerts": [], "history": []})") << true << 0 << 0;
        QTest::newRow("no history") << "{\"alerts\": [" + alert + "]}" << true << 1 << 0;
        QTest::newRow("no alerts") << "{\"history\": [" + entry + "]}" << true << 0 << 1;
        QTest::newRow("neither") << QByteArray(R"({"portfolios": []})") << false << 0 << 0;
        QTest::newRow("empty object") << QByteArray("{}") << false << 0 << 0;
        QTest::newRow("alerts not an array")
            << QByteArray(R"({"alerts": {}, "history": []})") << false << 0 << 0;
        QTest::newRow("history null") << QByteArray(R"({"alerts": [], "history": null})") << false << 0 << 0;
        QTest::newRow("an array") << QByteArray("[[]]") << false << 0 << 0;
    }

    void downloadedPayloadsAreReadOrRefused()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, usable);
        QFETCH(int, alerts);
        QFETCH(int, history);
        const QJsonDocument document = QJsonDocument::fromJson(json);
        const QJsonValue value =
            document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
        const std::optional<AlertsPayload> read = readAlertsPayload(value, upper);
        QCOMPARE(read.has_value(), usable);
        if (read) {
            QCOMPARE(read->alerts.size(), alerts);
            QCOMPARE(read->history.size(), history);
        }
        QVERIFY(!readAlertsPayload(QJsonValue("alerts"), upper));
    }
};

MVX_TEST_MAIN(TestPriceAlert)
#include "test_price_alert.moc"
