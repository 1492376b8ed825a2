// The log table's format string: column titles separated by "|" before ";",
// a leading "<" aligning every column left, and after ";" the titles of the
// fixed first column, row by row.
#pragma once

#include <QStringList>

struct GridFormat {
    bool alignLeft = false;
    QStringList columnTitles; // from column 0; none when nothing stands before ";"
    QStringList rowTitles;    // from row 0; absent when there is no ";"

    static GridFormat parse(const QString& format);
};
