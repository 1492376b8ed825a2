#include "logs/capturememo.h"

#include <QFile>
#include <QSaveFile>

namespace {
QString withoutLineEnd(QString text) {
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}
} // namespace

bool CaptureMemo::writeAt(int position, const QString& text) {
    if (position < 1)
        return false;
    const QString lineText = withoutLineEnd(text);
    const qsizetype old = position <= m_lines.size() ? m_lines[position - 1].size() : 0;
    if (m_chars - old + lineText.size() > kMaxChars)
        return false;
    // Padding lines are empty, so they cost nothing in characters.
    if (position > m_lines.size() + kMaxChars)
        return false;
    while (m_lines.size() < position)
        m_lines.append(QString());
    m_chars += lineText.size() - old;
    m_lines[position - 1] = lineText;
    return true;
}

QString CaptureMemo::line(int n) const {
    return n >= 1 && n <= m_lines.size() ? m_lines[n - 1] : QString();
}

void CaptureMemo::emptyLine(int n) {
    if (n >= 1 && n <= m_lines.size()) {
        m_chars -= m_lines[n - 1].size();
        m_lines[n - 1].clear();
    }
}

void CaptureMemo::clear() {
    m_lines.clear();
    m_chars = 0;
}

QByteArray CaptureMemo::toFileBytes() const {
    QByteArray out;
    out.reserve(m_chars + 2 * m_lines.size());
    for (const QString& l : m_lines) {
        out += l.toLatin1();
        out += "\r\n";
    }
    return out;
}

void CaptureMemo::setFromFileBytes(const QByteArray& bytes) {
    clear();
    QString current;
    bool pendingCr = false;
    auto finish = [&] {
        if (m_chars + current.size() <= kMaxChars) {
            m_chars += current.size();
            m_lines.append(current);
        }
        current.clear();
    };
    for (const char c : bytes) {
        if (c == '\n') {
            if (!pendingCr)
                finish();
            pendingCr = false;
            continue;
        }
        pendingCr = false;
        if (c == '\r') {
            finish();
            pendingCr = true;
        } else {
            current.append(QLatin1Char(c));
        }
    }
    if (!current.isEmpty())
        finish();
}

bool CaptureMemo::save(const QString& path, QString* error) const {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(toFileBytes()) < 0 || !f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool CaptureMemo::load(const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    // A log file is a few hundred kilobytes; refuse to read anything absurd.
    if (f.size() > kMaxChars * 2) {
        if (error)
            *error = QStringLiteral("file too large");
        return false;
    }
    setFromFileBytes(f.readAll());
    return true;
}
