#pragma once
// The text form of the settings file, kept apart from the file handling so that it can be
// tested on damaged input directly.
//
//   [<app>|<section>]
//   <key>=<value>
//
// Names and values are UTF-8. In names and values a backslash escapes: "\\" "\n" "\r" "\t"
// "\=" "\[" "\]" "\;" ("\|" in names) and "\xHH" for other control characters. Lines that do not parse are
// skipped; ";" starts a comment line.

#include <QByteArray>
#include <QString>

#include <map>

namespace gw {

struct SettingsEntry {
    QString name;  // as first written
    QString value;
};

struct SettingsSection {
    QString app, name;
    std::map<QString, SettingsEntry> entries; // by folded key name, in file order of folding
};

struct SettingsTree {
    std::map<QString, SettingsSection> sections; // by folded "app\section"

    const SettingsEntry* find(const QString& app, const QString& section, const QString& key) const;
    void set(const QString& app, const QString& section, const QString& key, const QString& value);
};

QString foldSettingName(const QString& name);
QString escapeSettingText(const QString& text);
QString unescapeSettingText(const QString& text);
SettingsTree parseSettingsText(const QByteArray& bytes);
QByteArray formatSettingsText(const SettingsTree& tree);

} // namespace gw
