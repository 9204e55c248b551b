#pragma once

#include <QString>
#include <QTranslator>

// Qt's own user texts (the standard buttons of dialogs and message boxes, the key editor's "Press
// shortcut") in the interface language. The window's texts carry both languages at their point of use;
// these come from Qt, so Portuguese needs Qt's translation installed on the application, and English
// none. A missing or unreadable translation file leaves Qt's English texts and is not reported: the
// window is fully usable with them.
class QtTexts
{
public:
    QtTexts();
    ~QtTexts();
    QtTexts(const QtTexts &) = delete;
    QtTexts &operator=(const QtTexts &) = delete;

    // Where the translation files are looked for; Qt's own translations folder unless a test points
    // elsewhere. Takes effect at the next switch.
    QString directory;

    // Installs Qt's translation for "pt_BR" and removes it for any other code. Switching to the language
    // already in place does nothing, so that widgets are not told of a language change that was none.
    void switchTo(const QString &languageCode);

    bool installed() const { return m_installed; }

private:
    QTranslator m_translator;
    bool m_installed = false;
    QString m_installedFrom; // the directory of the installed translation
};
