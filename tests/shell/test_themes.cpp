#include "settings/json_file.h"
#include "shell/main_window.h"
#include "shell/themes.h"
#include "tests/support/control_parts.h"
#include "tests/support/modal_script.h"
#include "tests/support/shown_window.h"
#include "tests/support/test_main.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

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

// The contrast of two colours by their relative luminance, as the accessibility guidelines weigh it: 1
// for none, 21 for black on white.
double contrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &colour) {
        const auto channel = [](double value) {
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
               0.0722 * channel(colour.blueF());
    };
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// The share of a box's outline that stands clearly apart from `background`, and by at least `ratio` of
// contrast when one is asked. The corners are left out, where a rounded border is only partly drawn.
double outlineContrast(const QImage &shot, const QRect &box, const QColor &background, double ratio = 1.0)
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
        if (shot.rect().contains(point) && colourDistance(shot.pixelColor(point), background) >= 40 &&
            contrastRatio(shot.pixelColor(point), background) >= ratio)
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

// What a translucent sheet colour shows over an opaque one.
QColor over(const QColor &top, const QColor &bottom)
{
    const double alpha = top.alphaF();
    return QColor::fromRgbF(top.redF() * alpha + bottom.redF() * (1 - alpha),
                            top.greenF() * alpha + bottom.greenF() * (1 - alpha),
                            top.blueF() * alpha + bottom.blueF() * (1 - alpha));
}

// The colour most pixels of a grab are drawn in.
QColor dominantColour(const QImage &shot)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x)
            ++counts[shot.pixel(x, y)];
    }
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    }
    return QColor::fromRgb(best);
}

// The pixels of the ring `width` px wide just inside `rect` (grab pixels) that are not `colour`. The
// squares of `corner` px at the ring's right-hand corners are left out: a box's rounded border passes
// there.
QList<QPoint> ringStrays(const QImage &shot, const QRect &rect, const QColor &colour, int width, int corner,
                         int tolerance)
{
    QList<QPoint> strays;
    const QRect area = rect.intersected(shot.rect());
    const QRect inner = area.adjusted(width, width, -width, -width);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (inner.contains(x, y))
                continue;
            if (x > area.right() - corner && (y < area.top() + corner || y > area.bottom() - corner))
                continue;
            if (colourDistance(shot.pixelColor(x, y), colour) > tolerance)
                strays << QPoint(x, y);
        }
    }
    return strays;
}

// A pixel of a flat scroll bar is its track, its handle or, on the handle's rounded ends, a blend of
// the two: it lies on the line between those colours.
bool betweenColours(const QColor &pixel, const QColor &from, const QColor &to, int tolerance)
{
    const double span[3] = {double(to.red() - from.red()), double(to.green() - from.green()),
                            double(to.blue() - from.blue())};
    const double offset[3] = {double(pixel.red() - from.red()), double(pixel.green() - from.green()),
                              double(pixel.blue() - from.blue())};
    const double length = span[0] * span[0] + span[1] * span[1] + span[2] * span[2];
    const double along =
        length > 0
            ? std::clamp((offset[0] * span[0] + offset[1] * span[1] + offset[2] * span[2]) / length, 0.0, 1.0)
            : 0.0;
    for (int channel = 0; channel < 3; ++channel) {
        if (std::abs(offset[channel] - along * span[channel]) > tolerance)
            return false;
    }
    return true;
}

// The look of a desktop whose platform gives dialog buttons icons, drawn for a light background: a
// black one on every standard button. Put in place for one test and then undone.
class PlatformButtonIcons : public QProxyStyle
{
public:
    PlatformButtonIcons() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returned) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }

    QIcon standardIcon(StandardPixmap, const QStyleOption *, const QWidget *) const override
    {
        QPixmap black(16, 16);
        black.fill(Qt::black);
        return QIcon(black);
    }
};

struct PlatformButtonIconsInPlace
{
    const QString previous = QApplication::style()->name();
    PlatformButtonIconsInPlace() { QApplication::setStyle(new PlatformButtonIcons); }
    ~PlatformButtonIconsInPlace() { QApplication::setStyle(QStyleFactory::create(previous)); }
};

// The tip that is showing, if any.
QWidget *shownToolTip()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->inherits("QTipLabel"))
            return top;
    }
    return nullptr;
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
    // ticked, it carries a mark in the theme's accent. On the light theme the empty box also meets the
    // 3:1 contrast asked of a control's outline (the dark theme keeps the border of its inputs).
    void checkBoxesShowTheirBoxInBothStates_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("accent");
        QTest::addColumn<double>("contrast");
        QTest::newRow("dark unticked") << "coffee_dark" << false << "#0f0a06"
                                       << "#ff9900" << 1.0;
        QTest::newRow("dark ticked") << "coffee_dark" << true << "#0f0a06"
                                     << "#ff9900" << 1.0;
        QTest::newRow("light unticked") << "mvx_light" << false << "#f5f9ff"
                                        << "#006cb4" << 3.0;
        QTest::newRow("light ticked") << "mvx_light" << true << "#f5f9ff"
                                      << "#006cb4" << 3.0;
    }

    void checkBoxesShowTheirBoxInBothStates()
    {
        QFETCH(QString, theme);
        QFETCH(bool, ticked);
        QFETCH(QString, background);
        QFETCH(QString, accent);
        QFETCH(double, contrast);
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
            const double apart = outlineContrast(shot, box, QColor(background), contrast);
            QVERIFY2(apart >= 0.9, qPrintable(QString::number(apart)));
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

    // Selected text in a number box (an alert's target, a cash amount, the book's step) is marked in the
    // theme's selection colours, as in a line edit, and not in the platform's blue.
    void selectedTextTakesTheThemesSelectionColours_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("text");
        for (const bool light : {false, true}) {
            const QString theme = light ? QStringLiteral("mvx_light") : QStringLiteral("coffee_dark");
            const QString background = light ? QStringLiteral("#006cb4") : QStringLiteral("#ff9900");
            const QString text = light ? QStringLiteral("#ffffff") : QStringLiteral("#1a0f08");
            for (const char *box : {"line edit", "decimal number", "whole number"})
                QTest::addRow("%s, %s", light ? "light" : "dark", box) << theme << box << background << text;
        }
    }

    void selectedTextTakesTheThemesSelectionColours()
    {
        QFETCH(QString, theme);
        QFETCH(QString, box);
        QFETCH(QString, background);
        QFETCH(QString, text);
        TempHome home;
        MainWindow window;
        window.setTheme(theme);
        QDialog dialog(&window);
        auto *layout = new QVBoxLayout(&dialog);
        QWidget *field = nullptr;
        QLineEdit *edit = nullptr;
        if (box == QLatin1String("line edit")) {
            edit = new QLineEdit(QStringLiteral("104000.50"), &dialog);
            field = edit;
        } else if (box == QLatin1String("decimal number")) {
            auto *decimal = new QDoubleSpinBox(&dialog);
            decimal->setRange(0.0, 1000000.0);
            decimal->setValue(104000.5);
            field = decimal;
        } else {
            auto *whole = new QSpinBox(&dialog);
            whole->setRange(0, 1000000);
            whole->setValue(104000);
            field = whole;
        }
        if (!edit)
            edit = field->findChild<QLineEdit *>();
        QVERIFY(edit);
        field->setMinimumWidth(180);
        layout->addWidget(field);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        field->setFocus();
        edit->selectAll();
        QVERIFY(edit->hasSelectedText());

        const QImage shot = field->grab().toImage();
        const QRect textArea = edit->geometry();
        const int marked = pixelsIn(shot, textArea, QColor(background));
        QVERIFY2(marked >= 60, qPrintable(QString::number(marked)));
        // The letters inside the marked band, in the selection's text colour.
        const QRect band = boundsOf(shot, textArea, QColor(background));
        int letters = 0;
        for (int y = band.top(); y <= band.bottom(); ++y) {
            for (int x = band.left(); x <= band.right(); ++x) {
                if (colourDistance(shot.pixelColor(x, y), QColor(text)) <= 24)
                    ++letters;
            }
        }
        QVERIFY2(letters >= 20, qPrintable(QString::number(letters)));
    }

    // A box's drop-down shows the sheet's arrow and no platform bevel: in the light theme the bevel drew
    // a dark line down the box's right edge and along its foot, in the dark theme a faint one. The bevel
    // sat in the drop-down's outer two pixels, so those are measured strictly.
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
        // Its edges too, right of the divider, up to the rounded corners the box's border takes.
        const QList<QPoint> bevel =
            ringStrays(shot, inGrab(shot, dropDown.adjusted(1, 0, 0, 0)), QColor(background), 2, 6, 4);
        QVERIFY2(bevel.isEmpty(), qPrintable(QStringLiteral("%1 pixels, first at %2,%3")
                                                 .arg(bevel.size())
                                                 .arg(bevel.value(0).x())
                                                 .arg(bevel.value(0).y())));
    }

    // The theme menu's two items: the chosen one carries an accent mark, the other an empty box in the
    // same place that stands apart from the menu (on the light theme by the 3:1 of a control's outline).
    void menuItemsShowTheirBoxInBothStates_data()
    {
        QTest::addColumn<bool>("light");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("accent");
        QTest::addColumn<double>("contrast");
        QTest::newRow("dark") << false << "#1a140d"
                              << "#ff9900" << 1.0;
        QTest::newRow("light") << true << "#ffffff"
                               << "#006cb4" << 3.0;
    }

    void menuItemsShowTheirBoxInBothStates()
    {
        QFETCH(bool, light);
        QFETCH(QString, background);
        QFETCH(QString, accent);
        QFETCH(double, contrast);
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
        const double apart = outlineContrast(shot, otherBox, QColor(background), contrast);
        QVERIFY2(apart >= 0.9, qPrintable(QString::number(apart)));
    }

    // A box's list opens as a window of its own. The platform's menu-like popup framed it in its own
    // grey and left a white band above and below the items; the list is the sheet's from edge to edge.
    void comboListsAreTheSheetsFromEdgeToEdge_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("frame");
        QTest::newRow("dark") << "coffee_dark"
                              << "#1a140d"
                              << "#3d3530";
        QTest::newRow("light") << "mvx_light"
                               << "#ffffff"
                               << "#d8e5f2";
    }

    void comboListsAreTheSheetsFromEdgeToEdge()
    {
        QFETCH(QString, theme);
        QFETCH(QString, background);
        QFETCH(QString, frame);
        ShownWindow shown(theme, QStringLiteral("en"));
        QComboBox *combo = shown.window.chartModeCombo;
        combo->showPopup();
        QWidget *popup = combo->view()->window();
        QVERIFY(popup != &shown.window);
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        const QImage shot = popup->grab().toImage();
        combo->hidePopup();

        const QList<QPoint> outline = ringStrays(shot, shot.rect(), QColor(frame), 1, 0, 24);
        QVERIFY2(outline.isEmpty(), qPrintable(QString::number(outline.size())));
        // Between the outline and the items, above the first and below the last.
        QAbstractItemView *view = combo->view();
        const QRect first = view->visualRect(view->model()->index(0, combo->modelColumn()));
        const QRect last = view->visualRect(view->model()->index(combo->count() - 1, combo->modelColumn()));
        const int firstTop = view->viewport()->mapTo(popup, first.topLeft()).y();
        const int lastBottom = view->viewport()->mapTo(popup, last.bottomLeft()).y();
        const int right = popup->width() - 2;
        const QRect above(QPoint(1, 1), QPoint(right, firstTop - 1));
        const QRect below(QPoint(1, lastBottom + 1), QPoint(right, popup->height() - 2));
        for (const QRect &band : {above, below}) {
            if (band.isEmpty())
                continue;
            const int plain = pixelsIn(shot, band, QColor(background));
            QVERIFY2(plain == band.width() * band.height(),
                     qPrintable(QStringLiteral("%1 of %2 pixels at y %3")
                                    .arg(band.width() * band.height() - plain)
                                    .arg(band.width() * band.height())
                                    .arg(band.top())));
        }
    }

    // The symbol suggestions are a window without a parent; they follow the theme, also when it changes
    // after they were first styled.
    void symbolSuggestionsFollowTheTheme_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("text");
        QTest::newRow("dark") << "coffee_dark"
                              << "coffee_dark"
                              << "#1a140d"
                              << "#f1e4d6";
        QTest::newRow("light") << "mvx_light"
                               << "mvx_light"
                               << "#ffffff"
                               << "#1a1a1a";
        QTest::newRow("light, then dark") << "mvx_light"
                                          << "coffee_dark"
                                          << "#1a140d"
                                          << "#f1e4d6";
        QTest::newRow("dark, then light") << "coffee_dark"
                                          << "mvx_light"
                                          << "#ffffff"
                                          << "#1a1a1a";
    }

    void symbolSuggestionsFollowTheTheme()
    {
        QFETCH(QString, first);
        QFETCH(QString, theme);
        QFETCH(QString, background);
        QFETCH(QString, text);
        ShownWindow shown(first, QStringLiteral("en"), ShownWindow::Choice::BeforeShow);
        shown.window.setTheme(theme);
        QCompleter *completer = shown.window.symbolInput->completer();
        completer->setCompletionPrefix(QStringLiteral("A"));
        completer->complete();
        QAbstractItemView *popup = completer->popup();
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        const QImage shot = popup->grab().toImage();
        popup->hide();

        QCOMPARE(dominantColour(shot).name(), background);
        const int letters = pixelsIn(shot, shot.rect(), QColor(text));
        QVERIFY2(letters >= 20, qPrintable(QString::number(letters)));
    }

    // Every scroll bar is flat and drawn in the sheet's colours: a track and a handle, nothing of the
    // platform's bevel (whose white edges showed on the dark theme). The square where two bars meet is
    // their track.
    void scrollBarsAreTheSheets_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QColor>("track");
        QTest::addColumn<QColor>("handle");
        const QStringList places = {
            QStringLiteral("quote table, down"),
            QStringLiteral("quote table, across"),
            QStringLiteral("quote table, where the bars meet"),
            QStringLiteral("scroll area of no colours of its own, where the bars meet"),
            QStringLiteral("event console"),
            QStringLiteral("box list"),
            QStringLiteral("symbol suggestions")};
        for (const bool light : {false, true}) {
            const QColor track(light ? "#f5f9ff" : "#0d0906");
            const QColor handle = over(light ? QColor(0, 108, 180, qRound(0.28 * 255))
                                             : QColor(191, 128, 64, qRound(0.45 * 255)),
                                       track);
            for (const QString &place : places) {
                const QString tag = (light ? QStringLiteral("light, ") : QStringLiteral("dark, ")) + place;
                QTest::newRow(qPrintable(tag))
                    << (light ? "mvx_light" : "coffee_dark") << place << track << handle;
            }
        }
    }

    void scrollBarsAreTheSheets()
    {
        QFETCH(QString, theme);
        QFETCH(QString, place);
        QFETCH(QColor, track);
        QFETCH(QColor, handle);
        ShownWindow shown(theme, QStringLiteral("en"));
        MainWindow &window = shown.window;
        QScrollBar *bar = nullptr;
        QAbstractScrollArea *area = nullptr; // where two bars meet
        std::function<void()> close = []() {};
        if (place.startsWith(QLatin1String("quote table"))) {
            window.quoteTable->setRowCount(60);
            bar = place.endsWith(QLatin1String("down")) ? window.quoteTable->verticalScrollBar()
                                                        : window.quoteTable->horizontalScrollBar();
            area = window.quoteTable;
        } else if (place.startsWith(QLatin1String("scroll area"))) {
            // The tables' own background is the track's colour: an area without one shows that the
            // sheet, not the area, draws the corner.
            auto *scrolled = new QScrollArea(window.centralWidget());
            auto *inside = new QWidget;
            inside->setFixedSize(800, 800);
            scrolled->setWidget(inside);
            scrolled->setGeometry(0, 0, 200, 160);
            scrolled->show();
            scrolled->raise();
            bar = scrolled->horizontalScrollBar();
            area = scrolled;
        } else if (place == QLatin1String("event console")) {
            for (int line = 0; line < 80; ++line)
                window.eventConsole->appendPlainText(QStringLiteral("line %1").arg(line));
            bar = window.eventConsole->verticalScrollBar();
        } else if (place == QLatin1String("box list")) {
            auto *combo = new QComboBox(window.centralWidget());
            for (int item = 0; item < 40; ++item)
                combo->addItem(QStringLiteral("item %1").arg(item));
            combo->show();
            combo->showPopup();
            QVERIFY(QTest::qWaitForWindowExposed(combo->view()->window()));
            bar = combo->view()->verticalScrollBar();
            close = [combo]() { combo->hidePopup(); };
        } else {
            QCompleter *completer = window.symbolInput->completer();
            completer->setCompletionPrefix(QStringLiteral("A"));
            completer->complete();
            QVERIFY(QTest::qWaitForWindowExposed(completer->popup()));
            bar = completer->popup()->verticalScrollBar();
            close = [completer]() { completer->popup()->hide(); };
        }
        shown.settle();
        QVERIFY(bar->isVisible());
        if (place.endsWith(QLatin1String("where the bars meet"))) {
            const QScrollBar *down = area->verticalScrollBar();
            QVERIFY(down->isVisible());
            const QRect corner(
                QPoint(down->mapTo(area, QPoint(0, 0)).x(), bar->mapTo(area, QPoint(0, 0)).y()),
                QSize(down->width(), bar->height()));
            const QImage shot = area->grab().toImage();
            // Strictly: the window's own background is but a shade off the dark track.
            QStringList strays;
            const QRect square = inGrab(shot, corner);
            QVERIFY(shot.rect().contains(square));
            for (int y = square.top(); y <= square.bottom(); ++y) {
                for (int x = square.left(); x <= square.right(); ++x) {
                    if (colourDistance(shot.pixelColor(x, y), track) > 1)
                        strays << shot.pixelColor(x, y).name();
                }
            }
            QVERIFY2(strays.isEmpty(), qPrintable(QStringLiteral("%1 of %2 pixels, first %3")
                                                      .arg(strays.size())
                                                      .arg(square.width() * square.height())
                                                      .arg(strays.value(0))));
            return;
        }
        const QImage shot = bar->grab().toImage();
        close();

        int strays = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                if (!betweenColours(shot.pixelColor(x, y), track, handle, 8))
                    ++strays;
            }
        }
        QVERIFY2(strays == 0, qPrintable(QString::number(strays)));
        const int handlePixels = pixelsIn(shot, QRect(QPoint(0, 0), bar->size()), handle);
        QVERIFY2(handlePixels >= 40, qPrintable(QString::number(handlePixels)));
    }

    // A tip of a widget of the window takes the theme's control colours and frame instead of the
    // toolkit's yellow.
    void toolTipsTakeTheThemesColours_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("frame");
        QTest::newRow("dark") << "coffee_dark"
                              << "#1a140d"
                              << "#f1e4d6"
                              << "#3d3530";
        QTest::newRow("light") << "mvx_light"
                               << "#ffffff"
                               << "#1a1a1a"
                               << "#d8e5f2";
    }

    void toolTipsTakeTheThemesColours()
    {
        QFETCH(QString, theme);
        QFETCH(QString, background);
        QFETCH(QString, text);
        QFETCH(QString, frame);
        ShownWindow shown(theme, QStringLiteral("en"));
        QWidget *owner = shown.window.chartHLineButton;
        QToolTip::showText(owner->mapToGlobal(owner->rect().center()), QStringLiteral("Horizontal line"),
                           owner);
        QWidget *tip = shownToolTip();
        QVERIFY(tip);
        const QImage shot = tip->grab().toImage();
        QToolTip::hideText();

        QCOMPARE(dominantColour(shot).name(), background);
        const int letters = pixelsIn(shot, QRect(QPoint(0, 0), tip->size()), QColor(text));
        QVERIFY2(letters >= 20, qPrintable(QString::number(letters)));
        const QList<QPoint> outline = ringStrays(shot, shot.rect(), QColor(frame), 1, 0, 24);
        QVERIFY2(outline.isEmpty(), qPrintable(QString::number(outline.size())));
    }

    // Where the platform gives dialog buttons its icons (drawn for a light background, black on the
    // dark theme), the sheets keep the buttons to their text: the API health dialog's Close and the
    // message boxes' answers.
    void dialogButtonsCarryNoPlatformIcons_data()
    {
        QTest::addColumn<QString>("theme");
        QTest::addColumn<bool>("healthDialog");
        QTest::newRow("dark, API health") << "coffee_dark" << true;
        QTest::newRow("dark, message box") << "coffee_dark" << false;
        QTest::newRow("light, API health") << "mvx_light" << true;
        QTest::newRow("light, message box") << "mvx_light" << false;
    }

    void dialogButtonsCarryNoPlatformIcons()
    {
        QFETCH(QString, theme);
        QFETCH(bool, healthDialog);
        PlatformButtonIconsInPlace platform;
        TempHome home;
        MainWindow window;
        window.setTheme(theme);
        QStringList withIcons;
        int buttons = 0;
        const auto look = [&](QWidget *dialog) {
            for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
                ++buttons;
                if (!button->icon().isNull())
                    withIcons << button->text();
            }
        };
        if (healthDialog) {
            NextWidget<QDialog> dialog([&](QDialog *open) {
                QDialogButtonBox *box = open->findChild<QDialogButtonBox *>();
                if (box && box->button(QDialogButtonBox::Close))
                    look(open);
                open->reject();
            });
            window.showApiHealthDialog();
            QVERIFY(dialog.seen);
        } else {
            QMessageBox box(QMessageBox::Question, QStringLiteral("Murvex"), QStringLiteral("Sure?"),
                            QMessageBox::Yes | QMessageBox::No, &window);
            look(&box);
        }
        QVERIFY(buttons >= 2);
        QVERIFY2(withIcons.isEmpty(), qPrintable(withIcons.join(QStringLiteral(", "))));
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
