#include "tests/alerts/alert_window_fixture.h"
#include "tests/support/test_main.h"
#include "watchlist/quote_columns.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

#include <tuple>

namespace {
QString background(const MainWindow &window, const QString &symbol)
{
    const int row = window.findSymbolRow(symbol);
    const QTableWidgetItem *item = row >= 0 ? window.quoteTable->item(row, QuoteColumnSymbol) : nullptr;
    if (!item)
        return QStringLiteral("<none>");
    const QBrush brush = item->background();
    if (brush.style() == Qt::NoBrush)
        return QStringLiteral("none");
    return brush.color().alpha() == 0 ? QStringLiteral("transparent") : brush.color().name();
}

QJsonObject historyEntry(const QString &event, const QString &symbol, double target, double price,
                         const QString &status)
{
    return QJsonObject{{"timestamp", "2024-01-02 10:00:00"},
                       {"event", event},
                       {"symbol", symbol},
                       {"condition", ">= " + QString::number(target, 'f', 4)},
                       {"target", target},
                       {"price", price},
                       {"status", status}};
}
} // namespace

class TestMainWindowAlerts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneQuoteFiresEveryMatchingAlertInListOrder_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("en") << "en"
                            << QStringList{"ALERT HIT: AAPL last 150.0000 target 100.0000",
                                           "ALERT HIT: AAPL last 150.0000 target 200.0000 repeat"}
                            << QStringList{"Price Alert - AAPL", "Price Alert - AAPL"}
                            << QStringList{"AAPL alert triggered.\n\nLast: 150.0000\nCondition: >= 100.0000",
                                           "AAPL alert triggered.\n\nLast: 150.0000\nCondition: <= "
                                           "200.0000\nMode: Repeat"};
        QTest::newRow("pt_BR")
            << "pt_BR"
            << QStringList{QString::fromUtf8("ALERTA DISPARADO: AAPL último 150.0000 alvo 100.0000"),
                           QString::fromUtf8("ALERTA DISPARADO: AAPL último 150.0000 alvo "
                                             "200.0000 repetido")}
            << QStringList{QString::fromUtf8("Alerta de preço - AAPL"),
                           QString::fromUtf8("Alerta de preço - AAPL")}
            << QStringList{QString::fromUtf8("Alerta de AAPL disparado.\n\nÚltimo: "
                                             "150.0000\nCondição: >= 100.0000"),
                           QString::fromUtf8("Alerta de AAPL disparado.\n\nÚltimo: "
                                             "150.0000\nCondição: <= 200.0000\nMode: Repeat")};
    }

    void oneQuoteFiresEveryMatchingAlertInListOrder()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, texts);
        AlertWindow f;
        f.window.settings.language = language;
        f.addRow("AAPL");
        f.addRow("MSFT");
        f.arm("AAPL", 100.0, true);
        f.arm("MSFT", 1.0, true);
        f.arm("AAPL", 200.0, false, true);
        f.arm("AAPL", 300.0, true);
        f.window.eventConsole->clear();

        f.quote("AAPL", 150.0);

        QCOMPARE(f.console(), lines);
        QCOMPARE(f.beeps, 2);
        const QList<QMessageBox *> boxes = f.popups();
        QCOMPARE(boxes.size(), 2);
        QStringList shownTitles, shownTexts;
        for (QMessageBox *box : boxes) {
            shownTitles << box->windowTitle();
            shownTexts << box->text();
            QVERIFY(!box->isModal());
            QCOMPARE(box->windowModality(), Qt::NonModal);
            QCOMPARE(box->icon(), QMessageBox::Warning);
            QCOMPARE(box->textFormat(), Qt::PlainText);
            QVERIFY(box->testAttribute(Qt::WA_DeleteOnClose));
        }
        QCOMPARE(shownTitles, titles);
        QCOMPARE(shownTexts, texts);
        QCOMPARE(f.historyColumn(1), (QStringList{"Triggered", "Triggered"}));
        QCOMPARE(f.historyColumn(3), (QStringList{">= 100.0000", "<= 200.0000"}));
        QCOMPARE(f.historyColumn(5), (QStringList{"150.0000", "150.0000"}));
        QCOMPARE(f.historyColumn(6), (QStringList{"Hit", "Hit"}));

        QVERIFY(f.window.alerts[0].triggered);
        QVERIFY(!f.window.alerts[2].triggered);
        QCOMPARE(f.window.alerts[2].lastTriggerMs, f.now);
        QVERIFY(!f.window.alerts[1].triggered);
        QVERIFY(!f.window.alerts[3].triggered);
        // The hits are written together a moment later, not the whole file once per hit.
        QVERIFY(f.window.settingsSaveTimer.isActive());
        QVERIFY(f.savedSettings().value("alert_history").toArray().isEmpty());
        QTRY_COMPARE(f.savedSettings().value("alert_history").toArray().size(), 2);
        const QJsonArray saved = f.savedSettings().value("alerts").toArray();
        QCOMPARE(saved.size(), 4);
        QCOMPARE(saved[0].toObject().value("triggered"), QJsonValue(true));
        QCOMPARE(saved[2].toObject().value("last_trigger_ms"), QJsonValue(QString::number(f.now)));
        QCOMPARE(f.savedSettings().value("alert_history").toArray().size(), 2);

        // Closing a box deletes it; the others stay.
        boxes[0]->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(f.popups().size(), 1);
    }

    // Every text of a hit shows the prices of a coin below a cent with four significant digits, and
    // prices from 1 up with 4 decimals as always, also from 1000 up.
    void aHitShowsItsPricesAtEveryScale_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<double>("target");
        QTest::addColumn<double>("last");
        QTest::addColumn<QString>("targetText");
        QTest::addColumn<QString>("lastText");
        QTest::newRow("below a cent") << "SHIBUSDT" << 0.0000123 << 0.00001234 << "0.00001230"
                                      << "0.00001234";
        QTest::newRow("equity") << "PETR4.SA" << 36.5 << 36.71 << "36.5000"
                                << "36.7100";
        QTest::newRow("from a thousand up") << "BTCUSDT" << 104000.0 << 104532.18 << "104000.0000"
                                            << "104532.1800";
    }

    void aHitShowsItsPricesAtEveryScale()
    {
        QFETCH(QString, symbol);
        QFETCH(double, target);
        QFETCH(double, last);
        QFETCH(QString, targetText);
        QFETCH(QString, lastText);
        AlertWindow f;
        f.addRow(symbol);
        f.arm(symbol, target, true);
        f.window.eventConsole->clear();
        f.quote(symbol, last);

        QCOMPARE(
            f.console().filter("ALERT HIT"),
            QStringList{QStringLiteral("ALERT HIT: %1 last %2 target %3").arg(symbol, lastText, targetText)});
        QCOMPARE(f.historyColumn(3), QStringList{">= " + targetText});
        QCOMPARE(f.historyColumn(4), QStringList{targetText});
        QCOMPARE(f.historyColumn(5), QStringList{lastText});
        const QList<QMessageBox *> boxes = f.popups();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first()->text(), QStringLiteral("%1 alert triggered.\n\nLast: %2\nCondition: >= %3")
                                            .arg(symbol, lastText, targetText));
        f.closePopups();
    }

    void aOneShotSleepsAndARepeatWaitsOutItsCooldown()
    {
        AlertWindow f;
        f.addRow("AAPL");
        f.arm("AAPL", 100.0, true);
        f.arm("AAPL", 90.0, true, true);
        f.quote("AAPL", 120.0);
        QCOMPARE(f.beeps, 2);
        f.now += 59999;
        f.quote("AAPL", 121.0);
        QCOMPARE(f.beeps, 2);
        f.now += 1;
        f.quote("AAPL", 122.0);
        QCOMPARE(f.beeps, 3);
        QCOMPARE(f.historyColumn(3), (QStringList{">= 100.0000", ">= 90.0000", ">= 90.0000"}));
        f.closePopups();
    }

    // A repeating rule beyond its level fires every minute: its open box shows the latest hit instead
    // of a new box piling up each time. Another rule keeps its own box, and a closed box is opened anew.
    void aRepeatingAlertUpdatesItsOpenBox()
    {
        AlertWindow f;
        f.addRow("AAPL");
        f.arm("AAPL", 90.0, true, true);
        f.arm("AAPL", 95.0, true, true);
        const auto shownLasts = [&f]() {
            QStringList lasts;
            for (QMessageBox *box : f.popups())
                lasts << box->text().section(QLatin1Char('\n'), 2, 2) + QLatin1Char(' ') +
                             box->text().section(QLatin1Char('\n'), 3, 3);
            lasts.sort();
            return lasts;
        };
        f.quote("AAPL", 120.0);
        QCOMPARE(shownLasts(), (QStringList{"Last: 120.0000 Condition: >= 90.0000",
                                            "Last: 120.0000 Condition: >= 95.0000"}));

        f.now += kAlertCooldownMs;
        f.quote("AAPL", 121.0);
        QCOMPARE(shownLasts(), (QStringList{"Last: 121.0000 Condition: >= 90.0000",
                                            "Last: 121.0000 Condition: >= 95.0000"}));

        for (QMessageBox *box : f.popups()) {
            if (box->text().contains(">= 90.0000"))
                box->close();
        }
        f.now += kAlertCooldownMs;
        f.quote("AAPL", 122.0); // before the closed box is deleted
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(shownLasts(), (QStringList{"Last: 122.0000 Condition: >= 90.0000",
                                            "Last: 122.0000 Condition: >= 95.0000"}));
        QCOMPARE(f.beeps, 6);
        QCOMPARE(f.window.alertHistory.size(), 6);
        f.closePopups();
    }

    // A hit adds its row to the table: the rows already there, and the one the user selected, stay.
    void aHitAddsOneRowAndKeepsTheSelection()
    {
        AlertWindow f;
        f.addRow("AAPL");
        f.window.loadAlertHistory(QJsonArray{historyEntry("Armed", "MSFT", 10, 0, "Active"),
                                             historyEntry("Armed", "PETR4.SA", 30, 0, "Active")});
        f.window.refreshAlertHistoryTable();
        QTableWidget *table = f.window.alertHistoryTable;
        table->sortItems(4, Qt::DescendingOrder);
        table->selectRow(1);
        const QTableWidgetItem *selected = table->item(1, 2);
        QCOMPARE(selected->text(), QStringLiteral("MSFT"));
        f.arm("AAPL", 20.0, true);
        f.quote("AAPL", 25.0);
        QCOMPARE(f.historyColumn(4), (QStringList{"30.0000", "20.0000", "10.0000"}));
        QCOMPARE(table->item(2, 2), selected);
        QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(table->selectionModel()->selectedRows().first().row(), 2);
        f.closePopups();
    }

    // After an arm, a hit or a removal, and after a rebuild, the newest event is in view, wherever the
    // table's sort puts it: Qt's first sort is by time, newest first, so it is the top row there.
    void theNewestEventIsInView_data()
    {
        QTest::addColumn<int>("column"); // -1: no sort column
        QTest::addColumn<int>("order");
        QTest::addColumn<bool>("rebuild");
        // The table narrower than its columns and scrolled sideways into their middle, away from both
        // the first and the last column.
        QTest::addColumn<bool>("scrolledAcross");
        const QList<std::tuple<const char *, int, Qt::SortOrder>> sorts = {
            {"time, newest first", 0, Qt::DescendingOrder},
            {"time, oldest first", 0, Qt::AscendingOrder},
            {"symbol", 2, Qt::AscendingOrder},
            {"unsorted", -1, Qt::AscendingOrder}};
        for (const auto &[name, column, order] : sorts)
            for (bool rebuild : {false, true})
                for (bool across : {false, true})
                    QTest::addRow("%s, %s%s", name, rebuild ? "rebuilt" : "appended",
                                  across ? ", scrolled sideways" : "")
                        << column << int(order) << rebuild << across;
    }

    void theNewestEventIsInView()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        QFETCH(bool, rebuild);
        QFETCH(bool, scrolledAcross);
        AlertWindow f;
        f.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.window.bottomTabs->setCurrentWidget(f.window.alertHistoryTable);
        QTableWidget *table = f.window.alertHistoryTable;
        table->setFixedHeight(table->minimumHeight()); // a few rows in view, as at the default size
        if (scrolledAcross)
            table->setFixedWidth(260);
        table->horizontalHeader()->setSortIndicator(column, Qt::SortOrder(order));
        QJsonArray older;
        for (int minute = 10; minute < 40; ++minute) {
            QJsonObject entry = historyEntry("Armed", QStringLiteral("S%1").arg(minute), minute, 0, "Active");
            entry["timestamp"] = QStringLiteral("2026-12-11 08:%1:00").arg(minute);
            older.append(entry);
        }
        f.window.loadAlertHistory(older);
        f.window.refreshAlertHistoryTable();
        QScrollBar *sideways = table->horizontalScrollBar();
        int across = sideways->value();
        if (scrolledAcross) {
            QCoreApplication::processEvents();
            QVERIFY(sideways->maximum() >= 2);
            across = sideways->maximum() / 2;
            sideways->setValue(across);
            const int last = table->columnCount() - 1;
            QVERIFY(table->columnViewportPosition(0) < 0);
            QVERIFY(table->columnViewportPosition(last) + table->columnWidth(last) >
                    table->viewport()->width());
        }
        if (rebuild) {
            QJsonObject newest = historyEntry("Triggered", "MM", 12, 12, "Hit");
            newest["timestamp"] = QStringLiteral("2026-12-11 08:45:00");
            older.append(newest);
            f.window.loadAlertHistory(older);
            f.window.refreshAlertHistoryTable();
        } else {
            f.arm("MM", 12.0, true);
            f.window.appendAlertHistory(f.window.alerts[0], "Triggered", 12.0, "Hit");
        }
        QCoreApplication::processEvents();
        const QList<QTableWidgetItem *> found = table->findItems(QStringLiteral("MM"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        const QRect shown = table->visualItemRect(found.first());
        QVERIFY2(shown.top() >= 0 && shown.bottom() < table->viewport()->height(),
                 qPrintable(QStringLiteral("row %1 at y %2, viewport %3 high")
                                .arg(found.first()->row())
                                .arg(shown.y())
                                .arg(table->viewport()->height())));
        QCOMPARE(sideways->value(), across);
    }

    // Rows appended one by one stand where a rebuild of the whole table puts them, in any sort.
    void appendedRowsFollowTheTablesSort_data()
    {
        QTest::addColumn<int>("column"); // -1: no sort column
        QTest::addColumn<int>("order");
        QTest::newRow("unsorted") << -1 << int(Qt::AscendingOrder);
        QTest::newRow("symbol ascending") << 2 << int(Qt::AscendingOrder);
        QTest::newRow("target ascending") << 4 << int(Qt::AscendingOrder);
        QTest::newRow("price descending") << 5 << int(Qt::DescendingOrder);
    }

    void appendedRowsFollowTheTablesSort()
    {
        QFETCH(int, column);
        QFETCH(int, order);
        AlertWindow f;
        f.window.loadAlertHistory(QJsonArray{historyEntry("Armed", "B", 20, 2, "Active"),
                                             historyEntry("Removed", "D", 40, 0, "Inactive"),
                                             historyEntry("Triggered", "F", 60, 6, "Hit")});
        f.window.refreshAlertHistoryTable();
        QTableWidget *table = f.window.alertHistoryTable;
        table->horizontalHeader()->setSortIndicator(column, Qt::SortOrder(order));
        f.arm("E", 50.0, true);
        f.arm("A", 10.0, false);
        f.arm("C", 30.0, true, true);
        f.window.appendAlertHistory(f.window.alerts[0], "Rearmed", 5.0, "Active");
        f.window.appendAlertHistory(f.window.alerts[1], "Triggered", 1.0, "Hit");
        f.window.appendAlertHistory(f.window.alerts[2], "Armed", 3.0, "Active");
        QCOMPARE(table->rowCount(), 6);
        QStringList appended;
        for (int c = 0; c < table->columnCount(); ++c)
            appended << f.historyColumn(c).join(QLatin1Char(','));
        f.window.refreshAlertHistoryTable();
        QStringList rebuilt;
        for (int c = 0; c < table->columnCount(); ++c)
            rebuilt << f.historyColumn(c).join(QLatin1Char(','));
        QCOMPARE(appended, rebuilt);
        QCOMPARE(table->item(0, 6)->foreground().color().name(), alertHistoryColorName(f.historyText(0, 6)));
    }

    void noPriceNeverFires_data()
    {
        QTest::addColumn<double>("last");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -1.0;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    }

    void noPriceNeverFires()
    {
        QFETCH(double, last);
        AlertWindow f;
        f.addRow("AAPL");
        f.arm("AAPL", 100.0, false);
        f.arm("AAPL", 0.5, true);
        f.quote("AAPL", last);
        f.window.checkAlerts("AAPL", last);
        QCOMPARE(f.beeps, 0);
        QCOMPARE(f.window.alertHistory.size(), 0);
        QVERIFY(f.popups().isEmpty());
    }

    void theFlashFollowsItsSymbolToItsNewRow()
    {
        AlertWindow f;
        f.addRow("AAPL");
        f.addRow("MSFT");
        f.addRow("TSLA");
        f.arm("MSFT", 10.0, true);
        f.quote("MSFT", 11.0);
        QCOMPARE(background(f.window, "MSFT"), QStringLiteral("#5a4808"));
        f.window.moveWatchlistRow(f.window.findSymbolRow("MSFT"), 0);
        QCOMPARE(f.window.findSymbolRow("MSFT"), 0);
        QTRY_COMPARE(background(f.window, "MSFT"), QStringLiteral("transparent"));
        QCOMPARE(background(f.window, "AAPL"), QStringLiteral("none"));
        QCOMPARE(background(f.window, "TSLA"), QStringLiteral("none"));
        f.closePopups();
    }

    void aSymbolWithoutARowSchedulesNoReset()
    {
        AlertWindow f;
        f.window.flashQuoteRow("MSFT");
        // A row that appears afterwards is never reached by a reset.
        f.addRow("MSFT");
        f.window.quoteTable->item(0, QuoteColumnSymbol)->setBackground(QColor("#123456"));
        QTest::qWait(f.window.rowFlashMs * 5);
        QCOMPARE(background(f.window, "MSFT"), QStringLiteral("#123456"));
    }

    void aSettingsFileOfThePreviousBuildKeepsItsAlertsAndHistory()
    {
        TempHome home;
        const QJsonArray storedAlerts{QJsonObject{{"symbol", "AAPL"},
                                                  {"target", 200.5},
                                                  {"above", true},
                                                  {"triggered", false},
                                                  {"repeating", true},
                                                  {"last_trigger_ms", "1700000000000"}},
                                      QJsonObject{{"symbol", "PETR4.SA"},
                                                  {"target", 31.2},
                                                  {"above", false},
                                                  {"triggered", true},
                                                  {"repeating", false},
                                                  {"last_trigger_ms", "0"}}};
        const QJsonArray storedHistory{historyEntry("Armed", "AAPL", 200.5, 0, "Active / Repeat"),
                                       historyEntry("Triggered", "PETR4.SA", 31.2, 30.9, "Hit")};
        QJsonArray withJunk = storedAlerts;
        withJunk.append(QJsonObject{{"symbol", "msft"}, {"target", 5}, {"last_trigger_ms", 1700000000001.0}});
        withJunk.append(QJsonObject{{"symbol", "TSLA"}, {"target", 0}});
        withJunk.append(QStringLiteral("junk"));
        home.writeFile(
            QStringLiteral(".config/Murvex/Terminal Murvex/local.json"),
            QJsonDocument(QJsonObject{{"alerts", withJunk}, {"alert_history", storedHistory}}).toJson());
        {
            MainWindow window;
            QCOMPARE(window.alerts.size(), 3);
            QCOMPARE(window.alerts[2].symbol, QStringLiteral("MSFT"));
            QCOMPARE(window.alerts[2].lastTriggerMs, qint64(1700000000001));
            QCOMPARE(window.alertHistoryTable->rowCount(), 2);
            QVERIFY(window.eventConsole->toPlainText().contains("Loaded 3 saved alert(s)"));
            window.saveLocalSettings();
        }
        QFile file(home.appConfigDir() + "/local.json");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject saved = QJsonDocument::fromJson(file.readAll()).object();
        QJsonArray expected = storedAlerts;
        expected.append(QJsonObject{{"symbol", "MSFT"},
                                    {"target", 5},
                                    {"above", true},
                                    {"triggered", false},
                                    {"repeating", false},
                                    {"last_trigger_ms", "1700000000001"}});
        QCOMPARE(saved.value("alerts").toArray(), expected);
        QCOMPARE(saved.value("alert_history").toArray(), storedHistory);
    }

    void theHistoryTableShowsColoursPricesAndSortsByNumber()
    {
        AlertWindow f;
        f.window.loadAlertHistory(QJsonArray{historyEntry("Armed", "AAPL", 100, 9.5, "Active / Repeat"),
                                             historyEntry("Triggered", "AAPL", 100, 100.25, "Hit"),
                                             historyEntry("Removed", "AAPL", 100, 0, "Inactive"),
                                             historyEntry("Odd", "AAPL", 25, 12, "Paused")});
        f.window.refreshAlertHistoryTable();
        QTableWidget *table = f.window.alertHistoryTable;
        QCOMPARE(f.historyColumn(5), (QStringList{"9.5000", "100.2500", "--", "12.0000"}));
        const QColor none = table->item(3, 1)->foreground().color();
        QCOMPARE(table->item(3, 1)->foreground().style(), Qt::NoBrush);
        QCOMPARE(table->item(3, 6)->foreground().style(), Qt::NoBrush);
        Q_UNUSED(none);
        QCOMPARE(table->item(0, 1)->foreground().color().name(), QStringLiteral("#20c878"));
        QCOMPARE(table->item(0, 6)->foreground().color().name(), QStringLiteral("#20c878"));
        QCOMPARE(table->item(1, 1)->foreground().color().name(), QStringLiteral("#f45d5d"));
        QCOMPARE(table->item(1, 6)->foreground().color().name(), QStringLiteral("#f45d5d"));
        QCOMPARE(table->item(2, 1)->foreground().color().name(), QStringLiteral("#9aa0a6"));
        QCOMPARE(table->item(2, 6)->foreground().color().name(), QStringLiteral("#9aa0a6"));
        for (int column : {0, 2, 3, 4, 5})
            QCOMPARE(table->item(1, column)->foreground().style(), Qt::NoBrush);

        table->sortItems(5, Qt::AscendingOrder);
        QCOMPARE(f.historyColumn(5), (QStringList{"--", "9.5000", "12.0000", "100.2500"}));
        table->sortItems(4, Qt::DescendingOrder);
        QCOMPARE(f.historyColumn(4).first(), QStringLiteral("100.0000"));
        QCOMPARE(f.historyColumn(4).last(), QStringLiteral("25.0000"));

        // A rebuild keeps the user's sort and its direction.
        f.window.loadAlertHistory(QJsonArray{historyEntry("Armed", "B", 5, 0, "Active"),
                                             historyEntry("Armed", "A", 50, 0, "Active"),
                                             historyEntry("Armed", "C", 7, 0, "Active")});
        f.window.refreshAlertHistoryTable();
        QVERIFY(table->isSortingEnabled());
        QCOMPARE(f.historyColumn(2), (QStringList{"A", "C", "B"}));
    }

    // A shown history taller than its view, so the scroll position means something.
    static QScrollBar *showLongHistory(AlertWindow &f)
    {
        f.window.resize(900, 700);
        f.window.show();
        f.window.bottomTabs->setCurrentIndex(1);
        QJsonArray many;
        for (int i = 0; i < 200; ++i)
            many.append(historyEntry("Armed", "AAPL", 100 + i, 0, "Active"));
        f.window.loadAlertHistory(many);
        f.window.refreshAlertHistoryTable();
        QScrollBar *bar = f.window.alertHistoryTable->verticalScrollBar();
        if (!QTest::qWaitFor([bar]() { return bar->maximum() > 0; }))
            return nullptr;
        return bar;
    }

    void theHistoryTableScrollsToItsNewestRow()
    {
        AlertWindow f;
        QScrollBar *bar = showLongHistory(f);
        QVERIFY(bar);
        QTRY_COMPARE(bar->value(), bar->maximum());
    }

    void anAppendedRowIsScrolledTo()
    {
        AlertWindow f;
        QScrollBar *bar = showLongHistory(f);
        QVERIFY(bar);
        bar->setValue(0);
        f.arm("AAPL", 50.0, true);
        f.window.appendAlertHistory(f.window.alerts[0], "Armed", 0.0, "Active");
        QTRY_COMPARE(bar->value(), bar->maximum());
        QCOMPARE(f.historyText(200, 4), QStringLiteral("50.0000"));
    }

    void rearmAndRemoveActOnTheClickedRowsAlert()
    {
        AlertWindow f;
        f.addRow("AAPL");
        f.arm("AAPL", 100.0, true);
        f.arm("AAPL", 100.0, true); // the same rule twice: the first is always the one acted on
        f.arm("AAPL", 50.0, false);
        f.quote("AAPL", 120.0);
        QCOMPARE(f.beeps, 2);
        QVERIFY(f.window.alerts[0].triggered && f.window.alerts[1].triggered);
        f.closePopups();

        {
            NextWidget<QMenu> menu(chooseEntry("Rearm alert"));
            f.openHistoryMenu(1);
            QVERIFY(menu.seen);
        }
        QVERIFY(!f.window.alerts[0].triggered);
        QCOMPARE(f.window.alerts[0].lastTriggerMs, qint64(0));
        QVERIFY(f.window.alerts[1].triggered);
        QCOMPARE(f.window.alertHistory.last().event, QStringLiteral("Rearmed"));
        QCOMPARE(f.window.alertHistory.last().price, 120.0);
        QCOMPARE(f.console().last(), QStringLiteral("Alert rearmed: AAPL"));
        QCOMPARE(f.savedSettings().value("alerts").toArray()[0].toObject().value("triggered"),
                 QJsonValue(false));

        // Rearmed, it fires again on the next quote beyond the target.
        f.quote("AAPL", 121.0);
        QCOMPARE(f.beeps, 3);
        f.closePopups();

        const int rows = f.window.alertHistoryTable->rowCount();
        {
            NextWidget<QMenu> menu(chooseEntry("Remove alert"));
            f.openHistoryMenu(0);
            QVERIFY(menu.seen);
        }
        QCOMPARE(f.window.alerts.size(), 2);
        QCOMPARE(f.window.alerts[0].target, 100.0);
        QCOMPARE(f.window.alertHistoryTable->rowCount(), rows + 1);
        QCOMPARE(f.window.alertHistory.last().event, QStringLiteral("Removed"));
        QCOMPARE(f.window.alertHistory.last().status, QStringLiteral("Inactive"));
        QCOMPARE(f.console().last(), QStringLiteral("Alert removed: AAPL"));
        QCOMPARE(f.savedSettings().value("alerts").toArray().size(), 2);

        // The second twin goes with a second Remove; a third finds nothing.
        for (int i = 0; i < 2; ++i) {
            NextWidget<QMenu> menu(chooseEntry("Remove alert"));
            f.openHistoryMenu(0);
            QVERIFY(menu.seen);
        }
        QCOMPARE(f.window.alerts.size(), 1);
        QCOMPARE(f.window.alerts[0].target, 50.0);
        QCOMPARE(f.window.statusBar()->currentMessage(),
                 QStringLiteral("No matching saved alert found for selected history row."));
    }

    // Rearm and Remove record the price the symbol's Last cell stores, not the decimals it shows.
    void rearmAndRemoveRecordTheStoredPrice_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("event");
        QTest::newRow("rearm") << "Rearm alert"
                               << "Rearmed";
        QTest::newRow("remove") << "Remove alert"
                                << "Removed";
    }

    void rearmAndRemoveRecordTheStoredPrice()
    {
        QFETCH(QString, entry);
        QFETCH(QString, event);
        AlertWindow f;
        f.addRow("SHIBUSDT");
        f.arm("SHIBUSDT", 0.00002, true);
        f.window.appendAlertHistory(f.window.alerts[0], "Armed", 0.0, "Active");
        f.quote("SHIBUSDT", 0.0000123);
        {
            NextWidget<QMenu> menu(chooseEntry(entry));
            f.openHistoryMenu(0);
            QVERIFY(menu.seen);
        }
        QCOMPARE(f.window.alertHistory.last().event, event);
        QCOMPARE(f.window.alertHistory.last().price, 0.0000123);
        QCOMPARE(f.historyText(1, 5), QStringLiteral("0.00001230"));
    }

    void aClickBelowTheRowsFindsNoAlert()
    {
        AlertWindow f;
        f.window.setLanguage(QStringLiteral("pt_BR"));
        f.arm("AAPL", 100.0, true);
        f.window.appendAlertHistory(f.window.alerts[0], "Armed", 0.0, "Active");
        const QByteArray before = TempHome::readFile(f.settingsPath());
        NextWidget<QMenu> menu(chooseEntry("Rearmar alerta"));
        f.openHistoryMenu(-1);
        QVERIFY(menu.seen);
        QCOMPARE(
            f.window.statusBar()->currentMessage(),
            QStringLiteral("Nenhum alerta salvo correspondente foi encontrado para a linha selecionada."));
        QCOMPARE(TempHome::readFile(f.settingsPath()), before);
    }

    void clearingTheHistoryAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("no") << int(QMessageBox::No) << false;
    }

    void clearingTheHistoryAsksFirst()
    {
        QFETCH(int, answer);
        QFETCH(bool, cleared);
        AlertWindow f;
        f.arm("AAPL", 100.0, true);
        f.window.appendAlertHistory(f.window.alerts[0], "Armed", 0.0, "Active");
        f.window.saveLocalSettings();
        QString asked;
        NextWidget<QMessageBox> question(pressButton(QMessageBox::StandardButton(answer), &asked));
        {
            NextWidget<QMenu> menu(chooseEntry("Clear history"));
            f.openHistoryMenu(0);
            QVERIFY(menu.seen);
        }
        QVERIFY(question.seen);
        QCOMPARE(asked,
                 QStringLiteral(
                     "Clear alert history|Remove all alert history rows? Active alerts will remain armed."));
        QCOMPARE(f.window.alertHistoryTable->rowCount(), cleared ? 0 : 1);
        QCOMPARE(f.savedSettings().value("alert_history").toArray().size(), cleared ? 0 : 1);
        QCOMPARE(f.savedSettings().value("alerts").toArray().size(), 1);
        QCOMPARE(f.window.alerts.size(), 1);
        QCOMPARE(f.console().contains("Alert history cleared"), cleared);
    }

    void aHitWhileTheMenuIsOpenDoesNotMoveTheAction()
    {
        AlertWindow f;
        f.addRow("AAPL");
        f.addRow("MSFT");
        f.arm("AAPL", 100.0, true);
        f.arm("MSFT", 10.0, true);
        f.window.appendAlertHistory(f.window.alerts[0], "Armed", 0.0, "Active");
        f.window.appendAlertHistory(f.window.alerts[1], "Armed", 0.0, "Active");
        // Newest first: the hit's row will land on top, where the clicked row stood.
        f.window.alertHistoryTable->sortItems(4, Qt::AscendingOrder);
        QCOMPARE(f.historyText(0, 2), QStringLiteral("MSFT"));
        NextWidget<QMenu> menu(chooseEntry("Remove alert", [&f]() { f.quote("AAPL", 120.0); }));
        f.openHistoryMenu(0);
        QVERIFY(menu.seen);
        QCOMPARE(f.beeps, 1);
        QCOMPARE(f.window.alerts.size(), 1);
        QCOMPARE(f.window.alerts[0].symbol, QStringLiteral("AAPL"));
        QCOMPARE(f.window.alertHistory.last().symbol, QStringLiteral("MSFT"));
        f.closePopups();
    }

    void theDialogOpensWithTheSymbolsPrice_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("current");
        QTest::addColumn<double>("target");
        QTest::newRow("priced") << 25.5 << "25.5000" << 25.5;
        QTest::newRow("unpriced") << 0.0 << "--" << 0.00000001;
        QTest::newRow("finer than the finest tick") << 0.000000004 << "0.00000000" << 0.00000001;
        QTest::newRow("at the finest tick") << 0.00000042 << "0.00000042" << 0.00000042;
        // Below 1 the dialog opens at the four significant digits its Current line shows.
        QTest::newRow("four digits below 1") << 0.123456 << "0.1235" << 0.1235;
        QTest::newRow("below a cent") << 0.0000123456 << "0.00001235" << 0.00001235;
        QTest::newRow("below a cent, exact") << 0.0000123 << "0.00001230" << 0.0000123;
        // From 1 up it opens at the price the cell stores, whatever the decimals shown.
        QTest::newRow("two decimals from 1000 up") << 1234.5678 << "1234.5678" << 1234.5678;
    }

    void theDialogOpensWithTheSymbolsPrice()
    {
        QFETCH(double, price);
        QFETCH(QString, current);
        QFETCH(double, target);
        AlertWindow f;
        f.addRow("AAPL");
        if (price > 0)
            f.quote("AAPL", price);
        QStringList labels;
        double shownTarget = -1, minimum = -1, least = -1;
        int decimals = 0;
        // Read, then closed: a check that failed in here would leave the dialog open.
        NextWidget<QDialog> dialog([&](QDialog *d) {
            for (QLabel *label : d->findChildren<QLabel *>())
                labels << label->text();
            auto *spin = d->findChild<QDoubleSpinBox *>("alertTargetSpin");
            shownTarget = spin->value();
            minimum = spin->minimum();
            decimals = spin->decimals();
            spin->setValue(0.000000004);
            least = spin->value();
            d->reject();
        });
        f.window.showCreateAlertDialog("AAPL");
        QVERIFY(dialog.seen);
        QVERIFY(labels.contains("AAPL"));
        QVERIFY2(labels.contains(current), qPrintable(labels.join(" | ")));
        QCOMPARE(shownTarget, target);
        QCOMPARE(minimum, 0.00000001);
        QCOMPARE(decimals, 8);
        QCOMPARE(least, 0.00000001);
    }

    void acceptingArmsTheRuleAndCancelChangesNothing_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("condition");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<double>("target");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("status");
        QTest::newRow("above") << true << 0 << false << 31.2 << "Alert armed: AAPL >= 31.2000"
                               << "Active";
        QTest::newRow("below, repeat") << true << 1 << true << 31.2 << "Alert armed: AAPL <= 31.2000"
                                       << "Active / Repeat";
        // A target below a cent keeps its four significant digits instead of reading 0.0000.
        QTest::newRow("above, below a cent") << true << 0 << false << 0.00001234
                                             << "Alert armed: AAPL >= 0.00001234" << "Active";
        QTest::newRow("cancel") << false << 1 << true << 31.2 << ""
                                << "";
    }

    void acceptingArmsTheRuleAndCancelChangesNothing()
    {
        QFETCH(bool, accept);
        QFETCH(int, condition);
        QFETCH(bool, repeat);
        QFETCH(double, target);
        QFETCH(QString, line);
        QFETCH(QString, status);
        AlertWindow f;
        f.addRow("AAPL");
        f.window.setQuoteNumberCell(0, QuoteColumnLast, "30.1000", 30.1);
        f.window.eventConsole->clear();
        QString title;
        NextWidget<QDialog> dialog([&](QDialog *d) {
            title = d->windowTitle();
            d->findChild<QComboBox *>("alertConditionCombo")->setCurrentIndex(condition);
            d->findChild<QDoubleSpinBox *>("alertTargetSpin")->setValue(target);
            d->findChild<QCheckBox *>("alertRepeatCheck")->setChecked(repeat);
            if (accept)
                d->accept();
            else
                d->reject();
        });
        f.window.showCreateAlertDialog("AAPL");
        QVERIFY(dialog.seen);
        QCOMPARE(title, QStringLiteral("Create alert - AAPL"));
        if (!accept) {
            QVERIFY(f.window.alerts.isEmpty());
            QVERIFY(f.window.alertHistory.isEmpty());
            QVERIFY(!f.console().join('\n').contains("Alert armed"));
            QVERIFY(!QFileInfo::exists(f.settingsPath()));
            return;
        }
        QCOMPARE(f.window.alerts.size(), 1);
        const PriceAlert &alert = f.window.alerts[0];
        QCOMPARE(alert.target, target);
        QCOMPARE(alert.above, condition == 0);
        QCOMPARE(alert.repeating, repeat);
        QVERIFY(!alert.triggered);
        QCOMPARE(f.historyColumn(1), QStringList{"Armed"});
        QCOMPARE(f.historyColumn(5), QStringList{"30.1000"});
        QCOMPARE(f.historyColumn(6), QStringList{status});
        QCOMPARE(f.console().filter("Alert armed"), QStringList{line});
        QCOMPARE(f.savedSettings().value("alerts").toArray().size(), 1);
    }

    // One step moves the target by one unit of the last digit shown below 1, and by 1 from 1 up.
    void theTargetBoxStepsFromItsOwnDigits_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("target");
        QTest::newRow("up below a cent") << 0.0000125 << int(Qt::Key_Up) << 0.00001251;
        QTest::newRow("down below a cent") << 0.0000125 << int(Qt::Key_Down) << 0.00001249;
        QTest::newRow("page up below a cent") << 0.0000125 << int(Qt::Key_PageUp) << 0.0000126;
        QTest::newRow("up below 1") << 0.5 << int(Qt::Key_Up) << 0.5001;
        QTest::newRow("up from 1 up") << 36.71 << int(Qt::Key_Up) << 37.71;
        QTest::newRow("down from 1 up") << 36.71 << int(Qt::Key_Down) << 35.71;
    }

    void theTargetBoxStepsFromItsOwnDigits()
    {
        QFETCH(double, price);
        QFETCH(int, key);
        QFETCH(double, target);
        AlertWindow f;
        f.addRow("AAPL");
        f.quote("AAPL", price);
        double stepped = -1;
        NextWidget<QDialog> dialog([&](QDialog *d) {
            auto *spin = d->findChild<QDoubleSpinBox *>("alertTargetSpin");
            QTest::keyClick(spin, Qt::Key(key));
            stepped = spin->value();
            d->reject();
        });
        f.window.showCreateAlertDialog("AAPL");
        QVERIFY(dialog.seen);
        QCOMPARE(stepped, target);
    }

    void anEmptySymbolOpensNoDialog()
    {
        AlertWindow f;
        NextWidget<QDialog> dialog([](QDialog *d) { d->reject(); });
        f.window.showCreateAlertDialog(QString());
        QTest::qWait(50);
        QVERIFY(!dialog.seen);
    }

    void aDownloadedPayloadReplacesAlertsAndHistory_data()
    {
        QTest::addColumn<QJsonValue>("payload");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<int>("alerts");
        QTest::addColumn<int>("rows");
        const QJsonObject alert{{"symbol", "nvda"}, {"target", 5}};
        const QJsonObject entry = historyEntry("Armed", "NVDA", 5, 0, "Active");
        QTest::newRow("both") << QJsonValue(QJsonObject{{"alerts", QJsonArray{alert}},
                                                        {"history", QJsonArray{entry}}})
                              << true << 1 << 1;
        QTest::newRow("both empty") << QJsonValue(
                                           QJsonObject{{"alerts", QJsonArray()}, {"history", QJsonArray()}})
                                    << true << 0 << 0;
        QTest::newRow("without history")
            << QJsonValue(QJsonObject{{"alerts", QJsonArray{alert}}}) << true << 1 << 0;
        QTest::newRow("not an object") << QJsonValue(QJsonArray{alert}) << false << 2 << 1;
        QTest::newRow("neither member")
            << QJsonValue(QJsonObject{{"items", QJsonArray()}}) << false << 2 << 1;
        QTest::newRow("alerts a string")
            << QJsonValue(QJsonObject{{"alerts", "[]"}, {"history", QJsonArray()}}) << false << 2 << 1;
        QTest::newRow("history an object")
            << QJsonValue(QJsonObject{{"alerts", QJsonArray()}, {"history", QJsonObject()}}) << false << 2
            << 1;
    }

    void aDownloadedPayloadReplacesAlertsAndHistory()
    {
        QFETCH(QJsonValue, payload);
        QFETCH(bool, applied);
        QFETCH(int, alerts);
        QFETCH(int, rows);
        AlertWindow f;
        f.arm("AAPL", 100.0, true);
        f.arm("MSFT", 10.0, false);
        f.window.appendAlertHistory(f.window.alerts[0], "Armed", 0.0, "Active");
        QCOMPARE(f.window.applyAlertsJson(payload), applied);
        QCOMPARE(f.window.alerts.size(), alerts);
        QCOMPARE(f.window.alertHistoryTable->rowCount(), rows);
        if (applied && alerts > 0)
            QCOMPARE(f.window.alerts[0].symbol, QStringLiteral("NVDA"));
        if (!applied)
            QCOMPARE(f.window.alerts[0].symbol, QStringLiteral("AAPL"));
        // Saving after a download is the sync's step.
        QVERIFY(!QFileInfo::exists(f.settingsPath()));
        const QJsonObject out = f.window.alertsJson();
        QCOMPARE(out.keys(), (QStringList{"alerts", "history"}));
        QCOMPARE(out.value("alerts").toArray(), f.window.alertsToJsonArray());
    }
};

MVX_TEST_MAIN(TestMainWindowAlerts)
#include "test_main_window_alerts.moc"
