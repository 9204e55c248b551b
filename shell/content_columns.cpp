#include "shell/content_columns.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>
#include <QSet>
#include <QStringList>
#include <QTableView>

#include <algorithm>

QList<int> widenedColumnWidths(const QList<int> &current, const QList<int> &headers,
                               const QList<int> &contents, int available)
{
    QList<int> widths = current;
    const int cap = std::max(available, 0) / 2;
    const int last = int(std::min(current.size(), headers.size())) - 1;
    for (int column = 0; column < last; ++column) {
        const int header = headers.at(column);
        if (header < 0)
            continue;
        const int content = column < contents.size() ? std::min(std::max(contents.at(column), 0), cap) : 0;
        widths[column] = std::max({current.at(column), header, content});
    }
    return widths;
}

namespace {

class ContentColumns : public QObject
{
public:
    explicit ContentColumns(QTableView *table)
        : QObject(table), m_table(table), m_viewport(table->viewport()), m_header(table->horizontalHeader()),
          m_headerViewport(table->horizontalHeader()->viewport())
    {
        QHeaderView *header = table->horizontalHeader();
        for (QObject *watched : {m_viewport, m_header, m_headerViewport})
            watched->installEventFilter(this);
        connect(header, &QHeaderView::sectionResized, this, &ContentColumns::onSectionResized);
        const QAbstractItemModel *model = table->model();
        connect(model, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation orientation) {
            if (orientation == Qt::Horizontal)
                onHeadersChanged();
        });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                    for (int column = topLeft.column(); column <= bottomRight.column(); ++column)
                        m_dirty.insert(column);
                    fitSoon();
                });
        // Cells that a sorted table moves to their place may report as moved rows or a new layout only.
        connect(model, &QAbstractItemModel::modelReset, this, &ContentColumns::fitAllSoon);
        connect(model, &QAbstractItemModel::layoutChanged, this, &ContentColumns::fitAllSoon);
        connect(model, &QAbstractItemModel::rowsInserted, this, &ContentColumns::fitAllSoon);
        connect(model, &QAbstractItemModel::rowsMoved, this, &ContentColumns::fitAllSoon);
        connect(model, &QAbstractItemModel::columnsInserted, this, &ContentColumns::fitAllSoon);
        m_headers = headerTexts();
        fitAllSoon();
    }

protected:
    // Watched objects are told apart by address only: the table may be half destroyed when they last
    // report.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
            // The cap on one column's contents follows the table's width.
            if (watched == m_viewport)
                fitAllSoon();
            break;
        case QEvent::MouseButtonPress:
            if (watched == m_headerViewport)
                m_pressed = true;
            break;
        case QEvent::MouseButtonRelease:
            if (watched == m_headerViewport)
                m_pressed = false;
            break;
        case QEvent::StyleChange:
        case QEvent::FontChange:
            // A new theme's padding or font changes what a text needs though the text stays.
            if (watched == m_header)
                fitAllSoon();
            break;
        default:
            break;
        }
        return false;
    }

private:
    QStringList headerTexts() const
    {
        QStringList texts;
        const QAbstractItemModel *model = m_table->model();
        for (int column = 0; column < model->columnCount(); ++column)
            texts << model->headerData(column, Qt::Horizontal).toString();
        return texts;
    }

    void onHeadersChanged()
    {
        const QStringList texts = headerTexts();
        if (texts == m_headers)
            return;
        m_headers = texts;
        m_byHand.clear();
        fitAllSoon();
    }

    void onSectionResized(int logicalIndex)
    {
        // Qt resizes sections itself too (the stretching last one follows every drag), so only a section
        // that moves while the header is held down, and not by this fit, was dragged.
        const QHeaderView *header = m_table->horizontalHeader();
        if (m_pressed && !m_fitting && header->visualIndex(logicalIndex) + 1 < header->count())
            m_byHand.insert(logicalIndex);
    }

    void fitAllSoon()
    {
        m_all = true;
        fitSoon();
    }

    // One fit per turn of the event loop: a rebuild or a burst of quotes writes many cells at once.
    void fitSoon()
    {
        if (m_pending)
            return;
        m_pending = true;
        QMetaObject::invokeMethod(
            this,
            [this]() {
                m_pending = false;
                fit();
            },
            Qt::QueuedConnection);
    }

    void fit()
    {
        QHeaderView *header = m_table->horizontalHeader();
        const int count = header->count();
        QList<int> current;
        QList<int> headers;
        QList<int> contents;
        m_table->ensurePolished();
        header->ensurePolished();
        for (int column = 0; column < count; ++column) {
            current << header->sectionSize(column);
            const bool skip = header->isSectionHidden(column) || m_byHand.contains(column);
            headers << (skip ? -1 : header->sectionSizeHint(column));
            // Through the base class, where the view's own answer is public; a column whose cells did
            // not change needs no new measure, as columns only widen.
            contents << (!skip && (m_all || m_dirty.contains(column))
                             ? static_cast<const QAbstractItemView *>(m_table)->sizeHintForColumn(column)
                             : 0);
        }
        m_all = false;
        m_dirty.clear();
        const QList<int> widths =
            widenedColumnWidths(current, headers, contents, m_table->viewport()->width());
        m_fitting = true;
        for (int column = 0; column < count; ++column)
            if (widths.at(column) != current.at(column))
                header->resizeSection(column, widths.at(column));
        m_fitting = false;
    }

    QTableView *m_table;
    QObject *m_viewport;
    QObject *m_header;
    QObject *m_headerViewport;
    QStringList m_headers;
    QSet<int> m_byHand; // columns the user dragged since the header texts last changed
    QSet<int> m_dirty;  // columns whose cells changed since the last fit
    bool m_all = false;
    bool m_pending = false;
    bool m_fitting = false;
    bool m_pressed = false; // a mouse button is down on the header
};

} // namespace

void keepColumnsWideForContents(QTableView *table)
{
    if (!table || !table->model() || !table->horizontalHeader())
        return;
    new ContentColumns(table);
}
