#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QQueue>
#include <QTest>
#include <QTimer>

#include <functional>

// Answers the dialogs, question boxes and menus an operation opens, one scripted answer per window, in
// order, and records what each one showed. The answers run from a timer inside the dialog's own event
// loop, as a user's clicks would.
class DialogScript
{
public:
    struct Seen
    {
        QString kind; // "text", "number", "item", "box", "menu"
        QString title;
        QString label;  // input label, box text, or the menu's entries joined by "|"
        QString preset; // text value, number, or selected item as shown when it opened
        double minimum = 0.0;
        double maximum = 0.0;
        int decimals = 0;
        QStringList items;
        Qt::TextFormat textFormat = Qt::AutoText;
    };

    DialogScript()
    {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this]() { poll(); });
        m_poll.start();
    }

    // Accepts an input dialog with this text (a text dialog) or this item (a list dialog).
    DialogScript &text(const QString &value)
    {
        return push([value](QWidget *w) {
            auto *dialog = qobject_cast<QInputDialog *>(w);
            if (!dialog)
                return false;
            dialog->setTextValue(value);
            dialog->accept();
            return true;
        });
    }
    DialogScript &number(double value)
    {
        return push([value](QWidget *w) {
            auto *dialog = qobject_cast<QInputDialog *>(w);
            if (!dialog)
                return false;
            dialog->setDoubleValue(value);
            dialog->accept();
            return true;
        });
    }
    // Presses `key` once in an input dialog's number box, as a user steps it, then accepts the dialog.
    DialogScript &stepped(Qt::Key key)
    {
        return push([key](QWidget *w) {
            auto *dialog = qobject_cast<QInputDialog *>(w);
            auto *box = dialog ? dialog->findChild<QDoubleSpinBox *>() : nullptr;
            if (!box)
                return false;
            QTest::keyClick(box, key);
            dialog->accept();
            return true;
        });
    }
    // Cancels whatever opens next: an input dialog, a box (Escape) or a menu.
    DialogScript &cancel()
    {
        return push([](QWidget *w) {
            if (auto *dialog = qobject_cast<QInputDialog *>(w))
                dialog->reject();
            else
                QTest::keyClick(w, Qt::Key_Escape);
            return true;
        });
    }
    // Presses the box button of this standard kind.
    DialogScript &button(QMessageBox::StandardButton which)
    {
        return push([which](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (!box || !box->button(which))
                return false;
            box->button(which)->click();
            return true;
        });
    }
    // Chooses the menu entry of this text.
    DialogScript &menuEntry(const QString &entry)
    {
        return push([entry](QWidget *w) {
            auto *menu = qobject_cast<QMenu *>(w);
            if (!menu)
                return false;
            for (QAction *action : menu->actions()) {
                if (action->text() == entry) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return true;
                }
            }
            return false;
        });
    }
    // Runs `step` right before the next answer is given, while the window is still open.
    DialogScript &meanwhile(std::function<void()> step)
    {
        m_meanwhile.enqueue(std::move(step));
        return *this;
    }

    bool finished() const { return m_answers.isEmpty(); }
    bool failed() const { return m_failed; }
    QList<Seen> seen;

private:
    using Answer = std::function<bool(QWidget *)>;

    DialogScript &push(Answer answer)
    {
        m_answers.enqueue(std::move(answer));
        if (m_meanwhile.size() < m_answers.size())
            m_meanwhile.enqueue({});
        return *this;
    }

    void poll()
    {
        if (m_answers.isEmpty())
            return;
        QWidget *window = QApplication::activePopupWidget();
        if (!window)
            window = QApplication::activeModalWidget();
        if (!window || !window->isVisible() || window == m_last)
            return;
        m_last = window;
        seen.append(describe(window));
        const std::function<void()> step = m_meanwhile.dequeue();
        if (step)
            step();
        if (!m_answers.dequeue()(window)) {
            m_failed = true; // the window was of another kind than scripted: close it and say so
            QTest::keyClick(window, Qt::Key_Escape);
        }
    }

    static Seen describe(QWidget *window)
    {
        Seen s;
        s.title = window->windowTitle();
        if (auto *dialog = qobject_cast<QInputDialog *>(window)) {
            s.label = dialog->labelText();
            if (dialog->inputMode() == QInputDialog::DoubleInput) {
                s.kind = QStringLiteral("number");
                s.preset = QString::number(dialog->doubleValue(), 'f', dialog->doubleDecimals());
                s.minimum = dialog->doubleMinimum();
                s.maximum = dialog->doubleMaximum();
                s.decimals = dialog->doubleDecimals();
            } else if (!dialog->comboBoxItems().isEmpty()) {
                s.kind = QStringLiteral("item");
                s.items = dialog->comboBoxItems();
                s.preset = dialog->textValue();
            } else {
                s.kind = QStringLiteral("text");
                s.preset = dialog->textValue();
            }
        } else if (auto *box = qobject_cast<QMessageBox *>(window)) {
            s.kind = QStringLiteral("box");
            s.label = box->text();
            s.textFormat = box->textFormat();
            for (QAbstractButton *button : box->buttons())
                s.items << button->text();
        } else if (auto *menu = qobject_cast<QMenu *>(window)) {
            s.kind = QStringLiteral("menu");
            for (QAction *action : menu->actions())
                s.items << action->text();
            s.label = s.items.join(QLatin1Char('|'));
        }
        return s;
    }

    QTimer m_poll;
    QQueue<Answer> m_answers;
    QQueue<std::function<void()>> m_meanwhile;
    QPointer<QWidget> m_last;
    bool m_failed = false;
};
