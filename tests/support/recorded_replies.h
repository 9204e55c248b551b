#pragma once

#include "tests/support/fake_http_server.h"

#include <QByteArray>
#include <QString>

// Provider replies recorded from the real services, read from realDataDirectory(). Callers skip their
// test when that folder is absent; a file that is missing then reads as empty.
QByteArray recordedBody(const QString &relativePath);
FakeReply recordedReply(const QString &relativePath, int status = 200);
