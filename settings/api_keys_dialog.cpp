#include "settings/api_keys_dialog.h"

#include "settings/api_keys.h"
#include "shell/main_window.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

ApiKeysDialog::ApiKeysDialog(MainWindow *window) : QDialog(window), m_window(window)
{
    setModal(true);
    setWindowTitle(window->localizedText(QStringLiteral("API Keys"), QStringLiteral("Chaves de API")));
    resize(560, 520);

    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(
        window->localizedText(
            QStringLiteral(
                "Local keys are saved in the user config folder. They are not included in account sync."),
            QString::fromUtf8(
                "Chaves locais são salvas na pasta de configuração do usuário. Elas não entram no "
                "sync da conta.")),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto *form = new QFormLayout;
    for (const ApiKeySpec &keySpec : window->apiKeyCatalog()) {
        auto *edit = new QLineEdit(this);
        edit->setEchoMode(QLineEdit::Password);
        edit->setClearButtonEnabled(true);
        edit->setPlaceholderText(keySpec.description);
        const QString current = window->apiKeyFor(keySpec.configKey);
        edit->setText(current);
        window->addApiKeyVisibilityToggle(edit);
        form->addRow(keySpec.displayName, edit);
        // The field's own text is kept, not the stored value, so an untouched field is recognised even
        // if the line edit normalised what it was given.
        m_fields.append({keySpec.configKey, keySpec.displayName, edit->text(), edit});
    }
    layout->addLayout(form);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &ApiKeysDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &ApiKeysDialog::reject);
    layout->addWidget(m_buttons);
}

QLineEdit *ApiKeysDialog::fieldFor(const QString &key) const
{
    for (const Field &field : m_fields) {
        if (field.key == key)
            return field.edit;
    }
    return nullptr;
}

QList<QPair<QString, QString>> ApiKeysDialog::enteredValues() const
{
    QList<QPair<QString, QString>> values;
    for (const Field &field : m_fields)
        values.append({field.key, field.edit->text().trimmed()});
    return values;
}

void ApiKeysDialog::accept()
{
    for (const Field &field : m_fields) {
        const QString text = field.edit->text();
        if (text == field.initialText || !containsLineBreak(text.trimmed()))
            continue;
        QMessageBox::warning(
            this, m_window->appTitle(),
            m_window->localizedText(
                QStringLiteral("The %1 key contains a line break. Remove it and save again.")
                    .arg(field.displayName),
                QString::fromUtf8("A chave %1 contém uma quebra de linha. Remova-a e salve novamente.")
                    .arg(field.displayName)));
        field.edit->setFocus();
        return;
    }
    QDialog::accept();
}
