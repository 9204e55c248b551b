#pragma once

#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/temp_home.h"

#include <QCoreApplication>
#include <QLayout>
#include <QTest>

// The window as a new user first meets it: a fresh home, shown at its default size, with every outside
// service on the loopback, in the theme and language a test asks for.
struct ShownWindow
{
    LoopbackServices services;
    TempHome home;
    MainWindow window;

    ShownWindow(const QString &theme, const QString &language)
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("the window was never exposed");
        window.setTheme(theme);
        window.setLanguage(language);
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
