#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>

// A private home for one test: HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_DATA_HOME, the working
// directory ("work") and the program directory where legacy files are looked for ("app") all point into
// a fresh temporary directory until the object goes, so nothing a test does reaches the user's real
// files or another test's.
class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome &) = delete;
    TempHome &operator=(const TempHome &) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString workingDirectory() const;
    QString applicationDirectory() const;
    // Where the program's configuration and cache directories land under this home.
    QString appConfigDir() const;
    QString appCacheDir() const;

    // Writes a file below the home (parents created); returns its absolute path.
    QString writeFile(const QString &relativePath, const QByteArray &contents) const;
    static QByteArray readFile(const QString &absolutePath);

private:
    QTemporaryDir m_dir;
    QMap<QByteArray, QByteArray> m_savedEnv;
    QMap<QByteArray, bool> m_hadEnv;
    QString m_savedCwd;
};

// Clears every MVX_* variable (API keys, endpoint overrides) so a developer's own environment can
// never leak real keys or hosts into a test, then points the services at nothing (below).
void clearMurvexEnvironment();

// Points every market-data and news service of the endpoint table at a loopback port where nothing
// listens, so a window that asks for data in a test without its own fake services is refused at once
// instead of reaching a real host. Every test process starts this way.
void pointServicesAtNothing();

// Removes the endpoint variables, for tests that check requests against the program's default hosts
// and send nothing.
void useDefaultEndpoints();

// Folder of recorded provider replies beside the checkout, or empty when it is not there.
QString realDataDirectory();
