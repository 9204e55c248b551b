#pragma once

#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/temp_home.h"

#include <QCoreApplication>
#include <QLayout>
#include <QTest>

// The window as a new user first meets it: a fresh home, shown at its default size, with every outside
// service on the loopback, in the theme and language a test asks for: chosen before the window first
// shows (as the saved settings do), or from the menu once it is shown in English.
struct ShownWindow
{
    enum class Choice
    {
        WhileShown,
        BeforeShow
    };

    LoopbackServices services;
    TempHome home;
    MainWindow window;

    ShownWindow(const QString &theme, const QString &language, Choice when = Choice::WhileShown)
    {
        if (when == Choice::BeforeShow) {
            window.setTheme(theme);
            window.setLanguage(language);
        }
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("the window was never exposed");
        if (when == Choice::WhileShown) {
            window.setTheme(theme);
            window.setLanguage(language);
        }
        settle();
    }

    // Lets the layouts and the queued work that follow a change of theme, language or size run.
    void settle()
    {
        for (int pass = 0; pass < 3; ++pass) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            if (QLayout *layout = window.centralWidget()->layout())
                layout->activate();
        }
    }

    // Where a widget sits inside another that holds it.
    static QRect rectIn(const QWidget *widget, const QWidget *ancestor)
    {
        return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
    }
};
