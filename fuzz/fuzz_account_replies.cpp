// Arbitrary bytes as an account service reply: read as a sign-in reply, as pulled sync items and as
// status items.
#include "account/account_rules.h"

#include <QByteArray>
#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzcheck::inputBytes(data, size);
    const QJsonObject reply = QJsonDocument::fromJson(input).object();

    LocalSettings settings;
    settings.authToken = QStringLiteral("stored");
    settings.authEmail = QStringLiteral("a@x.io");
    QString code = QStringLiteral("<untouched>");
    const bool ok = applyAuthReplyTo(settings, reply, &code);
    if (ok)
        require(!settings.authToken.isEmpty() && reply.value(QLatin1String("ok")) == QJsonValue(true));
    else if (reply.value(QLatin1String("ok")) != QJsonValue(true))
        require(settings.authToken == QLatin1String("stored") &&
                settings.authEmail == QLatin1String("a@x.io"));
    require(!authErrorText(code, false).isEmpty() && !authErrorText(code, true).isEmpty());
    (void)sessionRejected(0, reply);

    const QJsonObject items = reply.value(QLatin1String("items")).toObject();
    QMap<QString, int> versions{{QStringLiteral("alerts"), 3}};
    const QStringList newer = newerNamespaces(versions, items);
    for (const QString &name : newer)
        require(items.contains(name));
    recordVersions(versions, items);
    for (auto it = versions.cbegin(); it != versions.cend(); ++it)
        require(it.value() > 0);
    // Once recorded, nothing is newer any more.
    require(newerNamespaces(versions, items).isEmpty());
    require(pulledVersions(items).keys() == items.keys());
    // The unknown namespaces are exactly the pulled items outside the five, each kept whole.
    const QJsonObject unknown = unknownNamespaceItems(items);
    for (auto it = items.begin(); it != items.end(); ++it)
        require(syncNamespaces().contains(it.key()) ? !unknown.contains(it.key())
                                                    : unknown.value(it.key()) == it.value());
    require(unknown.size() <= items.size());
    for (auto it = items.begin(); it != items.end(); ++it) {
        (void)unusableSyncItemReason(it.key(), it.value());
        const QJsonObject item = it.value().toObject();
        (void)formatByteSize(clampedInt64(item.value(QLatin1String("payload_bytes"))));
        (void)clampedInt64(item.value(QLatin1String("updated_unix")));
    }
    require(
        !syncPullErrorText(reply.value(QLatin1String("error")).toString(), QString::fromUtf8(input), false)
             .isEmpty() ||
        input.isEmpty());
    return 0;
}
