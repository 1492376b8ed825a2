// The sample report of the longest run a pump can hold (one start, 997
// updates, one stop: 999 entries), written as a PDF file (the goal: 1 s or
// less). The anchor, timed in the same invocation, is reading the same
// file's records and splitting them into runs, the work before any report.
//   bench_report [repeats]
#include "app/samplereport.h"
#include "eventloop.h"
#include "logs/logrecords.h"
#include "logs/samplearchive.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

namespace {

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty()    ? 0
           : v.size() % 2 ? v[v.size() / 2]
                          : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

QByteArray history() {
    QByteArray bytes = "LogType,Date/Time,...  \r\nCalibration,12/06/2026 07:00,002000  \r\n"
                       "Start Sampling,12/06/2026 08:00   \r\n";
    for (int i = 1; i <= 997; ++i)
        bytes += QStringLiteral("Run Update,12/06/2026 08:%1,0%2,072,29.92,05.02,%3,00%4,%5,%6  "
                                "\r\n")
                     .arg(i % 60, 2, 10, QLatin1Char('0'))
                     .arg(95 - i / 20, 2, 10, QLatin1Char('0'))
                     .arg(i, 5, 10, QLatin1Char('0'))
                     .arg(1980 + (i * 7) % 40, 4, 10, QLatin1Char('0'))
                     .arg(i * 2.0, 8, 'f', 3, QLatin1Char('0'))
                     .arg(i * 1.9, 9, 'f', 3, QLatin1Char('0'))
                     .toLatin1();
    return bytes + "Stop Sampling,12/06/2026 09:00  \r\nVerify Flow,12/06/2026 09:10,002030  \r\n"
                   "Done ok  \r\n";
}

using bench::ms;

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int repeats = QCoreApplication::arguments().value(1, QStringLiteral("7")).toInt();
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));

    const QByteArray bytes = history();
    QList<double> anchor, report;
    SampleReportInput input;
    QString error;
    for (int i = 0; i < repeats; ++i) {
        QList<LogRecord> records;
        QList<RunSummary> runs;
        anchor << ms([&] {
            records = LogRecords::fromFileBytes(bytes);
            runs = splitRuns(records, SampleArchive::sha256(bytes));
        });
        input.run = runs.value(0);
        input.samples = runSamples(records, input.run);
        input.printedAt = QDateTime::currentDateTime();
        report << ms([&] { error = SampleReport::writePdf(input, pdf); });
    }
    if (!error.isEmpty()) {
        out << "report not written: " << error << "\n";
        return 1;
    }
    const double a = median(anchor), r = median(report);
    out << "run of " << input.run.records << " records, " << input.samples.size()
        << " chart points; PDF " << QFileInfo(pdf).size() << " bytes; " << repeats
        << " repeats, medians\n";
    out << QStringLiteral("anchor (records read, runs split): %1 ms\n").arg(a, 0, 'f', 2);
    out << QStringLiteral(
               "report written as PDF:             %1 ms (%2 x anchor; goal <= 1000 ms)\n")
               .arg(r, 0, 'f', 2)
               .arg(r / a, 0, 'f', 1);
    return 0;
}
