#pragma once

#include <QAccessible>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>

// The text a user reads on a widget, as Qt gives it to assistive tools. Buttons, tabs, menu items and
// labels with a buddy read "&" as a mnemonic mark and drop it ("Cash && dividends" reads
// "Cash & dividends", a lone "&" vanishes); a label without a buddy shows its text as written.
inline QString shownText(QObject *widget)
{
    QAccessibleInterface *face = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    return face ? face->text(QAccessible::Name) : QString();
}

// The titles of a tab widget's tabs as they read on the tab bar, in order.
inline QStringList shownTabTexts(const QTabWidget *tabs)
{
    QStringList out;
    QAccessibleInterface *bar = tabs ? QAccessible::queryAccessibleInterface(tabs->tabBar()) : nullptr;
    // The bar's children are its tabs, then its scroll buttons.
    for (int index = 0; bar && index < tabs->count(); ++index) {
        QAccessibleInterface *tab = bar->child(index);
        out << (tab ? tab->text(QAccessible::Name) : QString());
    }
    return out;
}
