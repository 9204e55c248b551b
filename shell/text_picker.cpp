#include "shell/text_picker.h"

bool isPortugueseLanguage(const QString &languageCode)
{
    return languageCode == QLatin1String("pt_BR");
}

QString pickLocalized(const QString &languageCode, const QString &english, const QString &portuguese)
{
    return isPortugueseLanguage(languageCode) ? portuguese : english;
}

QString normalizeLanguageCode(const QString &requested)
{
    return isPortugueseLanguage(requested) ? QStringLiteral("pt_BR") : QStringLiteral("en");
}
