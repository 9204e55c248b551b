#pragma once

#include <QString>

// Portuguese is shown only for the exact code "pt_BR"; any other code, "pt-BR" and "PT_BR" included,
// means English. There is no fallback between the two texts: an empty Portuguese text stays empty.
bool isPortugueseLanguage(const QString &languageCode);
QString pickLocalized(const QString &languageCode, const QString &english, const QString &portuguese);

// The stored language code for a requested one: "pt_BR" or "en".
QString normalizeLanguageCode(const QString &requested);
