#include "news/link_opener.h"

#include <QDesktopServices>

bool openUrlInDesktopBrowser(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}
