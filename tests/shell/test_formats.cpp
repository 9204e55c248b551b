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
