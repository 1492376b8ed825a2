#include "config/inifile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace {

// A settings file is a few hundred bytes; anything far larger is not ours.
constexpr qint64 kMaxFileSize = 1024 * 1024;

// The file's text; a missing file reads as empty. False when the file exists
// but cannot be read, so a write never replaces what it could not see.
bool readText(const QString& path, QString* text) {
    text->clear();
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // Read at most one byte past the limit, so a device or a pipe posing as
    // the settings file cannot make the read endless or unbounded.
    const QByteArray bytes = f.read(kMaxFileSize + 1);
    if (bytes.size() > kMaxFileSize || f.error() != QFileDevice::NoError)
        return false;
    // Latin-1 maps every byte to one character and back, so bytes we do not
    // understand (another code page, UTF-8 comments) survive a write unchanged.
    *text = QString::fromLatin1(bytes);
    return true;
}

QString readText(const QString& path) {
    QString text;
    readText(path, &text);
    return text;
}

// "[Name]" -> Name, or a null string when the line is no section header.
QString sectionName(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

bool isComment(const QString& line) {
    const QString t = line.trimmed();
    return t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'));
}

// Splits "key=value"; false for lines that hold no key.
bool splitKey(const QString& line, QString* key, QString* value) {
    if (isComment(line))
        return false;
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    *key = line.left(eq).trimmed();
    if (value)
        *value = line.mid(eq + 1).trimmed();
    return !key->isEmpty();
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A file saved by a text editor as UTF-8 may begin with a byte-order mark,
// which would otherwise hide the first section header.
const QString kBom = QStringLiteral("\u00EF\u00BB\u00BF");

QString withoutBom(const QString& text) {
    return text.startsWith(kBom) ? text.mid(3) : text;
}

} // namespace

bool cIniFile::lookup(const QString& text, const QString& section, const QString& key,
                      QString* value) {
    bool inSection = false;
    for (const QString& raw : withoutBom(text).split(QLatin1Char('\n'))) {
        const QString line = raw.endsWith(QLatin1Char('\r')) ? raw.chopped(1) : raw;
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = same(name, section);
            continue;
        }
        QString k, v;
        if (inSection && splitKey(line, &k, &v) && same(k, key)) {
            *value = v;
            return true;
        }
    }
    return false;
}

QString cIniFile::withKey(const QString& fileText, const QString& section, const QString& key,
                          const QString& value) {
    const QString bom = fileText.startsWith(kBom) ? kBom : QString();
    const QString text = withoutBom(fileText);
    const QString eol = text.contains(QLatin1String("\r\n")) || text.isEmpty()
                            ? QStringLiteral("\r\n")
                            : QStringLiteral("\n");
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the text's final line end

    const QString entry = key + QLatin1Char('=') + value;
    int sectionAt = -1;
    int lastKeyAt = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (!name.isNull()) {
            if (sectionAt >= 0)
                break; // past the end of our section
            if (same(name, section)) {
                sectionAt = i;
                lastKeyAt = i;
            }
            continue;
        }
        if (sectionAt < 0)
            continue;
        QString k;
        if (splitKey(lines[i], &k, nullptr)) {
            if (same(k, key)) {
                lines[i] = entry;
                return bom + lines.join(eol) + eol;
            }
            lastKeyAt = i;
        }
    }
    if (sectionAt >= 0) {
        lines.insert(lastKeyAt + 1, entry);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(entry);
    }
    return bom + lines.join(eol) + eol;
}

qint32 cIniFile::leadingInt(const QString& text) {
    int i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == QLatin1Char('-')) {
        negative = true;
        ++i;
    }
    qint64 v = 0;
    for (; i < text.size() && text[i].isDigit() && text[i].unicode() < 128; ++i) {
        v = v * 10 + (text[i].unicode() - '0');
        if (v > 2147483648LL)
            v = 2147483648LL; // saturate rather than wrap
    }
    if (negative)
        v = -v;
    return static_cast<qint32>(std::clamp<qint64>(v, INT32_MIN, INT32_MAX));
}

bool cIniFile::ReadInt(const QString& key, qint32& value, qint32 def) const {
    if (!ready())
        return false;
    QString text;
    if (!lookup(readText(filename), Section, key, &text) || text.isEmpty())
        value = def;
    else
        value = leadingInt(text);
    return true;
}

bool cIniFile::ReadString(const QString& key, QString& value, const QString& def) const {
    if (!ready())
        return false;
    QString text;
    value = lookup(readText(filename), Section, key, &text) ? text.left(kMaxString) : def;
    return true;
}

bool cIniFile::WriteInt(const QString& key, qint32 value) {
    return WriteString(key, QString::number(value));
}

bool cIniFile::WriteString(const QString& key, const QString& value) {
    if (!ready())
        return false;
    // A line end inside a value would break the file apart.
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QString old;
    if (!readText(filename, &old))
        return false;
    const QString text = withKey(old, Section, key, clean);
    QSaveFile f(filename);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(text.toLatin1()) < 0)
        return false;
    return f.commit();
}
