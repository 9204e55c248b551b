#include "settings/api_keys.h"
#include "settings/api_keys_dialog.h"
#include "shell/main_window.h"
#include "tests/support/loopback_services.h"
#include "tests/support/quote_request_log.h"
#include "tests/support/test_main.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include <functional>

#include <sys/stat.h>

namespace {
// Sets an environment variable for one test and removes it afterwards.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name) { qputenv(name, value); }
    ~ScopedEnv() { qunsetenv(m_name); }

private:
    const char *m_name;
};

int fileMode(const QString &path)
{
    struct stat info
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

void writeKeyFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

// Runs `drive` on the modal widget of type T once it is up; whatever happens inside, the widget is
// closed afterwards so a failed check can never leave the test waiting on a modal loop.
template <typename T> void whenModal(std::function<void(T *)> drive)
{
    QTimer::singleShot(0, [drive]() {
        QPointer<QWidget> modal = QApplication::activeModalWidget();
        T *typed = qobject_cast<T *>(modal.data());
        if (typed)
            drive(typed);
        else
            qWarning("expected modal widget did not appear");
        if (auto *dialog = qobject_cast<QDialog *>(modal.data()); dialog && dialog->isVisible())
            dialog->reject();
    });
}

QPushButton *saveButton(ApiKeysDialog *dialog)
{
    return dialog->buttonBox()->button(QDialogButtonBox::Save);
}
} // namespace

class TestMainWindowKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { clearMurvexEnvironment(); }

    void constructionLoadsEnvironmentThenFile()
    {
        TempHome home;
        ScopedEnv alpha("MVX_ALPHA_VANTAGE_API_KEY", "env-alpha");
        ScopedEnv brapi("MVX_BRAPI_TOKEN", "env-brapi");
        ScopedEnv itick("MVX_ITICK_API_KEY", "env-itick");
        writeKeyFile(home.appConfigDir() + QStringLiteral("/config.txt"),
                     "# MURVEX_TERMINAL local keys. Do not commit this file.\n"
                     "alpha_vantage_api_key=file-alpha\n"
                     "brapi_token=YOUR_BRAPI_TOKEN_HERE\n"
                     "itick_api_key=\n"
                     "  finnhub_api_key =  a=b  \n"
                     "my_own_key=mine\n"
                     "hidden_columns=0, 3,14,16\n");
        MainWindow window;
        QCOMPARE(window.apiKeyFor(QStringLiteral("alpha_vantage_api_key")), QStringLiteral("file-alpha"));
        QCOMPARE(window.apiKeyFor(QStringLiteral("brapi_token")), QStringLiteral("env-brapi"));
        QCOMPARE(window.apiKeyFor(QStringLiteral("itick_api_key")), QString());
        QCOMPARE(window.apiKeyFor(QStringLiteral("finnhub_api_key")), QStringLiteral("a=b"));
        QCOMPARE(window.apiKeyFor(QStringLiteral("my_own_key")), QStringLiteral("mine"));
        QCOMPARE(window.settings.hiddenColumns, (QSet<int>{3, 14}));
        const QMap<QString, QString> effective = window.effectiveApiKeys();
        QCOMPARE(effective.value(QStringLiteral("brapi_token")), QStringLiteral("env-brapi"));
        QVERIFY(effective.contains(QStringLiteral("itick_api_key")));
    }

    // A common editor saves the file with a byte-order mark in front: the first line's key still counts.
    void aByteOrderMarkKeepsTheFirstKey()
    {
        TempHome home;
        writeKeyFile(home.appConfigDir() + QStringLiteral("/config.txt"),
                     "\xEF\xBB\xBF"
                     "alpha_vantage_api_key=file-alpha\r\nfinnhub_api_key=file-finnhub\r\n");
        MainWindow window;
        QCOMPARE(window.apiKeyFor(QStringLiteral("alpha_vantage_api_key")), QStringLiteral("file-alpha"));
        QCOMPARE(window.apiKeyFor(QStringLiteral("finnhub_api_key")), QStringLiteral("file-finnhub"));
        QCOMPARE(window.settings.configValues.keys(), QStringList{QStringLiteral("finnhub_api_key")});
    }

    void withoutKeyFileTheEnvironmentStays()
    {
        TempHome home;
        ScopedEnv itick("MVX_ITICK_API_KEY", "env-itick");
        MainWindow window;
        QCOMPARE(window.settings.itickApiKey, QStringLiteral("env-itick"));
        QVERIFY(window.settings.alphaVantageApiKey.isEmpty());
        QVERIFY(window.settings.configValues.isEmpty());
        QVERIFY(!QFileInfo::exists(window.configFileWritePath())); // reading never creates it
    }

    void legacyKeyFileIsReadUntilTheNewOneExists()
    {
        TempHome home;
        home.writeFile(QStringLiteral("app/config.txt"), "finnhub_api_key=legacy\n");
        {
            MainWindow window;
            QCOMPARE(window.apiKeyFor(QStringLiteral("finnhub_api_key")), QStringLiteral("legacy"));
            QVERIFY(window.saveLocalApiKeys());
        }
        home.writeFile(QStringLiteral("app/config.txt"), "finnhub_api_key=changed legacy\n");
        MainWindow window;
        QCOMPARE(window.apiKeyFor(QStringLiteral("finnhub_api_key")), QStringLiteral("legacy"));
        QCOMPARE(TempHome::readFile(home.applicationDirectory() + QStringLiteral("/config.txt")),
                 QByteArray("finnhub_api_key=changed legacy\n")); // never written
    }

    void savedFileIsOwnerOnlyAndRoundTrips_data()
    {
        QTest::addColumn<int>("earlierMode"); // -1: no earlier file
        QTest::newRow("new file") << -1;
        QTest::newRow("earlier world-readable file") << 0644;
        QTest::newRow("earlier world-writable file") << 0666;
    }

    void savedFileIsOwnerOnlyAndRoundTrips()
    {
        QFETCH(int, earlierMode);
        TempHome home;
        MainWindow window;
        const QString path = window.configFileWritePath();
        if (earlierMode >= 0) {
            writeKeyFile(path, "finnhub_api_key=old\n");
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(earlierMode)), 0);
        }
        window.setApiKey(QStringLiteral("alpha_vantage_api_key"), QStringLiteral("AV-KEY-1"));
        window.setApiKey(QStringLiteral("brapi_token"), QStringLiteral("BR-TOKEN-1"));
        window.setApiKey(QStringLiteral("newsapi_api_key"), QStringLiteral("news=key"));
        QVERIFY(window.saveLocalApiKeys());
        QCOMPARE(fileMode(path), 0600);
        QCOMPARE(QString::fromUtf8(TempHome::readFile(path)), keyFileText(window.settings));
        QStringList files = QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden);
        files.removeAll(QStringLiteral("startup.log"));
        QCOMPARE(files, QStringList{"config.txt"}); // no temporary file left behind

        MainWindow reread;
        QCOMPARE(reread.effectiveApiKeys(), window.effectiveApiKeys());
    }

    void saveFailureIsReported_data()
    {
        QTest::addColumn<QString>("blocker");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("configuration directory is a file") << "directory"
                                                           << "en"
                                                           << "Unable to save local API keys";
        QTest::newRow("key file is a directory") << "file"
                                                 << "en"
                                                 << "Unable to save local API keys";
        QTest::newRow("in Portuguese")
            << "directory"
            << "pt_BR" << QString::fromUtf8("Não foi possível salvar as chaves locais");
    }

    void saveFailureIsReported()
    {
        QFETCH(QString, blocker);
        QFETCH(QString, language);
        QFETCH(QString, message);
        TempHome home;
        MainWindow window;
        window.setLanguage(language);
        const QString dir = window.configDir();
        if (blocker == QLatin1String("directory")) {
            QVERIFY(QDir(dir).removeRecursively());
            home.writeFile(QDir(home.path()).relativeFilePath(dir), "not a directory");
        } else {
            QVERIFY(QDir().mkpath(window.configFileWritePath()));
        }
        window.setApiKey(QStringLiteral("finnhub_api_key"), QStringLiteral("kept-in-memory"));
        QVERIFY(!window.saveLocalApiKeys());
        QCOMPARE(window.statusBar()->currentMessage(), message);
        QCOMPARE(window.apiKeyFor(QStringLiteral("finnhub_api_key")), QStringLiteral("kept-in-memory"));
    }

    void dialogShowsAndSavesTheKeys()
    {
        TempHome home;
        MainWindow window;
        window.setApiKey(QStringLiteral("brapi_token"), QStringLiteral("old-brapi"));
        window.setApiKey(QStringLiteral("finnhub_api_key"), QStringLiteral("old-finnhub"));
        window.setApiKey(QStringLiteral("my_own_key"), QStringLiteral("mine"));

        bool driven = false;
        whenModal<ApiKeysDialog>([&](ApiKeysDialog *dialog) {
            driven = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("API Keys"));
            QCOMPARE(dialog->parent(), &window);
            const QList<ApiKeySpec> catalogue = window.apiKeyCatalog();
            QCOMPARE(dialog->enteredValues().size(), catalogue.size());
            for (const ApiKeySpec &keySpec : catalogue) {
                QLineEdit *field = dialog->fieldFor(keySpec.configKey);
                QVERIFY(field);
                QCOMPARE(field->echoMode(), QLineEdit::Password);
                QCOMPARE(field->placeholderText(), keySpec.description);
                QCOMPARE(field->text(), window.apiKeyFor(keySpec.configKey));
            }
            dialog->fieldFor(QStringLiteral("alpha_vantage_api_key"))
                ->setText(QStringLiteral("  new-alpha \t"));
            dialog->fieldFor(QStringLiteral("finnhub_api_key"))->clear();
            dialog->fieldFor(QStringLiteral("newsapi_api_key"))->setText(QStringLiteral("news=1"));
            saveButton(dialog)->click();
        });
        window.showApiKeysDialog();
        QVERIFY(driven);

        QCOMPARE(window.settings.alphaVantageApiKey, QStringLiteral("new-alpha"));
        QCOMPARE(window.settings.brapiToken, QStringLiteral("old-brapi"));
        QVERIFY(!window.settings.configValues.contains(QStringLiteral("finnhub_api_key")));
        QCOMPARE(window.settings.configValues.value(QStringLiteral("newsapi_api_key")),
                 QStringLiteral("news=1"));
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("API keys saved locally"));

        const QString path = window.configFileWritePath();
        QCOMPARE(fileMode(path), 0600);
        const QString text = QString::fromUtf8(TempHome::readFile(path));
        QVERIFY(text.startsWith(QStringLiteral("# MURVEX_TERMINAL local keys. Do not commit this file.\n")));
        QVERIFY(text.contains(QStringLiteral("\nalpha_vantage_api_key=new-alpha\n")));
        QVERIFY(text.contains(QStringLiteral("\nfinnhub_api_key=\n")));
        QVERIFY(text.contains(QStringLiteral("\nnewsapi_api_key=news=1\n")));
        QVERIFY(!text.contains(QStringLiteral("my_own_key")));
    }

    // Saved keys are used at once: every quote is asked for again, through the providers the new keys
    // open, even when the key file could not take them.
    void savedKeysAreUsedAtOnce_data()
    {
        QTest::addColumn<bool>("fileWritable");
        QTest::newRow("saved") << true;
        QTest::newRow("not saved") << false;
    }

    void savedKeysAreUsedAtOnce()
    {
        QFETCH(bool, fileWritable);
        TempHome home;
        LoopbackServices services;
        MainWindow window;
        window.marketDataStarted = true; // only the dialog asks for quotes here
        if (!fileWritable)
            QVERIFY(QDir().mkpath(window.configFileWritePath()));
        QTRY_VERIFY(window.quoteCascades.isEmpty());
        QuoteRequestLog asked(window);
        services.server().clearRequests();
        whenModal<ApiKeysDialog>([](ApiKeysDialog *dialog) {
            dialog->fieldFor(QStringLiteral("finnhub_api_key"))->setText(QStringLiteral("fresh-finnhub-key"));
            saveButton(dialog)->click();
        });
        window.showApiKeysDialog();
        QCOMPARE(asked.count(QStringLiteral("AAPL")), 1);
        QCOMPARE(asked.count(QStringLiteral("PETR4.SA")), 1);
        QVERIFY(asked.count(QStringLiteral("BRL=X")) >= 1);
        QVERIFY(services.server().waitForRequests(1));
        QTRY_VERIFY(!services.server().requestsFor(QStringLiteral("/api/v1/quote")).isEmpty());
        QVERIFY(services.server()
                    .requestsFor(QStringLiteral("/api/v1/quote"))
                    .first()
                    .query.contains(QStringLiteral("token=fresh-finnhub-key")));
    }

    void cancelledDialogChangesNothing()
    {
        TempHome home;
        MainWindow window;
        window.setApiKey(QStringLiteral("finnhub_api_key"), QStringLiteral("old-finnhub"));
        window.setLanguage(QStringLiteral("pt_BR"));
        const LocalSettings before = window.settings;
        bool driven = false;
        whenModal<ApiKeysDialog>([&](ApiKeysDialog *dialog) {
            driven = true;
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Chaves de API"));
            dialog->fieldFor(QStringLiteral("finnhub_api_key"))->setText(QStringLiteral("other"));
            dialog->buttonBox()->button(QDialogButtonBox::Cancel)->click();
        });
        window.apiKeysAction->trigger(); // the menu reaches the dialog
        QVERIFY(driven);
        QCOMPARE(window.effectiveApiKeys(), effectiveApiKeyValues(before));
        QVERIFY(!QFileInfo::exists(window.configFileWritePath()));
    }

    void saveFailureFromTheDialogIsNotReportedAsSaved()
    {
        TempHome home;
        MainWindow window;
        QVERIFY(QDir().mkpath(window.configFileWritePath()));
        whenModal<ApiKeysDialog>([](ApiKeysDialog *dialog) {
            dialog->fieldFor(QStringLiteral("finnhub_api_key"))->setText(QStringLiteral("typed"));
            saveButton(dialog)->click();
        });
        window.showApiKeysDialog();
        QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Unable to save local API keys"));
        QCOMPARE(window.apiKeyFor(QStringLiteral("finnhub_api_key")), QStringLiteral("typed"));
    }

    void dialogRefusesAValueWithALineBreak_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("LF") << "abc\nbrapi_token=evil";
        QTest::newRow("CR") << "abc\rbrapi_token=evil";
        QTest::newRow("paragraph separator") << QString::fromUtf8("abc\u2029brapi_token=evil");
    }

    void dialogRefusesAValueWithALineBreak()
    {
        QFETCH(QString, value);
        TempHome home;
        MainWindow window;
        QString refusal;
        bool stayedOpen = false;
        whenModal<ApiKeysDialog>([&](ApiKeysDialog *dialog) {
            QLineEdit *field = dialog->fieldFor(QStringLiteral("finnhub_api_key"));
            field->setText(value);
            whenModal<QMessageBox>([&](QMessageBox *box) {
                QCOMPARE(box->windowTitle(), window.appTitle());
                refusal = box->text();
                box->accept();
            });
            saveButton(dialog)->click();
            stayedOpen = dialog->isVisible();
            field->setText(QStringLiteral("fixed-key"));
            saveButton(dialog)->click();
        });
        window.showApiKeysDialog();
        QVERIFY(stayedOpen);
        QCOMPARE(refusal, QStringLiteral("The Finnhub key contains a line break. Remove it and save again."));
        QCOMPARE(window.apiKeyFor(QStringLiteral("finnhub_api_key")), QStringLiteral("fixed-key"));
        QCOMPARE(window.settings.brapiToken, QString());
        const QByteArray file = TempHome::readFile(window.configFileWritePath());
        QVERIFY(file.contains("\nfinnhub_api_key=fixed-key\n"));
        QVERIFY(!file.contains("evil"));
    }

    void environmentValueWithALineBreakIsUsedButNeverWritten()
    {
        TempHome home;
        MainWindow *window = nullptr;
        {
            ScopedEnv itick("MVX_ITICK_API_KEY", "itick-key\nbrapi_token=evil");
            window = new MainWindow;
        }
        QCOMPARE(window->settings.itickApiKey, QStringLiteral("itick-key\nbrapi_token=evil"));
        whenModal<ApiKeysDialog>([](ApiKeysDialog *dialog) {
            dialog->fieldFor(QStringLiteral("tiingo_api_key"))->setText(QStringLiteral("tiingo-key"));
            saveButton(dialog)->click(); // the untouched field does not block the save
        });
        window->showApiKeysDialog();
        QCOMPARE(window->settings.itickApiKey, QStringLiteral("itick-key\nbrapi_token=evil"));
        QCOMPARE(window->statusBar()->currentMessage(), QStringLiteral("API keys saved locally"));
        const QByteArray file = TempHome::readFile(window->configFileWritePath());
        QVERIFY(file.contains("\ntiingo_api_key=tiingo-key\n"));
        QVERIFY(!file.contains("itick"));
        QVERIFY(!file.contains("evil"));
        delete window;

        MainWindow later; // a later run without the variable reads neither part of it
        QCOMPARE(later.settings.itickApiKey, QString());
        QCOMPARE(later.settings.brapiToken, QString());
    }

    void eyeButtonShowsAndHidesTheKey()
    {
        TempHome home;
        MainWindow window;
        ApiKeysDialog dialog(&window);
        QLineEdit *field = dialog.fieldFor(QStringLiteral("newsapi_api_key"));
        QAction *eye = field->findChild<QAction *>(QStringLiteral("apiKeyVisibilityAction"));
        QVERIFY(eye);
        QVERIFY(eye->isCheckable());
        QCOMPARE(eye->toolTip(), QStringLiteral("Show key"));
        QVERIFY(field->isClearButtonEnabled());
        eye->trigger();
        QCOMPARE(field->echoMode(), QLineEdit::Normal);
        QCOMPARE(eye->toolTip(), QStringLiteral("Hide key"));
        eye->trigger();
        QCOMPARE(field->echoMode(), QLineEdit::Password);
        QCOMPARE(eye->toolTip(), QStringLiteral("Show key"));
        // Other fields keep their own state.
        QCOMPARE(dialog.fieldFor(QStringLiteral("brapi_token"))->echoMode(), QLineEdit::Password);
    }

    void eyeIcon()
    {
        TempHome home;
        MainWindow window;
        const QImage shown = window.makeEyeIcon(true).pixmap(18, 18).toImage();
        const QImage hidden = window.makeEyeIcon(false).pixmap(18, 18).toImage();
        QCOMPARE(shown.size(), QSize(18, 18));
        QCOMPARE(shown.pixelColor(9, 9), QColor(QStringLiteral("#20c878")));
        QCOMPARE(hidden.pixelColor(9, 9), QColor(Qt::black));
        QCOMPARE(shown.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(hidden.pixelColor(17, 17).alpha(), 0);
    }

    void heldSecretsAreRedacted()
    {
        TempHome home;
        MainWindow window;
        window.setApiKey(QStringLiteral("alpha_vantage_api_key"), QStringLiteral("ALPHAKEY123"));
        window.setApiKey(QStringLiteral("murvex_news_token"), QStringLiteral("news-token-9"));
        window.settings.authToken = QStringLiteral("bearer-token-xyz");
        QCOMPARE(window.redactedText(QStringLiteral("ALPHAKEY123 / news-token-9 / bearer-token-xyz / short")),
                 QStringLiteral("*** / *** / *** / short"));
    }
};

MVX_TEST_MAIN(TestMainWindowKeys)
#include "test_main_window_keys.moc"
