#include "settings/shortcuts.h"

QList<ShortcutDefinition> defaultShortcutDefinitions()
{
    auto row = [](const char *id, const char *en, const char *pt, const char *key) {
        return ShortcutDefinition{QString::fromLatin1(id), QString::fromUtf8(en), QString::fromUtf8(pt),
                                  QString::fromLatin1(key)};
    };
    return {
        row("chart_select", "Chart: Select tool", "Gráfico: ferramenta selecionar", "Alt+1"),
        row("chart_reset", "Chart: Reset zoom", "Gráfico: resetar zoom", "Alt+0"),
        row("chart_hline", "Chart: Horizontal line", "Gráfico: linha horizontal", "Alt+2"),
        row("chart_vline", "Chart: Vertical line", "Gráfico: linha vertical", "Alt+3"),
        row("chart_trend", "Chart: Trend line", "Gráfico: linha de tendência", "Alt+4"),
        row("layout_balanced", "Layout: Balanced", "Layout: balanceado", "Ctrl+Alt+1"),
        row("layout_dense", "Layout: Dense Terminal", "Layout: terminal denso", "Ctrl+Alt+2"),
        row("layout_chart", "Layout: Chart Focus", "Layout: foco no gráfico", "Ctrl+Alt+3"),
        row("layout_order_flow", "Layout: Order Flow Focus", "Layout: foco em fluxo", "Ctrl+Alt+4"),
        row("layout_next_monitor", "Layout: Move to next monitor", "Layout: mover para próximo monitor",
            "Ctrl+Alt+M"),
        row("book_raw", "Book: Raw levels", "Livro: níveis brutos", "Ctrl+1"),
        row("book_tight", "Book: Tight aggregation", "Livro: agregação estreita", "Ctrl+2"),
        row("book_normal", "Book: Normal aggregation", "Livro: agregação normal", "Ctrl+3"),
        row("book_wide", "Book: Wide aggregation", "Livro: agregação ampla", "Ctrl+4"),
    };
}

QString shortcutKeyText(const QMap<QString, QString> &overrides, const QString &id)
{
    const auto override = overrides.constFind(id);
    if (override != overrides.constEnd())
        return override.value();
    for (const ShortcutDefinition &definition : defaultShortcutDefinitions()) {
        if (definition.id == id)
            return definition.defaultKey;
    }
    return QString();
}

QJsonObject shortcutOverridesToJson(const QMap<QString, QString> &overrides)
{
    QJsonObject object;
    for (auto it = overrides.constBegin(); it != overrides.constEnd(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

QMap<QString, QString> shortcutOverridesFromJson(const QJsonObject &object)
{
    QMap<QString, QString> overrides;
    for (const ShortcutDefinition &definition : defaultShortcutDefinitions()) {
        const QString key = object.value(definition.id).toString().trimmed();
        if (!key.isEmpty())
            overrides.insert(definition.id, key);
    }
    return overrides;
}
