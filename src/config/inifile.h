// cIniFile: reads and writes keys of corvane.INI the way the pump program's
// settings files have always been handled on Windows: "[Section]" and
// "key=value" lines, names matched without regard to case, keys with blanks
// written as they are, values unquoted. Every other line of the file, comments
// included, survives a write; the file is replaced atomically. A file that
// exists but cannot be read (or is far too large to be settings) is never
// replaced; a leading UTF-8 byte-order mark is skipped on reading and kept.
#pragma once

#include <QString>
#include <QStringList>

class cIniFile {
public:
    // Read through a 250-character buffer, so at most 249 characters come back.
    static constexpr int kMaxString = 249;

    QString Section;
    QString filename;

    // value := the key's integer (leading digits after an optional minus sign;
    // no digits gives 0), or `def` when the key is missing or empty.
    bool ReadInt(const QString& key, qint32& value, qint32 def) const;
    // value := the key's text cut to 249 characters, or `def` when missing.
    bool ReadString(const QString& key, QString& value, const QString& def) const;
    bool WriteInt(const QString& key, qint32 value);
    bool WriteString(const QString& key, const QString& value);

    // Pure helpers over file text, for the reads and writes above.
    static bool lookup(const QString& text, const QString& section, const QString& key,
                       QString* value);
    static QString withKey(const QString& text, const QString& section, const QString& key,
                           const QString& value);
    static qint32 leadingInt(const QString& text);

private:
    bool ready() const { return !Section.isEmpty() && !filename.isEmpty(); }
};
