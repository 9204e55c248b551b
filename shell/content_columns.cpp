#include "shell/content_columns.h"
#include "shell/column_keeper.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QTableView>

#include <algorithm>
#include <optional>

QList<int> widenedColumnWidths(const QList<int> &current, const QList<int> &headers,
                               const QList<int> &contents, int available)
{
    QList<int> widths = current;
    const int cap = std::max(available, 0) / 2;
    const int last = int(std::min(current.size(), headers.size())) - 1;
    for (int column = 0; column <= last; ++column) {
        const int header = headers.at(column);
        if (header < 0)
            continue;
        // The stretching last column takes what the others leave, its label at least.
        const int content =
            column < last && column < contents.size() ? std::min(std::max(contents.at(column), 0), cap) : 0;
        widths[column] = std::max({current.at(column), header, content});
    }
    return widths;
}

namespace {

// After a sort moved rows, the sort column's cells are looked at again, as far as the view itself
// measures a column.
constexpr int kRowsScannedAfterASort = 1000;
// Beyond Latin, characters combine and shape: such a text is measured whole.
constexpr char16_t kLastLatinCharacter = 0x024f;

class ContentColumns : public ColumnKeeper
{
public:
    explicit ContentColumns(QTableView *table) : ColumnKeeper(table)
    {
        const QAbstractItemModel *model = table->model();
        connect(model, &QAbstractItemModel::dataChanged, this, &ContentColumns::onDataChanged);
        // A sorted table moves a row when a cell of its sort column is written, and then reports a new
        // layout instead of the cell.
        connect(model, &QAbstractItemModel::layoutChanged, this, &ContentColumns::onLayoutChanged);
        connect(model, &QAbstractItemModel::modelReset, this, &ContentColumns::measureAllSoon);
        connect(model, &QAbstractItemModel::columnsInserted, this, &ContentColumns::measureAllSoon);
        measureAllSoon();
    }

protected:
    // The style's padding and font change what every cell needs.
    void restyled() override { measureAllSoon(); }
    // A resize needs no measure: only the cap on one column's contents follows the table's width.

private:
    // The width a cell's text takes in its font; the style adds the same padding to every plain text
    // cell of a column. Latin text in the table's own font is summed from a cache of character widths,
    // which costs far less than shaping it (a streamed table writes cells all the time); a kerned pair
    // reads a pixel or so wide, which only makes the cell measured.
    int textAdvance(const QString &text, const QModelIndex &index)
    {
        const QVariant font = index.data(Qt::FontRole);
        if (font.isValid())
            return QFontMetrics(qvariant_cast<QFont>(font).resolve(table()->font())).horizontalAdvance(text);
        if (!m_metrics)
            m_metrics.emplace(table()->font());
        int width = 0;
        for (const QChar character : text) {
            if (character.unicode() > kLastLatinCharacter)
                return m_metrics->horizontalAdvance(text);
            auto known = m_characterWidths.constFind(character.unicode());
            if (known == m_characterWidths.cend())
                known =
                    m_characterWidths.insert(character.unicode(), m_metrics->horizontalAdvance(character));
            width += *known;
        }
        return width;
    }

    // Whether a cell widened what its column needs. The style's measure of a cell is costly next to
    // the font's, so a cell whose estimated text with the column's padding fits what the column needs
    // is not measured again: on a streamed table that is nearly every cell. The padding is learned
    // against the same estimate, so it takes up the estimate's own error; digits and times, which all
    // run the same width, come out exact.
    bool considerCell(const QModelIndex &index)
    {
        if (!index.isValid())
            return false;
        const int column = index.column();
        const int need = m_needs.value(column);
        const QString text = index.data(Qt::DisplayRole).toString();
        const bool plain = !text.contains(QLatin1Char('\n')) && !index.data(Qt::DecorationRole).isValid();
        const int advance = plain ? textAdvance(text, index) : 0;
        const auto padding = m_paddings.constFind(column);
        if (plain && padding != m_paddings.cend() && advance + *padding <= need)
            return false;
        const int width = table()->sizeHintForIndex(index).width() + (table()->showGrid() ? 1 : 0);
        if (plain)
            m_paddings.insert(column, std::max(m_paddings.value(column, width - advance), width - advance));
        if (width <= need)
            return false;
        m_needs.insert(column, width);
        return true;
    }

    // Measured as the cells arrive, one at a time: a quote writes a few cells of a long table, and the
    // columns only widen, so the rest of the table need not be measured again.
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
    {
        if (!topLeft.isValid() || !bottomRight.isValid())
            return;
        const QAbstractItemModel *model = table()->model();
        bool wider = false;
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
            for (int column = topLeft.column(); column <= bottomRight.column(); ++column)
                wider |= considerCell(model->index(row, column));
        if (wider)
            fitSoon();
    }

    void onLayoutChanged()
    {
        const int column = table()->horizontalHeader()->sortIndicatorSection();
        if (!table()->isSortingEnabled() || column < 0)
            return;
        const QAbstractItemModel *model = table()->model();
        const int rows = std::min(model->rowCount(), kRowsScannedAfterASort);
        bool wider = false;
        for (int row = 0; row < rows; ++row)
            wider |= considerCell(model->index(row, column));
        if (wider)
            fitSoon();
    }

    void measureAllSoon()
    {
        m_measureAll = true;
        m_metrics.reset();
        m_characterWidths.clear();
        fitSoon();
    }

    void fit() override
    {
        QTableView *view = table();
        QHeaderView *header = view->horizontalHeader();
        const int count = header->count();
        view->ensurePolished();
        header->ensurePolished();
        if (m_measureAll) {
            m_needs.clear();
            m_paddings.clear();
        }
        QList<int> current;
        QList<int> headers;
        QList<int> contents;
        for (int column = 0; column < count; ++column) {
            if (m_measureAll)
                // Through the base class, where the view's own answer is public.
                m_needs.insert(column,
                               static_cast<const QAbstractItemView *>(view)->sizeHintForColumn(column));
            current << header->sectionSize(column);
            const bool keep = header->isSectionHidden(column) || sizedByHand(column);
            headers << (keep ? -1 : header->sectionSizeHint(column));
            contents << m_needs.value(column);
        }
        m_measureAll = false;
        const QList<int> widths = widenedColumnWidths(current, headers, contents, view->viewport()->width());
        resizeOwnSections([&]() {
            for (int column = 0; column < count; ++column)
                if (widths.at(column) != current.at(column))
                    header->resizeSection(column, widths.at(column));
        });
    }

    QHash<int, int> m_paddings;            // per column, what the style adds to a plain text's width
    std::optional<QFontMetrics> m_metrics; // of the table's font, until the style or font changes
    QHash<char16_t, int> m_characterWidths;
    QHash<int, int> m_needs; // the widest cell seen per column since the last full measure
    bool m_measureAll = false;
};

} // namespace

void keepColumnsWideForContents(QTableView *table)
{
    if (!table || !table->model() || !table->horizontalHeader())
        return;
    new ContentColumns(table);
}
