#include "streams/book_model.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

QJsonArray depth(const char *json)
{
    return QJsonDocument::fromJson(QByteArray("{\"x\":") + json + "}").object().value("x").toArray();
}

bool sameNumber(double a, double b)
{
    return std::abs(a - b) <= 1e-12 * std::max(1.0, std::max(std::abs(a), std::abs(b)));
}

QString levelsText(const AggregatedLevels &levels)
{
    QStringList parts;
    for (const AggregatedLevel &level : levels)
        parts << QStringLiteral("%1:%2").arg(level.price, 0, 'g', 12).arg(level.size, 0, 'g', 12);
    return parts.join(QLatin1Char(' '));
}
} // namespace

class TestBookModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void presetStep_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("step");
        QTest::newRow("65000 tight") << "tight" << 65000.0 << 10.0;
        QTest::newRow("65000 normal") << "normal" << 65000.0 << 50.0;
        QTest::newRow("65000 wide") << "wide" << 65000.0 << 200.0;
        QTest::newRow("1.2345 tight") << "tight" << 1.2345 << 0.0002;
        QTest::newRow("1.2345 normal") << "normal" << 1.2345 << 0.001;
        QTest::newRow("1.2345 wide") << "wide" << 1.2345 << 0.005;
        QTest::newRow("100 tight") << "tight" << 100.0 << 0.01;
        QTest::newRow("100 normal") << "normal" << 100.0 << 0.05;
        QTest::newRow("100 wide") << "wide" << 100.0 << 0.5;
        QTest::newRow("10000 tight is exactly one") << "tight" << 10000.0 << 1.0;
        QTest::newRow("10000 normal") << "normal" << 10000.0 << 5.0;
        QTest::newRow("10000 wide") << "wide" << 10000.0 << 50.0;
        // Far below a cent the fraction of the price falls under the step box's last decimal: the step
        // is that decimal, never raw, and a wider preset never finer than a tighter one.
        QTest::newRow("0.0000111 tight") << "tight" << 0.0000111 << 1e-8;
        QTest::newRow("0.0000111 normal") << "normal" << 0.0000111 << 1e-8;
        QTest::newRow("0.0000111 wide") << "wide" << 0.0000111 << 5e-8;
        QTest::newRow("PEPE 0.0000099 tight") << "tight" << 0.0000099 << 1e-8;
        QTest::newRow("PEPE 0.0000099 normal") << "normal" << 0.0000099 << 1e-8;
        QTest::newRow("PEPE 0.0000099 wide") << "wide" << 0.0000099 << 5e-8;
        QTest::newRow("SHIB 0.0000123 tight") << "tight" << 0.0000123 << 1e-8;
        QTest::newRow("SHIB 0.0000123 normal") << "normal" << 0.0000123 << 1e-8;
        QTest::newRow("SHIB 0.0000123 wide") << "wide" << 0.0000123 << 5e-8;
        QTest::newRow("0.00001234 wide") << "wide" << 0.00001234 << 5e-8;
        QTest::newRow("0.0001 tight lands on the least step") << "tight" << 0.0001 << 1e-8;
        QTest::newRow("0.0001 normal") << "normal" << 0.0001 << 5e-8;
        QTest::newRow("0.00004 wide") << "wide" << 0.00004 << 1e-7;
        QTest::newRow("far below the least step") << "wide" << 0.0000000123 << 1e-8;
        QTest::newRow("BTC 104532 tight") << "tight" << 104532.18 << 20.0;
        QTest::newRow("BTC 104532 normal") << "normal" << 104532.18 << 100.0;
        QTest::newRow("BTC 104532 wide") << "wide" << 104532.18 << 500.0;
        QTest::newRow("1 tight") << "tight" << 1.0 << 0.0001;
        QTest::newRow("1 normal") << "normal" << 1.0 << 0.0005;
        QTest::newRow("1 wide") << "wide" << 1.0 << 0.005;
        QTest::newRow("0.9987 tight") << "tight" << 0.9987 << 0.0001;
        QTest::newRow("0.9987 wide") << "wide" << 0.9987 << 0.005;
        QTest::newRow("0.5 tight") << "tight" << 0.5 << 0.00005;
        QTest::newRow("0.5 normal") << "normal" << 0.5 << 0.0005;
        QTest::newRow("0.5 wide") << "wide" << 0.5 << 0.002;
        QTest::newRow("no price tight") << "tight" << 0.0 << 1e-8;
        QTest::newRow("no price normal") << "normal" << 0.0 << 1e-8;
        QTest::newRow("no price wide") << "wide" << 0.0 << 1e-8;
        // Products that land a hair above a notch stay on it.
        QTest::newRow("0.01 tight stays on 1e-6") << "tight" << 0.01 << 0.000001;
        QTest::newRow("0.002 wide stays on 5e-6") << "wide" << 0.002 << 0.000005;
        QTest::newRow("raw at any price") << "raw" << 65000.0 << 0.0;
        QTest::newRow("raw below a cent") << "raw" << 0.0000111 << 0.0;
        QTest::newRow("raw without a price") << "raw" << 0.0 << 0.0;
        QTest::newRow("unknown key is normal") << "coarse" << 100.0 << 0.05;
        QTest::newRow("negative price counts as none") << "normal" << -5.0 << 1e-8;
        QTest::newRow("nan price counts as none") << "normal" << kNaN << 1e-8;
        QTest::newRow("infinite price counts as none") << "wide" << kInf << 1e-8;
    }

    void presetStep()
    {
        QFETCH(QString, preset);
        QFETCH(double, price);
        QFETCH(double, step);
        const double got = bookStepForPreset(preset, price);
        QVERIFY2(sameNumber(got, step), qPrintable(QString::number(got, 'g', 17)));
        // The step box holds it as it is: what it rounds to is the step itself.
        QVERIFY(sameNumber(QString::number(got, 'f', kBookStepDecimals).toDouble(), got));
    }

    void widerPresetsNeverFiner_data()
    {
        QTest::addColumn<double>("price");
        for (double price : {0.0, 0.0000000123, 0.0000099, 0.0000111, 0.0000123, 0.0001, 0.00004, 0.002, 0.01,
                             0.5, 0.9987, 1.0, 1.2345, 100.0, 10000.0, 65000.0, 104532.18})
            QTest::addRow("%.10g", price) << price;
    }

    // No preset but raw gives step 0, and each preset's step is at least the tighter one's.
    void widerPresetsNeverFiner()
    {
        QFETCH(double, price);
        double tighter = 0.0;
        for (const char *preset : {"tight", "normal", "wide"}) {
            const double step = bookStepForPreset(QString::fromLatin1(preset), price);
            QVERIFY2(step >= kLeastBookStep, preset);
            QVERIFY2(step >= tighter, preset);
            tighter = step;
        }
    }

    void bucket_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("step");
        QTest::addColumn<double>("bid");
        QTest::addColumn<double>("ask");
        QTest::newRow("step 5") << 652.3 << 5.0 << 650.0 << 655.0;
        QTest::newRow("on the grid stays") << 35496.06 << 0.01 << 35496.06 << 35496.06;
        QTest::newRow("on a coarse grid stays") << 650.0 << 5.0 << 650.0 << 650.0;
        QTest::newRow("0.3 on a 0.1 grid") << 0.3 << 0.1 << 0.3 << 0.3;
        QTest::newRow("step 0 leaves the price") << 652.3 << 0.0 << 652.3 << 652.3;
        QTest::newRow("negative step leaves the price") << 652.3 << -1.0 << 652.3 << 652.3;
        QTest::newRow("negative price unchanged") << -3.0 << 5.0 << -3.0 << -3.0;
        QTest::newRow("zero price unchanged") << 0.0 << 5.0 << 0.0 << 0.0;
    }

    void bucket()
    {
        QFETCH(double, price);
        QFETCH(double, step);
        QFETCH(double, bid);
        QFETCH(double, ask);
        QVERIFY2(sameNumber(roundToStep(price, step, true), bid),
                 qPrintable(QString::number(roundToStep(price, step, true), 'g', 17)));
        QVERIFY2(sameNumber(roundToStep(price, step, false), ask),
                 qPrintable(QString::number(roundToStep(price, step, false), 'g', 17)));
    }

    void bucketOfNonFinitePrices()
    {
        QVERIFY(std::isnan(roundToStep(kNaN, 5.0, true)));
        QVERIFY(std::isinf(roundToStep(kInf, 5.0, false)));
    }

    void aggregation_data()
    {
        QTest::addColumn<QByteArray>("levels");
        QTest::addColumn<bool>("isBid");
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("expected");
        QTest::newRow("step 5 bids merge by bucket")
            << QByteArray(R"([["652.3","1"],["650.0","2"],["649.0","4"]])") << true << 5.0 << "650:3 645:4";
        QTest::newRow("step 5 asks go up")
            << QByteArray(R"([["652.3","1"],["654","2"],["656","4"]])") << false << 5.0 << "655:3 660:4";
        QTest::newRow("raw merges equal prices only")
            << QByteArray(R"([["10","1"],["10.0","2"],["9.99","4"]])") << true << 0.0 << "10:3 9.99:4";
        QTest::newRow("numbers instead of strings are skipped")
            << QByteArray(R"([[10,"1"],["9","1"],["8",2]])") << true << 0.0 << "9:1";
        QTest::newRow("short, empty and odd entries are skipped")
            << QByteArray(R"([["10"],[],"x",{"p":"1"},["9","0"],["8","-1"],["7","abc"],["6","1"]])") << true
            << 0.0 << "6:1";
        QTest::newRow("only the first ten entries count")
            << QByteArray(R"([["20","1"],["19","1"],["18","1"],["17","1"],["16","1"],["15","1"],["14","1"],
                            ["13","1"],["12","1"],["11","1"],["10","1"],["9","1"]])")
            << true << 0.0 << "20:1 19:1 18:1 17:1 16:1 15:1 14:1 13:1 12:1 11:1";
        QTest::newRow("ten valid entries in two buckets")
            << QByteArray(
                   R"([["109","1"],["108","1"],["107","1"],["106","1"],["105","1"],["104","2"],["103","2"],
                            ["102","2"],["101","2"],["100.5","2"]])")
            << true << 5.0 << "105:5 100:10";
        QTest::newRow("grid prices keep their own bucket")
            << QByteArray(R"([["35496.06","1"],["35496.05","2"]])") << true << 0.01
            << "35496.06:1 35496.05:2";
    }

    void aggregation()
    {
        QFETCH(QByteArray, levels);
        QFETCH(bool, isBid);
        QFETCH(double, step);
        QFETCH(QString, expected);
        QCOMPARE(levelsText(aggregateDepthArray(depth(levels.constData()), isBid, step)), expected);
    }

    void aggregationOfLevelLists()
    {
        const QList<BookLevel> bids = {{652.3, 1.0, 1}, {650.0, 2.0, 2},  {649.0, 4.0, 3},
                                       {0.0, 5.0, 4},   {648.0, kNaN, 5}, {640.0, -1.0, 6}};
        QCOMPARE(levelsText(aggregateBookLevels(bids, true, 5.0)), QStringLiteral("650:3 645:4"));
        QCOMPARE(levelsText(aggregateBookLevels(bids, true, 0.0)), QStringLiteral("652.3:1 650:2 649:4"));
    }

    void depthRule_data()
    {
        QTest::addColumn<QByteArray>("bids");
        QTest::addColumn<QByteArray>("asks");
        QTest::addColumn<int>("validBids");
        QTest::addColumn<bool>("full");
        const QByteArray five = R"([["5","1"],["4","1"],["3","1"],["2","1"],["1","1"]])";
        const QByteArray four = R"([["5","1"],["4","1"],["3","1"],["2","1"]])";
        QTest::newRow("five and five") << five << five << 5 << true;
        QTest::newRow("five and four") << five << four << 5 << false;
        QTest::newRow("four and five") << four << five << 4 << false;
        QTest::newRow("a number price is invalid")
            << QByteArray(R"([["5","1"],["4","1"],["3","1"],["2","1"],[1,"1"]])") << five << 4 << false;
        QTest::newRow("zero quantity still counts")
            << QByteArray(R"([["5","0"],["4","1"],["3","1"],["2","1"],["1","1"]])") << five << 5 << true;
        QTest::newRow("all twenty entries count")
            << QByteArray(R"([["20","1"],["19","1"],["18","1"],["17","1"],["16","1"],["15","1"],["14","1"],
                            ["13","1"],["12","1"],["11","1"],["x","1"],["x","1"],["x","1"],["x","1"],["x","1"],
                            ["x","1"],["x","1"],["x","1"],["x","1"],["1","1"]])")
            << five << 11 << true;
        QTest::newRow("empty") << QByteArray("[]") << QByteArray("[]") << 0 << false;
    }

    void depthRule()
    {
        QFETCH(QByteArray, bids);
        QFETCH(QByteArray, asks);
        QFETCH(int, validBids);
        QFETCH(bool, full);
        QCOMPARE(countValidDepthEntries(depth(bids.constData())), validBids);
        QCOMPARE(hasFullDepthArrays(depth(bids.constData()), depth(asks.constData())), full);
    }

    void snapshotDepthRule()
    {
        BookSnapshot snapshot;
        for (int i = 0; i < 5; ++i) {
            snapshot.bids.append({100.0 - i, 1.0, i + 1});
            snapshot.asks.append({101.0 + i, 1.0, i + 1});
        }
        QVERIFY(hasFullDepthSnapshot(snapshot));
        snapshot.asks.removeLast();
        QVERIFY(!hasFullDepthSnapshot(snapshot));
    }

    void sums_data()
    {
        QTest::addColumn<QByteArray>("levels");
        QTest::addColumn<double>("sum");
        QTest::addColumn<double>("first");
        QTest::newRow("plain") << QByteArray(R"([["10","1.5"],["9","2.5"]])") << 4.0 << 10.0;
        QTest::newRow("odd quantities add nothing")
            << QByteArray(R"([["10","1"],["9","-3"],["8","nan"],["7","inf"],["6","x"],["5",2],["4"]])") << 1.0
            << 10.0;
        QTest::newRow("first ten only")
            << QByteArray(R"([["20","1"],["19","1"],["18","1"],["17","1"],["16","1"],["15","1"],["14","1"],
                            ["13","1"],["12","1"],["11","1"],["10","100"]])")
            << 10.0 << 20.0;
        QTest::newRow("empty") << QByteArray("[]") << 0.0 << 0.0;
        QTest::newRow("empty first entry") << QByteArray(R"([[],["9","1"]])") << 1.0 << 0.0;
        QTest::newRow("number first price") << QByteArray(R"([[10,"1"]])") << 1.0 << 0.0;
    }

    void sums()
    {
        QFETCH(QByteArray, levels);
        QFETCH(double, sum);
        QFETCH(double, first);
        QCOMPARE(sumDepthQuantities(depth(levels.constData())), sum);
        QCOMPARE(firstDepthPrice(depth(levels.constData())), first);
    }

    void levelSizes()
    {
        QCOMPARE(
            sumBookLevelSizes({{1.0, 2.0, 1}, {1.0, kInf, 2}, {1.0, kNaN, 3}, {1.0, -4.0, 4}, {1.0, 0.5, 5}}),
            2.5);
        QCOMPARE(sumBookLevelSizes({}), 0.0);
    }

    void stepSuffix_data()
    {
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("zero") << 0.0 << "Step"
                              << "";
        QTest::newRow("negative") << -1.0 << "Step"
                                  << "";
        QTest::newRow("fifty") << 50.0 << "Step"
                               << "  Step 50.00";
        QTest::newRow("one") << 1.0 << "Step"
                             << "  Step 1.00";
        QTest::newRow("small in portuguese") << 0.0005 << "Degrau"
                                             << "  Degrau 0.000500";
        QTest::newRow("five hundredths") << 0.05 << "Step"
                                         << "  Step 0.050000";
        // A step finer than the usual six decimals shows its own digits, up to the step box's eight.
        QTest::newRow("least step") << 0.00000001 << "Step"
                                    << "  Step 0.00000001";
        QTest::newRow("two hundred-millionths") << 0.00000002 << "Step"
                                                << "  Step 0.00000002";
        QTest::newRow("five ten-millionths") << 0.0000005 << "Step"
                                             << "  Step 0.0000005";
        QTest::newRow("typed with three decimals above one") << 1.125 << "Step"
                                                             << "  Step 1.125";
    }

    void stepSuffix()
    {
        QFETCH(double, step);
        QFETCH(QString, word);
        QFETCH(QString, suffix);
        QCOMPARE(bookStepSuffixText(step, word), suffix);
    }
};

MVX_TEST_MAIN(TestBookModel)
#include "test_book_model.moc"
