#include "settings/config_paths.h"
#include "tests/support/test_main.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

class TestConfigPaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void directoriesAreCreatedUnderTheApplicationIdentity()
    {
        TempHome home;
        const QString config = configDirectoryPath();
        QCOMPARE(config, home.path() + QStringLiteral("/.config/Murvex/Terminal Murvex"));
        QVERIFY(QFileInfo(config).isDir());
        const QString cache = cacheDirectoryPath();
        QVERIFY(cache.startsWith(home.path() + QStringLiteral("/.cache/")));
        QVERIFY(QFileInfo(cache).isDir());
    }

    void directoryRemovedWhileRunningIsMadeAgain()
    {
        TempHome home;
        const QString config = configDirectoryPath();
        QVERIFY(QDir(config).removeRecursively());
        QCOMPARE(configDirectoryPath(), config);
        QVERIFY(QFileInfo(config).isDir());
    }

    void legacyRule_data()
    {
        QTest::addColumn<bool>("newExists");
        QTest::addColumn<bool>("legacyExists");
        QTest::addColumn<bool>("legacyIsDirectory");
        QTest::addColumn<bool>("expectLegacy");
        QTest::newRow("both: the new one") << true << true << false << false;
        QTest::newRow("only legacy: legacy") << false << true << false << true;
        QTest::newRow("neither: the new one") << false << false << false << false;
        QTest::newRow("only new: the new one") << true << false << false << false;
        QTest::newRow("legacy directory counts") << false << true << true << true;
    }

    void legacyRule()
    {
        QFETCH(bool, newExists);
        QFETCH(bool, legacyExists);
        QFETCH(bool, legacyIsDirectory);
        QFETCH(bool, expectLegacy);
        TempHome home;
        const QString legacy = QStringLiteral("data/settings/local.json"); // relative to the program
        const QString legacyInProgramDir = home.applicationDirectory() + QLatin1Char('/') + legacy;
        const QString fresh = configDirectoryPath() + QStringLiteral("/local.json");
        if (legacyExists) {
            if (legacyIsDirectory)
                QDir().mkpath(legacyInProgramDir);
            else
                home.writeFile(QStringLiteral("app/") + legacy, "{}");
        }
        if (newExists)
            home.writeFile(QDir(home.path()).relativeFilePath(fresh), "{}");
        QCOMPARE(resolveSettingsPath(legacy, fresh), expectLegacy ? legacyInProgramDir : fresh);
    }

    void theWorkingDirectoryIsNeverRead()
    {
        TempHome home;
        const QString legacy = QStringLiteral("data/settings/local.json");
        const QString fresh = configDirectoryPath() + QStringLiteral("/local.json");
        home.writeFile(QStringLiteral("work/") + legacy, "{}"); // the working directory
        QCOMPARE(resolveSettingsPath(legacy, fresh), fresh);
        setLegacyBaseDirectory(QString());
        QCOMPARE(legacyBaseDirectory(), QCoreApplication::applicationDirPath());
    }

    void parentDirectoryIsCreated()
    {
        TempHome home;
        const QString file = home.path() + QStringLiteral("/a/b/c/default.json");
        ensureParentDirectory(file);
        QVERIFY(QFileInfo(home.path() + QStringLiteral("/a/b/c")).isDir());
    }
};

MVX_TEST_MAIN(TestConfigPaths)
#include "test_config_paths.moc"
