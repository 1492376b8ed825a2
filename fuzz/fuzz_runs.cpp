// libFuzzer target: arbitrary log files through the record reader, the run
// splitter and both renderings, and arbitrary text through the CSV writer.
// Every run summary must be a JSON object with all its members, numbered
// from 1 in order, within the records read, its flow check agreeing with its
// difference; no CSV cell may reach a spreadsheet as a formula, and undoing
// the quoting must give the cell back.
#include "core/numbertext.h"
#include "logs/csvwriter.h"
#include "logs/logrecords.h"
#include "logs/runs.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The cell as a reader sees it: quotes taken off, doubled quotes made one.
QString unquoted(const QString& written) {
    if (!written.startsWith(QLatin1Char('"')))
        return written;
    QString t = written.mid(1, written.size() - 2);
    t.replace(QLatin1String("\"\""), QLatin1String("\""));
    return t;
}

void checkCell(const QString& cell) {
    const QString read = unquoted(Csv::cell(cell));
    if (read != cell && read != QLatin1Char('\'') + cell)
        std::abort();
    if (!read.isEmpty() && QStringLiteral("=+@\t\r").contains(read.front()))
        std::abort();
    // A leading minus is left only on a plain number.
    if (read.startsWith(QLatin1Char('-')) && !(read == read.trimmed() && NumberText::parse(read)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<LogRecord> records = LogRecords::fromFileBytes(bytes);
    const QList<RunSummary> runs = splitRuns(records, QStringLiteral("x"));
    qsizetype inRuns = 0;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        const RunSummary& r = runs.at(i);
        if (r.run != i + 1 || r.records < 1)
            std::abort();
        inRuns += r.records;
        const bool known = r.calDifferencePct.has_value();
        if (known != (r.flowCheck != RunSummary::FlowCheck::Unknown))
            std::abort();
        if (known &&
            (std::fabs(*r.calDifferencePct) <= 5.0) != (r.flowCheck == RunSummary::FlowCheck::Pass))
            std::abort();
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(RunFormat::jsonLine(r), &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject() ||
            doc.object().size() != RunFormat::keys().size())
            std::abort();
        const QStringList cells = RunFormat::csvCells(r);
        if (cells.size() != RunFormat::keys().size())
            std::abort();
        for (const QString& c : cells)
            checkCell(c);
    }
    if (inRuns > records.size())
        std::abort();
    for (const LogRecord& r : records)
        for (const QString& c : LogRecords::exportCells(r))
            checkCell(c);
    // The input itself as cells.
    for (const QByteArray& part : bytes.split('\x1f'))
        checkCell(QString::fromUtf8(part));
    return 0;
}
