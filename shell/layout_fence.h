#pragma once

#include <QSize>
#include <QWidget>

// Holds one widget over its whole area and tells the layouts above it about a change inside only when
// the held widget's size hints changed.
//
// Qt passes every relayout up the whole chain of layouts: a label that gets a new text asks its
// layout for a new layout, which, when done, asks the layout above, and so on to the window, whatever
// the result. A tab widget on that chain also repaints itself and everything in it. A panel that
// rewrites its texts ten times a second would so lay out and repaint the whole window each time,
// though nothing but its texts changed. Inside the fence the panel still lays itself out as before;
// above it, nothing happens unless the panel's minimum size, size hint or height for a width changed.
//
// The fence sizes like the widget it holds would in a layout that gives it its size policy's room: its
// hints are the held widget's, with the widget's own minimum and maximum sizes applied.
class LayoutFence : public QWidget
{
public:
    // `held` becomes the fence's child.
    LayoutFence(QWidget *held, QWidget *parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Hints
    {
        QSize size;
        QSize minimum;
        bool heightForWidth = false;
        int heightForOwnWidth = -1;
        bool operator==(const Hints &other) const
        {
            return size == other.size && minimum == other.minimum && heightForWidth == other.heightForWidth &&
                   heightForOwnWidth == other.heightForOwnWidth;
        }
    };
    Hints currentHints() const;
    // Passes a change up when the held widget's hints differ from what the layouts above last heard.
    void passOnChangedHints();

    QWidget *m_held;
    Hints m_told;
};
