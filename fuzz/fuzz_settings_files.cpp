// Feeds arbitrary bytes through the readers of the terminal's own files, which a user, an editor or a
// killed write may have left in any state: the key file's lines, the settings file's check for the
// user's records in the wrong form, the watchlist file's entries, and the recognition of the atomic
// writer's leftover temporaries by name. Checks what their callers rely on.
#include "settings/api_keys.h"
#include "settings/atomic_file.h"
#include "settings/local_settings_file.h"
#include "watchlist/watchlist_file.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void require(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "settings file reader broken: %s\n", what);
    std::abort();
}

void checkKeyFile(const QString &text)
{
    for (const KeyFileEntry &entry : parseKeyFileText(text)) {
        // A key is never empty, never blank-edged, and never carries the byte-order mark of the file.
        require(!entry.key.isEmpty(), "empty key");
        require(entry.key == entry.key.trimmed() && entry.value == entry.value.trimmed(), "untrimmed entry");
        require(!entry.key.startsWith(QChar(0xFEFF)) || text.indexOf(QChar(0xFEFF), 1) >= 0,
                "byte-order mark kept in the first key");
        require(!entry.key.startsWith(QLatin1Char('#')), "comment taken as a key");
        require(!entry.key.contains(QLatin1Char('\n')) && !entry.key.contains(QLatin1Char('\r')),
                "line break in a key");
    }
}

void checkJson(const QByteArray &bytes)
{
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    static const QStringList arrays = {QStringLiteral("alerts"), QStringLiteral("alert_history"),
                                       QStringLiteral("portfolio")};
    static const QStringList objects = {QStringLiteral("portfolios"), QStringLiteral("drawings"),
                                        QStringLiteral("shortcuts")};
    const QStringList mistyped = mistypedUserDataKeys(object);
    // Every member the readers would read in the wrong form is named, so the file is copied aside
    // before a save replaces it. The check may name more than lookup finds: Qt drops a byte-order mark
    // inside a key after ordering the keys, so lookup can miss a member that iteration (and so the next
    // save) still sees; naming it is the safe side.
    for (const QString &key : arrays + objects) {
        const QJsonValue value = object.value(key);
        const bool wrong = !value.isUndefined() && !value.isNull() &&
                           (arrays.contains(key) ? !value.isArray() : !value.isObject());
        require(!wrong || mistyped.contains(key), "mistyped member missed");
    }
    for (const QString &key : mistyped)
        require(arrays.contains(key) || objects.contains(key), "unknown member named");

    const QJsonValue symbols = object.value(QStringLiteral("symbols"));
    const QList<WatchlistFileEntry> entries = watchlistEntriesFromJson(object);
    require(entries.size() == (symbols.isArray() ? symbols.toArray().size() : 0), "entry count");
}

void checkTemporaryName(const QString &text)
{
    const qsizetype cut = text.indexOf(QLatin1Char('\n'));
    if (cut < 0)
        return;
    const QString ownName = text.left(cut);
    const QString fileName = text.mid(cut + 1);
    if (!isLeftoverTemporaryOf(fileName, ownName))
        return;
    require(!ownName.isEmpty() && fileName.startsWith(ownName + QLatin1Char('.')),
            "temporary of another file");
    const QString letters = fileName.mid(ownName.size() + 1);
    require(letters.size() == 6, "suffix length");
    bool upper = false;
    for (const QChar c : letters) {
        require((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                    (c >= QLatin1Char('A') && c <= QLatin1Char('Z')),
                "suffix holds more than letters");
        upper = upper || c.isUpper();
    }
    require(upper, "an all-lower-case suffix may be the user's own file");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);
    checkKeyFile(text);
    checkKeyFile(QString(QChar(0xFEFF)) + text);
    checkJson(bytes);
    checkTemporaryName(text);
    return 0;
}
