#include "streams/column_fit.h"

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
    if (count == 0)
        return widths;
    QList<int> headers;
    QList<int> contents;
    int needed = 0;
    for (int column = 0; column < count; ++column) {
        headers << std::max(headerWidths.at(column), 0);
        contents << (column < contentWidths.size() ? std::max(contentWidths.at(column), 0) : 0);
        needed += headers.last();
    }

    if (needed <= available) {
        int spare = available - needed;
        for (int column = 0; column + 1 < count; ++column) {
            const int extra = std::clamp(contents.at(column) - headers.at(column), 0, spare);
            spare -= extra;
            widths << headers.at(column) + extra;
        }
        widths << headers.last();
        return widths;
    }

    const int shortfall = needed - std::max(available, 0);
    // Shares the shortfall among the columns in proportion to what each can give above its floor;
    // empty when the floors leave too little to give.
    auto shrinkTo = [&](const QList<int> &floors) {
        int spareAll = 0;
        for (int column = 0; column < count; ++column)
            spareAll += headers.at(column) - floors.at(column);
        QList<int> shrunk;
        if (spareAll < shortfall)
            return shrunk;
        int given = 0;
        for (int column = 0; column < count; ++column) {
            const int spare = headers.at(column) - floors.at(column);
            // The last column takes what rounding leaves, so the widths add up to the room exactly.
            const int share =
                column + 1 < count ? int(qint64(shortfall) * spare / spareAll) : shortfall - given;
            given += share;
            shrunk << headers.at(column) - share;
        }
        return shrunk;
    };
    // Columns first give up what their contents do not use. Then the last column, which stretches over
    // what the others leave and so holds the least essential text (the tape's side and source), gives
    // up down to half its header; only then do the leading columns, prices and times among them, cut
    // their contents too. A header cut below half its width no longer says what the column holds.
    QList<int> contentFloors;
    QList<int> halfFloors;
    for (int column = 0; column < count; ++column) {
        const int header = headers.at(column);
        halfFloors << (header + 1) / 2;
        contentFloors << std::min(header, std::max(contents.at(column), halfFloors.last()));
    }
    QList<int> lastGivesFloors = contentFloors;
    lastGivesFloors.last() = halfFloors.last();
    for (const QList<int> &floors : {contentFloors, lastGivesFloors, halfFloors}) {
        const QList<int> shrunk = shrinkTo(floors);
        if (!shrunk.isEmpty())
            return shrunk;
    }
    return halfFloors;
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

class ColumnFitter : public QObject
{
public:
    explicit ColumnFitter(QTableView *table) : QObject(table), m_table(table)
    {
        table->viewport()->installEventFilter(this);
        QHeaderView *header = table->horizontalHeader();
        header->installEventFilter(this);
        header->viewport()->installEventFilter(this);
        connect(header, &QHeaderView::sectionResized, this, &ColumnFitter::onSectionResized);
        connect(header, &QHeaderView::sectionHandleDoubleClicked, this, [this]() { m_sizedByHand = true; });
        connect(table->model(), &QAbstractItemModel::headerDataChanged, this,
                [this](Qt::Orientation orientation) {
                    if (orientation == Qt::Horizontal)
                        onHeadersChanged();
                });
        // Rows arrive before their cells are set: the fit waits for the event loop, which also makes one
        // fit of a whole batch of rows.
        for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::columnsInserted})
            connect(table->model(), signal, this, &ColumnFitter::fitSoon);
        connect(table->model(), &QAbstractItemModel::modelReset, this, &ColumnFitter::fitSoon);
        m_headers = headerTexts();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && watched == m_table->viewport())
            fit();
        else if (event->type() == QEvent::MouseButtonPress &&
                 watched == m_table->horizontalHeader()->viewport())
            m_pressed = true;
        else if (event->type() == QEvent::MouseButtonRelease &&
                 watched == m_table->horizontalHeader()->viewport())
            m_pressed = false;
        // A new theme or font changes what a header needs though its text stays.
        else if ((event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) &&
                 watched == m_table->horizontalHeader())
            fitSoon();
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
        // The book sets its headers again with every depth frame; only new texts count.
        const QStringList texts = headerTexts();
        if (texts == m_headers)
            return;
        m_headers = texts;
        m_sizedByHand = false;
        fitSoon();
    }

    void onSectionResized(int logicalIndex)
    {
        // Qt moves sections itself too (a new style brings a new default size), so only a section that
        // moves while the header is held down was dragged; the last one follows any drag by stretching.
        if (m_pressed && !m_fitting && logicalIndex + 1 < m_table->horizontalHeader()->count())
            m_sizedByHand = true;
    }

    void fitSoon()
    {
        if (m_fitPending)
            return;
        m_fitPending = true;
        QMetaObject::invokeMethod(
            this,
            [this]() {
                m_fitPending = false;
                fit();
            },
            Qt::QueuedConnection);
    }

    void fit()
    {
        if (m_sizedByHand)
            return;
        QHeaderView *header = m_table->horizontalHeader();
        QAbstractItemModel *model = m_table->model();
        const int count = header->count();
        QList<int> headerWidths;
        QList<int> contentWidths;
        for (int column = 0; column < count; ++column) {
            headerWidths << (header->isSectionHidden(column) ? -1 : header->sectionSizeHint(column));
            // Through the base class, where the view's own answer is public.
            contentWidths << static_cast<const QAbstractItemView *>(m_table)->sizeHintForColumn(column);
        }
        const QList<int> widths = fitColumns(headerWidths, contentWidths, m_table->viewport()->width());
        m_fitting = true;
        // The stretched last section never shrinks below the size it was last given (Qt's 100 px at
        // first), which would push its header out of the narrow table: it is sized too, as its floor.
        for (int column = 0; column < widths.size(); ++column) {
            if (!header->isSectionHidden(column))
                header->resizeSection(column, widths.at(column));
            const QVariant text = model->headerData(column, Qt::Horizontal);
            if (model->headerData(column, Qt::Horizontal, Qt::ToolTipRole) != text)
                model->setHeaderData(column, Qt::Horizontal, text, Qt::ToolTipRole);
        }
        m_fitting = false;
    }

    QTableView *m_table;
    QStringList m_headers;
    bool m_sizedByHand = false;
    bool m_fitting = false;
    bool m_pressed = false; // a mouse button is down on the header
    bool m_fitPending = false;
};
} // namespace

void keepColumnsFitted(QTableView *table)
{
    if (!table || !table->model() || !table->horizontalHeader())
        return;
    useElidingHeader(table);
    new ColumnFitter(table);
}
