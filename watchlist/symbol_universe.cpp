#include "watchlist/symbol_universe.h"

#include "providers/fetchers.h"
#include "watchlist/symbol_rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <functional>

namespace {
// UTF-8 spends at most four bytes on a character: a longer raw line cannot fit the character limit.
constexpr qint64 kMaxLineBytes = qint64(kUniverseMaxLineLength) * 4 + 2;

// Calls `take` with every line of the file (line ending removed) that is not over the length limit.
void forEachBoundedLine(QFile &file, const std::function<void(const QString &)> &take)
{
    while (!file.atEnd()) {
        QByteArray bytes = file.readLine(kMaxLineBytes);
        if (bytes.isEmpty() && file.error() != QFileDevice::NoError)
            return;
        bool tooLong = false;
        if (!bytes.endsWith('\n') && !file.atEnd()) {
            // The rest of an overlong line is drained in bounded pieces and dropped.
            tooLong = true;
            while (!file.atEnd()) {
                const QByteArray rest = file.readLine(kMaxLineBytes);
                if (rest.isEmpty() || rest.endsWith('\n'))
                    break;
            }
        }
        if (tooLong)
            continue;
        while (bytes.endsWith('\n') || bytes.endsWith('\r'))
            bytes.chop(1);
        const QString line = QString::fromUtf8(bytes);
        if (line.size() > kUniverseMaxLineLength)
            continue;
        take(line);
    }
}

bool isCommentOrEmpty(const QString &trimmed)
{
    return trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#'));
}
} // namespace

QStringList universeDirectoriesFor(const QString &applicationDir)
{
    QStringList dirs = {applicationDir + QStringLiteral("/data/universe"),
                        applicationDir + QStringLiteral("/share/MURVEX_TERMINAL/universe"),
                        applicationDir + QStringLiteral("/../share/MURVEX_TERMINAL/universe"),
                        QStringLiteral("/usr/local/share/MURVEX_TERMINAL/universe"),
                        QStringLiteral("/usr/share/MURVEX_TERMINAL/universe")};
    dirs.removeDuplicates();
    return dirs;
}

QString universeLineSymbol(const QString &line)
{
    QString text = line.trimmed();
    if (isCommentOrEmpty(text))
        return QString();
    int cut = -1;
    for (const QChar separator : {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')}) {
        const int at = text.indexOf(separator);
        if (at >= 0 && (cut < 0 || at < cut))
            cut = at;
    }
    if (cut >= 0)
        text = text.left(cut).trimmed();
    if (text.isEmpty() || text.compare(QLatin1String("symbol"), Qt::CaseInsensitive) == 0)
        return QString();
    text = text.toUpper();
    return isAcceptableUniverseSymbol(text) ? text : QString();
}

QStringList readUniverseFiles(const QStringList &directories)
{
    QStringList symbols;
    QSet<QString> seenDirs;
    QSet<QString> seenFiles;
    for (const QString &path : directories) {
        const QFileInfo dirInfo(path);
        if (!dirInfo.isDir())
            continue;
        const QString canonicalDir = dirInfo.canonicalFilePath();
        if (canonicalDir.isEmpty() || seenDirs.contains(canonicalDir))
            continue;
        seenDirs.insert(canonicalDir);
        const QFileInfoList files = QDir(canonicalDir)
                                        .entryInfoList({QStringLiteral("*.txt"), QStringLiteral("*.csv")},
                                                       QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo &fileInfo : files) {
            const QString canonicalFile = fileInfo.canonicalFilePath();
            if (canonicalFile.isEmpty() || seenFiles.contains(canonicalFile) || !fileInfo.isFile())
                continue;
            seenFiles.insert(canonicalFile);
            QFile file(canonicalFile);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            forEachBoundedLine(file, [&symbols](const QString &line) {
                const QString symbol = universeLineSymbol(line);
                if (!symbol.isEmpty())
                    symbols.append(symbol);
            });
        }
    }
    return symbols;
}

QString findClassificationFile(const QStringList &directories)
{
    for (const QString &path : directories) {
        const QFileInfo info(QDir(path).filePath(QStringLiteral("classification.csv")));
        if (info.isFile())
            return info.filePath();
    }
    return QString();
}

QMap<QString, QString> readClassificationFile(const QString &path)
{
    QMap<QString, QString> sectors;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return sectors;
    forEachBoundedLine(file, [&sectors](const QString &raw) {
        const QString line = raw.trimmed();
        if (isCommentOrEmpty(line))
            return;
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() < 2 || fields.first().compare(QLatin1String("symbol"), Qt::CaseInsensitive) == 0)
            return;
        const QString symbol = fields.at(0).trimmed().toUpper();
        const QString sector = fields.at(1).trimmed();
        if (sector.isEmpty() || !isAcceptableUniverseSymbol(symbol))
            return;
        sectors.insert(symbol, sector);
    });
    return sectors;
}

bool isAcceptableUniverseSymbol(const QString &symbol)
{
    return isAcceptableSymbol(symbol, symbol) &&
           std::none_of(symbol.cbegin(), symbol.cend(), [](QChar c) { return c.isSpace(); });
}

CryptoExchangeList parseCryptoExchangeList(const QByteArray &body)
{
    CryptoExchangeList list;
    const QJsonDocument document = QJsonDocument::fromJson(body);
    if (!document.isObject())
        return list;
    const QJsonValue symbols = document.object().value(QStringLiteral("symbols"));
    if (!symbols.isArray())
        return list;
    list.wellFormed = true;
    QSet<QString> seenBases;
    for (const QJsonValue &element : symbols.toArray()) {
        const QJsonObject pair = element.toObject();
        if (pair.value(QStringLiteral("status")).toString() != QLatin1String("TRADING") ||
            pair.value(QStringLiteral("quoteAsset")).toString() != QLatin1String("USDT"))
            continue;
        const QString symbol = pair.value(QStringLiteral("symbol")).toString();
        if (!isAcceptableUniverseSymbol(symbol))
            continue;
        list.pairs.append(symbol);
        const QString base = pair.value(QStringLiteral("baseAsset")).toString();
        if (isAcceptableUniverseSymbol(base) && !seenBases.contains(base)) {
            seenBases.insert(base);
            list.bases.append(base);
        }
    }
    return list;
}

QStringList parseSymbolSearchReply(const QByteArray &body)
{
    static const QSet<QString> accepted = {QStringLiteral("EQUITY"), QStringLiteral("ETF"),
                                           QStringLiteral("INDEX"), QStringLiteral("CRYPTOCURRENCY"),
                                           QStringLiteral("CURRENCY")};
    QStringList symbols;
    const QJsonArray quotes =
        QJsonDocument::fromJson(body).object().value(QStringLiteral("quotes")).toArray();
    const int count = std::min<int>(static_cast<int>(quotes.size()), kSymbolSearchQuoteCount);
    for (int i = 0; i < count; ++i) {
        const QJsonObject quote = quotes.at(i).toObject();
        const QString symbol = quote.value(QStringLiteral("symbol")).toString();
        if (isAcceptableUniverseSymbol(symbol) &&
            accepted.contains(quote.value(QStringLiteral("quoteType")).toString()))
            symbols.append(symbol);
    }
    return symbols;
}

QUrl symbolSearchUrl(const QString &base, const QString &text)
{
    return urlWithQuery(QUrl(base + QStringLiteral("/v1/finance/search")),
                        {{QStringLiteral("q"), text},
                         {QStringLiteral("quotesCount"), QString::number(kSymbolSearchQuoteCount)},
                         {QStringLiteral("newsCount"), QStringLiteral("0")}});
}

QString guessedB3Symbol(const QString &text)
{
    const QString upper = text.trimmed().toUpper();
    if (upper.contains(QLatin1Char('.')) || upper.size() < 5 || upper.size() > 6 || !upper.back().isDigit())
        return QString();
    return upper + QStringLiteral(".SA");
}

int appendNewUniverseSymbols(QStringList &universe, QSet<QString> &members, const QStringList &symbols)
{
    int added = 0;
    for (const QString &text : symbols) {
        const QString symbol = text.trimmed().toUpper();
        if (members.contains(symbol) || !isAcceptableUniverseSymbol(symbol))
            continue;
        members.insert(symbol);
        universe.append(symbol);
        ++added;
    }
    return added;
}

void sortUniverse(QStringList &universe)
{
    std::stable_sort(universe.begin(), universe.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

QString completionEntry(const QString &symbol)
{
    return QStringLiteral("%1  (%2)").arg(forexDisplayName(symbol), marketLabelForSymbol(symbol));
}
