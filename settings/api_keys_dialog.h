#pragma once

#include <QDialog>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

class MainWindow;
class QDialogButtonBox;
class QLineEdit;

// The modal "API Keys" dialog: one masked field per catalogue key, filled from the window's current
// keys. It only collects; the window applies and saves what an accepted dialog holds.
class ApiKeysDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ApiKeysDialog(MainWindow *window);

    QLineEdit *fieldFor(const QString &key) const;
    QDialogButtonBox *buttonBox() const { return m_buttons; }

    // Each catalogue key with its field's text, trimmed, in catalogue order.
    QList<QPair<QString, QString>> enteredValues() const;

    // Refuses a value the user typed or pasted with a line break in it: written to the key file it
    // would become lines of its own. A value that arrived that way from the environment and was left
    // as it was passes; the key file writer keeps it out of the file.
    void accept() override;

private:
    struct Field
    {
        QString key;
        QString displayName;
        QString initialText;
        QLineEdit *edit = nullptr;
    };

    MainWindow *m_window;
    QList<Field> m_fields;
    QDialogButtonBox *m_buttons = nullptr;
};
