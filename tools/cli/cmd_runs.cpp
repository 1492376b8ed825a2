// corvane-cli runs, export and report: a saved log file (or a download's file) read
// offline -- the sampling runs it holds, one summary each, and its records as
// a spreadsheet-safe CSV, and one run's PDF sample report. Nothing talks to a
// pump.
#include "app/samplereport.h"
#include "clioutput.h"
#include "logs/csvwriter.h"
#include "logs/logrecords.h"
#include "logs/runs.h"
#include "logs/samplearchive.h"
#include "subcommands.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

namespace {

// A pump holds at most 999 entries of under a hundred characters; a file far
// larger than that is no pump's history, and reading it whole would eat the
// machine.
constexpr qint64 kMaxFileBytes = 32 * 1024 * 1024;

// The file's bytes, or nothing and the reason on standard error.
std::optional<QByteArray> readLogFile(const QString& path, Output& out) {
    const QFileInfo info(path);
    QString why;
    QByteArray bytes;
    QFile file(path);
    if (!info.exists())
        why = QStringLiteral("no such file");
    else if (!info.isFile())
        why = QStringLiteral("not a regular file");
    else if (info.size() > kMaxFileBytes)
        why = QStringLiteral("larger than %1 MB, not a pump's history")
                  .arg(kMaxFileBytes / (1024 * 1024));
    else if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else {
        bytes = file.read(kMaxFileBytes + 1);
        if (file.error() != QFileDevice::NoError)
            why = file.errorString();
        else if (bytes.size() > kMaxFileBytes)
            why = QStringLiteral("larger than %1 MB, not a pump's history")
                      .arg(kMaxFileBytes / (1024 * 1024));
    }
    if (!why.isEmpty()) {
        out.progress(QStringLiteral("corvane-cli: %1: %2").arg(path, why));
        return std::nullopt;
    }
    return bytes;
}

// FILE, the one argument that is no option (and no option's value), taken
// out of `args`; the rest are options for parseArgs.
std::optional<QString> takeFile(QStringList& args, const QStringList& valued, QString* error) {
    std::optional<QString> file;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (valued.contains(a)) {
            ++i;
            continue;
        }
        if (a.startsWith(QLatin1Char('-')) && a != QLatin1String("-"))
            continue;
        if (file) {
            *error = QStringLiteral("one FILE only (%1 and %2)").arg(*file, a);
            return std::nullopt;
        }
        file = a;
        args.removeAt(i--);
    }
    if (!file)
        *error = QStringLiteral("FILE is missing");
    return file;
}

} // namespace

namespace RunsCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli runs FILE [--csv]\n"
    "\n"
    "Reads a saved log file (or a download's file) and prints one JSON object per\n"
    "sampling run, one a line, with the members\n"
    "  run, start, stop, end, records, sampling_minutes, volume_l, stp_volume_l,\n"
    "  average_flow_ccmin, min_flow_ccmin, max_flow_ccmin, holds, faults,\n"
    "  battery_start_pct, battery_end_pct, pre_cal_flow_ccmin,\n"
    "  post_cal_flow_ccmin, cal_difference_pct, flow_check, calibrated_volume_l,\n"
    "  source_sha256\n"
    "(numbers as JSON numbers, missing values as null). A run opens at a \"Start\n"
    "Sampling\" record and is closed by \"Stop Sampling\" (end \"stop\"), \"Power\n"
    "Off\" (\"power off\") or \"5% Shut Down\" (\"shutdown\"); another start ends it\n"
    "(\"restarted\"), the end of the file leaves it \"open\". The flow check before a\n"
    "run is the last calibration or verification since the run before; the one\n"
    "after it, the first before the next start; flow_check is pass when the two\n"
    "differ by 5.0 % or less. calibrated_volume_l = mean checked flow x minutes.\n"
    "Volumes are in litres and flows in cc/min as the pump prints them, whatever\n"
    "units the window shows. source_sha256 is the SHA-256 of the file's bytes.\n"
    "\n"
    "Options:\n"
    "  --csv   a header row and one row per run instead (RFC 4180, UTF-8; faults\n"
    "          as \"kind date\" joined by \"; \")\n"
    "\n"
    "Exit status: 0 the file was read (no runs: no output), 1 it could not be\n"
    "read, 2 usage error.\n";

struct Options {
    QString file;
    bool csv = false;
};

std::optional<Options> parse(const QStringList& given, QString* error) {
    QStringList args = given;
    const auto file = takeFile(args, {}, error);
    if (!file)
        return std::nullopt;
    const auto parsed = parseArgs(args, {{QStringLiteral("--csv"), false}}, error);
    if (!parsed)
        return std::nullopt;
    return Options{*file, parsed->has(QStringLiteral("--csv"))};
}

int run(const Options& o, Output& out) {
    const auto bytes = readLogFile(o.file, out);
    if (!bytes)
        return Exit::kFailed;
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex());
    const QList<RunSummary> runs = splitRuns(LogRecords::fromFileBytes(*bytes), sha);
    if (o.csv && !runs.isEmpty()) {
        QByteArray text = Csv::row(RunFormat::keys());
        for (const RunSummary& r : runs)
            text += Csv::row(RunFormat::csvCells(r));
        out.raw(text);
    } else if (!o.csv) {
        for (const RunSummary& r : runs)
            out.line(RunFormat::jsonLine(r));
    }
    return Exit::kDone;
}

} // namespace

int main(const QStringList& args, Output& out) {
    return parseThenRun<Options>(args, out, kSubcommand, &parse, &run);
}

const Subcommand kSubcommand = {"runs",
                                "runs FILE [--csv]",
                                "runs FILE [--csv]",
                                "the sampling runs of a log file, with their flow checks",
                                kHelp,
                                &main};

} // namespace RunsCommand

namespace ExportCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli export FILE --csv [-o OUT]\n"
    "\n"
    "Reads a saved log file (or a download's file) and writes its history records\n"
    "as CSV (RFC 4180, UTF-8, CR LF): a header row, then one row per record with\n"
    "the log table's columns (Log Number, Log Type, Date/Time, Battery,\n"
    "Temperature, BP, DP, Elapsed Mins, Flow Rate, Volume, STP Volume, in English\n"
    "units as the table shows them) and unit-free numbers: battery_pct,\n"
    "temperature_f, bp_inhg, dp_inh2o, elapsed_min, flow_ccmin, volume_l,\n"
    "stp_volume_l (the fields as the pump printed them; empty where a record has\n"
    "no such field or it holds no number). A cell beginning with = + - @ (other\n"
    "than a negative number) is written with a leading apostrophe, so a spreadsheet\n"
    "never runs it as a formula.\n"
    "\n"
    "Options:\n"
    "  --csv     the format (required; the only one for now)\n"
    "  -o OUT    write to OUT (replaced only once complete) instead of standard\n"
    "            output\n"
    "\n"
    "Exit status: 0 written, 1 FILE could not be read or OUT written, 2 usage\n"
    "error.\n";

struct Options {
    QString file;
    QString output; // empty: standard output
};

std::optional<Options> parse(const QStringList& given, QString* error) {
    QStringList args = given;
    const auto file = takeFile(args, {QStringLiteral("-o")}, error);
    if (!file)
        return std::nullopt;
    const auto parsed =
        parseArgs(args, {{QStringLiteral("--csv"), false}, {QStringLiteral("-o"), true}}, error);
    if (!parsed)
        return std::nullopt;
    if (!parsed->has(QStringLiteral("--csv"))) {
        *error = QStringLiteral("--csv is required");
        return std::nullopt;
    }
    Options o{*file, parsed->value(QStringLiteral("-o"))};
    if (parsed->has(QStringLiteral("-o")) && o.output.isEmpty()) {
        *error = QStringLiteral("-o wants a file name");
        return std::nullopt;
    }
    return o;
}

int run(const Options& o, Output& out) {
    const auto bytes = readLogFile(o.file, out);
    if (!bytes)
        return Exit::kFailed;
    QByteArray text = Csv::row(LogRecords::exportHeader());
    for (const LogRecord& r : LogRecords::fromFileBytes(*bytes))
        text += Csv::row(LogRecords::exportCells(r));
    if (o.output.isEmpty() || o.output == QLatin1String("-")) {
        out.raw(text);
        return Exit::kDone;
    }
    QSaveFile file(o.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        out.progress(QStringLiteral("corvane-cli: %1: %2").arg(o.output, file.errorString()));
        return Exit::kFailed;
    }
    return Exit::kDone;
}

} // namespace

int main(const QStringList& args, Output& out) {
    return parseThenRun<Options>(args, out, kSubcommand, &parse, &run);
}

const Subcommand kSubcommand = {"export",
                                "export FILE --csv [-o OUT]",
                                "export FILE --csv [-o OUT]",
                                "the records of a log file as CSV for a spreadsheet",
                                kHelp,
                                &main};

} // namespace ExportCommand

namespace ReportCommand {

namespace {

const char kHelp[] = "Usage: corvane-cli report FILE --run N -o OUT.pdf [--pump SERIAL]\n"
                     "\n"
                     "Writes the sample report of sampling run N of a saved log file (or a\n"
                     "download's file) as a one-page A4 PDF, the same page the window's \"Sample\n"
                     "Report...\" prints: the pump, the run's summary, its flow check in words, a\n"
                     "chart of flow and battery against elapsed minutes, the SHA-256 of FILE,\n"
                     "Corvane's version and the print date, and lines for \"Sampled by\" and\n"
                     "\"Checked by\". Runs are numbered as `corvane-cli runs FILE` prints them.\n"
                     "\n"
                     "Options:\n"
                     "  --run N         the run, from 1 (required)\n"
                     "  -o OUT          the PDF to write, replaced only once complete (required)\n"
                     "  --pump SERIAL   the pump's serial number, printed as the pump (a log file\n"
                     "                  does not name its pump)\n"
                     "\n"
                     "Exit status: 0 written, 1 FILE could not be read or OUT written, 2 usage\n"
                     "error (a run FILE does not hold included).\n";

struct Options {
    QString file;
    int run = 0;
    QString output;
    QString pump;
};

std::optional<Options> parse(const QStringList& given, QString* error) {
    QStringList args = given;
    const QStringList valued = {QStringLiteral("--run"), QStringLiteral("-o"),
                                QStringLiteral("--pump")};
    const auto file = takeFile(args, valued, error);
    if (!file)
        return std::nullopt;
    const auto parsed = parseArgs(args,
                                  {{QStringLiteral("--run"), true},
                                   {QStringLiteral("-o"), true},
                                   {QStringLiteral("--pump"), true}},
                                  error);
    if (!parsed)
        return std::nullopt;
    Options o{*file, 0, parsed->value(QStringLiteral("-o")),
              parsed->value(QStringLiteral("--pump"))};
    bool number = false;
    o.run = parsed->value(QStringLiteral("--run")).toInt(&number);
    if (!parsed->has(QStringLiteral("--run")) || !number || o.run < 1) {
        *error = QStringLiteral("--run wants a run number from 1");
        return std::nullopt;
    }
    if (o.output.isEmpty()) {
        *error = QStringLiteral("-o wants the PDF's file name");
        return std::nullopt;
    }
    return o;
}

int run(const Options& o, Output& out) {
    // Fonts and painting need a GUI application (main() makes one for this
    // command); without it Qt would abort.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        out.progress(QStringLiteral("corvane-cli: report: no graphics available"));
        return Exit::kFailed;
    }
    const auto bytes = readLogFile(o.file, out);
    if (!bytes)
        return Exit::kFailed;
    const QList<LogRecord> records = LogRecords::fromFileBytes(*bytes);
    const QList<RunSummary> runs = splitRuns(records, SampleArchive::sha256(*bytes));
    if (o.run > runs.size()) {
        out.progress(QStringLiteral("corvane-cli: report: %1 holds %2 sampling runs, not run %3")
                         .arg(o.file)
                         .arg(runs.size())
                         .arg(o.run));
        return Exit::kUsage;
    }
    SampleReportInput input;
    input.run = runs.at(o.run - 1);
    input.samples = runSamples(records, input.run);
    input.pumpSerial = o.pump;
    input.source = QFileInfo(o.file).fileName();
    input.printedAt = QDateTime::currentDateTime();
    const QString error = SampleReport::writePdf(input, o.output);
    if (!error.isEmpty()) {
        out.progress(QStringLiteral("corvane-cli: %1: %2").arg(o.output, error));
        return Exit::kFailed;
    }
    return Exit::kDone;
}

} // namespace

int main(const QStringList& args, Output& out) {
    return parseThenRun<Options>(args, out, kSubcommand, &parse, &run);
}

const Subcommand kSubcommand = {"report",
                                "report FILE --run N -o OUT.pdf [--pump SERIAL]",
                                "report FILE --run N -o OUT.pdf [--pump SERIAL]",
                                "the PDF sample report of one run of a log file",
                                kHelp,
                                &main};

} // namespace ReportCommand
