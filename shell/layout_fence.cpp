#include "shell/layout_fence.h"

#include <QEvent>

LayoutFence::LayoutFence(QWidget *held, QWidget *parent) : QWidget(parent), m_held(held)
{
    held->setParent(this);
    held->setGeometry(rect());
    setSizePolicy(held->sizePolicy());
    m_told = currentHints();
}

QSize LayoutFence::minimumSizeHint() const
{
    // As a layout reads a widget's least size: its own minimum wins over its hint where it is set.
    QSize least = m_held->minimumSizeHint();
    const QSize own = m_held->minimumSize();
    if (own.width() > 0)
        least.setWidth(own.width());
    if (own.height() > 0)
        least.setHeight(own.height());
    return least.boundedTo(m_held->maximumSize());
}

QSize LayoutFence::sizeHint() const
{
    return m_held->sizeHint()
        .expandedTo(minimumSizeHint())
        .boundedTo(m_held->maximumSize())
        .expandedTo(m_held->minimumSize());
}

bool LayoutFence::hasHeightForWidth() const
{
    return m_held->hasHeightForWidth();
}

int LayoutFence::heightForWidth(int width) const
{
    return m_held->heightForWidth(width);
}

LayoutFence::Hints LayoutFence::currentHints() const
{
    Hints hints;
    hints.size = sizeHint();
    hints.minimum = minimumSizeHint();
    hints.heightForWidth = hasHeightForWidth();
    if (hints.heightForWidth)
        hints.heightForOwnWidth = heightForWidth(width());
    return hints;
}

void LayoutFence::passOnChangedHints()
{
    const Hints now = currentHints();
    if (now == m_told)
        return;
    m_told = now;
    updateGeometry();
}

bool LayoutFence::event(QEvent *event)
{
    switch (event->type()) {
    // The held widget asked for a new layout (a fence has no layout of its own, so Qt posts it here):
    // its own layout has run by now; only a change of its hints concerns the layouts above.
    case QEvent::LayoutRequest:
    // Hidden, the fence hears of no request: what changed meanwhile is told when it shows again.
    case QEvent::Show:
        passOnChangedHints();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void LayoutFence::resizeEvent(QResizeEvent *event)
{
    m_held->setGeometry(rect());
    QWidget::resizeEvent(event);
}
