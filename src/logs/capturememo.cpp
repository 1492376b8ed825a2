#include "logs/capturememo.h"

#include <algorithm>

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
    // Empty lines put in front of a far position cost their bookkeeping too.
    const qsizetype added = position > m_lines.size() ? position - m_lines.size() : 0;
    const qsizetype used = m_used - old + lineText.size() + added * kLineCost;
    if (used > kMaxChars)
        return false;
    while (m_lines.size() < position)
        m_lines.append(QString());
    m_used = used;
    m_lines[position - 1] = lineText;
    return true;
}

QString CaptureMemo::line(int n) const {
    return n >= 1 && n <= m_lines.size() ? m_lines[n - 1] : QString();
}

void CaptureMemo::emptyLine(int n) {
    if (n >= 1 && n <= m_lines.size()) {
        m_used -= m_lines[n - 1].size();
        m_lines[n - 1].clear();
    }
}

void CaptureMemo::clear() {
    m_lines.clear();
    m_used = 0;
}

QByteArray CaptureMemo::toFileBytes() const {
    QByteArray out;
    out.reserve(m_used);
    for (const QString& l : m_lines) {
        out += l.toLatin1();
        out += "\r\n";
    }
    return out;
}

bool CaptureMemo::setFromFileBytes(const QByteArray& bytes) {
    clear();
    QString current;
    bool pendingCr = false;
    bool full = false;
    auto finish = [&] {
        if (m_used + current.size() + kLineCost <= kMaxChars) {
            m_used += current.size() + kLineCost;
            m_lines.append(current);
        } else {
            full = true;
        }
        current.clear();
    };
    for (const char c : bytes) {
        if (full)
            return false;
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
        } else if (current.size() < kMaxChars) {
            current.append(QLatin1Char(c));
        }
    }
    if (!current.isEmpty() && !full)
        finish();
    return !full;
}

void CaptureMemo::truncate(int n) {
    n = std::max(0, n);
    while (m_lines.size() > n) {
        m_used -= m_lines.last().size() + kLineCost;
        m_lines.removeLast();
    }
}
