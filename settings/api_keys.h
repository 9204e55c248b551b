#pragma once

#include "settings/local_settings.h"

#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// One key the user can give the terminal: its name in the key file and how the key dialog shows it.
struct ApiKeySpec
{
    QString configKey;
    QString displayName;
    QString description;
};

// Every key the dialog offers and the key file stores, in the order both show them.
QList<ApiKeySpec> apiKeyCatalog();

// One "key=value" line of the key file, both sides trimmed.
struct KeyFileEntry
{
    QString key;
    QString value;

    bool operator==(const KeyFileEntry &other) const { return key == other.key && value == other.value; }
};

extern const char kKeyFileHeader[];

// The usable lines of a key file, in file order. Blank lines, "#" comments, lines without "=" and lines
// that start with "=" are skipped; the value keeps any further "=". Lines may end in LF, CRLF or CR.
QList<KeyFileEntry> parseKeyFileText(const QString &text);

// Environment keys: a variable that is set and not empty replaces the field, untrimmed.
void applyEnvironmentApiKeys(LocalSettings &settings, const QProcessEnvironment &environment);

// Applies the key file's lines over what the settings already hold (defaults, then the environment):
// the last valid line of a key wins. An empty or placeholder Alpha Vantage or brapi line keeps the
// field; an empty iTick line empties it; other keys are stored only when not empty. Returns the text of
// the last "hidden_columns" line, which belongs to the column settings rather than the keys.
std::optional<QString> applyKeyFileEntries(LocalSettings &settings, const QList<KeyFileEntry> &entries);

// True when the value would break out of its line in the key file.
bool containsLineBreak(const QString &value);

// The whole key file as the settings would write it: the header, then one line per catalogue key.
// Keys outside the catalogue are dropped. A value holding a line break (only the environment can give
// one) would inject lines of its own, so its line is left out and the value lives in memory only.
QString keyFileText(const LocalSettings &settings);

// The value a key has for the requests: the three named fields, else configValues, else "".
QString apiKeyValue(const LocalSettings &settings, const QString &key);

// configValues with the three named keys set from their fields, empty ones included.
QMap<QString, QString> effectiveApiKeyValues(const LocalSettings &settings);

// Sets one key as the dialog does: the named fields take any value; other keys are removed when empty.
void setApiKeyValue(LocalSettings &settings, const QString &key, const QString &value);

// Providers may echo the caller's key in their own messages. Returns the text with every secret of at
// least eight characters (also in its trimmed and percent-encoded forms) replaced by "***"; shorter
// values are too likely to be ordinary words to be worth hiding.
QString redactSecrets(const QString &text, const QStringList &secrets);
