// corvane-cli decode: a captured trace or saved log file, line by line, as the
// window would handle it (DecodeCommand does the work).
#include "clioutput.h"
#include "decodecommand.h"
#include "subcommands.h"

#include <QCoreApplication>
#include <QFile>

namespace DecodeCommandLine {

namespace {

const char kHelp[] =
    "Usage: corvane-cli decode [--metric]\n"
    "\n"
    "decode  Reads a captured pump trace or a saved log file on standard input and\n"
    "        prints, for every line, what Corvane's window would do with it. The\n"
    "        window's own line handling, decoders and shared values are used, with\n"
    "        no serial port and no window.\n"
    "\n"
    "Input:  a line ends at CR, LF or CR LF; characters outside 32-126 are dropped\n"
    "        and empty lines are skipped. Text after the last line end is not a\n"
    "        complete line and is not decoded. Decoding starts as a freshly started\n"
    "        window with no settings file: English units (metric with --metric),\n"
    "        spinner bounds 800-5000, no firmware file, model captions \"No Pump\n"
    "        Currently Attached\"; log capture is on at row 1, as if \"PRI\" had just\n"
    "        been received, and then follows the usual capture rules.\n"
    "\n"
    "Output: one JSON object per input line (JSON Lines, UTF-8) with members\n"
    "        line     the line as assembled\n"
    "        kind     status (R99), setup (Z99), state (P01), log, log-title,\n"
    "                 log-end or other\n"
    "        text, visible, enabled, tooltip, color, date, time\n"
    "                 the window elements the line wrote, by objectName\n"
    "                 (Label3_27, fpDateTime4_0); colours as \"#rrggbb\"\n"
    "        range    {\"UpDown1\": [min, max]} when the spinner bounds were set\n"
    "        values   shared values written, as text (serialNumber, logCount,\n"
    "                 FirmwareFile, UnitsFlag, TimingFlag, runStartDate, ...)\n"
    "        row, cells  for a log line: the table row and its cells by column\n"
    "        Members with nothing in them are left out.\n"
    "\n"
    "Options:\n"
    "  --metric  start in metric units (millimetres, degrees Celsius)\n"
    "  --help    show this text\n"
    "\n"
    "Exit status: 0 when the input was read to its end and every line written; 1\n"
    "when reading the input or writing the output failed (the reason on standard\n"
    "error); 2 for a usage error.\n";

} // namespace

const Subcommand kSubcommand = {
    "decode",
    "decode [--metric]",
    "decode [--metric]",
    "decode a captured trace or a saved log file (standard input) as the window would",
    kHelp,
    &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    const auto parsed = parseArgs(args, {{QStringLiteral("--metric"), false}}, error);
    if (!parsed)
        return std::nullopt;
    Options o;
    o.metric = parsed->has(QStringLiteral("--metric"));
    return o;
}

int main(const QStringList& args, Output& out) {
    QString error;
    const auto options = parse(args, &error);
    if (!options)
        return usageError(out, kSubcommand, error);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        out.progress(QStringLiteral("corvane-cli: cannot open standard input"));
        return 1;
    }
    const QString readError = DecodeCommand::run(
        in, [&out](const QByteArray& lines) { return out.putOut(lines); }, options->metric,
        QCoreApplication::applicationDirPath());
    if (!readError.isEmpty()) {
        out.progress(QStringLiteral("corvane-cli decode: ") + readError);
        return Exit::kFailed;
    }
    // A failed write to standard output is reported by main().
    return out.outFailed() ? Exit::kFailed : Exit::kDone;
}

} // namespace DecodeCommandLine
