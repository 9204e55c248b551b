#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>

class QTableView;

// What every keeper of a table's column widths watches, so that each needs only its own rule of widths
// (`fit`): the header's texts, a user's drag of a section, a hidden section shown again, a new style or
// font, and a new width of the table. Fits are queued, one per turn of the event loop, however many changes a
// turn brings. Lives as a child of the table.
class ColumnKeeper : public QObject
{
public:
    explicit ColumnKeeper(QTableView *table);

protected:
    QTableView *table() const { return m_table; }

    // A section the user dragged (or sized with a double click on its edge) since the header texts
    // last changed; the stretching last section, which follows every drag, never counts.
    bool sizedByHand(int column) const { return m_byHand.contains(column); }
    bool anySizedByHand() const { return !m_byHand.isEmpty(); }

    void fitSoon();
    bool fitPending() const { return m_pending; }
    // Sections resized inside `resize` are the keeper's own, not the user's.
    template <typename Resize> void resizeOwnSections(Resize resize)
    {
        m_fitting = true;
        resize();
        m_fitting = false;
    }

    virtual void fit() = 0;
    // New header texts (a mode or a language); the sizes the user gave are forgotten just before.
    virtual void headersChanged() { fitSoon(); }
    // A new style or font changes what a text needs though the text stays.
    virtual void restyled() { fitSoon(); }
    virtual void resized() { fitSoon(); }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStringList headerTexts() const;
    void onHeaderDataChanged();
    void onSectionResized(int logicalIndex, int oldSize, int newSize);

    QTableView *m_table;
    // Told apart by address only: the table may be half destroyed when they last report.
    QObject *m_viewport;
    QObject *m_header;
    QObject *m_headerViewport;
    QStringList m_headers;
    QSet<int> m_byHand;
    bool m_pressed = false; // a mouse button is down on the header
    bool m_fitting = false;
    bool m_pending = false;
};
