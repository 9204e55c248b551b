#include "portfolio/portfolio_model.h"
#include "tests/support/test_main.h"
#include "watchlist/symbol_rules.h"

#include <QJsonDocument>

namespace {
QString normalize(const QString &text)
{
    return normalizeSymbol(text, {}, {QStringLiteral("PETR4"), QStringLiteral("VALE3")});
}

QJsonObject parse(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

QJsonArray parseArray(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).array();
}

// One line per portfolio: "name base [symbol qty avg, ...] {n transactions}", active marked with "*".
QStringList describe(const PortfolioSet &set)
{
    QStringList out;
    for (auto it = set.positions.cbegin(); it != set.positions.cend(); ++it) {
        QStringList positions;
        for (const PortfolioPosition &p : it.value())
            positions << QStringLiteral("%1 %2 %3").arg(p.symbol).arg(p.quantity).arg(p.averagePrice);
        out << QStringLiteral("%1%2 %3 [%4] {%5}")
                   .arg(it.key() == set.active ? QStringLiteral("*") : QString(), it.key(),
                        set.baseCurrency.value(it.key(), QStringLiteral("<none>")), positions.join(", "))
                   .arg(set.transactions.value(it.key()).size());
    }
    return out;
}

PortfolioSet read(const QJsonObject &object, const QJsonArray &legacy = {}, bool portuguese = false)
{
    return portfoliosFromJson(object, legacy, defaultPortfolioName(portuguese), normalize);
}
} // namespace

class TestPortfolioModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTheStoredForm_data()
    {
        QTest::addColumn<QByteArray>("portfolios");
        QTest::addColumn<QByteArray>("legacy");
        QTest::addColumn<bool>("portuguese");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("trimmed name, stale active, own currency")
            << QByteArray(R"({"active": "Gone", "items": [{"name": "  Long  ", "base_currency": "USD",
                              "positions": [{"symbol": "aapl", "quantity": 3, "average_price": 150}]}]})")
            << QByteArray("[]") << false << QStringList{"*Long USD [AAPL 3 150] {0}"};
        QTest::newRow("missing currency reads as BRL, an empty one stays empty")
            << QByteArray(R"({"active": "B", "items": [{"name": "A"}, {"name": "B", "base_currency": ""},
                              {"name": "C", "base_currency": 7}]})")
            << QByteArray("[]") << false << QStringList{"A BRL [] {0}", "*B  [] {0}", "C BRL [] {0}"};
        QTest::newRow("a name equal once trimmed is kept under a suffix")
            << QByteArray(R"({"active": "Main", "items": [
                   {"name": "Main", "base_currency": "USD", "positions": [{"symbol": "NVDA", "quantity": 1}],
                    "transactions": [{"type": "cash", "amount": 5}]},
                   {"name": "Main ", "positions": [{"symbol": "AAPL", "quantity": 2}],
                    "transactions": [{"type": "cash", "amount": 1}, {"type": "dividend", "amount": 2}]}]})")
            << QByteArray("[]") << false
            << QStringList{"*Main USD [NVDA 1 0] {1}", "Main (2) BRL [AAPL 2 0] {2}"};
        QTest::newRow("two identical names")
            << QByteArray(R"({"active": "X", "items": [
                   {"name": "X", "positions": [{"symbol": "NVDA", "quantity": 1}]},
                   {"name": "X", "base_currency": "USD", "positions": [{"symbol": "AAPL", "quantity": 2}]}]})")
            << QByteArray("[]") << false << QStringList{"*X BRL [NVDA 1 0] {0}", "X (2) USD [AAPL 2 0] {0}"};
        QTest::newRow("a suffix skips a name another item holds, the legacy portfolio comes after")
            << QByteArray(R"js({"active": "Main (2)", "items": [
                   {"name": "Main", "positions": [{"symbol": "NVDA", "quantity": 1}]},
                   {"name": " Main", "positions": [{"symbol": "AAPL", "quantity": 2}]},
                   {"name": "Main (2)", "positions": [{"symbol": "PETR4", "quantity": 3}]}]})js")
            << QByteArray(R"([{"symbol": "VALE3", "quantity": 4, "average_price": 60}])") << false
            << QStringList{"Main BRL [NVDA 1 0] {0}", "*Main (2) BRL [PETR4.SA 3 0] {0}",
                           "Main (3) BRL [AAPL 2 0] {0}", "Main (4) BRL [VALE3.SA 4 60] {0}"};
        QTest::newRow("no collision: names differing in case or inside are kept as written")
            << QByteArray(R"({"active": "main", "items": [
                   {"name": "Main", "positions": [{"symbol": "NVDA", "quantity": 1}]},
                   {"name": "main", "positions": [{"symbol": "AAPL", "quantity": 2}]},
                   {"name": "Ma in"}]})")
            << QByteArray("[]") << false
            << QStringList{"Ma in BRL [] {0}", "Main BRL [NVDA 1 0] {0}", "*main BRL [AAPL 2 0] {0}"};
        QTest::newRow("blank names and blank symbols are skipped")
            << QByteArray(R"({"active": "", "items": [{"name": "   "}, "text", 4,
                   {"name": "Z", "positions": [{"symbol": "  "}, {"quantity": 4}, "AAPL",
                                               {"symbol": "petr4", "quantity": "9", "average_price": null}]}]})")
            << QByteArray("[]") << false << QStringList{"*Z BRL [PETR4.SA 0 0] {0}"};
        QTest::newRow("duplicate symbols are kept as they come")
            << QByteArray(R"({"active": "D", "items": [{"name": "D", "positions": [
                   {"symbol": "AAPL", "quantity": 1, "average_price": 2},
                   {"symbol": "AAPL", "quantity": 3, "average_price": 4}]}]})")
            << QByteArray("[]") << false << QStringList{"*D BRL [AAPL 1 2, AAPL 3 4] {0}"};
        QTest::newRow("legacy array alone, English")
            << QByteArray("{}")
            << QByteArray(R"([{"symbol": "PETR4.SA", "quantity": 100, "average_price": 20},
                             {"symbol": "aapl", "quantity": -10, "average_price": 50}])")
            << false << QStringList{"*Main <none> [PETR4.SA 100 20, AAPL -10 50] {0}"};
        QTest::newRow("legacy array alone, Portuguese")
            << QByteArray(R"({"active": "Old", "items": []})")
            << QByteArray(R"([{"symbol": "VALE3", "quantity": 5, "average_price": 60}])") << true
            << QStringList{"*Principal <none> [VALE3.SA 5 60] {0}"};
        QTest::newRow("no items and no legacy array: an empty default")
            << QByteArray(R"({"active": "Kept"})") << QByteArray("[]") << false
            << QStringList{"*Main <none> [] {0}"};
        QTest::newRow("legacy positions beside the new form are kept as a portfolio of their own")
            << QByteArray(R"({"active": "Main", "items": [{"name": "Main"}]})")
            << QByteArray(R"([{"symbol": "NVDA", "quantity": 2, "average_price": 100}])") << false
            << QStringList{"*Main BRL [] {0}", "Main (2) BRL [NVDA 2 100] {0}"};
        QTest::newRow("legacy positions a portfolio already holds are not taken twice")
            << QByteArray(R"({"active": "US", "items": [{"name": "US", "positions":
                   [{"symbol": "NVDA", "quantity": 2, "average_price": 100}]}]})")
            << QByteArray(R"([{"symbol": "nvda", "quantity": 2, "average_price": 100}])") << false
            << QStringList{"*US BRL [NVDA 2 100] {0}"};
    }

    void readsTheStoredForm()
    {
        QFETCH(QByteArray, portfolios);
        QFETCH(QByteArray, legacy);
        QFETCH(bool, portuguese);
        QFETCH(QStringList, expected);
        const PortfolioSet set = read(QJsonDocument::fromJson(portfolios).object(),
                                      QJsonDocument::fromJson(legacy).array(), portuguese);
        QCOMPARE(describe(set), expected);
    }

    void transactionsAreTakenWithoutChecks()
    {
        const QList<PortfolioTransaction> transactions = transactionsFromJson(parseArray(R"([
            {"timestamp": "2024-03-01T10:00:00", "type": "dividend", "symbol": "PETR4.SA", "amount": 12.5,
             "currency": "USD", "note": "q1"},
            {"type": "bonus", "amount": "3", "currency": 5},
            "junk"])"));
        QCOMPARE(transactions.size(), 3);
        QCOMPARE(transactions.at(0),
                 (PortfolioTransaction{"2024-03-01T10:00:00", "dividend", "PETR4.SA", 12.5, "USD", "q1"}));
        // Unknown type kept, a non-number amount is 0, a currency that is no string is "BRL".
        QCOMPARE(transactions.at(1), (PortfolioTransaction{"", "bonus", "", 0.0, "BRL", ""}));
        QCOMPARE(transactions.at(2), (PortfolioTransaction{"", "", "", 0.0, "BRL", ""}));
    }

    void writingAndReadingBackKeepsEverything()
    {
        PortfolioSet set;
        set.active = QStringLiteral("US");
        set.positions.insert("Main", {{"PETR4.SA", 100, 20.5}, {"BTCUSDT", 0.125, 64000}});
        set.positions.insert("US", {{"AAPL", -10, 50}, {"AAPL", 3, 1.00000001}});
        set.positions.insert("empty", {});
        set.transactions.insert("Main", {{"2024-01-02T09:30:00", "cash", "", -250, "BRL", ""},
                                         {"2024-01-03T09:30:00", "dividend", "PETR4.SA", 10, "BRL", "jcp"}});
        set.baseCurrency.insert("Main", "BRL");
        set.baseCurrency.insert("US", "USD");
        // "empty" has neither transactions nor a currency: written with none and "BRL".

        const QJsonObject written = portfoliosToJson(set);
        const QJsonObject reread =
            QJsonDocument::fromJson(QJsonDocument(written).toJson(QJsonDocument::Indented)).object();
        const PortfolioSet back = read(reread);
        QCOMPARE(back.active, set.active);
        QCOMPARE(back.positions, set.positions);
        QCOMPARE(back.transactions.value("Main"), set.transactions.value("Main"));
        QCOMPARE(back.transactions.value("empty"), QList<PortfolioTransaction>());
        QCOMPARE(back.baseCurrency.value("empty"), QStringLiteral("BRL"));
        QCOMPARE(portfoliosToJson(back), written);

        // The stored form, as other programs and the sync service read it.
        const QJsonObject first = written.value("items").toArray().at(0).toObject();
        QCOMPARE(first.keys(), (QStringList{"base_currency", "name", "positions", "transactions"}));
        QCOMPARE(first.value("positions").toArray().at(0).toObject().keys(),
                 (QStringList{"average_price", "quantity", "symbol"}));
        QCOMPARE(first.value("transactions").toArray().at(0).toObject().keys(),
                 (QStringList{"amount", "currency", "note", "symbol", "timestamp", "type"}));
    }

    void numbersJsonCannotHoldAreWrittenAsZero()
    {
        const QJsonArray array = positionsToJson({{"AAPL", qInf(), qQNaN()}});
        QCOMPARE(array.at(0).toObject().value("quantity").toDouble(-1), 0.0);
        QCOMPARE(array.at(0).toObject().value("average_price").toDouble(-1), 0.0);
    }

    void onlyAnObjectWithItemsMayReplaceThePortfolios_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("applicable");
        QTest::newRow("items") << QByteArray(R"({"active": "A", "items": [{"name": "A"}]})") << true;
        QTest::newRow("empty items") << QByteArray(R"({"items": []})") << true;
        QTest::newRow("no items") << QByteArray(R"({"active": "A"})") << false;
        QTest::newRow("items not an array") << QByteArray(R"({"items": {"name": "A"}})") << false;
        QTest::newRow("an array") << QByteArray(R"([{"name": "A"}])") << false;
    }

    void onlyAnObjectWithItemsMayReplaceThePortfolios()
    {
        QFETCH(QByteArray, payload);
        QFETCH(bool, applicable);
        const QJsonDocument document = QJsonDocument::fromJson(payload);
        const QJsonValue value =
            document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
        QCOMPARE(isApplicablePortfoliosPayload(value), applicable);
        QVERIFY(!isApplicablePortfoliosPayload(QJsonValue("items")));
        QVERIFY(!isApplicablePortfoliosPayload(QJsonValue()));
    }

    void positionsAreFoundByExactSymbol()
    {
        const QList<PortfolioPosition> positions{{"AAPL", 1, 1}, {"NVDA", 2, 2}, {"AAPL", 3, 3}};
        QCOMPARE(indexOfPositionIn(positions, "AAPL"), 0);
        QCOMPARE(indexOfPositionIn(positions, "NVDA"), 1);
        QCOMPARE(indexOfPositionIn(positions, "aapl"), -1);
        QCOMPARE(indexOfPositionIn({}, "AAPL"), -1);
    }
};

MVX_TEST_MAIN(TestPortfolioModel)
#include "test_portfolio_model.moc"
