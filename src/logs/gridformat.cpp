#include "logs/gridformat.h"

GridFormat GridFormat::parse(const QString& format) {
    GridFormat g;
    const int semi = format.indexOf(QLatin1Char(';'));
    QString columns = semi < 0 ? format : format.left(semi);
    if (columns.startsWith(QLatin1Char('<'))) {
        g.alignLeft = true;
        columns.remove(0, 1);
    }
    g.columnTitles = columns.split(QLatin1Char('|'));
    if (semi >= 0)
        g.rowTitles = format.mid(semi + 1).split(QLatin1Char('|'));
    return g;
}
