#include "app/app_identity.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applyApplicationIdentity(app);

    int exitCode = 0;
    {
        MainWindow window;
        window.setWindowIcon(QIcon(QString::fromLatin1(kWindowIconResource)));
        window.show();
        exitCode = app.exec();
    } // the window goes before the application object
    return exitCode;
}
