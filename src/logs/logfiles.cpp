#include "logs/logfiles.h"

#include "core/regularfile.h"
#include "core/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstring>

namespace LogFiles {

namespace {

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

Result failed(const char* what, const QString& path, const QString& why) {
    return {false, QStringLiteral("The log file %1 could not be %2: %3")
                       .arg(shownPath(path), QLatin1String(what), why)};
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Log files are the pump's printable lines with CR LF. A NUL byte, or more
// than one control character in twenty, means something else (a picture, a
// program, a file in UTF-16).
bool looksLikeText(const QByteArray& bytes) {
    qsizetype control = 0;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0)
            return false;
        if (c < 32 && c != '\r' && c != '\n' && c != '\t' && c != '\f' && c != 26)
            ++control;
    }
    return control * 20 <= bytes.size();
}

QStringList patternList(const QString& text) {
    return text.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
}

} // namespace

DialogFilters qtFilters(const QString& pairs) {
    DialogFilters out;
    const QStringList parts = pairs.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QStringList patterns = patternList(parts[i + 1]);
        if (description.isEmpty() && patterns.isEmpty())
            continue;
        // Qt takes the patterns from the parentheses that end the text; a
        // description that already ends with the same patterns is kept as it is.
        static const QRegularExpression trailing(QStringLiteral("\\(([^()]*)\\)$"));
        const QRegularExpressionMatch m = trailing.match(description);
        if (m.hasMatch() && patternList(m.captured(1)) == patterns)
            out.filters << description;
        else
            out.filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                               QLatin1Char(')');
    }
    out.selected = out.filters.value(out.filters.size() > 1 ? 1 : 0);
    return out;
}

QString suggestedName(const QString& serial, const QDate& day) {
    QString safe;
    for (const QChar c : serial)
        if ((c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('-') ||
            c == QLatin1Char('_'))
            safe += c;
    const QString date = day.toString(QStringLiteral("yyyyMMdd"));
    return safe.isEmpty() ? QStringLiteral("pump-%1.csv").arg(date)
                          : QStringLiteral("pump-%1-%2.csv").arg(safe, date);
}

QString withDefaultSuffix(const QString& path) {
    // Only the name counts: a folder called "logs.2026" gives no suffix.
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        return path;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < name.size() - 1)
        return path;
    // "pump." has no suffix either; it becomes "pump.csv", not "pump..csv".
    return path +
           (name.endsWith(QLatin1Char('.')) ? QStringLiteral("csv") : QStringLiteral(".csv"));
}

Result save(const CaptureMemo& memo, const QString& path) {
    QString why;
    if (!WholeFile::replace(path, memo.toFileBytes(), &why))
        return failed("saved", path, why);
    return {true, {}};
}

Result load(CaptureMemo& memo, const QString& path) {
    // Opened without waiting: a FIFO without a writer would otherwise block
    // here for ever.
    QFile f;
    int err = 0;
    switch (RegularFile::openForReading(path, f, &err)) {
    case RegularFile::Opened::Open:
        break;
    case RegularFile::Opened::NotRegular:
        return failed("opened", path, QStringLiteral("it is not a regular file"));
    case RegularFile::Opened::Missing:
    case RegularFile::Opened::Failed:
        return failed("opened", path, err != 0 ? systemError(err) : f.errorString());
    }
    // Every byte of a line costs the memo at least one character, so more
    // than its budget can never fit: read no further than that.
    QByteArray bytes;
    for (char chunk[64 * 1024]; bytes.size() <= CaptureMemo::kMaxChars;) {
        const qint64 n = f.read(chunk, sizeof chunk);
        if (n < 0)
            return failed("opened", path, f.errorString());
        if (n == 0)
            break;
        bytes.append(chunk, n);
    }
    if (!looksLikeText(bytes))
        return failed("opened", path, QStringLiteral("it is not a text file"));
    CaptureMemo loaded;
    const bool whole = loaded.setFromFileBytes(bytes) && bytes.size() <= CaptureMemo::kMaxChars;
    memo = loaded;
    if (whole)
        return {true, {}};
    return {true, QStringLiteral("The log file %1 is larger than the %2 MiB the screen holds: only "
                                 "its first %3 lines were loaded")
                      .arg(shownPath(path))
                      .arg(CaptureMemo::kMaxChars / (1024 * 1024))
                      .arg(loaded.lineCount())};
}

} // namespace LogFiles

namespace LogPrint {

int copiesPrintedHere(bool systemMakesCopies, int copyCount) {
    return systemMakesCopies ? 1 : std::max(1, copyCount);
}

double linePitch(double lineSpacing, double pageHeight) {
    return std::min(lineSpacing, pageHeight / kLinesPerPage);
}

QList<Page> pages(int lineCount, int copies) {
    QList<Page> out;
    if (lineCount <= 0)
        return out;
    copies = std::max(1, copies);
    for (int c = 0; c < copies; ++c)
        for (int first = 0; first < lineCount; first += kLinesPerPage)
            out.append({c, first, std::min(kLinesPerPage, lineCount - first)});
    return out;
}

} // namespace LogPrint
