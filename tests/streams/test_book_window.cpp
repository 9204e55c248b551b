#include "tests/streams/stream_window_fixture.h"
#include "tests/support/recorded_replies.h"
#include "tests/support/test_main.h"

#include <QDoubleSpinBox>
#include <QEvent>
#include <QFontDatabase>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QSignalBlocker>

namespace {
QJsonObject jsonObject(const QByteArray &text)
{
    return QJsonDocument::fromJson(text).object();
}

QList<bool> checkedStates(const MainWindow &window)
{
    QList<bool> out;
    for (const QPushButton *button : window.bookPresetButtons)
        out << button->isChecked();
    return out;
}

void setStepQuietly(MainWindow &window, double step)
{
    const QSignalBlocker quiet(window.bookStepSpin);
    window.bookStepSpin->setValue(step);
}

// Counts the style changes a widget goes through: each new sheet is parsed and polished again.
class StyleChangeCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::StyleChange)
            ++count;
        return false;
    }
};

BookSnapshot levelTwo(double bestBid, double bestAsk, double bidSize, double askSize, double tick = 0.01)
{
    BookSnapshot snapshot;
    for (int i = 0; i < 5; ++i) {
        snapshot.bids.append({bestBid - tick * i, bidSize, i + 1});
        snapshot.asks.append({bestAsk + tick * i, askSize, i + 1});
    }
    snapshot.bestBid = bestBid;
    snapshot.bestAsk = bestAsk;
    snapshot.spread = bestAsk - bestBid;
    snapshot.level2 = true;
    return snapshot;
}
} // namespace

class TestBookWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void presetButtons_data()
    {
        QTest::addColumn<double>("price"); // 0: the row has no price
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("storedBefore");
        QTest::addColumn<QString>("preset"); // empty: a typed step instead
        QTest::addColumn<double>("typedStep");
        QTest::addColumn<double>("step");
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<QString>("storedAfter");
        QTest::newRow("normal at 65000")
            << 65000.0 << true << ""
            << "normal" << 0.0 << 50.0 << QList<bool>{false, false, true, false} << "normal";
        QTest::newRow("wide at 1.2345")
            << 1.2345 << true << ""
            << "wide" << 0.0 << 0.005 << QList<bool>{false, false, false, true} << "wide";
        // Below a cent a preset's step comes from the coin's own price, never raw.
        QTest::newRow("normal at 0.0001")
            << 0.0001 << true << ""
            << "normal" << 0.0 << 0.00000005 << QList<bool>{false, false, true, false} << "normal";
        QTest::newRow("wide at 0.0000111")
            << 0.0000111 << true << ""
            << "wide" << 0.0 << 0.00000005 << QList<bool>{false, false, false, true} << "wide";
        // Tight and normal both give the least step here: the one pressed stays the choice.
        QTest::newRow("tight at 0.0000111 stays tight")
            << 0.0000111 << true << "wide"
            << "tight" << 0.0 << 0.00000001 << QList<bool>{false, true, true, false} << "tight";
        QTest::newRow("normal at 0.0000111 stays normal")
            << 0.0000111 << true << "tight"
            << "normal" << 0.0 << 0.00000001 << QList<bool>{false, true, true, false} << "normal";
        // Three presets coincide without a price: the match must not replace the stored choice.
        QTest::newRow("no price and step 0 keeps the choice")
            << 0.0 << true << ""
            << "raw" << 0.0 << 0.0 << QList<bool>{true, false, false, false} << "raw";
        QTest::newRow("no price: a preset gives the least step")
            << 0.0 << true << ""
            << "wide" << 0.0 << 0.00000001 << QList<bool>{false, true, true, true} << "wide";
        QTest::newRow("no price, typed step keeps the choice")
            << 0.0 << true << "wide"
            << "" << 3.0 << 3.0 << QList<bool>{false, false, false, false} << "wide";
        QTest::newRow("typed step matching nothing clears the preset")
            << 65000.0 << true << "wide"
            << "" << 3.0 << 3.0 << QList<bool>{false, false, false, false} << "";
        QTest::newRow("typed step without a selection keeps the preset")
            << 65000.0 << false << "wide"
            << "" << 3.0 << 3.0 << QList<bool>{false, false, false, false} << "wide";
        QTest::newRow("typed step equal to a preset selects it")
            << 65000.0 << true << ""
            << "" << 200.0 << 200.0 << QList<bool>{false, false, false, true} << "wide";
    }

    void presetButtons()
    {
        QFETCH(double, price);
        QFETCH(bool, selected);
        QFETCH(QString, storedBefore);
        QFETCH(QString, preset);
        QFETCH(double, typedStep);
        QFETCH(double, step);
        QFETCH(QList<bool>, checked);
        QFETCH(QString, storedAfter);
        StreamWindow f;
        f.addRow(QStringLiteral("EURUSD=X"));
        if (price > 0.0)
            f.quote(QStringLiteral("EURUSD=X"), price, 0.1);
        if (selected)
            f.select(QStringLiteral("EURUSD=X"));
        f.window.bookPresetKey = storedBefore;
        if (preset.isEmpty())
            f.window.bookStepSpin->setValue(typedStep); // the change handler runs as for the user's edit
        else
            f.window.applyBookPreset(preset);
        QCOMPARE(f.window.bookStep(), step);
        QCOMPARE(checkedStates(f.window), checked);
        QCOMPARE(f.window.bookPresetKey, storedAfter);
    }

    void presetTextsAndTooltips_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("rawOverride");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("tooltips");
        QTest::newRow("english defaults")
            << "en"
            << "" << QStringList{"Raw", "Tight", "Normal", "Wide"}
            << QStringList{"Raw (Ctrl+1)", "Tight (Ctrl+2)", "Normal (Ctrl+3)", "Wide (Ctrl+4)"};
        QTest::newRow("portuguese with an override")
            << "pt_BR"
            << "Ctrl+9" << QStringList{"Bruto", "Estreito", "Normal", "Amplo"}
            << QStringList{"Bruto (Ctrl+9)", "Estreito (Ctrl+2)", "Normal (Ctrl+3)", "Amplo (Ctrl+4)"};
    }

    void presetTextsAndTooltips()
    {
        QFETCH(QString, language);
        QFETCH(QString, rawOverride);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, tooltips);
        StreamWindow f;
        f.window.settings.language = language;
        if (!rawOverride.isEmpty())
            f.window.settings.shortcutOverrides.insert(QStringLiteral("book_raw"), rawOverride);
        f.window.updateBookPresetButtons();
        QStringList gotTexts;
        QStringList gotTips;
        for (const QPushButton *button : f.window.bookPresetButtons) {
            gotTexts << button->text();
            gotTips << button->toolTip();
        }
        QCOMPARE(gotTexts, texts);
        QCOMPARE(gotTips, tooltips);
    }

    void presetFollowsTheSelectedPrice()
    {
        StreamWindow f;
        f.addRow(QStringLiteral("EURUSD=X"));
        f.addRow(QStringLiteral("USDJPY=X"));
        f.addRow(QStringLiteral("GBPUSD=X"));
        f.quote(QStringLiteral("EURUSD=X"), 65000.0, 0.1);
        f.quote(QStringLiteral("USDJPY=X"), 0.0000111, 0.1);
        f.select(QStringLiteral("EURUSD=X"));
        f.window.applyBookPreset(QStringLiteral("tight"));
        QCOMPARE(f.window.bookStep(), 10.0);
        // Tight and normal coincide at this price; the choice itself must survive the visit.
        f.select(QStringLiteral("USDJPY=X"));
        QCOMPARE(f.window.bookStep(), 0.00000001);
        QCOMPARE(f.window.bookPresetKey, QStringLiteral("tight"));
        // A row without a price leaves the step alone.
        f.select(QStringLiteral("GBPUSD=X"));
        QCOMPARE(f.window.bookStep(), 0.00000001);
        f.select(QStringLiteral("EURUSD=X"));
        QCOMPARE(f.window.bookStep(), 10.0);
        QCOMPARE(checkedStates(f.window), (QList<bool>{false, true, false, false}));
    }

    void aPresetChosenBelowACentFollowsToTheNextSymbol_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<double>("subCentStep");
        QTest::addColumn<double>("bitcoinStep");
        QTest::newRow("tight") << "tight" << 0.00000001 << 20.0;
        QTest::newRow("normal") << "normal" << 0.00000001 << 100.0;
        QTest::newRow("wide") << "wide" << 0.00000005 << 500.0;
    }

    // Pressed on a coin where two presets give one step, a preset is still the one the next symbol gets.
    void aPresetChosenBelowACentFollowsToTheNextSymbol()
    {
        QFETCH(QString, preset);
        QFETCH(double, subCentStep);
        QFETCH(double, bitcoinStep);
        StreamWindow f;
        f.addRow(QStringLiteral("PEPEUSDT"));
        f.addRow(QStringLiteral("BTCUSDT"));
        f.quote(QStringLiteral("PEPEUSDT"), 0.0000111, 0.1);
        f.quote(QStringLiteral("BTCUSDT"), 104532.18, 0.1);
        f.select(QStringLiteral("PEPEUSDT"));
        for (QPushButton *button : std::as_const(f.window.bookPresetButtons)) {
            if (button->property("bookPreset").toString() == preset)
                button->click();
        }
        QCOMPARE(f.window.bookStep(), subCentStep);
        QCOMPARE(f.window.bookPresetKey, preset);
        f.select(QStringLiteral("BTCUSDT"));
        QCOMPARE(f.window.bookStep(), bitcoinStep);
        QCOMPARE(f.window.bookPresetKey, preset);
    }

    void stepAndPresetSurviveARestart()
    {
        TempHome home;
        {
            MainWindow window;
            window.quoteTable->setRowCount(0);
            window.addWatchlistRow(QStringLiteral("EURUSD=X"), QStringLiteral("Forex"),
                                   QStringLiteral("Yahoo"), QStringLiteral("pending"), true);
            window.updateQuoteRow(QStringLiteral("EURUSD=X"), 65000.0, 0.1, QStringLiteral("Yahoo"),
                                  QStringLiteral("1 ms"), QStringLiteral("delayed"));
            window.applyBookPreset(QStringLiteral("wide")); // saves through the step handler
            QCOMPARE(window.bookStep(), 200.0);
            window.saveWatchlist();
        }
        MainWindow restarted; // selects its first row before any quote has arrived
        QCOMPARE(restarted.bookStep(), 200.0);
        QCOMPARE(restarted.bookPresetKey, QStringLiteral("wide"));
        QCOMPARE(checkedStates(restarted), (QList<bool>{false, false, false, false}));
    }

    void typedStepAppliesWhenEditingEnds()
    {
        StreamWindow f;
        QVERIFY(!f.window.bookStepSpin->keyboardTracking());
    }

    void levelTwoTitle_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<double>("step");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("title");
        QTest::newRow("example")
            << "en" << 0.05 << "US: Level 2 (5 levels)  AAPL"
            << "US: Level 2 (5 levels)  AAPL  Spread 0.01000  Mid 187.2450  Imb 12.5%  Step "
               "0.050000";
        QTest::newRow("raw ends with the percent sign") << "en" << 0.0 << "L2"
                                                        << "L2  Spread 0.01000  Mid 187.2450  Imb 12.5%";
        QTest::newRow("portuguese") << "pt_BR" << 0.0 << "EUA"
                                    << "EUA  Spread 0.01000  Mid 187.2450  Desb 12.5%";
        QTest::newRow("placeholders in the label stay as written")
            << "en" << 0.0 << "L2 %1 %2%"
            << "L2 %1 %2%  Spread 0.01000  Mid 187.2450  Imb 12.5%";
    }

    void levelTwoTitle()
    {
        QFETCH(QString, language);
        QFETCH(double, step);
        QFETCH(QString, label);
        QFETCH(QString, title);
        StreamWindow f;
        f.window.settings.language = language;
        setStepQuietly(f.window, step);
        f.window.setupSnapshotTables();
        f.window.updateBookMetrics(levelTwo(187.24, 187.25, 0.9, 0.7), label);
        QCOMPARE(f.bookTitle(), title);
        QVERIFY(f.window.bookLive);
        QVERIFY(!f.window.bookPending);
        QCOMPARE(f.window.askCaptionLabel->text(),
                 language == "en" ? QStringLiteral("ASK") : QStringLiteral("VENDA"));
    }

    void levelTwoRows()
    {
        StreamWindow f;
        setStepQuietly(f.window, 0.05);
        f.window.updateBookMetrics(levelTwo(187.24, 187.25, 1.0, 2.0), QStringLiteral("L2"));
        // Bids 187.24 .. 187.20 fall into the 187.20 bucket; the ask 187.25 lies on the grid and keeps
        // its own, 187.26 .. 187.29 go up to 187.30.
        QCOMPARE(StreamWindow::column(f.window.bidTable, 0), (QStringList{"187.2000"}));
        QCOMPARE(StreamWindow::column(f.window.bidTable, 1), (QStringList{"5.0000"}));
        QCOMPARE(StreamWindow::column(f.window.askTable, 0), (QStringList{"187.2500", "187.3000"}));
        QCOMPARE(StreamWindow::column(f.window.askTable, 1), (QStringList{"2.0000", "8.0000"}));
        QCOMPARE(StreamWindow::column(f.window.askTable, 2), (QStringList{"2.0000", "10.0000"}));
        QCOMPARE(StreamWindow::colours(f.window.askTable, 1), (QStringList{"#f45d5d", "#f45d5d"}));
        QCOMPARE(StreamWindow::colours(f.window.bidTable, 2), (QStringList{"#20c878"}));
        QCOMPARE(f.cards(), (QStringList{"BID\n187.2400", "ASK\n187.2500", "SPR\n0.01000", "IMB\n-33.3%"}));
    }

    // The price column and the title's spread and mid of a coin below a cent keep four significant
    // digits, so that its levels do not all read as the same price.
    void levelTwoPricesAtEveryScale_data()
    {
        QTest::addColumn<double>("bestBid");
        QTest::addColumn<double>("bestAsk");
        QTest::addColumn<double>("tick");
        QTest::addColumn<QStringList>("bids");
        QTest::addColumn<QStringList>("asks");
        QTest::addColumn<QString>("title");
        QTest::newRow("below a cent")
            << 0.00001232 << 0.00001234 << 0.00000001
            << QStringList{"0.00001232", "0.00001231", "0.00001230", "0.00001229", "0.00001228"}
            << QStringList{"0.00001234", "0.00001235", "0.00001236", "0.00001237", "0.00001238"}
            << "L2  Spread 0.00000002  Mid 0.00001233  Imb 0.0%";
        QTest::newRow("from a thousand up")
            << 104532.17 << 104532.19 << 0.01
            << QStringList{"104532.17", "104532.16", "104532.15", "104532.14", "104532.13"}
            << QStringList{"104532.19", "104532.20", "104532.21", "104532.22", "104532.23"}
            << "L2  Spread 0.02000  Mid 104532.1800  Imb 0.0%";
    }

    void levelTwoPricesAtEveryScale()
    {
        QFETCH(double, bestBid);
        QFETCH(double, bestAsk);
        QFETCH(double, tick);
        QFETCH(QStringList, bids);
        QFETCH(QStringList, asks);
        QFETCH(QString, title);
        StreamWindow f;
        setStepQuietly(f.window, 0.0);
        f.window.updateBookMetrics(levelTwo(bestBid, bestAsk, 1.0, 1.0, tick), QStringLiteral("L2"));
        QCOMPARE(StreamWindow::column(f.window.bidTable, 0), bids);
        QCOMPARE(StreamWindow::column(f.window.askTable, 0), asks);
        QCOMPARE(f.bookTitle(), title);
    }

    void cryptoDepth_data()
    {
        QTest::addColumn<QByteArray>("depth");
        QTest::addColumn<double>("step");
        QTest::addColumn<bool>("live");
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<QStringList>("askPrices");
        QTest::addColumn<QStringList>("bidTotals");
        QTest::addColumn<QString>("title");
        const QByteArray five = R"({"bids":[["100","1"],["99","1"],["98","1"],["97","1"],["96","2"]],
                                    "asks":[["101","1"],["102","1"],["103","1"],["104","1"],["105","1"]]})";
        QTest::newRow("full") << five << 0.0 << true
                              << QStringList{"BID\n100.0000", "ASK\n101.0000", "SPR\n1.0000", "IMB\n9.1%"}
                              << QStringList{"101.0000", "102.0000", "103.0000", "104.0000", "105.0000"}
                              << QStringList{"1.00000", "2.00000", "3.00000", "4.00000", "6.00000"}
                              << "ORDER BOOK  BTCUSDT  12:00:00";
        QTest::newRow("full with a step")
            << five << 5.0 << true
            << QStringList{"BID\n100.0000", "ASK\n101.0000", "SPR\n1.0000", "IMB\n9.1%"}
            << QStringList{"105.0000"} << QStringList{"1.00000", "6.00000"}
            << "ORDER BOOK  BTCUSDT  12:00:00  Step 5.00";
        QTest::newRow("a and b when asks and bids are empty")
            << QByteArray(
                   R"({"bids":[],"asks":[],"b":[["100","1"],["99","1"],["98","1"],["97","1"],["96","1"]],
                             "a":[["101","1"],["102","1"],["103","1"],["104","1"],["105","1"]]})")
            << 0.0 << true << QStringList{"BID\n100.0000", "ASK\n101.0000", "SPR\n1.0000", "IMB\n0.0%"}
            << QStringList{"101.0000", "102.0000", "103.0000", "104.0000", "105.0000"}
            << QStringList{"1.00000", "2.00000", "3.00000", "4.00000", "5.00000"}
            << "ORDER BOOK  BTCUSDT  12:00:00";
        QTest::newRow("thin depth gives the snapshot")
            << QByteArray(R"({"bids":[["100","1"],["99","1"],["98","1"],["97","1"],["96","1"]],
                             "asks":[["101","1"],["102","1"],["103","1"],["104","1"]]})")
            << 0.0 << false << QStringList{"BID\n--", "ASK\n--", "SPR\n--", "IMB\n--"}
            << QStringList{"Status"} << QStringList{}
            << "QUOTE SNAPSHOT  BTCUSDT  Binance depth insufficient";
    }

    void cryptoDepth()
    {
        QFETCH(QByteArray, depth);
        QFETCH(double, step);
        QFETCH(bool, live);
        QFETCH(QStringList, cards);
        QFETCH(QStringList, askPrices);
        QFETCH(QStringList, bidTotals);
        QFETCH(QString, title);
        StreamWindow f;
        setStepQuietly(f.window, step);
        f.window.bookPending = true;
        f.window.setupSnapshotTables();
        f.window.showCryptoDepth(QStringLiteral("BTCUSDT"), jsonObject(depth), QStringLiteral("12:00:00"));
        QCOMPARE(f.window.bookLive, live);
        QVERIFY(!f.window.bookPending);
        QCOMPARE(f.cards(), cards);
        QCOMPARE(StreamWindow::column(f.window.askTable, 0), askPrices);
        QCOMPARE(StreamWindow::column(f.window.bidTable, 2), bidTotals);
        QCOMPARE(f.bookTitle(), title);
        QCOMPARE(f.window.askCaptionLabel->text(), live ? QStringLiteral("ASK") : QStringLiteral("QUOTE"));
    }

    // The side tables hold the quote snapshot's rows until the first full depth, which writes its cells
    // over them: every cell then reads as the book's, in the side's colour and the fixed font.
    void depthOverTheSnapshotLeavesNoSnapshotCell()
    {
        StreamWindow f;
        f.addRow(QStringLiteral("BTCUSDT"));
        f.quote(QStringLiteral("BTCUSDT"), 100.5, -1.25, 100.0, 1234.0);
        f.window.showQuoteSnapshot(QStringLiteral("BTCUSDT"));
        QVERIFY(f.window.askTable->rowCount() > 1);
        const QByteArray depth = R"({"bids":[["100","1"],["99","1"],["98","1"],["97","1"],["96","2"]],
                                     "asks":[["101","1"],["102","1"],["103","1"],["104","1"],["105","1"]]})";
        f.window.showCryptoDepth(QStringLiteral("BTCUSDT"), jsonObject(depth), QStringLiteral("12:00:00"));
        QVERIFY(f.window.bookLive);
        const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        for (const auto &[table, colour] :
             {std::pair<QTableWidget *, QString>{f.window.askTable, "#f45d5d"},
              std::pair<QTableWidget *, QString>{f.window.bidTable, "#20c878"}}) {
            QCOMPARE(table->rowCount(), 5);
            for (int column = 0; column < 3; ++column) {
                QCOMPARE(StreamWindow::colours(table, column), QStringList(5, colour));
                for (int row = 0; row < 5; ++row)
                    QCOMPARE(table->item(row, column)->font(), fixed);
            }
        }
        QCOMPARE(StreamWindow::column(f.window.askTable, 0),
                 (QStringList{"101.0000", "102.0000", "103.0000", "104.0000", "105.0000"}));
        QCOMPARE(StreamWindow::column(f.window.bidTable, 1),
                 (QStringList{"1.00000", "1.00000", "1.00000", "1.00000", "2.00000"}));
        QCOMPARE(StreamWindow::column(f.window.bidTable, 2),
                 (QStringList{"1.00000", "2.00000", "3.00000", "4.00000", "6.00000"}));
    }

    void recordedDepth_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<QString>("firstBid");
        QTest::addColumn<QString>("firstAsk");
        QTest::addColumn<int>("bidRows");
        QTest::newRow("stream depth20")
            << "binance/ws_combined_depth20_100ms_btcusdt_live_from_code_comment.json"
            << QStringList{"BID\n35496.06", "ASK\n35496.07", "SPR\n0.01000", "IMB\n34.7%"} << "35496.06"
            << "35496.07" << 10;
        QTest::newRow("rest depth") << "binance/rest_depth_BTCUSDT_testnet_recorded_top10_TRIMMED.json"
                                    << QStringList{"BID\n65861.65", "ASK\n65861.66", "SPR\n0.01000",
                                                   "IMB\n-16.0%"}
                                    << "65861.65"
                                    << "65861.66" << 10;
    }

    void recordedDepth()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, cards);
        QFETCH(QString, firstBid);
        QFETCH(QString, firstAsk);
        QFETCH(int, bidRows);
        if (realDataDirectory().isEmpty())
            QSKIP("no recorded replies beside the checkout");
        QJsonObject object = jsonObject(recordedBody(file));
        if (object.contains(QStringLiteral("data")))
            object = object.value(QStringLiteral("data")).toObject();
        StreamWindow f;
        f.window.showCryptoDepth(QStringLiteral("BTCUSDT"), object, QStringLiteral("snapshot"));
        QVERIFY(f.window.bookLive);
        QCOMPARE(f.cards(), cards);
        QCOMPARE(f.window.bidTable->rowCount(), bidRows);
        QCOMPARE(f.window.bidTable->item(0, 0)->text(), firstBid);
        QCOMPARE(f.window.askTable->item(0, 0)->text(), firstAsk);
        QCOMPARE(f.bookTitle(), QStringLiteral("ORDER BOOK  BTCUSDT  snapshot"));
        // A grid step keeps the best bid in its own bucket.
        setStepQuietly(f.window, 0.01);
        f.window.showCryptoDepth(QStringLiteral("BTCUSDT"), object, QStringLiteral("snapshot"));
        QCOMPARE(f.window.bidTable->item(0, 0)->text(), firstBid);
        QCOMPARE(f.window.askTable->item(0, 0)->text(), firstAsk);
    }

    void snapshotViews_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("last"); // 0: no quote, the row keeps "--"
        QTest::addColumn<double>("change");
        QTest::addColumn<double>("close");
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<QString>("title");
        QTest::newRow("B3 above its close")
            << "PETR4.SA" << 30.5 << 1.67 << 30.0
            << QStringList{"BID\n30.0000", "ASK\n30.5000", "SPR\n0.5000", "IMB\n--"}
            << "QUOTE SNAPSHOT  PETR4.SA  B3 no free Order Book  snapshot fallback";
        QTest::newRow("B3 below its close")
            << "PETR4.SA" << 29.5 << -1.67 << 30.0
            << QStringList{"BID\n29.5000", "ASK\n29.5000", "SPR\n--", "IMB\n--"}
            << "QUOTE SNAPSHOT  PETR4.SA  B3 no free Order Book  snapshot fallback";
        QTest::newRow("B3 without a price")
            << "PETR4.SA" << 0.0 << 0.0 << 0.0 << QStringList{"BID\n--", "ASK\n--", "SPR\n--", "IMB\n--"}
            << "QUOTE SNAPSHOT  PETR4.SA  delayed";
        QTest::newRow("forex") << "EURUSD=X" << 1.0850 << -0.2 << 1.0800
                               << QStringList{"BID\n1.0800", "ASK\n1.0850", "SPR\n0.005000", "IMB\n--"}
                               << "QUOTE SNAPSHOT  EURUSD=X  delayed";
    }

    void snapshotViews()
    {
        QFETCH(QString, symbol);
        QFETCH(double, last);
        QFETCH(double, change);
        QFETCH(double, close);
        QFETCH(QStringList, cards);
        QFETCH(QString, title);
        StreamWindow f;
        f.addRow(symbol);
        f.select(symbol);
        if (last > 0.0)
            f.quote(symbol, last, change, close, 1234567.0); // the quote road refreshes the selected view
        QVERIFY(!f.window.bookLive);
        QCOMPARE(f.cards(), cards);
        QCOMPARE(f.bookTitle(), title);
        QCOMPARE(f.window.askCaptionLabel->text(), QStringLiteral("QUOTE"));
        QCOMPARE(StreamWindow::column(f.window.askTable, 0),
                 (QStringList{"Last", "Change", "Open", "High", "Low", "Close"}));
        QCOMPARE(StreamWindow::column(f.window.bidTable, 0),
                 (QStringList{"Volume", "Latency", "Status", "Updated", "Depth"}));
        const int row = f.window.findSymbolRow(symbol);
        QCOMPARE(StreamWindow::column(f.window.askTable, 1).at(0), f.window.tableText(row, QuoteColumnLast));
        QCOMPARE(StreamWindow::column(f.window.askTable, 2).at(1),
                 f.window.tableText(row, QuoteColumnSource));
        QCOMPARE(StreamWindow::column(f.window.bidTable, 1).at(0),
                 last > 0.0 ? QStringLiteral("1.23M") : QStringLiteral("--"));
        QCOMPARE(StreamWindow::column(f.window.bidTable, 1).at(4), QStringLiteral("Not in free feed"));
        QCOMPARE(StreamWindow::column(f.window.bidTable, 2).at(4), QStringLiteral("Broker/feed needed"));
        const QString changeColour = last <= 0.0 ? "#d8e6e3" : change < 0.0 ? "#f45d5d" : "#20c878";
        QCOMPARE(StreamWindow::colours(f.window.askTable, 1),
                 (QStringList{"#d8e6e3", changeColour, "#d8e6e3", "#d8e6e3", "#d8e6e3", "#d8e6e3"}));
        QCOMPARE(StreamWindow::colours(f.window.askTable, 0).at(0), QStringLiteral("#8fb8ad"));
        QCOMPARE(StreamWindow::colours(f.window.bidTable, 1).at(4), QStringLiteral("#20c878"));
    }

    // The snapshot's pale field and value colours suit the dark table only: on the light theme's white
    // table they must be dark, from the first fill and after a switch either way, while rising and
    // falling values keep their colours.
    void snapshotColoursFollowTheTheme_data()
    {
        QTest::addColumn<QString>("fillIn");
        QTest::addColumn<QString>("showIn");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("neutral");
        QTest::newRow("dark") << "coffee_dark"
                              << "coffee_dark"
                              << "#8fb8ad"
                              << "#d8e6e3";
        QTest::newRow("light") << "mvx_light"
                               << "mvx_light"
                               << "#4e6174"
                               << "#1a1a1a";
        QTest::newRow("filled dark, then light") << "coffee_dark"
                                                 << "mvx_light"
                                                 << "#4e6174"
                                                 << "#1a1a1a";
        QTest::newRow("filled light, then dark") << "mvx_light"
                                                 << "coffee_dark"
                                                 << "#8fb8ad"
                                                 << "#d8e6e3";
    }

    void snapshotColoursFollowTheTheme()
    {
        QFETCH(QString, fillIn);
        QFETCH(QString, showIn);
        QFETCH(QString, label);
        QFETCH(QString, neutral);
        StreamWindow f;
        f.window.setTheme(fillIn);
        f.addRow(QStringLiteral("AAPL"));
        f.select(QStringLiteral("AAPL"));
        f.quote(QStringLiteral("AAPL"), 230.5, -1.5, 232.0, 1234567.0);
        f.window.setTheme(showIn);
        QCOMPARE(StreamWindow::colours(f.window.askTable, 0).at(0), label);
        QCOMPARE(StreamWindow::colours(f.window.askTable, 2).at(0), label);
        QCOMPARE(StreamWindow::colours(f.window.askTable, 1),
                 (QStringList{neutral, "#f45d5d", neutral, neutral, neutral, neutral}));
        QCOMPARE(StreamWindow::colours(f.window.bidTable, 1).at(4), QStringLiteral("#20c878"));
    }

    void snapshotOfASymbolWithoutARow()
    {
        StreamWindow f;
        f.addRow(QStringLiteral("PETR4.SA"));
        f.select(QStringLiteral("PETR4.SA"));
        f.quote(QStringLiteral("PETR4.SA"), 30.5, 1.0, 30.0);
        QCOMPARE(f.cards().at(1), QStringLiteral("ASK\n30.5000"));
        f.window.showQuoteSnapshot(QStringLiteral("GONE3.SA"));
        QCOMPARE(f.bookTitle(), QStringLiteral("QUOTE SNAPSHOT  GONE3.SA  delayed"));
        QCOMPARE(StreamWindow::column(f.window.askTable, 0), QStringList{"Status"});
        QCOMPARE(StreamWindow::column(f.window.askTable, 1), QStringList{"No selected symbol"});
        QCOMPARE(StreamWindow::column(f.window.askTable, 2), QStringList{"--"});
        QCOMPARE(StreamWindow::colours(f.window.askTable, 1), QStringList{"#20c878"});
        QCOMPARE(f.window.bidTable->rowCount(), 0);
        // The previous symbol's prices must not stand under the new title.
        QCOMPARE(f.cards(), (QStringList{"BID\n--", "ASK\n--", "SPR\n--", "IMB\n--"}));
    }

    void snapshotFallbackPrices_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<double>("reference");
        QTest::addColumn<QStringList>("cards");
        QTest::addColumn<QString>("title");
        QTest::newRow("above the reference")
            << 101.0 << 100.0 << QStringList{"BID\n100.0000", "ASK\n101.0000", "SPR\n1.0000", "IMB\n--"}
            << "L1  snapshot fallback";
        QTest::newRow("no reference")
            << 101.0 << 0.0 << QStringList{"BID\n101.0000", "ASK\n101.0000", "SPR\n--", "IMB\n--"}
            << "L1  snapshot fallback";
        QTest::newRow("no price: plain snapshot")
            << 0.0 << 100.0 << QStringList{"BID\n--", "ASK\n--", "SPR\n--", "IMB\n--"}
            << "QUOTE SNAPSHOT  AAPL  delayed";
    }

    void snapshotFallbackPrices()
    {
        QFETCH(double, price);
        QFETCH(double, reference);
        QFETCH(QStringList, cards);
        QFETCH(QString, title);
        StreamWindow f;
        f.addRow(QStringLiteral("AAPL"));
        f.window.bookPending = true;
        f.window.bookLive = true;
        f.window.showSnapshotFallback(QStringLiteral("AAPL"), price, reference, QStringLiteral("L1"));
        QCOMPARE(f.cards(), cards);
        QCOMPARE(f.bookTitle(), title);
        QVERIFY(!f.window.bookPending);
        QVERIFY(!f.window.bookLive);
    }

    void languageAndThemeRestyleTheCards()
    {
        StreamWindow f;
        f.window.updateBookSummary(100.0, 101.0, 1.0, 3.0);
        QVERIFY(f.window.bookMetricCards.at(3)->styleSheet().contains(QStringLiteral("color:#f45d5d")));
        f.window.setLanguage(QStringLiteral("pt_BR"));
        QCOMPARE(f.cards(),
                 (QStringList{"COMPRA\n100.0000", "VENDA\n101.0000", "SPR\n1.0000", "DESB\n-50.0%"}));
        // Re-styling shows the imbalance green until the next summary colours it by its sign.
        QVERIFY(f.window.bookMetricCards.at(3)->styleSheet().contains(QStringLiteral("color:#20c878")));
        QCOMPARE(f.window.bookStepLabel->text(), QStringLiteral("Degrau"));
        QCOMPARE(f.window.bookStepSpin->specialValueText(), QStringLiteral("Bruto"));
        QCOMPARE(f.window.askCaptionLabel->text(), QString::fromUtf8("COTAÇÃO"));

        f.window.setTheme(QStringLiteral("mvx_light"));
        f.window.updateThemedWidgets();
        for (const QLabel *card : f.window.bookMetricCards)
            QVERIFY(
                card->styleSheet().contains(QStringLiteral("background:#ffffff;border:1px solid #d8e5f2")));
        QVERIFY(f.window.bookMetricCards.at(2)->styleSheet().contains(QStringLiteral("color:#1a1a1a")));
        QCOMPARE(f.cards().at(0), QStringLiteral("COMPRA\n100.0000"));
    }

    void restyleOfACardWithoutAValue()
    {
        StreamWindow f;
        QLabel card(QStringLiteral("ONLY"));
        f.window.restyleMetricCard(&card, QStringLiteral("NEW"), QColor(QStringLiteral("#20c878")));
        QCOMPARE(card.text(), QStringLiteral("NEW\n--"));
        card.setText(QStringLiteral("A\n\nB"));
        f.window.restyleMetricCard(&card, QStringLiteral("C"), QColor(QStringLiteral("#20c878")));
        QCOMPARE(card.text(), QStringLiteral("C\n"));
        f.window.restyleMetricCard(nullptr, QStringLiteral("C"), QColor()); // ignored
    }

    void unchangedSummaryParsesNoSheet()
    {
        StreamWindow f;
        f.window.updateBookSummary(100.0, 101.0, 1.0, 3.0);
        StyleChangeCounter counter;
        for (QLabel *card : f.window.bookMetricCards)
            card->installEventFilter(&counter);
        f.window.updateBookSummary(100.5, 101.5, 2.0, 3.0);
        QCOMPARE(counter.count, 0); // new values, same accents
        f.window.updateBookSummary(100.5, 101.5, 3.0, 1.0);
        QCOMPARE(counter.count, 1); // only the imbalance turned green
    }
};

MVX_TEST_MAIN(TestBookWindow)
#include "test_book_window.moc"
