#include "streams/column_fit.h"
#include "shell/column_keeper.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QPointer>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTableView>

#include <algorithm>

QList<int> fitColumns(const QList<int> &headerWidths, const QList<int> &contentWidths, int available)
{
    const int count = int(headerWidths.size());
    QList<int> widths;
    QList<int> wants; // what each header asks beyond its column's floor
    int used = 0;
    for (int column = 0; column < count; ++column) {
        const int header = headerWidths.at(column);
        if (header < 0) { // hidden
            widths << 0;
            wants << 0;
            continue;
        }
        const int contents = column < contentWidths.size() ? std::max(contentWidths.at(column), 0) : 0;
        // A column with nothing in it yet keeps half its header, which still says what it will hold.
        const int floor = contents > 0 ? contents : (header + 1) / 2;
        widths << floor;
        wants << std::max(header - floor, 0);
        used += floor;
    }
    int spare = std::max(available - used, 0);
    // Whole headers first, in column order, wherever one fits what is left; then the headers that do
    // not fit whole take the rest, in the same order, so they show as much of their text as they can.
    for (const bool wholeOnly : {true, false}) {
        for (int column = 0; column < count && spare > 0; ++column) {
            const int want = wants.at(column);
            if (want == 0 || (wholeOnly && want > spare))
                continue;
            const int given = std::min(want, spare);
            widths[column] += given;
            wants[column] -= given;
            spare -= given;
        }
    }
    return widths;
}

namespace {

// A header that elides a label its section cannot hold. Qt 6.4's style-sheet style drops the header's
// elide mode, so a cut label was simply clipped ("man" for "Tamanho"); the cut is measured through the
// style, which knows the sheet's font and padding.
class ElidingHeader : public QHeaderView
{
public:
    using QHeaderView::QHeaderView;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        m_paintWidth = rect.width();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        m_paintWidth = -1;
    }

    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override
    {
        QHeaderView::initStyleOptionForIndex(option, logicalIndex);
        // Only while painting: the section's size hint must go on measuring the whole label.
        if (m_paintWidth < 0 || fits(*option, option->text))
            return;
        const QString full = option->text;
        const QString ellipsis(QChar(0x2026));
        int low = 0;
        int high = int(full.size()) - 1;
        while (low < high) { // the longest start of the label that fits with the ellipsis
            const int middle = (low + high + 1) / 2;
            if (fits(*option, full.left(middle) + ellipsis))
                low = middle;
            else
                high = middle - 1;
        }
        option->text = full.left(low) + ellipsis;
    }

private:
    bool fits(const QStyleOptionHeader &option, const QString &text) const
    {
        QStyleOptionHeader probe = option;
        probe.text = text;
        return style()->sizeFromContents(QStyle::CT_HeaderSection, &probe, QSize(), this).width() <=
               m_paintWidth;
    }

    mutable int m_paintWidth = -1;
};

// Puts an eliding header in place of the table's own, keeping the settings the table gave it.
void useElidingHeader(QTableView *table)
{
    QHeaderView *old = table->horizontalHeader();
    auto *header = new ElidingHeader(Qt::Horizontal, table);
    header->setStretchLastSection(old->stretchLastSection());
    header->setSectionResizeMode(old->count() > 0 ? old->sectionResizeMode(0) : QHeaderView::Interactive);
    header->setDefaultAlignment(old->defaultAlignment());
    header->setSectionsClickable(old->sectionsClickable());
    header->setHighlightSections(old->highlightSections());
    header->setVisible(!old->isHidden());
    table->setHorizontalHeader(header);
}

class ColumnFitter : public ColumnKeeper
{
public:
    explicit ColumnFitter(QTableView *table) : ColumnKeeper(table)
    {
        // Rows arrive before their cells are set: the fit waits for the event loop, which also makes one
        // fit of a whole batch of rows, or of a depth frame that rewrites every cell. Rows dropped may
        // take the widest value with them, which gives the headers room again.
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved,
                            &QAbstractItemModel::columnsInserted})
            connect(table->model(), signal, this, &ColumnFitter::fitSoon);
        connect(table->model(), &QAbstractItemModel::modelReset, this, &ColumnFitter::fitSoon);
        connect(table->model(), &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                    if (changesWidth(roles) && widens(topLeft, bottomRight))
                        fitSoon();
                });
    }

protected:
    // The narrow pane shows the new width at once.
    void resized() override { fit(); }

private:
    // A new colour changes no width; a new text or font may.
    static bool changesWidth(const QList<int> &roles)
    {
        if (roles.isEmpty())
            return true;
        for (int role :
             {int(Qt::DisplayRole), int(Qt::FontRole), int(Qt::SizeHintRole), int(Qt::DecorationRole)}) {
            if (roles.contains(role))
                return true;
        }
        return false;
    }

    // Whether a cell rewritten in place needs more than its column's values did at the last fit. A
    // narrower value leaves the columns as they are: every value still shows whole, and a depth frame
    // that rewrites the book's cells ten times a second would otherwise measure every cell of the
    // table each time. Rows added or dropped, new headers, a new style or width fit the table anew.
    bool widens(const QModelIndex &topLeft, const QModelIndex &bottomRight) const
    {
        if (fitPending() || anySizedByHand())
            return false;
        const QTableView *view = table();
        const int grid = view->showGrid() ? 1 : 0; // as the view counts a column's values
        for (int column = topLeft.column(); column <= bottomRight.column(); ++column) {
            if (column >= m_valueWidths.size())
                return true;
            for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
                const QModelIndex index = view->model()->index(row, column, topLeft.parent());
                if (view->sizeHintForIndex(index).width() + grid > m_valueWidths.at(column))
                    return true;
            }
        }
        return false;
    }

    void fit() override
    {
        if (anySizedByHand())
            return;
        QTableView *view = table();
        QHeaderView *header = view->horizontalHeader();
        QAbstractItemModel *model = view->model();
        const int count = header->count();
        QList<int> headerWidths;
        QList<int> contentWidths;
        for (int column = 0; column < count; ++column) {
            headerWidths << (header->isSectionHidden(column) ? -1 : header->sectionSizeHint(column));
            // Through the base class, where the view's own answer is public. An empty table has no
            // values, whatever width its grid line asks for.
            contentWidths << (model->rowCount() > 0
                                  ? static_cast<const QAbstractItemView *>(view)->sizeHintForColumn(column)
                                  : 0);
        }
        m_valueWidths = contentWidths;
        const QList<int> widths = fitColumns(headerWidths, contentWidths, view->viewport()->width());
        resizeOwnSections([&]() {
            // The stretched last section never shrinks below the size it was last given (Qt's 100 px at
            // first), which would push its header out of the narrow table: it is sized too, as its floor.
            for (int column = 0; column < widths.size(); ++column) {
                if (!header->isSectionHidden(column))
                    header->resizeSection(column, widths.at(column));
                const QVariant text = model->headerData(column, Qt::Horizontal);
                if (model->headerData(column, Qt::Horizontal, Qt::ToolTipRole) != text)
                    model->setHeaderData(column, Qt::Horizontal, text, Qt::ToolTipRole);
            }
        });
    }

    QList<int> m_valueWidths; // what each column's values needed at the last fit
};
} // namespace

void keepColumnsFitted(QTableView *table)
{
    if (!table || !table->model() || !table->horizontalHeader())
        return;
    useElidingHeader(table);
    new ColumnFitter(table);
}
