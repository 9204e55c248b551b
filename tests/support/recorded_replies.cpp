#include "tests/support/recorded_replies.h"

#include "tests/support/temp_home.h"

#include <QLatin1Char>

QByteArray recordedBody(const QString &relativePath)
{
    return TempHome::readFile(realDataDirectory() + QLatin1Char('/') + relativePath);
}

FakeReply recordedReply(const QString &relativePath, int status)
{
    return FakeReply::json(recordedBody(relativePath), status);
}
