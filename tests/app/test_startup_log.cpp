#include "app/startup_log.h"
#include "tests/support/test_main.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

class TestStartupLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTimestampedLinesAndAppends()
    {
        TempHome home;
        writeStartupLog(QStringLiteral("MainWindow ctor: enter"));
        writeStartupLog(QStringLiteral("second %1 line"));
        const QString path = home.appConfigDir() + QStringLiteral("/startup.log");
        QVERIFY(path.contains(QLatin1String("/Murvex/Terminal Murvex")));
        const QList<QByteArray> lines = TempHome::readFile(path).split('\n');
        QCOMPARE(lines.size(), 3); // two lines and the empty rest after the last "\n"
        static const QRegularExpression form(
            QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z MainWindow ctor: enter$)"));
        QVERIFY2(form.match(QString::fromUtf8(lines.at(0))).hasMatch(), lines.at(0).constData());
        QVERIFY(lines.at(1).endsWith(" second %1 line"));
        QVERIFY(lines.at(2).isEmpty());
    }

    void aMessageWithALineBreakIsWrittenAsItIs()
    {
        TempHome home;
        writeStartupLog(QStringLiteral("one\ntwo"));
        const QByteArray content = TempHome::readFile(home.appConfigDir() + QStringLiteral("/startup.log"));
        QVERIFY(content.endsWith(" one\ntwo\n"));
    }

    void unwritableLocationIsSilent()
    {
        TempHome home;
        // A file where the directory should be: neither mkpath nor open can succeed.
        const QString configRoot = home.path() + QStringLiteral("/.config/Murvex");
        home.writeFile(QStringLiteral(".config/Murvex"), "not a directory");
        writeStartupLog(QStringLiteral("lost"));
        QVERIFY(QFileInfo(configRoot).isFile());
    }
};

MVX_TEST_MAIN(TestStartupLog)
#include "test_startup_log.moc"
