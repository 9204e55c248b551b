#pragma once

#include <QCoreApplication>
#include <QHeaderView>
#include <QTableWidget>
#include <QTest>

#include <functional>

// A table as the window builds one: the last column stretching, every column resizable, kept by
// `keep` (a column keeper) and shown at a width.
struct ShownTable
{
    QTableWidget table;

    ShownTable(const QStringList &headers, int width, const std::function<void(QTableView *)> &keep)
        : table(0, int(headers.size()))
    {
        table.setHorizontalHeaderLabels(headers);
        table.horizontalHeader()->setStretchLastSection(true);
        table.horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
        keep(&table);
        table.resize(width, 200);
        table.show();
        if (!QTest::qWaitForWindowExposed(&table))
            qWarning("the table was never exposed");
        settle();
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    QHeaderView *header() const { return table.horizontalHeader(); }

    void addRow(const QStringList &cells)
    {
        const int row = table.rowCount();
        table.insertRow(row);
        // The first cell last: in a table sorted by it, writing it moves the row.
        for (int column = int(cells.size()) - 1; column >= 0; --column)
            table.setItem(row, column, new QTableWidgetItem(cells.at(column)));
        settle();
    }

    // Drags the right edge of `column` to `x` in the header, as a user does.
    void dragEdgeTo(int column, int x)
    {
        QWidget *grip = header()->viewport();
        const int edge = header()->sectionViewportPosition(column) + header()->sectionSize(column) - 1;
        const int y = header()->height() / 2;
        QTest::mousePress(grip, Qt::LeftButton, Qt::NoModifier, QPoint(edge, y));
        QTest::mouseMove(grip, QPoint((edge + x) / 2, y));
        QTest::mouseMove(grip, QPoint(x, y));
        QTest::mouseRelease(grip, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
        settle();
    }

    // Double-clicks the right edge of `column` in the header, which sizes it to its contents.
    void doubleClickEdge(int column)
    {
        QWidget *grip = header()->viewport();
        const QPoint edge(header()->sectionViewportPosition(column) + header()->sectionSize(column) - 1,
                          header()->height() / 2);
        QTest::mouseDClick(grip, Qt::LeftButton, Qt::NoModifier, edge);
        settle();
    }
};
