#pragma once

#include "shell/main_window.h"
#include "tests/support/modal_script.h"
#include "tests/support/temp_home.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QJsonDocument>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

// A window in a private home with its own rows, a clock the test moves, a counted beep and a short
// row flash.
struct AlertWindow
{
    TempHome home;
    MainWindow window;
    qint64 now = 1700000000000;
    int beeps = 0;

    AlertWindow()
    {
        window.alertClock = [this]() { return now; };
        window.alertBeep = [this]() { ++beeps; };
        window.rowFlashMs = 30;
        window.quoteTable->setRowCount(0);
        window.eventConsole->clear();
        // The tables keep the order rows were added in until a test sorts them.
        window.quoteTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
        window.alertHistoryTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    }

    void addRow(const QString &symbol)
    {
        window.addWatchlistRow(symbol, window.classifySymbol(symbol), QStringLiteral("Yahoo"),
                               QStringLiteral("pending"), false);
    }

    // The quote road's last step, as a provider reply ends it.
    void quote(const QString &symbol, double last)
    {
        window.updateQuoteRow(symbol, last, 0.5, QStringLiteral("Yahoo"), QStringLiteral("12 ms"),
                              QStringLiteral("ok"));
    }

    void arm(const QString &symbol, double target, bool above, bool repeating = false)
    {
        PriceAlert alert;
        alert.symbol = symbol;
        alert.target = target;
        alert.above = above;
        alert.repeating = repeating;
        window.alerts.append(alert);
    }

    // Console lines without their "[HH:mm:ss] " stamps.
    QStringList console() const
    {
        QStringList lines;
        const QString text = window.eventConsole->toPlainText();
        if (text.isEmpty())
            return lines;
        for (const QString &line : text.split(QLatin1Char('\n')))
            lines << line.mid(line.indexOf(QLatin1String("] ")) + 2);
        return lines;
    }

    QList<QMessageBox *> popups() const
    {
        QList<QMessageBox *> open;
        for (QMessageBox *box : window.findChildren<QMessageBox *>())
            if (box->isVisible())
                open << box;
        return open;
    }

    void closePopups()
    {
        for (QMessageBox *box : popups())
            box->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString settingsPath() const { return home.appConfigDir() + QStringLiteral("/local.json"); }

    QJsonObject savedSettings() const
    {
        QFile file(settingsPath());
        if (!file.open(QIODevice::ReadOnly))
            return QJsonObject();
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QString historyText(int row, int column) const
    {
        const QTableWidgetItem *item = window.alertHistoryTable->item(row, column);
        return item ? item->text() : QStringLiteral("<none>");
    }

    QStringList historyColumn(int column) const
    {
        QStringList texts;
        for (int row = 0; row < window.alertHistoryTable->rowCount(); ++row)
            texts << historyText(row, column);
        return texts;
    }

    // Right-clicks a history row (-1: below the last row).
    void openHistoryMenu(int row)
    {
        QTableWidget *table = window.alertHistoryTable;
        const QPoint pos = row >= 0 ? table->visualItemRect(table->item(row, 0)).center()
                                    : QPoint(5, table->viewport()->height() - 2);
        window.showAlertHistoryMenu(pos);
    }
};

// Chooses the menu entry of the given text (after running `whileOpen` with the menu still open).
inline std::function<void(QMenu *)> chooseEntry(const QString &text, std::function<void()> whileOpen = {})
{
    return [text, whileOpen](QMenu *menu) {
        if (whileOpen)
            whileOpen();
        for (QAction *action : menu->actions()) {
            if (action->text() == text) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        menu->close();
    };
}

inline std::function<void(QMessageBox *)> pressButton(QMessageBox::StandardButton which,
                                                      QString *text = nullptr)
{
    return [which, text](QMessageBox *box) {
        if (text)
            *text = box->windowTitle() + QLatin1Char('|') + box->text();
        box->button(which)->click();
    };
}
