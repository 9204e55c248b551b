#pragma once

#include "app/app_identity.h"
#include "tests/support/temp_home.h"

#include <QApplication>
#include <QTest>

// Like QTEST_MAIN, but the whole process runs inside a private home with the program's identity and
// no MVX_* variables, before the application object exists. Each test may still make its own
// TempHome for a fresh directory.
#define MVX_TEST_MAIN(TestClass)                                                                             \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        clearMurvexEnvironment();                                                                            \
        TempHome processHome;                                                                                \
        QApplication app(argc, argv);                                                                        \
        applyApplicationIdentity(app);                                                                       \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
