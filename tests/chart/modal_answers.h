#pragma once

#include <QApplication>
#include <QColorDialog>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

// Answers the modal dialogs and popup menus a chart opens, in the order they open, each with its
// own function (which may look at the dialog first). What was opened stays listed by title.
class ModalAnswers
{
public:
    using Answer = std::function<void(QWidget *)>;

    ModalAnswers()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start();
    }

    ModalAnswers &then(Answer answer)
    {
        m_answers << std::move(answer);
        return *this;
    }

    bool allUsed() const { return m_answers.isEmpty(); }
    QStringList titles; // window titles of the dialogs answered ("menu" for a menu)

    static Answer intValue(int value)
    {
        return [value](QWidget *widget) {
            auto *dialog = qobject_cast<QInputDialog *>(widget);
            QVERIFY(dialog);
            dialog->setIntValue(value);
            dialog->accept();
        };
    }
    static Answer doubleValue(double value)
    {
        return [value](QWidget *widget) {
            auto *dialog = qobject_cast<QInputDialog *>(widget);
            QVERIFY(dialog);
            dialog->setDoubleValue(value);
            dialog->accept();
        };
    }
    static Answer textValue(const QString &value)
    {
        return [value](QWidget *widget) {
            auto *dialog = qobject_cast<QInputDialog *>(widget);
            QVERIFY(dialog);
            dialog->setTextValue(value);
            dialog->accept();
        };
    }
    static Answer color(const QColor &value)
    {
        return [value](QWidget *widget) {
            auto *dialog = qobject_cast<QColorDialog *>(widget);
            QVERIFY(dialog);
            dialog->setCurrentColor(value);
            dialog->accept();
        };
    }
    static Answer accept()
    {
        return [](QWidget *widget) {
            auto *dialog = qobject_cast<QDialog *>(widget);
            QVERIFY(dialog);
            dialog->accept();
        };
    }
    static Answer cancel()
    {
        return [](QWidget *widget) {
            if (auto *menu = qobject_cast<QMenu *>(widget)) {
                menu->close();
                return;
            }
            auto *dialog = qobject_cast<QDialog *>(widget);
            QVERIFY(dialog);
            dialog->reject();
        };
    }
    // Chooses the entry of a popup menu (or of its submenu `submenu`) with this text.
    static Answer menuEntry(const QString &text)
    {
        return [text](QWidget *widget) {
            auto *menu = qobject_cast<QMenu *>(widget);
            QVERIFY(menu);
            for (QAction *action : menu->actions()) {
                if (action->text() == text) {
                    menu->setActiveAction(action);
                    QTest::keyClick(menu, Qt::Key_Return);
                    return;
                }
            }
            QFAIL(qPrintable(QStringLiteral("no menu entry %1").arg(text)));
        };
    }

private:
    void poll()
    {
        QWidget *widget = QApplication::activePopupWidget();
        if (!widget)
            widget = QApplication::activeModalWidget();
        if (!widget || widget == m_last || m_answers.isEmpty() || !widget->isVisible())
            return;
        m_last = widget;
        titles << (qobject_cast<QMenu *>(widget) ? QStringLiteral("menu") : widget->windowTitle());
        const Answer answer = m_answers.takeFirst();
        answer(widget);
    }

    QList<Answer> m_answers;
    QTimer m_timer;
    QPointer<QWidget> m_last;
};
