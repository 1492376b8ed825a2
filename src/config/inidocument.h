// IniDocument: one initialisation file held in memory, so that many keys are
// read from one reading of the file and written with one atomic replace.
// "[Section]" and "key=value" lines, names matched without regard to case,
// lines starting with ';' or '#' are comments. The file is written back in
// the encoding it was read in: 8-bit (bytes kept as they are), 8-bit after a
// UTF-8 byte-order mark, or UTF-16 (either byte order) after its byte-order
// mark, as Notepad saves "Unicode". Only a regular file of at most
// kMaxFileSize bytes is read, and a save never leaves a file larger than
// that, since the next start would not read it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class IniDocument {
public:
    // A settings file is a few hundred bytes; anything far larger is not ours.
    static constexpr qint64 kMaxFileSize = 1024 * 1024;
    // Strings are read through a 250-character buffer: at most 249 come back.
    static constexpr int kMaxString = 249;

    // Reads the file at `path`; a missing file is an empty document. False,
    // with errorString(), when the file is there but is not read: not a
    // regular file, unreadable, or larger than kMaxFileSize. Such a document
    // reads as empty, and save() refuses to replace the file.
    bool load(const QString& path);

    // The key's text cut to kMaxString characters, or `def` when missing.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    // The key's integer (leading digits after an optional minus sign; no
    // digits gives 0), or `def` when the key is missing or has no text.
    qint32 readInt(const QString& section, const QString& key, qint32 def) const;

    // Replaces the key's line in the first section of that name, or adds the
    // key after the section's last key, or the section at the end of the
    // file. The key is written as given; a line end in the value becomes a
    // blank, so a value cannot break the file apart.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInt(const QString& section, const QString& key, qint32 value);

    // Writes the document to the loaded path with one atomic replace. False,
    // with errorString(), and the file left as it is, when the load failed,
    // when the result would be larger than kMaxFileSize, or when the write
    // fails.
    bool save();

    // The text of a file, as load() reads it once the file is open; and the
    // bytes save() writes, in the encoding the text was read in.
    void parse(const QByteArray& bytes);
    QByteArray bytes() const;

    // Why the last load() or save() failed, for the user; empty otherwise.
    QString errorString() const { return m_error; }

    static qint32 leadingInt(const QString& text);

private:
    enum class Encoding { Latin1, Utf8Bom, Utf16Le, Utf16Be };

    bool find(const QString& section, const QString& key, QString* value) const;

    QString m_path;
    bool m_loaded = false;
    QString m_error;
    Encoding m_encoding = Encoding::Latin1;
    QStringList m_lines; // without their line ends
    QString m_eol = QStringLiteral("\r\n");
    QByteArray m_tail; // the odd last byte of a UTF-16 file, kept as it is
};
