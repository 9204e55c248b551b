#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Takes over the desktop's opening of URLs of the given schemes for its lifetime: a test sees what the
// code asked to open, and no browser or other program starts.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    explicit UrlRecorder(const QStringList &schemes = {QStringLiteral("http"), QStringLiteral("https")})
        : m_schemes(schemes)
    {
        for (const QString &scheme : m_schemes)
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlRecorder() override
    {
        for (const QString &scheme : m_schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }
    UrlRecorder(const UrlRecorder &) = delete;
    UrlRecorder &operator=(const UrlRecorder &) = delete;

    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }

private:
    QStringList m_schemes;
};
