#pragma once

#include <QUrl>

#include <functional>

// Hands a URL to the desktop's default browser. The window holds the opener it uses as a value, so a
// test can put a recorder in its place and no browser starts.
using UrlOpener = std::function<bool(const QUrl &)>;

// The desktop's own opener.
bool openUrlInDesktopBrowser(const QUrl &url);
