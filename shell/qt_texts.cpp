#include "shell/qt_texts.h"
#include "shell/text_picker.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QtTexts::QtTexts() : directory(QLibraryInfo::path(QLibraryInfo::TranslationsPath)) {}

QtTexts::~QtTexts()
{
    if (m_installed)
        QCoreApplication::removeTranslator(&m_translator);
}

void QtTexts::switchTo(const QString &languageCode)
{
    const bool portuguese = isPortugueseLanguage(languageCode);
    if (portuguese == m_installed && (!portuguese || m_installedFrom == directory))
        return;
    if (m_installed) {
        QCoreApplication::removeTranslator(&m_translator);
        m_installed = false;
        m_installedFrom.clear();
    }
    if (!portuguese || !m_translator.load(QStringLiteral("qtbase_pt_BR"), directory))
        return;
    m_installed = QCoreApplication::installTranslator(&m_translator);
    if (m_installed)
        m_installedFrom = directory;
}
