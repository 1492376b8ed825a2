// The sample report: one page a lab files with a filter -- the pump, the
// run's summary, its flow check in words, a chart of flow and battery against
// the elapsed minutes, the SHA-256 of the log it came from, and lines to sign
// for "Sampled by" and "Checked by". The window and corvane-cli paint the
// same page through this one renderer, as a PDF file or on a printer. Needs
// Qt GUI (fonts, painting) but no widgets.
#pragma once

#include "logs/runs.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QRectF;

struct SampleReportInput {
    RunSummary run;
    QList<RunSample> samples;
    QString pumpSerial; // empty: not known
    QString pumpModel;  // empty: not known
    QString source;     // the log file's name, or the archive entry it came from
    QDateTime printedAt;
};

namespace SampleReport {

// The summary's rows as the report prints them: a label and its value
// ("-" where the log holds none).
QList<QPair<QString, QString>> summaryRows(const RunSummary& run);
// "Corvane 1.0.0".
QString versionText();
// Every text the page carries, in the order it is drawn (the chart's
// numbers left out), so the window and tests can read what the page says.
QStringList texts(const SampleReportInput& input);

// Paints the report on `device` (a PDF writer or a printer, already set up),
// one page. False when painting could not start.
bool paint(QPagedPaintDevice& device, const SampleReportInput& input);
// Writes the report as an A4 PDF to `path`, replacing it only once complete.
// Empty when written, otherwise why not.
QString writePdf(const SampleReportInput& input, const QString& path);

} // namespace SampleReport
