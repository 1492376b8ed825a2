// The text behind the capture memo fpMemo1: captured pump lines, one per line
// position, as they will be saved to a log file. The widget only shows it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class CaptureMemo {
public:
    // A runaway capture (a pump or cable spewing lines) must not eat the
    // machine: writes that would pass this budget are refused. Each line is
    // charged its characters plus kLineCost for its own bookkeeping, so a
    // flood of empty lines is bounded as well as a flood of long ones.
    static constexpr qsizetype kMaxChars = 16 * 1024 * 1024;
    static constexpr qsizetype kLineCost = 32;

    // The text (a captured line, two blanks, CR, LF) becomes line `position`
    // (1-based); missing lines before it are left empty. False when refused.
    bool writeAt(int position, const QString& text);

    int lineCount() const { return static_cast<int>(m_lines.size()); }
    // Line n, 1-based, without its line end; empty past the end.
    QString line(int n) const;
    void emptyLine(int n);
    void clear();

    // Each line ended by CR LF, nothing else.
    QByteArray toFileBytes() const;
    // The file's content replaces the memo's text; CR LF, LF or CR end a line.
    // Past the budget the rest of the file is left out, never a line between;
    // false when something was left out.
    bool setFromFileBytes(const QByteArray& bytes);
    const QStringList& lines() const { return m_lines; }
    // Keeps the first n lines (a download shorter than what the memo held
    // before it must not leave the older lines behind its own).
    void truncate(int n);

private:
    QStringList m_lines;
    qsizetype m_used = 0; // characters + kLineCost per line
};
