// corvane-cli: command-line tools for Corvane's support staff.
#include "decodecommand.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

namespace {

const char kUsage[] = "Usage: corvane-cli decode [--metric]\n"
                      "       corvane-cli --help\n";

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
    "Exit status: 0 when the input was read to its end, 2 for a usage error.\n";

int usageError(const char* what) {
    std::fprintf(stderr, "corvane-cli: %s\n%s", what, kUsage);
    return 2;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"))) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (args.isEmpty())
        return usageError("no command given");
    if (args.first() != QLatin1String("decode"))
        return usageError("unknown command");
    bool metric = false;
    for (const QString& a : args.mid(1)) {
        if (a == QLatin1String("--metric"))
            metric = true;
        else
            return usageError("unknown option");
    }

    QFile in;
    QFile out;
    if (!in.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered) ||
        !out.open(stdout, QIODevice::WriteOnly)) {
        std::fputs("corvane-cli: cannot open standard input or output\n", stderr);
        return 1;
    }
    DecodeCommand::run(in, out, metric, QCoreApplication::applicationDirPath());
    out.flush();
    return 0;
}
