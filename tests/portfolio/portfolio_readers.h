#pragma once

#include <QComboBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTableWidget>

// What the portfolio tests read back from the panel and the stored form.
inline QJsonObject parseObject(const char *json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

inline QStringList comboTexts(const QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

inline QStringList columnTexts(const QTableWidget *table, int column)
{
    QStringList out;
    for (int row = 0; row < table->rowCount(); ++row)
        out << table->item(row, column)->text();
    return out;
}
