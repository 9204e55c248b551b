#include "shell/price_box.h"
#include "tests/support/modal_script.h"
#include "tests/support/test_main.h"

#include <QDoubleSpinBox>
#include <QInputDialog>
#include <QPointer>

#include <limits>

namespace {
// A box as the price dialogs build it: eight decimals, the least positive tick up to 1e9.
struct PriceBoxFixture
{
    QDoubleSpinBox box;

    explicit PriceBoxFixture(double value)
    {
        box.setDecimals(8);
        box.setRange(0.00000001, 1e9);
        box.setValue(value);
        followPriceStep(&box);
    }
};
} // namespace

class TestPriceBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void step_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("step");
        QTest::newRow("below a cent") << 0.00001234 << 0.00000001;
        QTest::newRow("finer than the finest tick") << 0.000000004 << 0.00000001;
        QTest::newRow("below 0.001") << 0.0009996 << 0.0000001;
        QTest::newRow("0.001") << 0.001 << 0.000001;
        QTest::newRow("shown with five decimals") << 0.09995 << 0.00001;
        QTest::newRow("half") << 0.5 << 0.0001;
        QTest::newRow("just below 1") << 0.9999 << 0.0001;
        QTest::newRow("reads 1.0000") << 0.99996 << 0.0001;
        QTest::newRow("one") << 1.0 << 1.0;
        QTest::newRow("equity") << 36.71 << 1.0;
        QTest::newRow("from a thousand up") << 104532.18 << 1.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 1.0;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << 1.0;
    }

    void step()
    {
        QFETCH(double, value);
        QFETCH(double, step);
        QCOMPARE(priceStep(value), step);
    }

    // Each way of stepping goes from the value it steps from, also after the value moved.
    void keysStepTheBox_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<double>("expected");
        const int up = Qt::Key_Up, down = Qt::Key_Down;
        QTest::newRow("up below a cent") << 0.0000125 << QList<int>{up} << 0.00001251;
        QTest::newRow("down below a cent") << 0.0000125 << QList<int>{down} << 0.00001249;
        QTest::newRow("page up makes ten") << 0.0000125 << QList<int>{Qt::Key_PageUp} << 0.0000126;
        QTest::newRow("half") << 0.5 << QList<int>{up} << 0.5001;
        QTest::newRow("down across a power of ten") << 0.001 << QList<int>{down, down} << 0.0009989;
        QTest::newRow("up to 1, then by 1") << 0.9999 << QList<int>{up, up} << 2.0;
        // 29 steps of 0.0001 add up to a hair under 1, which the box shows as 1: the next step is 1.
        QTest::newRow("a hair under 1 steps as 1") << 0.9971 << QList<int>(30, up) << 2.0;
        QTest::newRow("equity up") << 36.71 << QList<int>{up} << 37.71;
        QTest::newRow("equity down") << 36.71 << QList<int>{down} << 35.71;
    }

    void keysStepTheBox()
    {
        QFETCH(double, start);
        QFETCH(QList<int>, keys);
        QFETCH(double, expected);
        PriceBoxFixture f(start);
        for (int key : keys)
            QTest::keyClick(&f.box, Qt::Key(key));
        QCOMPARE(f.box.value(), expected);
    }

    void wheelStepsTheBox()
    {
        PriceBoxFixture f(0.0000125);
        QWheelEvent notch(QPointF(5, 5), f.box.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&f.box, &notch);
        QCOMPARE(f.box.value(), 0.00001251);
    }

    void askPriceAnswers_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<double>("returned");
        QTest::newRow("accepted") << true << 0.00001251;
        QTest::newRow("cancelled") << false << 0.0000125;
    }

    void askPriceAnswers()
    {
        QFETCH(bool, accept);
        QFETCH(double, returned);
        QWidget parent;
        QString title, label;
        NextWidget<QInputDialog> answer([&](QInputDialog *dialog) {
            title = dialog->windowTitle();
            label = dialog->labelText();
            QTest::keyClick(dialog->findChild<QDoubleSpinBox *>(), Qt::Key_Up);
            if (accept)
                dialog->accept();
            else
                dialog->reject();
        });
        bool ok = !accept;
        const double value = askPrice(&parent, QStringLiteral("Price line"), QStringLiteral("Price"),
                                      0.0000125, 0.00000001, 1e9, 8, &ok);
        QVERIFY(answer.seen);
        QCOMPARE(title, QStringLiteral("Price line"));
        QCOMPARE(label, QStringLiteral("Price"));
        QCOMPARE(ok, accept);
        QCOMPARE(value, returned);
    }

    // The parent goes while the box is open: the box goes with it, and the call returns the value given.
    void askPriceOutlivesItsParent()
    {
        auto *parent = new QWidget;
        NextWidget<QInputDialog> answer([&](QInputDialog *dialog) {
            dialog->setDoubleValue(5.0);
            delete parent;
        });
        bool ok = true;
        const double value = askPrice(parent, QStringLiteral("Price line"), QStringLiteral("Price"), 2.0,
                                      0.00000001, 1e9, 8, &ok);
        QVERIFY(answer.seen);
        QVERIFY(!ok);
        QCOMPARE(value, 2.0);
    }
};

MVX_TEST_MAIN(TestPriceBox)
#include "test_price_box.moc"
