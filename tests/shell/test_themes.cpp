#include "settings/json_file.h"
#include "shell/main_window.h"
#include "shell/themes.h"
#include "tests/support/test_main.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace {
// Any complaint of the toolkit about a style sheet fails the test that caused it.
QStringList sheetWarnings;
QtMessageHandler previousHandler = nullptr;

void collectSheetWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("style sheet"), Qt::CaseInsensitive) ||
        message.contains(QLatin1String("stylesheet"), Qt::CaseInsensitive))
        sheetWarnings << message;
    if (previousHandler)
        previousHandler(type, context, message);
}

QColor textColour(QWidget *widget)
{
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    return widget->palette().color(QPalette::WindowText);
}
} // namespace

class TestThemes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { previousHandler = qInstallMessageHandler(collectSheetWarnings); }
    void init() { sheetWarnings.clear(); }
    void cleanup() { QVERIFY2(sheetWarnings.isEmpty(), qPrintable(sheetWarnings.join('\n'))); }
    void cleanupTestCase() { qInstallMessageHandler(previousHandler); }

    void bothSheetsExistAndDiffer()
    {
        QVERIFY(themeStyleSheet(false).contains(QLatin1String("#0f0a06")));
        QVERIFY(themeStyleSheet(true).contains(QLatin1String("#f5f9ff")));
        QVERIFY(!themeStyleSheet(true).contains(QLatin1String("#0f0a06")));
    }

    void keys_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("light");
        QTest::newRow("light") << "mvx_light" << true;
        QTest::newRow("dark") << "coffee_dark" << false;
        QTest::newRow("light other case") << "MVX_Light" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("unknown") << "solarized" << false;
        QTest::newRow("padded") << " mvx_light" << false;
    }

    void keys()
    {
        QFETCH(QString, key);
        QFETCH(bool, light);
        TempHome home;
        MainWindow window;
        window.show();
        window.setTheme(key);
        QCOMPARE(window.settings.theme, light ? QStringLiteral("mvx_light") : QStringLiteral("coffee_dark"));
        QCOMPARE(window.styleSheet(), themeStyleSheet(light));
        QCOMPARE(window.themeLightAction->isChecked(), light);
        QCOMPARE(window.themeDarkAction->isChecked(), !light);
        QCOMPARE(readJsonObjectFile(window.localSettingsWritePath()).object.value("theme").toString(),
                 window.settings.theme);
        window.grab(); // paints every panel under the sheet, so a bad rule would complain now

        // A stored key is read as it stands and shown by the same rule.
        window.settings.theme = key;
        window.applyTheme();
        QCOMPARE(window.styleSheet(), themeStyleSheet(light));
        QCOMPARE(window.themeDarkAction->isChecked(), !light);
    }

    void choosingTheSameThemeAgainSavesAgain()
    {
        TempHome home;
        MainWindow window;
        window.themeLightAction->trigger();
        const QString path = window.localSettingsWritePath();
        QVERIFY(QFile::exists(path));
        QVERIFY(QFile::remove(path));
        window.eventConsole->clear();
        window.themeLightAction->trigger();
        QVERIFY(QFile::exists(path));
        QCOMPARE(window.styleSheet(), themeStyleSheet(true));
        QVERIFY(window.eventConsole->toPlainText().isEmpty());
    }

    void directionColours_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<bool>("light");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<QString>("colour");
        QTest::newRow("tile dark up") << "quoteTile" << false << "up"
                                      << "#20c878";
        QTest::newRow("tile dark down") << "quoteTile" << false << "down"
                                        << "#f45d5d";
        QTest::newRow("tile dark flat") << "quoteTile" << false << "flat"
                                        << "#d8c6b5";
        QTest::newRow("tile light up") << "quoteTile" << true << "up"
                                       << "#009d5b";
        QTest::newRow("tile light down") << "quoteTile" << true << "down"
                                         << "#d64242";
        QTest::newRow("tile light flat") << "quoteTile" << true << "flat"
                                         << "#24435f";
        QTest::newRow("ticker dark up") << "fxTicker" << false << "up"
                                        << "#20c878";
        QTest::newRow("ticker dark flat") << "fxTicker" << false << "flat"
                                          << "#ffcc80";
        QTest::newRow("ticker light down") << "fxTicker" << true << "down"
                                           << "#d64242";
        QTest::newRow("ticker light flat") << "fxTicker" << true << "flat"
                                           << "#004472";
    }

    void directionColours()
    {
        QFETCH(QString, objectName);
        QFETCH(bool, light);
        QFETCH(QString, direction);
        QFETCH(QString, colour);
        TempHome home;
        MainWindow window;
        window.setTheme(light ? QStringLiteral("mvx_light") : QStringLiteral("coffee_dark"));
        auto *label = new QLabel(QStringLiteral("x"), window.centralWidget());
        label->setObjectName(objectName);
        label->setProperty("direction", direction);
        QCOMPARE(textColour(label).name(), colour);
    }

    void tilesArePolishedOnlyWhenTheirDirectionChanges()
    {
        TempHome home;
        MainWindow window;
        QLabel *tile = window.quoteTileLabels.first();
        window.updateQuoteTiles();
        const QString before = tile->property("direction").toString();
        // A polish shows as a Polish event; no event means the widget was left alone.
        struct PolishCounter : QObject
        {
            int count = 0;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Polish || event->type() == QEvent::StyleChange)
                    ++count;
                return false;
            }
        } counter;
        tile->installEventFilter(&counter);
        const QString sheet = window.styleSheet();
        window.updateQuoteTiles();
        window.updateQuoteTiles();
        QCOMPARE(tile->property("direction").toString(), before);
        QCOMPARE(counter.count, 0);
        QCOMPARE(window.styleSheet(), sheet);
        window.updateFxTicker(5.1, 0.5);
        window.updateFxTicker(5.2, 0.7);
        QCOMPARE(window.fxTickerLabel->property("direction").toString(), QStringLiteral("up"));
        window.updateFxTicker(5.0, -0.2);
        QCOMPARE(window.fxTickerLabel->property("direction").toString(), QStringLiteral("down"));
        QCOMPARE(textColour(window.fxTickerLabel).name(), QStringLiteral("#f45d5d"));
    }

    void specificButtonsTakeTheirOwnMinimumWidth_data()
    {
        QTest::addColumn<bool>("light");
        QTest::newRow("dark") << false;
        QTest::newRow("light") << true;
    }

    void specificButtonsTakeTheirOwnMinimumWidth()
    {
        QFETCH(bool, light);
        TempHome home;
        MainWindow window;
        window.setTheme(light ? QStringLiteral("mvx_light") : QStringLiteral("coffee_dark"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // The rules set the minimum width the toolkit gives each button's box.
        auto *plain = new QPushButton(QStringLiteral("x"), window.centralWidget());
        plain->ensurePolished();
        QCOMPARE(plain->minimumSizeHint().width() >= 96, true);

        QMessageBox box(&window);
        box.addButton(QMessageBox::Ok);
        box.ensurePolished();
        QPushButton *ok = box.findChild<QPushButton *>();
        QVERIFY(ok);
        ok->ensurePolished();
        QVERIFY(ok->minimumSizeHint().width() >= 132);

        QDialogButtonBox buttons(QDialogButtonBox::Save, &window);
        buttons.button(QDialogButtonBox::Save)->ensurePolished();
        QVERIFY(buttons.button(QDialogButtonBox::Save)->minimumSizeHint().width() >= 132);

        // The chart tools and book presets keep their narrow rule under the general 96 px.
        const int toolWidth = window.chartHLineButton->minimumSizeHint().width();
        QVERIFY2(toolWidth >= 48 && toolWidth < 96, qPrintable(QString::number(toolWidth)));
        for (QPushButton *preset : std::as_const(window.bookPresetButtons))
            QVERIFY2(preset->minimumSizeHint().width() < 96, qPrintable(preset->text()));
        window.grab();
    }

    void theSavedThemeIsTheFirstOneShown()
    {
        TempHome home;
        {
            MainWindow window;
            window.setTheme(QStringLiteral("mvx_light"));
        }
        MainWindow window;
        QCOMPARE(window.styleSheet(), themeStyleSheet(true));
        QVERIFY(window.themeLightAction->isChecked());
    }
};

MVX_TEST_MAIN(TestThemes)
#include "test_themes.moc"
