#include "settings/hidden_columns.h"
#include "tests/support/test_main.h"

using IntSet = QSet<int>;
Q_DECLARE_METATYPE(IntSet)

class TestHiddenColumns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<IntSet>("expected");
        QTest::newRow("empty") << "" << IntSet{};
        QTest::newRow("plain list") << "3,7,14" << IntSet{3, 7, 14};
        QTest::newRow("blanks and empty parts") << " 2 ,, 5 ," << IntSet{2, 5};
        QTest::newRow("symbol column and out of range dropped") << "0,1,15,16,-1" << IntSet{1, 15};
        QTest::newRow("not numbers dropped") << "a,4x,0x5,6" << IntSet{6};
        QTest::newRow("repeats collapse") << "9,9,9" << IntSet{9};
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(IntSet, expected);
        QCOMPARE(parseHiddenColumnsText(text), expected);
    }
};

MVX_TEST_MAIN(TestHiddenColumns)
#include "test_hidden_columns.moc"
