#include "logs/csvwriter.h"

#include "core/numbertext.h"

namespace Csv {

QString cell(const QString& text) {
    QString t = text;
    if (!t.isEmpty()) {
        const QChar first = t.front();
        const bool formula = first == QLatin1Char('=') || first == QLatin1Char('+') ||
                             first == QLatin1Char('-') || first == QLatin1Char('@') ||
                             first == QLatin1Char('\t') || first == QLatin1Char('\r');
        // A negative number stays a number for the spreadsheet; anything
        // else that a spreadsheet would run is written as text.
        const bool negativeNumber =
            first == QLatin1Char('-') && t == t.trimmed() && NumberText::parse(t);
        if (formula && !negativeNumber)
            t.prepend(QLatin1Char('\''));
    }
    const bool quote = t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) ||
                       t.contains(QLatin1Char('\r')) || t.contains(QLatin1Char('\n'));
    if (!quote)
        return t;
    t.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QByteArray row(const QStringList& cells) {
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line.append(QLatin1Char(','));
        line.append(cell(cells.at(i)));
    }
    line.append(QLatin1String("\r\n"));
    return line.toUtf8();
}

} // namespace Csv
