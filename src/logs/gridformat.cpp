#include "logs/gridformat.h"

GridFormat GridFormat::parse(const QString& format) {
    GridFormat g;
    const int semi = format.indexOf(QLatin1Char(';'));
    QString columns = semi < 0 ? format : format.left(semi);
    if (columns.startsWith(QLatin1Char('<'))) {
        g.alignLeft = true;
        columns.remove(0, 1);
    }
    // ";Log Number |1 |2 |" sets only the fixed first column: with nothing
    // before ";" the column titles and alignment stay as they are.
    if (g.alignLeft || !columns.isEmpty())
        g.columnTitles = columns.split(QLatin1Char('|'));
    if (semi >= 0)
        g.rowTitles = format.mid(semi + 1).split(QLatin1Char('|'));
    return g;
}
