#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

// One command with a keyboard shortcut: its id, its label in both languages and its default key in the
// portable key-sequence form.
struct ShortcutDefinition
{
    QString id;
    QString labelEn;
    QString labelPt;
    QString defaultKey;
};

// The fourteen commands, always in the same order.
QList<ShortcutDefinition> defaultShortcutDefinitions();

// The key of `id`: its override when there is one, else its default; "" for an unknown id.
QString shortcutKeyText(const QMap<QString, QString> &overrides, const QString &id);

// The overrides as stored: one member per override, id to key text.
QJsonObject shortcutOverridesToJson(const QMap<QString, QString> &overrides);

// The overrides a stored object gives: for each known id in table order, its member read as a string
// (anything else reads as ""), trimmed, kept when not empty. Unknown ids are ignored; a key equal to the
// default is still kept.
QMap<QString, QString> shortcutOverridesFromJson(const QJsonObject &object);
