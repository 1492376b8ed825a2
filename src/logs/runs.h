// Sampling runs cut out of a pump's history: from a "Start Sampling" record
// to the record that closes it, with what a lab needs of each run -- the
// sampled time and volume, the flow checked before and after it, and whether
// those two agree within 5 %. One pass over the records, no widgets; the
// command line prints the summaries and a report can reuse them.
#pragma once

#include "logs/logdecoder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct RunFault {
    QString kind; // the title as the table shows it, trimmed
    QString at;   // its date text, trimmed
};

struct RunSummary {
    enum class End { Stop, PowerOff, Shutdown, Restarted, Open };
    enum class FlowCheck { Pass, Fail, Unknown };

    int run = 0; // 1-based
    QString start;
    std::optional<QString> stop; // none when restarted or still open
    End end = End::Open;
    int records = 0; // start and closer included
    std::optional<double> samplingMinutes;
    std::optional<double> volumeL;
    std::optional<double> stpVolumeL;
    std::optional<double> averageFlowCcMin;
    std::optional<double> minFlowCcMin;
    std::optional<double> maxFlowCcMin;
    int holds = 0;
    QList<RunFault> faults;
    std::optional<double> batteryStartPct;
    std::optional<double> batteryEndPct;
    std::optional<double> preCalFlowCcMin;
    std::optional<double> postCalFlowCcMin;
    std::optional<double> calDifferencePct;
    FlowCheck flowCheck = FlowCheck::Unknown;
    std::optional<double> calibratedVolumeL;
    QString sourceSha256;
    // Where the run stands in the records it was cut from: the indexes of
    // its first ("Start Sampling") and last record.
    qsizetype firstRecord = 0;
    qsizetype lastRecord = 0;
};

// One point of a run's chart: a sampling record that carries the elapsed
// minutes, with the readings it holds (each missing where the pump printed
// none or no number).
struct RunSample {
    double elapsedMin = 0;
    std::optional<double> flowCcMin;
    std::optional<double> batteryPct;
    std::optional<double> temperatureF;
    std::optional<double> bpInHg;
    std::optional<double> dpInH2O;
};

// The runs in `records` (in the order the pump printed them), each stamped
// with `sourceSha256`, the hash of the bytes the records came from.
QList<RunSummary> splitRuns(const QList<LogRecord>& records, const QString& sourceSha256 = {});

// The chart points of `run`, taken from the same `records` splitRuns cut it
// from, in the pump's order; the same records its figures are read from.
QList<RunSample> runSamples(const QList<LogRecord>& records, const RunSummary& run);

namespace RunFormat {
// The members, in the order JSON and CSV give them.
const QStringList& keys();
// One JSON object on one line (no line end); numbers as JSON numbers,
// missing values as null.
QByteArray jsonLine(const RunSummary& run);
// The CSV cells of a run, in keys() order; missing values empty, faults as
// "kind at" joined by "; ".
QStringList csvCells(const RunSummary& run);
// The flow check in words for the technician: the verdict, then the two
// flows and their difference ("pass: post 2010 vs pre 2000 cc/min, +0.5 %")
// or why it cannot be judged ("unknown: no flow check after the run").
QString flowCheckWords(const RunSummary& run);
// A number as JSON and CSV write it: shortest text that reads back the same.
QString number(double value);
// `value` rounded to `decimals` places, halves away from zero, taken as the
// decimal it stands for (2.675 to two places is 2.68).
double rounded(double value, int decimals);
} // namespace RunFormat
