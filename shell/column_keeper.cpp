#include "shell/column_keeper.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QTableView>

ColumnKeeper::ColumnKeeper(QTableView *table)
    : QObject(table), m_table(table), m_viewport(table->viewport()), m_header(table->horizontalHeader()),
      m_headerViewport(table->horizontalHeader()->viewport())
{
    for (QObject *watched : {m_viewport, m_header, m_headerViewport})
        watched->installEventFilter(this);
    QHeaderView *header = table->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &ColumnKeeper::onSectionResized);
    connect(header, &QHeaderView::sectionHandleDoubleClicked, this,
            [this](int logicalIndex) { m_byHand.insert(logicalIndex); });
    connect(table->model(), &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation orientation) {
                if (orientation == Qt::Horizontal)
                    onHeaderDataChanged();
            });
    m_headers = headerTexts();
}

void ColumnKeeper::fitSoon()
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

bool ColumnKeeper::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == m_viewport)
            resized();
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
        if (watched == m_header)
            restyled();
        break;
    default:
        break;
    }
    return false;
}

QStringList ColumnKeeper::headerTexts() const
{
    QStringList texts;
    const QAbstractItemModel *model = m_table->model();
    for (int column = 0; column < model->columnCount(); ++column)
        texts << model->headerData(column, Qt::Horizontal).toString();
    return texts;
}

void ColumnKeeper::onHeaderDataChanged()
{
    // The book sets its headers again with every depth frame, and a fit sets their tooltips: only new
    // texts count.
    const QStringList texts = headerTexts();
    if (texts == m_headers)
        return;
    m_headers = texts;
    m_byHand.clear();
    headersChanged();
}

void ColumnKeeper::onSectionResized(int logicalIndex, int oldSize, int newSize)
{
    // A hidden section comes back at the size it had, which its texts may have outgrown meanwhile.
    if (oldSize == 0 && newSize > 0)
        fitSoon();
    // Qt resizes sections itself too (a new style brings a new default size, and the stretching last
    // one follows every drag), so only a section that moves while the header is held down, and not by
    // the keeper's own fit, was dragged.
    const QHeaderView *header = m_table->horizontalHeader();
    if (m_pressed && !m_fitting && header->visualIndex(logicalIndex) + 1 < header->count())
        m_byHand.insert(logicalIndex);
}
