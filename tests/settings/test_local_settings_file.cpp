#include "settings/local_settings_file.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>

#include <limits>

namespace {
QJsonValue jsonValue(const char *text)
{
    // Wrapped in an array so that any JSON value, a bare string or number included, can be written.
    return QJsonDocument::fromJson(QByteArray("[") + text + "]").array().at(0);
}
} // namespace

class TestLocalSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void enumeratedValuesAreTakenOnlyWhenExact_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("expected");
        QTest::newRow("portuguese") << "language"
                                    << "\"pt_BR\""
                                    << "en"
                                    << "pt_BR";
        QTest::newRow("english") << "language"
                                 << "\"en\""
                                 << "pt_BR"
                                 << "en";
        QTest::newRow("language case") << "language"
                                       << "\"PT_br\""
                                       << "en"
                                       << "en";
        QTest::newRow("language hyphen") << "language"
                                         << "\"pt-BR\""
                                         << "pt_BR"
                                         << "pt_BR";
        QTest::newRow("language number") << "language"
                                         << "7"
                                         << "pt_BR"
                                         << "pt_BR";
        QTest::newRow("light") << "theme"
                               << "\"mvx_light\""
                               << "coffee_dark"
                               << "mvx_light";
        QTest::newRow("dark") << "theme"
                              << "\"coffee_dark\""
                              << "mvx_light"
                              << "coffee_dark";
        QTest::newRow("theme unknown") << "theme"
                                       << "\"dark\""
                                       << "mvx_light"
                                       << "mvx_light";
        QTest::newRow("candle") << "chart_mode"
                                << "\"candle\""
                                << "line"
                                << "candle";
        QTest::newRow("mode case") << "chart_mode"
                                   << "\"Candle\""
                                   << "line"
                                   << "line";
        QTest::newRow("mode missing") << "chart_mode"
                                      << "null"
                                      << "candle"
                                      << "candle";
        QTest::newRow("timeframe listed") << "chart_timeframe"
                                          << "\"4h\""
                                          << "1m"
                                          << "4h";
        QTest::newRow("timeframe case") << "chart_timeframe"
                                        << "\"4H\""
                                        << "1m"
                                        << "1m";
        QTest::newRow("timeframe unlisted") << "chart_timeframe"
                                            << "\"2h\""
                                            << "5m"
                                            << "5m";
    }

    void enumeratedValuesAreTakenOnlyWhenExact()
    {
        QFETCH(QString, key);
        QFETCH(QString, json);
        QFETCH(QString, current);
        QFETCH(QString, expected);
        const QJsonValue value = jsonValue(json.toUtf8().constData());
        QString got;
        if (key == QLatin1String("language"))
            got = acceptedLanguage(value, current);
        else if (key == QLatin1String("theme"))
            got = acceptedTheme(value, current);
        else if (key == QLatin1String("chart_mode"))
            got = acceptedChartMode(value, current);
        else
            got = acceptedChartTimeframe(value, current, {"1m", "5m", "1h", "4h", "1d"});
        QCOMPARE(got, expected);
    }

    void hiddenColumnsAreWrittenAscending()
    {
        QCOMPARE(hiddenColumnsText({}), QString());
        QCOMPARE(hiddenColumnsText({14, 3, 5}), QStringLiteral("3,5,14"));
        QCOMPARE(hiddenColumnsText({7}), QStringLiteral("7"));
    }

    void positiveIntsKeepOnlyWholePositiveNumbers_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("zero dropped") << "[300, 0, 500]" << QList<int>{300, 500};
        QTest::newRow("fraction dropped") << "[2.5, 4]" << QList<int>{4};
        QTest::newRow("negative dropped") << "[-3, 9]" << QList<int>{9};
        QTest::newRow("text dropped") << "[\"7\", true, null, 8]" << QList<int>{8};
        QTest::newRow("beyond int dropped") << "[1e12, 5]" << QList<int>{5};
        QTest::newRow("order kept") << "[3, 1, 2]" << QList<int>{3, 1, 2};
        QTest::newRow("empty") << "[]" << QList<int>{};
    }

    void positiveIntsKeepOnlyWholePositiveNumbers()
    {
        QFETCH(QString, json);
        QFETCH(QList<int>, expected);
        const QJsonArray array = QJsonDocument::fromJson(json.toUtf8()).array();
        QCOMPARE(positiveIntsFromJson(array), expected);
        QCOMPARE(positiveIntsFromJson(intsToJsonArray(expected)), expected);
    }

    void syncVersionsKeepOnlyPositiveVersions()
    {
        const QJsonObject stored =
            QJsonDocument::fromJson(R"({"settings": 3, "alerts": 0, "workspace": -2, "portfolios": "4",
                                        "watchlists": 12})")
                .object();
        const QMap<QString, int> versions = syncVersionsFromJson(stored);
        QCOMPARE(versions, (QMap<QString, int>{{"settings", 3}, {"watchlists", 12}}));
        QCOMPARE(syncVersionsFromJson(syncVersionsToJson(versions)), versions);
    }

    void authMembersAreReadOneByOne()
    {
        LocalSettings settings;
        settings.authToken = QStringLiteral("old");
        settings.authEmail = QStringLiteral("old@example.com");
        readAuthJson(jsonValue(R"({"token": "tok", "first_name": "Ana"})"), settings);
        QCOMPARE(settings.authToken, QStringLiteral("tok"));
        QCOMPARE(settings.authEmail, QString()); // missing member: ""
        QCOMPARE(settings.authFirstName, QStringLiteral("Ana"));
        QCOMPARE(settings.authTokenExpiration, QString());

        readAuthJson(QJsonValue(), settings); // no "auth" at all ends the session
        QCOMPARE(settings.authToken, QString());
        QCOMPARE(settings.authFirstName, QString());

        settings.authToken = QStringLiteral("t");
        settings.authEmail = QStringLiteral("e");
        settings.authFirstName = QStringLiteral("f");
        settings.authTokenExpiration = QStringLiteral("2030-01-01");
        LocalSettings read;
        readAuthJson(authToJson(settings), read);
        QCOMPARE(read.authToken, settings.authToken);
        QCOMPARE(read.authEmail, settings.authEmail);
        QCOMPARE(read.authFirstName, settings.authFirstName);
        QCOMPARE(read.authTokenExpiration, settings.authTokenExpiration);
    }

    void syncLastUnixIsTruncatedAndBounded_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("whole") << "1700000000" << qint64(1700000000);
        QTest::newRow("fraction") << "1700000000.9" << qint64(1700000000);
        QTest::newRow("negative fraction") << "-5.7" << qint64(-5);
        QTest::newRow("missing") << "null" << qint64(0);
        QTest::newRow("text") << "\"1700000000\"" << qint64(0);
        QTest::newRow("huge") << "1e300" << std::numeric_limits<qint64>::max();
        QTest::newRow("huge negative") << "-1e300" << std::numeric_limits<qint64>::min();
    }

    void syncLastUnixIsTruncatedAndBounded()
    {
        QFETCH(QString, json);
        QFETCH(qint64, expected);
        QCOMPARE(syncLastUnixFromJson(jsonValue(json.toUtf8().constData())), expected);
    }

    void numberSettingsFallBackToZero()
    {
        QCOMPARE(numberSetting(jsonValue("0.25")), 0.25);
        QCOMPARE(numberSetting(jsonValue("null")), 0.0);
        QCOMPARE(numberSetting(jsonValue("\"3\"")), 0.0);
        QCOMPARE(numberSetting(QJsonValue(std::numeric_limits<double>::infinity())), 0.0);
    }

    void geometryRoundTripsThroughBase64()
    {
        const QByteArray blob("\x01\xd9\xd0\xcb\x00\x03\x00\x00\xff", 9);
        const QString text = geometryToText(blob);
        QCOMPARE(text, QStringLiteral("AdnQywADAAD/")); // standard alphabet with "/", no URL-safe form
        QCOMPARE(geometryFromText(QJsonValue(text)), blob);
        QVERIFY(geometryFromText(QJsonValue()).isEmpty());
        QVERIFY(geometryFromText(QJsonValue(42)).isEmpty());
    }
};

MVX_TEST_MAIN(TestLocalSettingsFile)
#include "test_local_settings_file.moc"
