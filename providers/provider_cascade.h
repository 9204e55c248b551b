#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

// The outcome of one provider attempt.
struct AsyncProviderResult
{
    bool ok = false;
    bool rateLimited = false;
    QString message; // why the attempt failed; may be empty
};

using AsyncProviderCompletion = std::function<void(const AsyncProviderResult &)>;
using AsyncProviderStarter = std::function<void(const QString &providerKey, AsyncProviderCompletion done)>;
using AsyncProviderSuccess = std::function<void(const QString &providerKey)>;
using AsyncProviderFailure = std::function<void(const QStringList &errors)>;

// Walks an ordered list of providers for one request: starts each attempt through the caller's starter,
// gives it `timeoutMs`, and ends the walk with exactly one of onSuccess (the provider that answered) or
// onFailure (one line per failed provider), or with neither when the walk is abandoned by a new start(),
// by cancel() or by destruction. Knows nothing of HTTP or quotes.
//
// Every attempt carries a token (the value of `generation` when it started) and its provider key; an
// answer counts only while the walk runs and both still match the current attempt, so late answers,
// repeated answers and answers of an earlier walk change nothing. Callbacks may nest (a starter may
// answer synchronously) and may restart or cancel the cascade; they must delete it only with
// deleteLater(), since its code is still on the stack when they run.
class AsyncProviderCascade : public QObject
{
    Q_OBJECT

public:
    explicit AsyncProviderCascade(QObject *parent = nullptr);
    ~AsyncProviderCascade() override;

    // Begins a new walk over `providerKeys`, abandoning any walk in progress. A limit below 1 ms is
    // raised to 1 ms. An empty list fails at once, inside this call, with no lines.
    void start(const QStringList &providerKeys, AsyncProviderStarter starter, AsyncProviderSuccess success,
               AsyncProviderFailure failure, int timeoutMsPerAttempt);
    // Abandons the walk in progress: the timer stops and no further attempt starts, no answer is taken
    // and neither callback runs. A cascade waiting for deferred deletion is cancelled first so that it
    // cannot reach a provider any more.
    void cancel();

    void startNext();
    // The provider of the attempt in progress; empty when no walk runs.
    QString currentProvider() const;
    void handleResult(quint64 token, const QString &providerKey, const AsyncProviderResult &result);
    void onTimeout();

    QStringList providers;
    QStringList errors; // one line per failed attempt, in attempt order
    AsyncProviderStarter starter;
    AsyncProviderSuccess onSuccess;
    AsyncProviderFailure onFailure;
    QTimer timer;
    int index = -1;
    int timeoutMs = 10000;
    quint64 generation = 0;
    bool running = false;
};
