// Log files: the capture memo kept on disk and read back, the file dialogs'
// titles and filters, and the printout's pages. A log file is the memo's
// lines as captured (each the pump's line and two blanks) ended by CR LF.
// Saving never leaves a half-written file in place of a good one, and a
// failure is reported with its reason; reading never hangs on something that
// is not a regular file and never takes in more than the memo holds.
#pragma once

#include "logs/capturememo.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace LogFiles {

inline const QString kDialogTitle = QStringLiteral("KST LOG FILES");
// The dialogs' filter lists: "|"-separated pairs of description and pattern.
inline const QString kSaveFilters = QStringLiteral("ALL Files (*.*) |  *.*   | ") +
                                    QStringLiteral(" Kst Log Files (*.csv ) |*.csv| ");
inline const QString kOpenFilters = QStringLiteral("ALL Files (*.*) |  *.*   | ") +
                                    QStringLiteral(" Kst Log Files (*.tlx ) |*.tlx| ");

// The open dialog's own addition, chosen at start: a log file is the same
// text whichever of the two suffixes it was given, and Corvane writes .csv.
inline const QString kBothLogFilesFilter = QStringLiteral("Kst Log Files (*.csv *.tlx)");

// A filter list in the form Qt's file dialogs take ("Description (*.x)"),
// and the filter chosen when the dialog opens.
struct DialogFilters {
    QStringList filters;
    QString selected;
};
// `pairs` as above; the second filter is chosen at start (the first when
// there is only one).
DialogFilters qtFilters(const QString& pairs);

// The file name offered for saving a download: "pump-SERIAL-YYYYMMDD.csv",
// or "pump-YYYYMMDD.csv" when the serial is not known. Only letters, digits,
// '-' and '_' of the serial are used, so a garbled serial never names a
// folder or a hidden file.
QString suggestedName(const QString& serial, const QDate& day);
// `path` with ".csv" added when the file name has no suffix of its own.
QString withDefaultSuffix(const QString& path);

struct Result {
    bool ok = false;
    // Why it failed, or (ok) what was left out; empty when all went well.
    QString message;
};

// Writes the memo to `path` through a temporary file that replaces the old
// one only once it is complete.
Result save(const CaptureMemo& memo, const QString& path);
// Replaces the memo's text with the file's. Only regular files are opened; a
// file that is not text is refused, one larger than the memo's budget is
// loaded as far as it fits. The memo is unchanged when it fails.
Result load(CaptureMemo& memo, const QString& path);

} // namespace LogFiles

namespace LogPrint {

constexpr int kLinesPerPage = 60;
constexpr int kPointSize = 12;

// One printed page: memo lines [first, first + count) of copy `copy` (from 0).
struct Page {
    int copy = 0;
    int first = 0;
    int count = 0;
    bool operator==(const Page& o) const {
        return copy == o.copy && first == o.first && count == o.count;
    }
};

// Every copy starts on a new page; a page holds 60 lines. Nothing to print
// gives no pages (never a blank sheet).
QList<Page> pages(int lineCount, int copies);

// The copies to print here: one where the printing system repeats what it
// is sent (CUPS makes the copies itself; two must not come out as four),
// otherwise as many as asked, at least one.
int copiesPrintedHere(bool systemMakesCopies, int copyCount);
// The distance from one printed line to the next: the font's own spacing,
// closer on paper too short for 60 lines of it, so a page never runs off.
double linePitch(double lineSpacing, double pageHeight);

} // namespace LogPrint
