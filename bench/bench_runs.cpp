// Sampling runs of a 100,000-record history: the records read from the file's
// bytes, then split into runs and summarised (the goal: 100 ms or less for
// the summaries). The anchor, timed in the same invocation, is splitting the
// same bytes into lines, the least any reader of the file must do.
//   bench_runs [repeats] [records]
#include "eventloop.h"
#include "logs/logrecords.h"
#include "logs/runs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>

namespace {

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.isEmpty()    ? 0
           : v.size() % 2 ? v[v.size() / 2]
                          : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A history as a pump prints it: runs of a start, 40 updates, a hold, a
// stop, each between two calibrations, until `records` lines are written.
QByteArray history(int records) {
    QByteArray bytes = "LogType,Date/Time,...  \r\n";
    int written = 0;
    int minute = 0;
    const auto line = [&](const QByteArray& text) {
        bytes += text + "  \r\n";
        ++written;
    };
    while (written < records) {
        line("Calibration,12/06/2026 07:00,002000");
        line("Start Sampling,12/06/2026 08:00 ");
        for (int i = 1; i <= 40 && written < records; ++i) {
            minute += 1;
            line(QStringLiteral("Run Update,12/06/2026 08:%1,0%2,072,29.92,05.02,%3,00%4,%5,%6")
                     .arg(i % 60, 2, 10, QLatin1Char('0'))
                     .arg(90 - i % 50, 2, 10, QLatin1Char('0'))
                     .arg(i, 5, 10, QLatin1Char('0'))
                     .arg(1990 + i % 20, 4, 10, QLatin1Char('0'))
                     .arg(i * 2.0, 8, 'f', 3, QLatin1Char('0'))
                     .arg(i * 1.9, 9, 'f', 3, QLatin1Char('0'))
                     .toLatin1());
        }
        line("User Hold,12/06/2026 08:41,085,072,29.92,05.02,00040,002000,0080.000,00077.500");
        line("Stop Sampling,12/06/2026 08:42");
        line("Verify Flow,12/06/2026 08:50,002030");
    }
    return bytes + "Done ok  \r\n";
}

using bench::ms;

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int repeats = args.value(1, QStringLiteral("7")).toInt();
    const int records = args.value(2, QStringLiteral("100000")).toInt();
    QTextStream out(stdout);

    const QByteArray bytes = history(records);
    QList<double> anchor, read, split;
    qsizetype lines = 0, found = 0, runs = 0;
    for (int i = 0; i < repeats; ++i) {
        anchor << ms([&] { lines = bytes.split('\n').size(); });
        QList<LogRecord> recs;
        read << ms([&] { recs = LogRecords::fromFileBytes(bytes); });
        found = recs.size();
        split << ms([&] { runs = splitRuns(recs, QStringLiteral("x")).size(); });
    }
    const double a = median(anchor), r = median(read), s = median(split);
    out << "history: " << bytes.size() << " bytes, " << lines << " lines, " << found << " records, "
        << runs << " runs; " << repeats << " repeats, medians\n";
    out << QStringLiteral("anchor (bytes split into lines): %1 ms\n").arg(a, 0, 'f', 2);
    out << QStringLiteral("records read:                    %1 ms (%2 x anchor)\n")
               .arg(r, 0, 'f', 2)
               .arg(r / a, 0, 'f', 1);
    out << QStringLiteral("runs split and summarised:       %1 ms (%2 x anchor; goal <= 100 ms)\n")
               .arg(s, 0, 'f', 2)
               .arg(s / a, 0, 'f', 1);
    return 0;
}
