#include "streams/column_fit.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QPointer>
#include <QStringList>
#include <QTableView>

#include <algorithm>

QList<int> fitLeadingColumns(const QList<int> &headerWidths, const QList<int> &contentWidths, int available)
{
    QList<int> widths;
    if (headerWidths.isEmpty())
        return widths;
    int spare = available;
    for (const int width : headerWidths)
        spare -= std::max(width, 0);
    for (int column = 0; column + 1 < headerWidths.size(); ++column) {
        const int header = std::max(headerWidths.at(column), 0);
        const int content = column < contentWidths.size() ? contentWidths.at(column) : 0;
        const int extra = std::clamp(content - header, 0, std::max(spare, 0));
        spare -= extra;
        widths.append(header + extra);
    }
    return widths;
}

namespace {

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
        const int count = header->count();
        QList<int> headerWidths;
        QList<int> contentWidths;
        for (int column = 0; column < count; ++column) {
            headerWidths << header->sectionSizeHint(column);
            // Through the base class, where the view's own answer is public.
            contentWidths << static_cast<const QAbstractItemView *>(m_table)->sizeHintForColumn(column);
        }
        const QList<int> widths =
            fitLeadingColumns(headerWidths, contentWidths, m_table->viewport()->width());
        m_fitting = true;
        for (int column = 0; column < widths.size(); ++column)
            header->resizeSection(column, widths.at(column));
        // The stretched last section never shrinks below the size it was last given (Qt's 100 px at
        // first), which would push its header out of the narrow table: its header's width is its floor.
        if (count > 0)
            header->resizeSection(count - 1, std::max(headerWidths.last(), 0));
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
    if (table && table->model() && table->horizontalHeader())
        new ColumnFitter(table);
}
