// Arbitrary replies through the reply check. Input, so that seeds stay readable:
//   <provider key> <status>\n
//   <header name>: <value>\n ... (until an empty line)
//   \n<body>
#include "providers/reply_check.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

// Last, as it defines the require() macro.
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = fuzzcheck::inputBytes(data, size);
    qsizetype lineEnd = input.indexOf('\n');
    const QByteArray first = input.left(lineEnd < 0 ? input.size() : lineEnd);
    const qsizetype blank = first.lastIndexOf(' ');
    const QString key = QString::fromUtf8(blank < 0 ? first : first.left(blank));
    const int status = blank < 0 ? 200 : first.mid(blank + 1).toInt();

    ProviderReplyHeaders headers;
    qsizetype position = lineEnd < 0 ? input.size() : lineEnd + 1;
    while (position < input.size()) {
        lineEnd = input.indexOf('\n', position);
        const QByteArray line = input.mid(position, (lineEnd < 0 ? input.size() : lineEnd) - position);
        position = lineEnd < 0 ? input.size() : lineEnd + 1;
        if (line.isEmpty())
            break;
        const qsizetype colon = line.indexOf(':');
        headers.insert(line.left(colon < 0 ? line.size() : colon),
                       colon < 0 ? QByteArray() : line.mid(colon + 1));
    }
    const QByteArray body = input.mid(position);

    const ProviderReplyCheck check = evaluateProviderReply(key, status, headers, body);
    require(check.ok == check.message.isEmpty());
    require(!(check.ok && check.rateLimited));
    require(check.retryAfterSec >= 0 && check.retryAfterSec == retryAfterSeconds(headers));
    require(check.message.size() <= 180 || check.message.startsWith(QLatin1String("HTTP ")));
    require(check.message.isValidUtf16());
    if (status == 429)
        require(check.rateLimited);
    else if (status < 200 || status >= 300)
        require(!check.ok && !check.rateLimited);
    return 0;
}
