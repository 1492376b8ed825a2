// cIniFile: reads and writes single keys of corvane.INI the way the pump
// program's settings files have always been handled on Windows, one file
// access per call: "[Section]" and "key=value" lines, names matched without
// regard to case, keys with blanks written as they are, values unquoted.
// Every other line of the file, comments included, survives a write; the file
// is replaced atomically, in the encoding it was found in. A file that exists
// but is not read (no regular file, unreadable, far too large) reads as empty
// and is never replaced. To read or write many keys at once, use IniDocument.
#pragma once

#include <QString>

class cIniFile {
public:
    QString Section;
    QString filename;

    // value := the key's integer (leading digits after an optional minus sign;
    // no digits gives 0), or `def` when the key is missing or empty.
    bool ReadInt(const QString& key, qint32& value, qint32 def) const;
    // value := the key's text cut to 249 characters, or `def` when missing.
    bool ReadString(const QString& key, QString& value, const QString& def) const;
    bool WriteInt(const QString& key, qint32 value);
    bool WriteString(const QString& key, const QString& value);

private:
    bool ready() const { return !Section.isEmpty() && !filename.isEmpty(); }
};
