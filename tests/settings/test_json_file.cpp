#include "settings/json_file.h"
#include "tests/support/test_main.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>

namespace {
const QFileDevice::Permissions kGroupOrOther = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                               QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                               QFileDevice::WriteOther | QFileDevice::ExeOther;
}

class TestJsonFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readingTellsMissingUnparsedAndParsedApart_data()
    {
        QTest::addColumn<QByteArray>("content"); // "<missing>": no file at all
        QTest::addColumn<bool>("opened");
        QTest::addColumn<bool>("parsed");
        QTest::addColumn<int>("members");
        QTest::newRow("missing") << QByteArray("<missing>") << false << false << 0;
        QTest::newRow("object") << QByteArray(R"({"a": 1, "b": [2]})") << true << true << 2;
        QTest::newRow("empty object") << QByteArray("{}") << true << true << 0;
        QTest::newRow("not json") << QByteArray("language=pt_BR") << true << false << 0;
        QTest::newRow("truncated") << QByteArray(R"({"a": 1, "b": )") << true << false << 0;
        QTest::newRow("array document") << QByteArray("[1, 2]") << true << false << 0;
        QTest::newRow("empty file") << QByteArray() << true << false << 0;
    }

    void readingTellsMissingUnparsedAndParsedApart()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, opened);
        QFETCH(bool, parsed);
        QFETCH(int, members);
        TempHome home;
        QString path = home.path() + QStringLiteral("/file.json");
        if (content != "<missing>")
            path = home.writeFile(QStringLiteral("file.json"), content);
        const JsonFileRead read = readJsonObjectFile(path);
        QCOMPARE(read.opened, opened);
        QCOMPARE(read.parsed, parsed);
        QCOMPARE(read.object.size(), members);
        if (opened)
            QCOMPARE(read.content, content);
    }

    void writingMakesParentsAndRoundTrips()
    {
        TempHome home;
        const QString path = home.path() + QStringLiteral("/a/b/c.json");
        QJsonObject object{{"z", 1}, {"a", QJsonArray{1, 2}}, {"m", QJsonObject{{"k", "v"}}}};
        QVERIFY(writeJsonObjectFile(path, object, false));
        const JsonFileRead read = readJsonObjectFile(path);
        QVERIFY(read.parsed);
        QCOMPARE(read.object, object);
        // Indented, members sorted by key.
        QVERIFY(read.content.startsWith("{\n    \"a\": ["));
    }

    void ownerOnlyFilesStayOwnerOnlyWhenRewritten()
    {
        TempHome home;
        const QString path = home.writeFile(QStringLiteral("local.json"), "{}");
        QVERIFY(QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
        QVERIFY(writeJsonObjectFile(path, QJsonObject{{"auth", "secret"}}, true));
        QCOMPARE(QFile::permissions(path) & kGroupOrOther, QFileDevice::Permissions());
        QVERIFY(QFile::permissions(path) & QFileDevice::ReadOwner);
        QVERIFY(QFile::permissions(path) & QFileDevice::WriteOwner);
    }

    void aFailedWriteSaysSoAndLeavesTheOldFile()
    {
        TempHome home;
        // The parent "directory" is a plain file: nothing can be written below it.
        const QString blocker = home.writeFile(QStringLiteral("blocker"), "not a directory");
        QVERIFY(!writeJsonObjectFile(blocker + QStringLiteral("/local.json"), QJsonObject{{"a", 1}}, true));

        // A file whose directory refuses new files keeps its old content whole.
        const QString path = home.writeFile(QStringLiteral("locked/local.json"), R"({"old": true})");
        const QString dir = QFileInfo(path).absolutePath();
        QVERIFY(QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const bool written = writeJsonObjectFile(path, QJsonObject{{"new", true}}, false);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (QFileInfo(dir).isWritable() && written)
            QSKIP("running with privileges that ignore directory permissions");
        QVERIFY(!written);
        QCOMPARE(TempHome::readFile(path), QByteArray(R"({"old": true})"));
    }

    void unreadableFilesAreCopiedAsideUnderNewNames()
    {
        TempHome home;
        const QString path = home.writeFile(QStringLiteral("cfg/local.json"), "garbage{");
        const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9));
        const QString first = preserveUnreadableFile(path, "garbage{", when, true);
        QCOMPARE(first, QFileInfo(path).absoluteFilePath() + QStringLiteral(".unreadable-20240506-070809"));
        QCOMPARE(TempHome::readFile(first), QByteArray("garbage{"));
        QCOMPARE(QFile::permissions(first) & kGroupOrOther, QFileDevice::Permissions());
        // A second copy in the same second never overwrites the first.
        const QString second = preserveUnreadableFile(path, "other", when, false);
        QCOMPARE(second, first + QStringLiteral("-2"));
        QCOMPARE(TempHome::readFile(first), QByteArray("garbage{"));
        QCOMPARE(TempHome::readFile(second), QByteArray("other"));
        QCOMPARE(TempHome::readFile(path), QByteArray("garbage{")); // the original stays as it was

        const QString blocker = home.writeFile(QStringLiteral("blocker"), "x");
        QCOMPARE(preserveUnreadableFile(blocker + QStringLiteral("/local.json"), "x", when, true), QString());
    }
};

MVX_TEST_MAIN(TestJsonFile)
#include "test_json_file.moc"
