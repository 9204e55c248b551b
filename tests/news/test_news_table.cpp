#include "news/news_filters.h"
#include "tests/news/news_item_fixtures.h"
#include "tests/news/news_window_fixture.h"
#include "tests/support/test_main.h"

#include <QHeaderView>

class TestNewsTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cells()
    {
        NewsWindow news;
        news.w().refreshNewsTable(
            {newsItem("With all", "crypto", "https://a.example/1", "Coindesk", "2.02512e+07", "Summary text"),
             newsItem("Bare", "", QString(), QString(), QString())},
            QStringLiteral("Murvex JSON"));
        QTableWidget *table = news.w().newsTable;
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->columnCount(), 5);
        QCOMPARE(news.cell(0, 0), QStringLiteral("2.02512e+07"));
        QCOMPARE(news.cell(0, 1), QStringLiteral("Crypto"));
        QCOMPARE(news.cell(0, 2), QStringLiteral("Coindesk"));
        QCOMPARE(news.cell(0, 3), QStringLiteral("With all"));
        QCOMPARE(table->item(0, 3)->toolTip(), QStringLiteral("With all\n\nSummary text"));
        QCOMPARE(news.cell(0, 4), QStringLiteral("https://a.example/1"));
        QCOMPARE(table->item(0, 4)->data(Qt::UserRole).toString(), QStringLiteral("https://a.example/1"));
        // The empty fields: "--" for time and link, "All" as category, the feed's label as source.
        QCOMPARE(news.cell(1, 0), QStringLiteral("--"));
        QCOMPARE(news.cell(1, 1), QStringLiteral("All"));
        QCOMPARE(news.cell(1, 2), QStringLiteral("Murvex JSON"));
        QCOMPARE(table->item(1, 3)->toolTip(), QStringLiteral("Bare"));
        QCOMPARE(news.cell(1, 4), QStringLiteral("--"));
        for (int column = 0; column < 5; ++column)
            QVERIFY(!table->item(1, column)->data(Qt::UserRole).isValid());
        QCOMPARE(news.status(), QStringLiteral("News updated: Murvex JSON (2 headlines)"));

        news.w().refreshNewsTable({}, QStringLiteral("NewsAPI"));
        QCOMPARE(table->rowCount(), 0);
        QCOMPARE(news.status(), QStringLiteral("News updated: NewsAPI (0 headlines)"));
    }

    // Categories, region filter and status line follow the language.
    void regionsByLanguage_data()
    {
        QTest::addColumn<bool>("portuguese");
        QTest::addColumn<QString>("region");
        QTest::addColumn<QStringList>("headlines");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QString>("status");
        QTest::newRow("English, all")
            << false << "all" << QStringList{"U", "C"} << QStringList{"US", "Crypto"}
            << "News updated: Murvex JSON (2 headlines)";
        QTest::newRow("Portuguese, all")
            << true << "all" << QStringList{"B", "U", "C"} << QStringList{"Brasil", "Americanas", "Crypto"}
            << QString::fromUtf8("Notícias atualizadas: Murvex JSON (3 manchetes)");
        QTest::newRow("Portuguese, br")
            << true << "br" << QStringList{"B"} << QStringList{"Brasil"}
            << QString::fromUtf8("Notícias atualizadas: Murvex JSON (1 manchetes)");
    }

    void regionsByLanguage()
    {
        QFETCH(bool, portuguese);
        QFETCH(QString, region);
        QFETCH(QStringList, headlines);
        QFETCH(QStringList, categories);
        QFETCH(QString, status);
        NewsWindow news;
        if (portuguese)
            news.w().settings.language = QStringLiteral("pt_BR");
        news.w().populateNewsRegionCombo(region);
        QCOMPARE(news.w().currentNewsRegion(), region);
        news.w().refreshNewsTable(
            news.w().filterNewsByRegion({newsItem("B", "br"), newsItem("U", "us"), newsItem("C", "crypto")}),
            QStringLiteral("Murvex JSON"));
        QCOMPARE(news.column(3), headlines);
        QCOMPARE(news.column(1), categories);
        QCOMPARE(news.status(), status);
    }

    // "br" is offered only in Portuguese; going back to English while it is selected selects "all".
    void regionCombo()
    {
        NewsWindow news;
        QComboBox *combo = news.w().newsRegionCombo;
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->findData(QStringLiteral("br")), -1);
        news.w().settings.language = QStringLiteral("pt_BR");
        news.w().populateNewsRegionCombo(QStringLiteral("br"));
        QCOMPARE(combo->itemText(1), QStringLiteral("Brasil"));
        QCOMPARE(news.w().currentNewsRegion(), QStringLiteral("br"));
        news.w().settings.language = QStringLiteral("en");
        news.w().populateNewsRegionCombo(QString());
        QCOMPARE(news.w().currentNewsRegion(), QStringLiteral("all"));
        QCOMPARE(news.w().newsRegionLabel(QStringLiteral("elsewhere")), QStringLiteral("All"));
    }

    // A refill keeps the sort order the user chose, and every row keeps its own link.
    void sortingSurvivesRefill()
    {
        NewsWindow news;
        QTableWidget *table = news.w().newsTable;
        table->sortByColumn(3, Qt::AscendingOrder);
        news.w().refreshNewsTable({newsItem("Charlie", "us", "https://c.example"),
                                   newsItem("Alpha", "us", "https://a.example"), newsItem("Bravo", "us")},
                                  QStringLiteral("NewsAPI"));
        QCOMPARE(news.column(3), (QStringList{"Alpha", "Bravo", "Charlie"}));
        QCOMPARE(news.column(4), (QStringList{"https://a.example", "--", "https://c.example"}));
        news.w().openNewsLink(2);
        QCOMPARE(news.browser.urls, (QList<QUrl>{QUrl("https://c.example")}));
        QVERIFY(table->isSortingEnabled());
    }

    // Through the desktop's own opener, with handlers standing in for the browser for every scheme a
    // feed might send: only the web link reaches one.
    void openNewsLink_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("status"); // what the status bar says; empty: nothing
        const QString refused = QStringLiteral("Only web links (http, https) are opened");
        QTest::newRow("https") << "https://finance.yahoo.com/news/a.html?.tsrc=rss"
                               << "https://finance.yahoo.com/news/a.html?.tsrc=rss"
                               << "en"
                               << "";
        QTest::newRow("http") << "http://example.com/x"
                              << "http://example.com/x"
                              << "en"
                              << "";
        QTest::newRow("file") << "file:///etc/passwd"
                              << ""
                              << "en" << refused;
        QTest::newRow("javascript") << "javascript:alert(document.cookie)"
                                    << ""
                                    << "en" << refused;
        QTest::newRow("custom scheme") << "mvxtest:run"
                                       << ""
                                       << "en" << refused;
        QTest::newRow("file, Portuguese")
            << "file:///etc/passwd"
            << ""
            << "pt_BR" << QString::fromUtf8("Só links da web (http, https) são abertos");
        QTest::newRow("no link: placeholder row") << ""
                                                  << ""
                                                  << "en"
                                                  << "";
    }

    void openNewsLink()
    {
        QFETCH(QString, link);
        QFETCH(QString, opened);
        QFETCH(QString, language);
        QFETCH(QString, status);
        NewsWindow news;
        news.w().settings.language = language;
        // Any other scheme the code might wrongly hand on is caught too, so nothing starts.
        UrlRecorder others({"file", "javascript", "mvxtest"});
        news.w().refreshNewsTable({newsItem("Headline", "us", link)}, QStringLiteral("NewsAPI"));
        news.w().statusBar()->clearMessage();
        news.w().openNewsLink(0);
        const QList<QUrl> asked = news.browser.urls + others.urls;
        QCOMPARE(asked.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty())
            QCOMPARE(asked.first().toString(), opened);
        QCOMPARE(news.status(), status);
    }

    // A double-click anywhere on the row opens its link; the RSS placeholder row opens nothing.
    void doubleClickAndPlaceholder()
    {
        NewsWindow news;
        news.server.setReply(QStringLiteral("/rss/2.0/headline"),
                             FakeReply::text("<rss><channel><title>empty</title></channel></rss>"));
        news.choose(news.w().newsSourceCombo, QStringLiteral("public"));
        news.waitForTable();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(news.w().newsTable->rowCount(), 1);
        QCOMPARE(news.cell(0, 0), QStringLiteral("--"));
        QCOMPARE(news.cell(0, 1), QStringLiteral("All"));
        QCOMPARE(news.cell(0, 2), QStringLiteral("Public RSS"));
        QCOMPARE(news.cell(0, 3), QStringLiteral("No public headlines returned for AAPL"));
        QCOMPARE(news.cell(0, 4), QStringLiteral("--"));
        Q_EMIT news.w().newsTable->cellDoubleClicked(0, 3);
        news.w().openNewsLink(-1);
        news.w().openNewsLink(5);
        QVERIFY(news.browser.urls.isEmpty());

        news.w().refreshNewsTable({newsItem("Linked", "us", "https://l.example/a")},
                                  QStringLiteral("NewsAPI"));
        Q_EMIT news.w().newsTable->cellDoubleClicked(0, 0);
        QCOMPARE(news.browser.urls, (QList<QUrl>{QUrl("https://l.example/a")}));
    }

    // A headline shown as text whatever markup it holds, in the cell and in its tooltip.
    void markupStaysText()
    {
        NewsWindow news;
        const QString title = QStringLiteral("<img src=\"https://track.example/p.png\"><b>Big</b>");
        news.w().refreshNewsTable(
            {newsItem(title, "us", QString(), QString(), QString(), QStringLiteral("<i>s</i>"))},
            QStringLiteral("NewsAPI"));
        QCOMPARE(news.cell(0, 3), title);
        const QString toolTip = news.w().newsTable->item(0, 3)->toolTip();
        QCOMPARE(shownToolTip(toolTip), title + QStringLiteral("\n\n<i>s</i>"));
    }
};

MVX_TEST_MAIN(TestNewsTable)
#include "test_news_table.moc"
