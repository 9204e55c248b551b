#pragma once

#include "shell/main_window.h"
#include "tests/support/fake_account_service.h"
#include "tests/support/modal_script.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QUrlQuery>

// A window in a private home beside a fake account service that knows one account, with short waits
// for the browser sign-in and every browser URL caught.
struct AccountWindow
{
    FakeAccountService service;
    TempHome home;
    MainWindow window;
    QList<QUrl> opened;

    static constexpr const char *kEmail = "ann@example.com";
    static constexpr const char *kPassword = " pass word ";

    AccountWindow()
    {
        service.addAccount(kEmail, kPassword, "Ann");
        window.googlePollIntervalMs = 20;
        window.googleLoginLimitMs = 10000;
        window.browserOpener = [this](const QUrl &url) {
            opened << url;
            return true;
        };
    }

    void signIn()
    {
        window.settings.authToken = service.issueToken(kEmail);
        window.settings.authEmail = kEmail;
    }

    QStringList console() const
    {
        QStringList lines;
        const QString text = window.eventConsole->toPlainText();
        for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            lines << line.mid(line.indexOf(QLatin1String("] ")) + 2);
        return lines;
    }

    QJsonObject savedSettings() const
    {
        QFile file(home.appConfigDir() + QStringLiteral("/local.json"));
        if (!file.open(QIODevice::ReadOnly))
            return QJsonObject();
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    // Every file under the home, path and contents, but the settings file.
    QByteArray everyFileButSettings() const
    {
        QByteArray all;
        QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String("/local.json")))
                continue;
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                all += path.toUtf8() + '\n' + file.readAll() + '\n';
        }
        return all;
    }
};
