#include "settings/shortcuts.h"
#include "tests/support/test_main.h"

#include <QJsonDocument>
#include <QKeySequence>

class TestShortcuts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fourteenCommandsInTheirOrder()
    {
        const QList<ShortcutDefinition> rows = defaultShortcutDefinitions();
        QStringList ids;
        QStringList keys;
        for (const ShortcutDefinition &row : rows) {
            ids << row.id;
            keys << row.defaultKey;
            QVERIFY(!row.labelEn.isEmpty());
            QVERIFY(!row.labelPt.isEmpty());
            // Every default parses as a real key in the portable form.
            QCOMPARE(
                QKeySequence(row.defaultKey, QKeySequence::PortableText).toString(QKeySequence::PortableText),
                row.defaultKey);
        }
        QCOMPARE(ids,
                 (QStringList{"chart_select", "chart_reset", "chart_hline", "chart_vline", "chart_trend",
                              "layout_balanced", "layout_dense", "layout_chart", "layout_order_flow",
                              "layout_next_monitor", "book_raw", "book_tight", "book_normal", "book_wide"}));
        QCOMPARE(keys, (QStringList{"Alt+1", "Alt+0", "Alt+2", "Alt+3", "Alt+4", "Ctrl+Alt+1", "Ctrl+Alt+2",
                                    "Ctrl+Alt+3", "Ctrl+Alt+4", "Ctrl+Alt+M", "Ctrl+1", "Ctrl+2", "Ctrl+3",
                                    "Ctrl+4"}));
        QCOMPARE(rows.at(4).labelPt, QString::fromUtf8("Gráfico: linha de tendência"));
        QCOMPARE(rows.at(9).labelEn, QStringLiteral("Layout: Move to next monitor"));
    }

    void keyTextPrefersTheOverride()
    {
        const QMap<QString, QString> overrides{{"book_wide", "Ctrl+9"}};
        QCOMPARE(shortcutKeyText(overrides, QStringLiteral("book_wide")), QStringLiteral("Ctrl+9"));
        QCOMPARE(shortcutKeyText(overrides, QStringLiteral("book_raw")), QStringLiteral("Ctrl+1"));
        QCOMPARE(shortcutKeyText(overrides, QStringLiteral("no_such_command")), QString());
    }

    void storedOverridesAreTrimmedAndFiltered()
    {
        const QJsonObject stored = QJsonDocument::fromJson(R"({
            "book_wide": "  Ctrl+Shift+4  ",
            "chart_select": "Alt+1",
            "chart_reset": "   ",
            "layout_dense": 5,
            "unknown_command": "Ctrl+U"
        })")
                                       .object();
        const QMap<QString, QString> overrides = shortcutOverridesFromJson(stored);
        // A key equal to the default is still kept; blanks, non-strings and unknown ids are not.
        QCOMPARE(overrides,
                 (QMap<QString, QString>{{"book_wide", "Ctrl+Shift+4"}, {"chart_select", "Alt+1"}}));
        QCOMPARE(shortcutOverridesFromJson(shortcutOverridesToJson(overrides)), overrides);
        QVERIFY(shortcutOverridesFromJson(QJsonObject()).isEmpty());
    }
};

MVX_TEST_MAIN(TestShortcuts)
#include "test_shortcuts.moc"
