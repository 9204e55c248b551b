#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

// Acts on the next popup or modal widget of type T once it opens (polling every 10 ms for two seconds),
// then lets it go. `seen` tells whether one opened.
template <typename T> class NextWidget
{
public:
    explicit NextWidget(std::function<void(T *)> act) : m_act(std::move(act))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this]() {
            QWidget *candidate = QApplication::activePopupWidget();
            if (!qobject_cast<T *>(candidate))
                candidate = QApplication::activeModalWidget();
            T *widget = qobject_cast<T *>(candidate);
            if (!widget) {
                if (++m_tries > 200)
                    m_poll.stop();
                return;
            }
            m_poll.stop();
            seen = true;
            m_act(widget);
        });
        m_poll.start();
    }
    bool seen = false;

private:
    std::function<void(T *)> m_act;
    QTimer m_poll;
    int m_tries = 0;
};

// Answers the modal message boxes that open, in order, with the given buttons (NoButton presses
// Escape), and keeps "title|text" of each. Boxes beyond the script are answered with OK (or Escape).
class ModalScript
{
public:
    explicit ModalScript(QList<QMessageBox::StandardButton> answers = {}) : m_answers(std::move(answers))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, [this]() {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box == m_last)
                return;
            m_last = box;
            seen << box->windowTitle() + QLatin1Char('|') + box->text();
            icons << box->icon();
            const QMessageBox::StandardButton answer =
                m_answers.isEmpty() ? QMessageBox::Ok : m_answers.takeFirst();
            QAbstractButton *button = answer == QMessageBox::NoButton ? nullptr : box->button(answer);
            if (button)
                button->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        m_poll.start();
    }
    QStringList seen;
    QList<QMessageBox::Icon> icons;

    // The texts of the boxes seen, without their titles.
    QStringList texts() const
    {
        QStringList out;
        for (const QString &entry : seen)
            out << entry.section(QLatin1Char('|'), 1);
        return out;
    }

private:
    QList<QMessageBox::StandardButton> m_answers;
    QTimer m_poll;
    QMessageBox *m_last = nullptr;
};
