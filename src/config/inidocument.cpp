#include "config/inidocument.h"

#include "core/regularfile.h"
#include "core/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");
const QByteArray kUtf16LeBom = QByteArrayLiteral("\xFF\xFE");
const QByteArray kUtf16BeBom = QByteArrayLiteral("\xFE\xFF");

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString notRegularFile(const QString& path) {
    return QStringLiteral("%1 is not a regular file, so it is neither read nor replaced.")
        .arg(shown(path));
}

QString cannotRead(const QString& path, const QString& why) {
    return QStringLiteral("%1 cannot be read (%2), so it is not replaced.").arg(shown(path), why);
}

enum class Opened { Missing, Open, Refused };

// Opens the settings file for reading, and only a regular file. An ordinary
// open of a FIFO waits for a writer that may never come, which would hang the
// start before the program could be stopped cleanly; opening a device (a
// serial port, say) can change its lines. So the type is checked first by
// name, then again on what was opened, in case another file was put in its
// place in between.
Opened openRegular(const QString& path, QFile* file, QString* error) {
    const QFileInfo info(path);
    if (!info.exists())
        return Opened::Missing;
    if (!info.isFile()) {
        *error = notRegularFile(path);
        return Opened::Refused;
    }
    int err = 0;
    switch (RegularFile::openForReading(path, *file, &err)) {
    case RegularFile::Opened::Open:
        return Opened::Open;
    case RegularFile::Opened::Missing:
        return Opened::Missing;
    case RegularFile::Opened::NotRegular:
        *error = notRegularFile(path);
        return Opened::Refused;
    case RegularFile::Opened::Failed:
        break;
    }
    *error = cannotRead(path, err != 0 ? qt_error_string(err) : file->errorString());
    return Opened::Refused;
}

// UTF-16 code units to characters one for one (and back), so that whatever
// the file holds, unpaired surrogates included, is written back as read.
QString fromUtf16(const QByteArray& bytes, bool bigEndian) {
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto first = uchar(bytes[2 * i]), second = uchar(bytes[2 * i + 1]);
        text[i] = QChar(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return text;
}

QByteArray toUtf16(const QString& text, bool bigEndian) {
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char high = char(text[i].unicode() >> 8), low = char(text[i].unicode() & 0xFF);
        bytes[2 * i] = bigEndian ? high : low;
        bytes[2 * i + 1] = bigEndian ? low : high;
    }
    return bytes;
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
    const qsizetype eq = line.indexOf(QLatin1Char('='));
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

} // namespace

bool IniDocument::load(const QString& path) {
    *this = IniDocument();
    m_path = path;
    if (path.isEmpty()) {
        m_error = QStringLiteral("No settings file is named.");
        return false;
    }
    QFile file;
    switch (openRegular(path, &file, &m_error)) {
    case Opened::Missing:
        m_loaded = true;
        return true;
    case Opened::Refused:
        return false;
    case Opened::Open:
        break;
    }
    // One byte past the limit tells a file that is too large.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        m_error = cannotRead(path, file.errorString());
        return false;
    }
    if (bytes.size() > kMaxFileSize) {
        m_error = QStringLiteral("%1 is larger than 1 MiB, too large to be a settings file, so it "
                                 "is neither read nor replaced.")
                      .arg(shown(path));
        return false;
    }

    parse(bytes);
    return true;
}

void IniDocument::parse(const QByteArray& bytes) {
    m_tail.clear();
    m_eol = QStringLiteral("\r\n");
    QString text;
    if (bytes.startsWith(kUtf16LeBom) || bytes.startsWith(kUtf16BeBom)) {
        const bool bigEndian = bytes.startsWith(kUtf16BeBom);
        m_encoding = bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le;
        const QByteArray units = bytes.mid(2);
        text = fromUtf16(units, bigEndian);
        // An 8-bit write into the file can have left an odd byte count.
        if (units.size() % 2 != 0)
            m_tail = units.right(1);
    } else {
        // Latin-1 maps every byte to one character and back, so bytes we do
        // not understand (another code page, UTF-8 comments) survive a save.
        // A UTF-8 byte-order mark would hide the first section header.
        const bool bom = bytes.startsWith(kUtf8Bom);
        m_encoding = bom ? Encoding::Utf8Bom : Encoding::Latin1;
        text = QString::fromLatin1(bom ? bytes.mid(kUtf8Bom.size()) : bytes);
    }
    if (!text.isEmpty() && !text.contains(QLatin1String("\r\n")))
        m_eol = QStringLiteral("\n");
    m_lines = text.split(QLatin1Char('\n'));
    for (QString& line : m_lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast(); // the text's final line end
    m_loaded = true;
}

bool IniDocument::find(const QString& section, const QString& key, QString* value) const {
    bool inSection = false;
    for (const QString& line : m_lines) {
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

QString IniDocument::readString(const QString& section, const QString& key,
                                const QString& def) const {
    QString text;
    return find(section, key, &text) ? text.left(kMaxString) : def;
}

qint32 IniDocument::readInt(const QString& section, const QString& key, qint32 def) const {
    QString text;
    if (!find(section, key, &text) || text.isEmpty())
        return def;
    return leadingInt(text);
}

void IniDocument::writeString(const QString& section, const QString& key, const QString& value) {
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString entry = key + QLatin1Char('=') + clean;
    qsizetype sectionAt = -1;
    qsizetype lastKeyAt = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString name = sectionName(m_lines[i]);
        if (!name.isNull()) {
            if (sectionAt >= 0)
                break; // past the end of our section
            if (same(name, section)) {
                sectionAt = i;
                lastKeyAt = i;
            }
            continue;
        }
        QString k;
        if (sectionAt >= 0 && splitKey(m_lines[i], &k, nullptr)) {
            if (same(k, key)) {
                m_lines[i] = entry;
                return;
            }
            lastKeyAt = i;
        }
    }
    if (sectionAt >= 0) {
        m_lines.insert(lastKeyAt + 1, entry);
        return;
    }
    if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
        m_lines.append(QString());
    m_lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
    m_lines.append(entry);
}

void IniDocument::writeInt(const QString& section, const QString& key, qint32 value) {
    writeString(section, key, QString::number(value));
}

QByteArray IniDocument::bytes() const {
    const QString text = m_lines.join(m_eol) + m_eol;
    QByteArray bytes;
    switch (m_encoding) {
    case Encoding::Latin1:
        bytes = text.toLatin1();
        break;
    case Encoding::Utf8Bom:
        bytes = kUtf8Bom + text.toLatin1();
        break;
    case Encoding::Utf16Le:
        bytes = kUtf16LeBom + toUtf16(text, false) + m_tail;
        break;
    case Encoding::Utf16Be:
        bytes = kUtf16BeBom + toUtf16(text, true) + m_tail;
        break;
    }
    return bytes;
}

bool IniDocument::save() {
    if (!m_loaded) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("No settings file was read.");
        return false;
    }
    const QByteArray bytes = this->bytes();
    if (bytes.size() > kMaxFileSize) {
        m_error = QStringLiteral("Saving would make %1 larger than 1 MiB, too large to be read at "
                                 "the next start, so it was left as it is.")
                      .arg(shown(m_path));
        return false;
    }
    // The old file stays, byte for byte, unless the new one is wholly on
    // disk: a full disk must not cost the user the port mapping.
    QString why;
    if (!WholeFile::replace(m_path, bytes, &why)) {
        m_error = QStringLiteral("%1 cannot be written (%2).").arg(shown(m_path), why);
        return false;
    }
    m_error.clear();
    return true;
}

qint32 IniDocument::leadingInt(const QString& text) {
    qsizetype i = 0;
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
