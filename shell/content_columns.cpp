#include "shell/content_columns.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QEvent>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QSet>
#include <QStringList>
#include <QTableView>

#include <algorithm>
#include <optional>

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

// A rebuild writes cells one at a time; a range wider than this (a whole table's worth) is measured per
// column instead, through the view's own answer.
constexpr int kCellsMeasuredOneByOne = 256;
// After a sort moved rows, the sort column's cells are looked at again, as far as the view itself
// measures a column.
constexpr int kRowsScannedAfterASort = 1000;
// Beyond Latin, characters combine and shape: such a text is measured whole.
constexpr char16_t kLastLatinCharacter = 0x024f;

class ContentColumns : public QObject
{
public:
    explicit ContentColumns(QTableView *table)
        : QObject(table), m_table(table), m_viewport(table->viewport()), m_header(table->horizontalHeader()),
          m_headerViewport(table->horizontalHeader()->viewport())
    {
        for (QObject *watched : {m_viewport, m_header, m_headerViewport})
            watched->installEventFilter(this);
        connect(table->horizontalHeader(), &QHeaderView::sectionResized, this,
                &ContentColumns::onSectionResized);
        const QAbstractItemModel *model = table->model();
        connect(model, &QAbstractItemModel::headerDataChanged, this, [this](Qt::Orientation orientation) {
            if (orientation == Qt::Horizontal)
                onHeadersChanged();
        });
        connect(model, &QAbstractItemModel::dataChanged, this, &ContentColumns::onDataChanged);
        // A sorted table moves a row when a cell of its sort column is written, and then reports a new
        // layout instead of the cell.
        connect(model, &QAbstractItemModel::layoutChanged, this, [this]() {
            const QHeaderView *header = m_table->horizontalHeader();
            const int column = header->sortIndicatorSection();
            if (!m_table->isSortingEnabled() || column < 0)
                return;
            const QAbstractItemModel *model = m_table->model();
            const int rows = std::min(model->rowCount(), kRowsScannedAfterASort);
            bool wider = false;
            for (int row = 0; row < rows; ++row)
                wider |= considerCell(model->index(row, column));
            if (wider)
                fitSoon();
        });
        connect(model, &QAbstractItemModel::modelReset, this, &ContentColumns::measureAllSoon);
        connect(model, &QAbstractItemModel::columnsInserted, this, &ContentColumns::measureAllSoon);
        m_headers = headerTexts();
        measureAllSoon();
    }

protected:
    // Watched objects are told apart by address only: the table may be half destroyed when they last
    // report.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Resize:
            // The cap on one column's contents follows the table's width; what the cells need is known.
            if (watched == m_viewport)
                fitSoon();
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
                measureAllSoon();
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
        m_headerNeeds.clear();
        fitSoon();
    }

    // The width a cell's text takes in its font; the style adds the same padding to every plain text
    // cell of a column. Latin text in the table's own font is summed from a cache of character widths,
    // which costs far less than shaping it (a streamed table writes cells all the time); a kerned pair
    // reads a pixel or so wide, which only makes the cell measured.
    int textAdvance(const QString &text, const QModelIndex &index)
    {
        const QVariant font = index.data(Qt::FontRole);
        if (font.isValid())
            return QFontMetrics(qvariant_cast<QFont>(font).resolve(m_table->font())).horizontalAdvance(text);
        if (!m_metrics)
            m_metrics.emplace(m_table->font());
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
        const int width = m_table->sizeHintForIndex(index).width() + (m_table->showGrid() ? 1 : 0);
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
        const int rows = bottomRight.row() - topLeft.row() + 1;
        const int columns = bottomRight.column() - topLeft.column() + 1;
        if (qint64(rows) * columns > kCellsMeasuredOneByOne) {
            for (int column = topLeft.column(); column <= bottomRight.column(); ++column)
                measureSoon(column);
            return;
        }
        const QAbstractItemModel *model = m_table->model();
        bool wider = false;
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
            for (int column = topLeft.column(); column <= bottomRight.column(); ++column)
                wider |= considerCell(model->index(row, column));
        if (wider)
            fitSoon();
    }

    void onSectionResized(int logicalIndex)
    {
        // Qt resizes sections itself too (the stretching last one follows every drag), so only a section
        // that moves while the header is held down, and not by this fit, was dragged.
        const QHeaderView *header = m_table->horizontalHeader();
        if (m_pressed && !m_fitting && header->visualIndex(logicalIndex) + 1 < header->count())
            m_byHand.insert(logicalIndex);
    }

    void measureSoon(int column)
    {
        m_measure.insert(column);
        fitSoon();
    }

    void measureAllSoon()
    {
        m_measureAll = true;
        m_headerNeeds.clear();
        m_metrics.reset();
        m_characterWidths.clear();
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
        m_table->ensurePolished();
        header->ensurePolished();
        if (m_measureAll) {
            m_needs.clear();
            m_paddings.clear();
        }
        QList<int> current;
        QList<int> headers;
        QList<int> contents;
        for (int column = 0; column < count; ++column) {
            if (m_measureAll || m_measure.contains(column))
                // Through the base class, where the view's own answer is public.
                m_needs.insert(
                    column,
                    std::max(m_needs.value(column),
                             static_cast<const QAbstractItemView *>(m_table)->sizeHintForColumn(column)));
            current << header->sectionSize(column);
            const bool keep = header->isSectionHidden(column) || m_byHand.contains(column);
            if (!keep && !m_headerNeeds.contains(column))
                m_headerNeeds.insert(column, header->sectionSizeHint(column));
            headers << (keep ? -1 : m_headerNeeds.value(column));
            contents << m_needs.value(column);
        }
        m_measureAll = false;
        m_measure.clear();
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
    QHash<int, int> m_headerNeeds;         // per column, until the texts or the style change
    QHash<int, int> m_paddings;            // per column, what the style adds to a plain text's width
    std::optional<QFontMetrics> m_metrics; // of the table's font, until the style or font changes
    QHash<char16_t, int> m_characterWidths;
    QHash<int, int> m_needs; // the widest cell seen per column since the last full measure
    QSet<int> m_measure;     // columns to measure whole at the next fit
    QSet<int> m_byHand;      // columns the user dragged since the header texts last changed
    bool m_measureAll = false;
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
