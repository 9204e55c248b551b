#include "app/endpoints.h"
#include "providers/reply_deadline.h"
#include "providers/reply_drop.h"
#include "settings/config_paths.h"
#include "shell/main_window.h"
#include "watchlist/symbol_rules.h"
#include "watchlist/symbol_universe.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QNetworkReply>
#include <QStringListModel>

namespace {
// The direct requests outside the fetchers introduce themselves with their own agent.
const QByteArray kDirectUserAgent = QByteArrayLiteral("MURVEX_TERMINAL/0.1 Qt");
} // namespace

void MainWindow::setupCompleter()
{
    symbolUniverse.clear();
    symbolUniverseMembers.clear();
    appendNewUniverseSymbols(symbolUniverse, symbolUniverseMembers, defaultSymbolUniverse());
    appendNewUniverseSymbols(symbolUniverse, symbolUniverseMembers, loadUniverseSymbols());
    sortUniverse(symbolUniverse);
    b3BaseSymbols = b3BaseSymbolsFrom(symbolUniverse);

    if (!symbolInput)
        return;
    completerModel = new QStringListModel(symbolInput);
    refreshCompleterModel();
    auto *completer = new QCompleter(completerModel, symbolInput);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->popup()->setObjectName(QStringLiteral("symbolSuggestions"));
    symbolInput->setCompleter(completer);
}

QStringList MainWindow::universeSearchDirs() const
{
    // Taken where relative legacy paths are: the program's own directory, never the working directory.
    return universeDirectoriesFor(legacyBaseDirectory());
}

QStringList MainWindow::loadUniverseSymbols() const
{
    return readUniverseFiles(universeSearchDirs());
}

void MainWindow::loadSymbolClassifications()
{
    const QMap<QString, QString> sectors =
        readClassificationFile(findClassificationFile(universeSearchDirs()));
    for (auto it = sectors.constBegin(); it != sectors.constEnd(); ++it)
        sectorBySymbol.insert(it.key(), it.value());
}

void MainWindow::mergeIntoUniverse(const QStringList &symbols)
{
    if (appendNewUniverseSymbols(symbolUniverse, symbolUniverseMembers, symbols) == 0)
        return;
    sortUniverse(symbolUniverse);
    refreshCompleterModel();
}

void MainWindow::refreshCompleterModel()
{
    if (!completerModel)
        return;
    QStringList entries;
    entries.reserve(symbolUniverse.size());
    for (const QString &symbol : std::as_const(symbolUniverse))
        entries.append(completionEntry(symbol));
    completerModel->setStringList(entries);
}

void MainWindow::requestCryptoUniverse()
{
    QNetworkRequest request(endpointUrl(Endpoint::BinanceRest, QStringLiteral("/api/v3/exchangeInfo")));
    // A stalled list must end like a stalled quote: it holds a connection to the exchange's host.
    request.setTransferTimeout(quoteTransferLimitMs);
    awaitReply(networkManager.get(request), this, replyDeadlines.symbolListMs,
               [this](const ReplyAnswer &answer) { onCryptoUniverseReply(answer); });
}

void MainWindow::onCryptoUniverseReply(const ReplyAnswer &answer)
{
    if (answer.failed)
        return;
    const CryptoExchangeList list = parseCryptoExchangeList(answer.body);
    // One malformed or empty reply must not replace a good list: normalisation would lose every base.
    if (list.wellFormed && !list.pairs.isEmpty()) {
        cryptoBaseAssets = list.bases;
        mergeIntoUniverse(list.pairs);
    }
    appendEventLog(localizedText(QStringLiteral("Crypto universe loaded: %1 Binance USDT pairs"),
                                 QStringLiteral("Universo crypto carregado: %1 pares USDT Binance"))
                       .arg(list.pairs.size()));
}

void MainWindow::requestSymbolSearch(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() < 2)
        return;
    const QString guess = guessedB3Symbol(trimmed);
    if (!guess.isEmpty())
        mergeIntoUniverse({guess});
    // The search shares its host with the Yahoo quotes and charts, and that host has only a few
    // connections: searches left pending while the user types would hold them all and starve the
    // quotes. Only the newest text matters, so the previous search ends here, and a stalled one ends at
    // the fetchers' transfer limit.
    abortSymbolSearch();
    QNetworkRequest request(symbolSearchUrl(endpointBase(Endpoint::Yahoo), trimmed));
    request.setHeader(QNetworkRequest::UserAgentHeader, kDirectUserAgent);
    request.setTransferTimeout(quoteTransferLimitMs);
    QNetworkReply *reply = networkManager.get(request);
    symbolSearchReply = reply;
    awaitReply(reply, this, replyDeadlines.quoteMs,
               [this](const ReplyAnswer &answer) { onSymbolSearchReply(answer); });
}

void MainWindow::abortSymbolSearch()
{
    QNetworkReply *reply = symbolSearchReply;
    symbolSearchReply = nullptr;
    if (!reply)
        return;
    // An ended search has nothing to merge. Its handler has not begun (it clears this pointer first),
    // so the reply can be dropped like any other request nobody waits for.
    dropReply(reply, this);
}

void MainWindow::onSymbolSearchReply(const ReplyAnswer &answer)
{
    // Only the newest search is ever in flight: any earlier one was dropped when this one left.
    symbolSearchReply = nullptr;
    if (answer.failed)
        return;
    mergeIntoUniverse(parseSymbolSearchReply(answer.body));
}
