#include "shell/widget_kit.h"
#include "shell/content_columns.h"

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
    keepColumnsWideForContents(table);
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

int tableHeightForRows(const QTableView *table, int rows)
{
    // Measured in the final look: the theme's padding sizes the header and the rows.
    table->ensurePolished();
    // The table reserves the header's height the same way above its rows; the frame is part of the
    // contents margins.
    const QHeaderView *header = table->horizontalHeader();
    const int headerHeight =
        header->isHidden() ? 0 : qMax(header->minimumHeight(), header->sizeHint().height());
    const QMargins margins = table->contentsMargins();
    return margins.top() + margins.bottom() + headerHeight +
           rows * table->verticalHeader()->defaultSectionSize();
}

void holdWidthForText(QWidget *control, int floor)
{
    if (!control)
        return;
    control->ensurePolished();
    const int needed = qMax(floor, control->sizeHint().width());
    control->setMinimumWidth(needed);
    if (control->maximumWidth() < needed)
        control->setMaximumWidth(needed);
}
