#include "providers/reply_check.h"
#include "tests/support/test_main.h"

#include <QJsonArray>

namespace {

ProviderReplyHeaders retryAfter(const QByteArray &value, const QByteArray &name = "Retry-After")
{
    return {{name, value}};
}

} // namespace

class TestReplyCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void evaluate_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("status");
        QTest::addColumn<ProviderReplyHeaders>("headers");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("rateLimited");
        QTest::addColumn<int>("retryAfterSec");
        QTest::addColumn<QString>("message");

        const ProviderReplyHeaders none;
        const QString invalid = QStringLiteral("Invalid or limited payload");
        const QString malformed = QStringLiteral("Malformed or empty JSON");
        const QByteArray yahooChart = R"({"chart":{"result":[{"meta":{}}]}})";

        // Statuses come before the body.
        QTest::newRow("429 with retry-after")
            << "finnhub" << 429 << retryAfter("30") << QByteArray(R"({"c":1})") << false << true << 30
            << "HTTP 429 rate limit";
        QTest::newRow("503 keeps retry-after")
            << "finnhub" << 503 << retryAfter("30") << QByteArray(R"({"c":1})") << false << false << 30
            << "HTTP 503";
        QTest::newRow("no status") << "yahoo_us" << 0 << none << QByteArray() << false << false << 0
                                   << "HTTP 0";
        QTest::newRow("199") << "yahoo_us" << 199 << none << yahooChart << false << false << 0 << "HTTP 199";
        QTest::newRow("300") << "yahoo_us" << 300 << none << yahooChart << false << false << 0 << "HTTP 300";
        QTest::newRow("404 with a good body")
            << "yahoo_us" << 404 << none << yahooChart << false << false << 0 << "HTTP 404";
        QTest::newRow("402 plan limit is no rate limit")
            << "brapi_public" << 402 << none << QByteArray(R"({"error":true,"message":"limite"})") << false
            << false << 0 << "HTTP 402";
        QTest::newRow("299 counts as success")
            << "yahoo_us" << 299 << none << yahooChart << true << false << 0 << "";

        // Bodies that are not JSON documents.
        QTest::newRow("empty body") << "yahoo_us" << 200 << none << QByteArray() << false << false << 0
                                    << malformed;
        QTest::newRow("text") << "yahoo_us" << 200 << none << QByteArray("Too Many Requests") << false
                              << false << 0 << malformed;
        QTest::newRow("blank") << "murvex_news" << 200 << none << QByteArray("  \n") << false << false << 0
                               << malformed;
        QTest::newRow("cut off") << "yahoo_us" << 200 << none << QByteArray(R"({"chart":{"result":[)")
                                 << false << false << 0 << malformed;
        QTest::newRow("bare number") << "other" << 200 << none << QByteArray("5") << false << false << 0
                                     << malformed;
        QTest::newRow("trailing garbage")
            << "other" << 200 << none << QByteArray("{} x") << false << false << 0 << malformed;

        // The provider's own message in a successful reply.
        QTest::newRow("note about call frequency")
            << "alpha_vantage" << 200 << none
            << QByteArray(
                   R"({"Note":"Thank you for using Alpha Vantage! Our standard API call frequency is 5 calls per minute."})")
            << false << true << 0
            << "Thank you for using Alpha Vantage! Our standard API call frequency is 5 calls per minute.";
        QTest::newRow("error message without limit words")
            << "alpha_vantage" << 200 << none << QByteArray(R"({"Error Message":"Invalid API call."})")
            << false << false << 0 << "Invalid API call.";
        QTest::newRow("rate inside another word counts")
            << "alpha_vantage" << 200 << none << QByteArray(R"({"Error Message":"Use a separate call."})")
            << false << true << 0 << "Use a separate call.";
        QTest::newRow("LIMIT in any case")
            << "finnhub" << 200 << none << QByteArray(R"({"error":"API LIMIT reached"})") << false << true
            << 0 << "API LIMIT reached";
        QTest::newRow("error false") << "brapi_public" << 200 << none
                                     << QByteArray(R"({"error":false,"results":[{}]})") << false << false << 0
                                     << "false";
        QTest::newRow("error object is ignored")
            << "brapi_public" << 200 << none << QByteArray(R"({"error":{"code":1},"results":[{}]})") << true
            << false << 0 << "";
        QTest::newRow("numeric message")
            << "twelvedata" << 200 << none << QByteArray(R"({"message":404,"close":"1"})") << false << false
            << 0 << "404";
        QTest::newRow("blank note gives way")
            << "alpha_vantage" << 200 << none << QByteArray(R"({"Note":"  ","Information":" Daily cap "})")
            << false << false << 0 << "Daily cap";
        QTest::newRow("message ahead of error")
            << "brapi_public" << 200 << none
            << QByteArray(R"({"error":true,"message":"Nao encontramos a acao G3X"})") << false << false << 0
            << "Nao encontramos a acao G3X";
        QTest::newRow("echoed key is redacted")
            << "alpha_vantage" << 200 << none
            << QByteArray(
                   R"({"Information":"We have detected your API key as ABC123SECRET and our standard API rate limit is 25 requests per day."})")
            << false << true << 0
            << "We have detected your API key as [redacted] and our standard API rate limit is 25 requests "
               "per day.";
        QTest::newRow("key in an echoed URL is redacted")
            << "twelvedata" << 200 << none
            << QByteArray("{\"message\":\"Bad call https://x.test/quote?symbol=A&apikey=SECRET9&b=1\"}")
            << false << false << 0 << "Bad call https://x.test/quote?symbol=A&apikey=[redacted]&b=1";
        QTest::newRow("array document has no message")
            << "binance_public" << 200 << none << QByteArray(R"([{"message":"limit"}])") << true << false << 0
            << "";

        // Payload tests, chosen by words in the key or the display name.
        QTest::newRow("binance last price")
            << "binance_public" << 200 << none << QByteArray(R"({"lastPrice":"4.0000"})") << true << false
            << 0 << "";
        QTest::newRow("binance price")
            << "Binance Public" << 200 << none << QByteArray(R"({"price":"1"})") << true << false << 0 << "";
        QTest::newRow("binance array")
            << "binance_public" << 200 << none << QByteArray("[]") << true << false << 0 << "";
        QTest::newRow("binance number is not text")
            << "binance_public" << 200 << none << QByteArray(R"({"lastPrice":4})") << false << false << 0
            << invalid;
        QTest::newRow("binance infinite price")
            << "binance_public" << 200 << none << QByteArray(R"({"lastPrice":"inf"})") << false << false << 0
            << invalid;
        QTest::newRow("binance error code")
            << "binance_public" << 200 << none << QByteArray(R"({"code":-1121,"msg":"Invalid symbol."})")
            << false << false << 0 << invalid;
        QTest::newRow("yahoo chart") << "yahoo_us" << 200 << none << yahooChart << true << false << 0 << "";
        QTest::newRow("yahoo quote response")
            << "Yahoo .SA Public" << 200 << none << QByteArray(R"({"quoteResponse":{"result":[{}]}})") << true
            << false << 0 << "";
        QTest::newRow("yahoo empty chart")
            << "yahoo_us" << 200 << none << QByteArray(R"({"chart":{"result":[]}})") << false << false << 0
            << invalid;
        QTest::newRow("yahoo null result")
            << "yahoo_fx" << 200 << none
            << QByteArray(R"({"chart":{"result":null,"error":{"code":"Not Found"}}})") << false << false << 0
            << invalid;
        QTest::newRow("brapi results")
            << "brapi_keyed" << 200 << none << QByteArray(R"({"results":[{}]})") << true << false << 0 << "";
        QTest::newRow("brapi no results")
            << "BrAPI" << 200 << none << QByteArray(R"({"results":[]})") << false << false << 0 << invalid;
        QTest::newRow("alpha global quote")
            << "alpha_vantage" << 200 << none << QByteArray(R"({"Global Quote":{"05. price":"1"}})") << true
            << false << 0 << "";
        QTest::newRow("alpha empty global quote")
            << "alpha_vantage" << 200 << none << QByteArray(R"({"Global Quote":{}})") << false << false << 0
            << invalid;
        QTest::newRow("alpha gainers")
            << "alpha_vantage" << 200 << none << QByteArray(R"({"top_gainers":[{}],"top_losers":[]})") << true
            << false << 0 << "";
        QTest::newRow("alpha losers") << "Alpha Vantage" << 200 << none
                                      << QByteArray(R"({"top_losers":[{}]})") << true << false << 0 << "";
        QTest::newRow("finnhub price")
            << "finnhub" << 200 << none << QByteArray(R"({"c":1.5})") << true << false << 0 << "";
        QTest::newRow("finnhub zero") << "finnhub" << 200 << none << QByteArray(R"({"c":0,"dp":null})")
                                      << false << false << 0 << invalid;
        QTest::newRow("finnhub text price")
            << "finnhub" << 200 << none << QByteArray(R"({"c":"1.5"})") << false << false << 0 << invalid;
        QTest::newRow("twelve text close")
            << "twelvedata" << 200 << none << QByteArray(R"({"close":"148.85"})") << true << false << 0 << "";
        QTest::newRow("twelve number close")
            << "Twelve Data" << 200 << none << QByteArray(R"({"close":2})") << true << false << 0 << "";
        QTest::newRow("twelve zero text") << "twelvedata" << 200 << none << QByteArray(R"({"close":"0"})")
                                          << false << false << 0 << invalid;
        QTest::newRow("twelve nan text") << "twelvedata" << 200 << none << QByteArray(R"({"close":"nan"})")
                                         << false << false << 0 << invalid;
        QTest::newRow("fmp array") << "fmp" << 200 << none << QByteArray(R"([{"price":145.7}])") << true
                                   << false << 0 << "";
        QTest::newRow("fmp display name, text price")
            << "Financial Modeling Prep" << 200 << none << QByteArray(R"([{"price":"145.7"}])") << true
            << false << 0 << "";
        QTest::newRow("fmp empty array")
            << "fmp" << 200 << none << QByteArray("[]") << false << false << 0 << invalid;
        QTest::newRow("fmp object") << "fmp" << 200 << none << QByteArray(R"({"price":1})") << false << false
                                    << 0 << invalid;
        QTest::newRow("murvex array")
            << "murvex_news" << 200 << none << QByteArray("[]") << true << false << 0 << "";
        QTest::newRow("murvex empty object")
            << "Murvex JSON" << 200 << none << QByteArray("{}") << false << false << 0 << invalid;
        QTest::newRow("murvex object")
            << "murvex_news" << 200 << none << QByteArray(R"({"items":[]})") << true << false << 0 << "";
        QTest::newRow("other provider, any document")
            << "newsapi" << 200 << none << QByteArray("{}") << true << false << 0 << "";
        QTest::newRow("first rule wins")
            << "binance_yahoo" << 200 << none << QByteArray(R"({"chart":{"result":[{}]}})") << false << false
            << 0 << invalid;
    }

    void evaluate()
    {
        QFETCH(QString, key);
        QFETCH(int, status);
        QFETCH(ProviderReplyHeaders, headers);
        QFETCH(QByteArray, body);
        QFETCH(bool, ok);
        QFETCH(bool, rateLimited);
        QFETCH(int, retryAfterSec);
        QFETCH(QString, message);

        const ProviderReplyCheck check = evaluateProviderReply(key, status, headers, body);
        QCOMPARE(check.message, message);
        QCOMPARE(check.ok, ok);
        QCOMPARE(check.rateLimited, rateLimited);
        QCOMPARE(check.retryAfterSec, retryAfterSec);
    }

    void retryAfterSeconds_data()
    {
        QTest::addColumn<ProviderReplyHeaders>("headers");
        QTest::addColumn<int>("expected");
        QTest::newRow("absent") << ProviderReplyHeaders{{"Content-Type", "application/json"}} << 0;
        QTest::newRow("plain") << retryAfter("30") << 30;
        QTest::newRow("blanks around") << retryAfter(" 12 ") << 12;
        QTest::newRow("lower-case name") << retryAfter("7", "retry-after") << 7;
        QTest::newRow("upper-case name") << retryAfter("8", "RETRY-AFTER") << 8;
        QTest::newRow("negative") << retryAfter("-5") << 0;
        QTest::newRow("zero") << retryAfter("0") << 0;
        QTest::newRow("http date") << retryAfter("Wed, 21 Oct 2015 07:28:00 GMT") << 0;
        QTest::newRow("fraction") << retryAfter("1.5") << 0;
        QTest::newRow("hex") << retryAfter("0x10") << 0;
        QTest::newRow("empty") << retryAfter("") << 0;
        QTest::newRow("largest int") << retryAfter("2147483647") << 2147483647;
        QTest::newRow("beyond int") << retryAfter("2147483648") << 0;
        QTest::newRow("far beyond int") << retryAfter("99999999999999999999999") << 0;
        QTest::newRow("longer name") << retryAfter("5", "Retry-After-Ms") << 0;
        QTest::newRow("two spellings, same answer every time")
            << ProviderReplyHeaders{{"retry-after", "9"}, {"Retry-After", "5"}, {"RETRY-after", "3"}} << 3;
    }

    void retryAfterSeconds()
    {
        QFETCH(ProviderReplyHeaders, headers);
        QFETCH(int, expected);
        QCOMPARE(::retryAfterSeconds(headers), expected);
    }

    void apiMessageIsCut()
    {
        const QString longText(400, QLatin1Char('x'));
        QCOMPARE(providerApiMessage(QJsonObject{{"Note", longText}}), QString(180, QLatin1Char('x')));

        // Character 180 is the first half of a pair: the whole pair goes rather than half of it.
        QString withPair(179, QLatin1Char('a'));
        withPair += QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("tail");
        const QString cut = providerApiMessage(QJsonObject{{"message", withPair}});
        QCOMPARE(cut, QString(179, QLatin1Char('a')));
        QVERIFY(cut.isValidUtf16());
    }

    void apiMessageTextConversions_data()
    {
        QTest::addColumn<QJsonObject>("object");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QJsonObject{{"other", "x"}} << "";
        QTest::newRow("true") << QJsonObject{{"error", true}} << "true";
        QTest::newRow("null") << QJsonObject{{"error", QJsonValue::Null}} << "";
        QTest::newRow("array") << QJsonObject{{"message", QJsonArray{1}}} << "";
        QTest::newRow("fraction") << QJsonObject{{"message", 1.5}} << "1.5";
        QTest::newRow("order") << QJsonObject{{"error", "e"}, {"Note", "n"}, {"message", "m"}} << "n";
        QTest::newRow("case matters") << QJsonObject{{"note", "n"}, {"Message", "m"}} << "";
    }

    void apiMessageTextConversions()
    {
        QFETCH(QJsonObject, object);
        QFETCH(QString, expected);
        QCOMPARE(providerApiMessage(object), expected);
    }

    void isWithinSeconds_data()
    {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("to");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<bool>("expected");
        const QDateTime t0 = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
        QTest::newRow("equal, limit 0") << t0 << t0 << qint64(0) << true;
        QTest::newRow("inside") << t0 << t0.addSecs(899) << qint64(900) << true;
        QTest::newRow("at the limit") << t0 << t0.addSecs(900) << qint64(900) << true;
        QTest::newRow("past the limit") << t0 << t0.addSecs(901) << qint64(900) << false;
        QTest::newRow("fraction below the next second") << t0 << t0.addMSecs(900999) << qint64(900) << true;
        QTest::newRow("to before from") << t0 << t0.addSecs(-1) << qint64(900) << false;
        QTest::newRow("negative limit") << t0 << t0 << qint64(-1) << false;
        QTest::newRow("invalid from") << QDateTime() << t0 << qint64(900) << false;
        QTest::newRow("invalid to") << t0 << QDateTime() << qint64(900) << false;
    }

    void isWithinSeconds()
    {
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, to);
        QFETCH(qint64, limit);
        QFETCH(bool, expected);
        QCOMPARE(::isWithinSeconds(from, to, limit), expected);
    }
};

MVX_TEST_MAIN(TestReplyCheck)
#include "test_reply_check.moc"
