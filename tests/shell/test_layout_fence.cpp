#include "shell/layout_fence.h"
#include "tests/support/test_main.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
// Counts the layout requests a widget gets: a tab widget answers each by laying out and repainting
// everything it holds.
class LayoutRequestCounter : public QObject
{
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            ++count;
        return false;
    }
};

// A window of a fenced panel in a tab widget above a filler that takes the height the tabs leave: the
// panel holds a value label (its text changes, its size does not) and a label whose least size a test
// changes.
struct FencedPanel
{
    QWidget window;
    QTabWidget *tabs;
    QWidget *panel;
    QLabel *value;
    QLabel *grower;
    LayoutFence *fence;

    FencedPanel()
    {
        panel = new QWidget;
        auto *panelLayout = new QVBoxLayout(panel);
        value = new QLabel(QStringLiteral("1"));
        value->setMinimumSize(200, 30);
        grower = new QLabel(QStringLiteral("x"));
        panelLayout->addWidget(value);
        panelLayout->addWidget(grower);
        tabs = new QTabWidget;
        fence = new LayoutFence(panel, nullptr);
        tabs->addTab(fence, QStringLiteral("Panel"));
        tabs->addTab(new QLabel(QStringLiteral("other")), QStringLiteral("Other"));
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(tabs, 0);
        layout->addWidget(new QLabel(QStringLiteral("filler")), 1);
        window.resize(400, 600);
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("the window was never exposed");
        settle();
    }

    static void settle()
    {
        for (int pass = 0; pass < 4; ++pass) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
};
} // namespace

class TestLayoutFence : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A new text that changes no size is laid out inside the panel and goes no further: the tab
    // widget above hears nothing of it.
    void aChangeOfNoSizeStaysInside()
    {
        FencedPanel f;
        QCOMPARE(f.panel->geometry(), f.fence->rect());
        LayoutRequestCounter requests;
        f.tabs->installEventFilter(&requests);
        const QRect place = f.value->geometry();
        for (const char *text : {"2", "3", "4"}) {
            f.value->setText(QString::fromLatin1(text));
            f.settle();
        }
        QCOMPARE(requests.count, 0);
        QCOMPARE(f.value->geometry(), place);
    }

    void aNewSizeReachesTheLayoutsAbove_data()
    {
        QTest::addColumn<bool>("taller"); // else wider
        QTest::addColumn<bool>("whileHidden");
        QTest::newRow("taller") << true << false;
        QTest::newRow("wider") << false << false;
        QTest::newRow("taller while another tab is in front") << true << true;
    }

    // A panel that needs more room gets it, as without the fence: the layouts above hear of it, at
    // once or, when the panel is hidden, as it shows again.
    void aNewSizeReachesTheLayoutsAbove()
    {
        QFETCH(bool, taller);
        QFETCH(bool, whileHidden);
        FencedPanel f;
        const QSize before = f.panel->size();
        if (whileHidden) {
            f.tabs->setCurrentIndex(1);
            f.settle();
        }
        if (taller)
            f.grower->setMinimumHeight(before.height() + 200);
        else
            f.grower->setMinimumWidth(before.width() + 200);
        f.settle();
        if (whileHidden) {
            f.tabs->setCurrentIndex(0);
            f.settle();
        }
        QVERIFY2(f.panel->height() >= f.panel->minimumSizeHint().height(),
                 qPrintable(QStringLiteral("%1 px high, needs %2")
                                .arg(f.panel->height())
                                .arg(f.panel->minimumSizeHint().height())));
        QVERIFY2(f.panel->width() >= f.panel->minimumSizeHint().width(),
                 qPrintable(QStringLiteral("%1 px wide, needs %2")
                                .arg(f.panel->width())
                                .arg(f.panel->minimumSizeHint().width())));
        QVERIFY(taller ? f.panel->height() >= before.height() + 200
                       : f.panel->width() >= before.width() + 200);
        QCOMPARE(f.panel->geometry(), f.fence->rect());
    }

    // The fence reads as the panel to a layout: the panel's own least size wins over its hint.
    void sizesAsThePanel()
    {
        auto *panel = new QWidget;
        auto *layout = new QVBoxLayout(panel);
        layout->addWidget(new QLabel(QStringLiteral("a label")));
        panel->setMinimumWidth(240);
        const QSize hint = panel->sizeHint();
        const QSize least = panel->minimumSizeHint();
        LayoutFence fence(panel, nullptr); // owns the panel from here
        QCOMPARE(fence.minimumSizeHint(), QSize(240, least.height()));
        QCOMPARE(fence.sizeHint(), hint.expandedTo(QSize(240, least.height())));
        QCOMPARE(panel->parentWidget(), &fence);
    }
};

MVX_TEST_MAIN(TestLayoutFence)
#include "test_layout_fence.moc"
