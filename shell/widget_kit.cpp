#include "shell/widget_kit.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

QString currentComboKey(const QComboBox *combo)
{
    if (!combo || combo->currentIndex() < 0)
        return QString();
    return combo->currentData().toString();
}

void refillKeyedCombo(QComboBox *combo, const QList<KeyedItem> &items, const QString &preferredKey)
{
    if (!combo)
        return;
    const QString wanted = preferredKey.isEmpty() ? currentComboKey(combo) : preferredKey;
    const QSignalBlocker blocker(combo);
    combo->clear();
    int selected = -1;
    for (int i = 0; i < items.size(); ++i) {
        combo->addItem(items.at(i).label, items.at(i).key);
        if (selected < 0 && items.at(i).key == wanted)
            selected = i;
    }
    if (combo->count() > 0)
        combo->setCurrentIndex(selected < 0 ? 0 : selected);
}

void applyStandardTableSettings(QTableWidget *table)
{
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setSortingEnabled(true);
}

QString withLiteralAmpersands(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    return escaped;
}

PanelPage makePanelPage(QWidget *parent, int headerSpacing)
{
    auto *page = new QWidget(parent);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *header = new QWidget(page);
    auto *grid = new QGridLayout(header);
    grid->setContentsMargins(0, 0, 0, 0);
    if (headerSpacing >= 0)
        grid->setSpacing(headerSpacing);
    return {page, layout, header, grid};
}
