#include "shell/formats.h"
#include "shell/text_picker.h"
#include "tests/support/test_main.h"

#include <QLocale>
#include <cmath>
#include <limits>

class TestFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compactNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0.00");
        QTest::newRow("below a thousand") << 999.99 << QStringLiteral("999.99");
        QTest::newRow("rounds up without a suffix") << 999.999 << QStringLiteral("1000.00");
        QTest::newRow("one thousand") << 1000.0 << QStringLiteral("1.00K");
        QTest::newRow("negative thousands") << -1500.0 << QStringLiteral("-1.50K");
        QTest::newRow("suffix chosen before rounding") << 999999.999 << QStringLiteral("1000.00K");
        QTest::newRow("one and a half million") << 1500000.0 << QStringLiteral("1.50M");
        QTest::newRow("one thousand million") << 1e9 << QStringLiteral("1.00B");
        QTest::newRow("negative billions") << -2.5e9 << QStringLiteral("-2.50B");
        QTest::newRow("no suffix above B") << 1e12 << QStringLiteral("1000.00B");
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QStringLiteral("nan");
    }

    void compactNumber()
    {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(formatCompactNumber(value), expected);
    }

    void compactNumberIgnoresTheUserLocale()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        QCOMPARE(formatCompactNumber(1234567.0), QStringLiteral("1.23M"));
        QLocale::setDefault(saved);
    }

    void priceText_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        const double inf = std::numeric_limits<double>::infinity();
        // From 1 up the text is the one the terminal always showed.
        QTest::newRow("equity") << 36.71 << 4 << "36.7100";
        QTest::newRow("just below a thousand") << 999.5 << 4 << "999.5000";
        QTest::newRow("a thousand and up") << 104532.18 << 2 << "104532.18";
        QTest::newRow("chart label") << 36.71 << 2 << "36.71";
        QTest::newRow("one") << 1.0 << 4 << "1.0000";
        QTest::newRow("rounds up to a thousand, decided before rounding") << 999.99999 << 4 << "1000.0000";
        QTest::newRow("negative from a thousand down keeps 4") << -1500.0 << 4 << "-1500.0000";
        // Below 1: four significant digits, at most 8 decimals.
        QTest::newRow("half") << 0.5 << 4 << "0.5000";
        QTest::newRow("half on the chart") << 0.5 << 2 << "0.5000";
        QTest::newRow("cents") << 0.01234 << 4 << "0.01234";
        QTest::newRow("exact power of ten") << 0.001 << 4 << "0.001000";
        QTest::newRow("shib") << 0.00001234 << 4 << "0.00001234";
        QTest::newRow("shib on the chart") << 0.0000123 << 2 << "0.00001230";
        // The decimals belong to the price rounded to four digits: around each power of ten a price
        // either keeps four digits or, rounding up to the next power, reads as that power does.
        QTest::newRow("four digits below 0.0001") << 0.00009999 << 4 << "0.00009999";
        QTest::newRow("rounds up to 0.0001") << 0.000099996 << 4 << "0.0001000";
        QTest::newRow("0.0001") << 0.0001 << 4 << "0.0001000";
        QTest::newRow("four digits below 0.001") << 0.0009996 << 4 << "0.0009996";
        QTest::newRow("rounds up to 0.001") << 0.00099996 << 4 << "0.001000";
        QTest::newRow("four digits below 0.01") << 0.009999 << 4 << "0.009999";
        QTest::newRow("rounds up to 0.01") << 0.0099996 << 4 << "0.01000";
        QTest::newRow("four digits below 0.1, stored just under") << 0.09995 << 4 << "0.09995";
        QTest::newRow("rounds up to 0.1") << 0.099996 << 4 << "0.1000";
        QTest::newRow("0.1") << 0.1 << 4 << "0.1000";
        QTest::newRow("four digits below 1") << 0.9996 << 4 << "0.9996";
        QTest::newRow("four digits below 1 on the chart") << 0.9996 << 2 << "0.9996";
        QTest::newRow("rounds up to 1") << 0.99996 << 4 << "1.0000";
        QTest::newRow("rounds up to 1 on the chart") << 0.99996 << 2 << "1.00";
        QTest::newRow("one on the chart") << 1.0 << 2 << "1.00";
        QTest::newRow("finer than the finest tick") << 0.000000001234 << 4 << "0.00000000";
        // Zero, negative and non-finite prices keep their old texts.
        QTest::newRow("zero") << 0.0 << 4 << "0.0000";
        QTest::newRow("negative") << -0.00001234 << 4 << "-0.0000";
        QTest::newRow("negative near minus 1") << -0.99996 << 4 << "-1.0000";
        QTest::newRow("infinite") << inf << 4 << "inf";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 2 << "nan";
    }

    void priceText()
    {
        QFETCH(double, price);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(formatPriceFixed(price, decimals), expected);
        if (decimals == 4 || price >= 1000.0)
            QCOMPARE(formatPrice(price), expected);
    }

    // MACD of a coin below 1 takes the decimals of its last price, for both signs; from 1 up the
    // decimals given stay, whatever the MACD's own size.
    void macdText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("lastPrice");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("sub-cent coin, negative") << -0.00000012 << 0.0000123 << 4 << "-0.00000012";
        QTest::newRow("sub-cent coin, positive") << 0.00000003 << 0.0000123 << 4 << "0.00000003";
        QTest::newRow("sub-cent coin on the chart") << -0.00000012 << 0.0000123 << 3 << "-0.00000012";
        QTest::newRow("sub-cent coin, zero") << 0.0 << 0.0000123 << 4 << "0.00000000";
        QTest::newRow("coin below 1") << -0.000123 << 0.5 << 4 << "-0.0001";
        QTest::newRow("equity") << -0.123456 << 36.71 << 4 << "-0.1235";
        QTest::newRow("equity on the chart") << 0.123456 << 36.71 << 3 << "0.123";
        QTest::newRow("price rounding up to 1") << 0.00001 << 0.99996 << 3 << "0.000";
        QTest::newRow("no price") << 0.5 << 0.0 << 4 << "0.5000";
        QTest::newRow("price not a number") << 0.5 << std::numeric_limits<double>::quiet_NaN() << 4
                                            << "0.5000";
    }

    void macdText()
    {
        QFETCH(double, value);
        QFETCH(double, lastPrice);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(formatMacdValue(value, lastPrice, decimals), expected);
        // Crossing zero keeps the length but for the sign.
        QCOMPARE(formatMacdValue(-value, lastPrice, decimals).remove(QLatin1Char('-')).size(),
                 expected.size() - (expected.startsWith(QLatin1Char('-')) ? 1 : 0));
    }

    void eventLogLineKeepsPlaceholders()
    {
        QCOMPARE(eventLogLine(QStringLiteral("09:05:01"), QStringLiteral("price %1 hit %2")),
                 QStringLiteral("[09:05:01] price %1 hit %2"));
        QCOMPARE(eventLogLine(QStringLiteral("09:05:01"), QString()), QStringLiteral("[09:05:01] "));
    }

    void picker_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("portuguese");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pt_BR") << QStringLiteral("pt_BR") << QStringLiteral("Exibir")
                               << QStringLiteral("Exibir");
        QTest::newRow("en") << QStringLiteral("en") << QStringLiteral("Exibir") << QStringLiteral("View");
        QTest::newRow("hyphen") << QStringLiteral("pt-BR") << QStringLiteral("Exibir")
                                << QStringLiteral("View");
        QTest::newRow("upper case") << QStringLiteral("PT_BR") << QStringLiteral("Exibir")
                                    << QStringLiteral("View");
        QTest::newRow("empty code") << QString() << QStringLiteral("Exibir") << QStringLiteral("View");
        QTest::newRow("empty Portuguese stays empty") << QStringLiteral("pt_BR") << QString() << QString();
    }

    void picker()
    {
        QFETCH(QString, code);
        QFETCH(QString, portuguese);
        QFETCH(QString, expected);
        QCOMPARE(pickLocalized(code, QStringLiteral("View"), portuguese), expected);
    }

    void languageCodeNormalises_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pt_BR") << QStringLiteral("pt_BR") << QStringLiteral("pt_BR");
        QTest::newRow("pt") << QStringLiteral("pt") << QStringLiteral("en");
        QTest::newRow("pt-BR") << QStringLiteral("pt-BR") << QStringLiteral("en");
        QTest::newRow("empty") << QString() << QStringLiteral("en");
    }

    void languageCodeNormalises()
    {
        QFETCH(QString, requested);
        QFETCH(QString, expected);
        QCOMPARE(normalizeLanguageCode(requested), expected);
    }
};

MVX_TEST_MAIN(TestFormats)
#include "test_formats.moc"
