#include "providers/provider_cascade.h"

#include <QPointer>

#include <algorithm>

AsyncProviderCascade::AsyncProviderCascade(QObject *parent) : QObject(parent)
{
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [this] { onTimeout(); });
}

AsyncProviderCascade::~AsyncProviderCascade() = default;

void AsyncProviderCascade::start(const QStringList &providerKeys, AsyncProviderStarter starterFunction,
                                 AsyncProviderSuccess success, AsyncProviderFailure failure,
                                 int timeoutMsPerAttempt)
{
    ++generation;
    providers = providerKeys;
    errors.clear();
    // The walk being abandoned may still be running one of these callbacks further up the stack
    // (a starter or a callback that restarts the cascade); the callers below hold their own copies,
    // so replacing them here never destroys a function that is executing.
    starter = std::move(starterFunction);
    onSuccess = std::move(success);
    onFailure = std::move(failure);
    timeoutMs = std::max(1, timeoutMsPerAttempt);
    index = -1;
    running = true;
    startNext();
}

void AsyncProviderCascade::cancel()
{
    ++generation;
    running = false;
    timer.stop();
}

void AsyncProviderCascade::startNext()
{
    // An ended or cancelled walk must never reach a provider again.
    if (!running)
        return;
    ++index;
    if (index >= 0 && index < providers.size()) {
        const QString key = providers.at(index);
        const quint64 token = ++generation;
        timer.start(timeoutMs);
        if (!starter) {
            handleResult(token, key, {false, false, QStringLiteral("missing starter")});
            return;
        }
        const AsyncProviderStarter startAttempt = starter;
        QPointer<AsyncProviderCascade> guard(this);
        startAttempt(key, [guard, token, key](const AsyncProviderResult &result) {
            if (guard)
                guard->handleResult(token, key, result);
        });
        return;
    }

    running = false;
    timer.stop();
    if (onFailure) {
        const AsyncProviderFailure failed = onFailure;
        const QStringList lines = errors;
        failed(lines);
    }
}

QString AsyncProviderCascade::currentProvider() const
{
    if (!running || index < 0 || index >= providers.size())
        return QString();
    return providers.at(index);
}

void AsyncProviderCascade::handleResult(quint64 token, const QString &providerKey,
                                        const AsyncProviderResult &result)
{
    if (!running || token != generation || currentProvider() != providerKey)
        return;
    // The key may point into `providers`, which a callback that restarts the walk replaces.
    const QString key = providerKey;
    timer.stop();

    if (result.ok) {
        running = false;
        if (onSuccess) {
            const AsyncProviderSuccess succeeded = onSuccess;
            succeeded(key);
        }
        return;
    }

    QString line = key + QStringLiteral(": ") +
                   (result.message.isEmpty() ? QStringLiteral("invalid response") : result.message);
    if (result.rateLimited)
        line += QStringLiteral(" [rate limited]");
    errors.append(line);
    startNext();
}

void AsyncProviderCascade::onTimeout()
{
    if (running && index >= 0 && index < providers.size())
        handleResult(generation, providers.at(index), {false, false, QStringLiteral("timeout")});
}
