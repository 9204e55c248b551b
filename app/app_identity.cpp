#include "app/app_identity.h"

#include <QApplication>
#include <QIcon>

const char *const kWindowIconResource = ":/icons/icons/murvex_terminal.png";

void applyApplicationIdentity(QApplication &app)
{
    // The resource lives in a static library: make sure its initialiser is linked in.
    Q_INIT_RESOURCE(resources);
    app.setOrganizationName(QStringLiteral("Murvex"));
    app.setOrganizationDomain(QStringLiteral("murvex.invalid"));
    app.setApplicationName(QStringLiteral("Terminal Murvex"));
    app.setApplicationVersion(QStringLiteral("0.1.0"));
    app.setWindowIcon(QIcon(QString::fromLatin1(kWindowIconResource)));
}
