#include "settings/json_file.h"
#include "shell/main_window.h"
#include "shell/themes.h"
#include "tests/support/modal_script.h"
#include "tests/support/control_parts.h"
#include "tests/support/test_main.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

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

// How far apart two colours look: the largest difference of one channel.
int colourDistance(const QColor &a, const QColor &b)
{
    return std::max(
        {std::abs(a.red() - b.red()), std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
}

// A widget's rectangle in the pixels of a grab, which may be taken at another device pixel ratio.
QRect inGrab(const QImage &shot, const QRect &rect)
{
    const qreal ratio = shot.devicePixelRatio();
    return QRect(QPoint(qRound(rect.x() * ratio), qRound(rect.y() * ratio)),
                 QSize(qRound(rect.width() * ratio), qRound(rect.height() * ratio)));
}

// How many pixels of `rect` are drawn in `colour` (edges blended with the background excepted).
int pixelsIn(const QImage &shot, const QRect &rect, const QColor &colour)
{
    int count = 0;
    const QRect area = inGrab(shot, rect).intersected(shot.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (colourDistance(shot.pixelColor(x, y), colour) <= 24)
                ++count;
        }
    }
    return count;
}

// The share of a box's outline that stands clearly apart from `background`. The corners are left out,
// where a rounded border is only partly drawn.
double outlineContrast(const QImage &shot, const QRect &box, const QColor &background)
{
    const QRect area = inGrab(shot, box);
    const int corner = 3;
    QList<QPoint> outline;
    for (int x = area.left() + corner; x <= area.right() - corner; ++x)
        outline << QPoint(x, area.top()) << QPoint(x, area.bottom());
    for (int y = area.top() + corner; y <= area.bottom() - corner; ++y)
        outline << QPoint(area.left(), y) << QPoint(area.right(), y);
    if (outline.isEmpty())
        return 0.0;
    int apart = 0;
    for (const QPoint &point : std::as_const(outline)) {
        if (shot.rect().contains(point) && colourDistance(shot.pixelColor(point), background) >= 40)
            ++apart;
    }
    return double(apart) / outline.size();
}

// The bounding box of the pixels of `rect` drawn in `colour`; empty when there are none.
QRect boundsOf(const QImage &shot, const QRect &rect, const QColor &colour)
{
    QRect bounds;
    const QRect area = inGrab(shot, rect).intersected(shot.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (colourDistance(shot.pixelColor(x, y), colour) <= 24)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
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

    // The repeat box of the create-alert dialog: unticked, its box stands apart from the dialog;
    // ticked, it carries a mark in the theme's accent.
    void checkBoxesShowTheirBoxInBothStates_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("accent");
        QTest::newRow("dark unticked") << "coffee_dark" << false << "#0f0a06"
                                       << "#ff9900";
        QTest::newRow("dark ticked") << "coffee_dark" << true << "#0f0a06"
                                     << "#ff9900";
        QTest::newRow("light unticked") << "mvx_light" << false << "#f5f9ff"
                                        << "#006cb4";
        QTest::newRow("light ticked") << "mvx_light" << true << "#f5f9ff"
                                      << "#006cb4";
    }

    void checkBoxesShowTheirBoxInBothStates()
    {
        QFETCH(QString, theme);
        QFETCH(bool, ticked);
        QFETCH(QString, background);
        QFETCH(QString, accent);
        TempHome home;
        MainWindow window;
        window.setTheme(theme);
        window.show();
        QImage shot;
        QRect box;
        NextWidget<QDialog> dialog([&](QDialog *open) {
            if (auto *repeat = open->findChild<QCheckBox *>(QStringLiteral("alertRepeatCheck"))) {
                repeat->setChecked(ticked);
                QStyleOptionButton option;
                option.initFrom(repeat);
                option.text = repeat->text();
                box = repeat->style()
                          ->subElementRect(QStyle::SE_CheckBoxIndicator, &option, repeat)
                          .translated(repeat->mapTo(open, QPoint(0, 0)));
                shot = open->grab().toImage();
            }
            open->reject();
        });
        window.showCreateAlertDialog(QStringLiteral("AAPL"));
        QVERIFY(dialog.seen);
        QVERIFY(!shot.isNull());
        QVERIFY(!box.isEmpty());
        if (ticked) {
            const int marked = pixelsIn(shot, box.adjusted(2, 2, -2, -2), QColor(accent));
            QVERIFY2(marked >= 6, qPrintable(QString::number(marked)));
        } else {
            const double contrast = outlineContrast(shot, box, QColor(background));
            QVERIFY2(contrast >= 0.9, qPrintable(QString::number(contrast)));
        }
    }

    // Every spin box shows an arrow on each step button: in the accent while a step is possible,
    // dimmed at a limit and when the box is disabled.
    void spinButtonsShowTheirArrows_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<bool>("wholeNumbers");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        for (const bool light : {false, true}) {
            const QString theme = light ? QStringLiteral("mvx_light") : QStringLiteral("coffee_dark");
            const QString on = light ? QStringLiteral("#006cb4") : QStringLiteral("#ff9900");
            const QString off = light ? QStringLiteral("#a3b8cc") : QStringLiteral("#6e5a48");
            const QByteArray tag = light ? "light " : "dark ";
            QTest::newRow(tag + "between the limits") << theme << false << 5 << true << on << on;
            QTest::newRow(tag + "at the minimum") << theme << false << 0 << true << on << off;
            QTest::newRow(tag + "at the maximum") << theme << false << 10 << true << off << on;
            QTest::newRow(tag + "disabled") << theme << false << 5 << false << off << off;
            QTest::newRow(tag + "whole numbers") << theme << true << 5 << true << on << on;
        }
    }

    void spinButtonsShowTheirArrows()
    {
        QFETCH(QString, theme);
        QFETCH(bool, wholeNumbers);
        QFETCH(int, value);
        QFETCH(bool, enabled);
        QFETCH(QString, up);
        QFETCH(QString, down);
        TempHome home;
        MainWindow window;
        window.setTheme(theme);
        QDialog dialog(&window);
        auto *layout = new QVBoxLayout(&dialog);
        QAbstractSpinBox *spin = nullptr;
        if (wholeNumbers) {
            auto *whole = new QSpinBox(&dialog);
            whole->setRange(0, 10);
            whole->setValue(value);
            spin = whole;
        } else {
            auto *decimal = new QDoubleSpinBox(&dialog);
            decimal->setRange(0.0, 10.0);
            decimal->setValue(value);
            spin = decimal;
        }
        spin->setEnabled(enabled);
        layout->addWidget(spin);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        const QRect upButton = spinBoxPart(spin, QStyle::SC_SpinBoxUp);
        const QRect downButton = spinBoxPart(spin, QStyle::SC_SpinBoxDown);
        QVERIFY(!upButton.isEmpty() && !downButton.isEmpty());
        const QImage shot = spin->grab().toImage();
        const int upArrow = pixelsIn(shot, upButton, QColor(up));
        const int downArrow = pixelsIn(shot, downButton, QColor(down));
        QVERIFY2(upArrow >= 8, qPrintable(QString::number(upArrow)));
        QVERIFY2(downArrow >= 8, qPrintable(QString::number(downArrow)));
    }

    // A box's drop-down shows the sheet's arrow and no platform bevel: in the light theme the bevel drew
    // a dark line down the box's right edge.
    void comboDropDownsShowTheSheetsArrow_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("arrow");
        QTest::addColumn<QString>("background");
        QTest::newRow("dark") << "coffee_dark" << true << "#ff9900"
                              << "#1a140d";
        QTest::newRow("dark disabled") << "coffee_dark" << false << "#6e5a48"
                                       << "#1a140d";
        QTest::newRow("light") << "mvx_light" << true << "#006cb4"
                               << "#ffffff";
        QTest::newRow("light disabled") << "mvx_light" << false << "#a3b8cc"
                                        << "#ffffff";
    }

    void comboDropDownsShowTheSheetsArrow()
    {
        QFETCH(QString, theme);
        QFETCH(bool, enabled);
        QFETCH(QString, arrow);
        QFETCH(QString, background);
        TempHome home;
        MainWindow window;
        window.setTheme(theme);
        QDialog dialog(&window);
        auto *layout = new QVBoxLayout(&dialog);
        auto *combo = new QComboBox(&dialog);
        combo->addItems({QStringLiteral("Above"), QStringLiteral("Below")});
        combo->setEnabled(enabled);
        layout->addWidget(combo);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        const QRect dropDown = comboBoxPart(combo, QStyle::SC_ComboBoxArrow);
        QVERIFY(!dropDown.isEmpty());
        const QImage shot = combo->grab().toImage();
        const int arrowPixels = pixelsIn(shot, dropDown, QColor(arrow));
        QVERIFY2(arrowPixels >= 8, qPrintable(QString::number(arrowPixels)));
        // Apart from the arrow and the one-pixel divider, the drop-down is the box's own background.
        const QRect inside = dropDown.adjusted(2, 2, -2, -2);
        const int plain = pixelsIn(shot, inside, QColor(background));
        const int others = inside.width() * inside.height() - plain - pixelsIn(shot, inside, QColor(arrow));
        QVERIFY2(others <= inside.width() * inside.height() / 4, qPrintable(QString::number(others)));
    }

    // The theme menu's two items: the chosen one carries an accent mark, the other an empty box in the
    // same place that stands apart from the menu.
    void menuItemsShowTheirBoxInBothStates_data()
    {
        QTest::addColumn<bool>("light");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("accent");
        QTest::newRow("dark") << false << "#1a140d"
                              << "#ff9900";
        QTest::newRow("light") << true << "#ffffff"
                               << "#006cb4";
    }

    void menuItemsShowTheirBoxInBothStates()
    {
        QFETCH(bool, light);
        QFETCH(QString, background);
        QFETCH(QString, accent);
        TempHome home;
        MainWindow window;
        window.setTheme(light ? QStringLiteral("mvx_light") : QStringLiteral("coffee_dark"));
        window.show();
        QMenu *menu = window.appearanceMenu;
        menu->popup(window.mapToGlobal(QPoint(0, 0)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        const QImage shot = menu->grab().toImage();
        menu->hide();

        const QRect chosenRow =
            menu->actionGeometry(light ? window.themeLightAction : window.themeDarkAction);
        const QRect otherRow = menu->actionGeometry(light ? window.themeDarkAction : window.themeLightAction);
        const QRect chosenBox = boundsOf(shot, chosenRow, QColor(accent));
        QVERIFY2(chosenBox.width() >= 8 && chosenBox.height() >= 8,
                 qPrintable(QStringLiteral("%1x%2").arg(chosenBox.width()).arg(chosenBox.height())));
        const QRect otherBox = chosenBox.translated(0, otherRow.top() - chosenRow.top());
        const double contrast = outlineContrast(shot, otherBox, QColor(background));
        QVERIFY2(contrast >= 0.9, qPrintable(QString::number(contrast)));
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
