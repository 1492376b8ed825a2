// corvane-cli trace [--seconds N] [--raw]: the line to and from the pump while
// it is polled as the window polls it.
#include "clioutput.h"
#include "livesession.h"
#include "subcommands.h"

#include <QTimer>
#include <cmath>

namespace TraceCommand {

namespace {

const char kHelp[] = "Usage: corvane-cli trace [--seconds N] [--raw] (--port PORT | --demo)\n"
                     "                         [--settings FILE]\n"
                     "\n"
                     "Polls the pump as Corvane's window does and prints every command sent and\n"
                     "every line received, with the seconds since the start:\n"
                     "    12.034 > R99\n"
                     "    12.034 > Z99\n"
                     "    12.078 < R99 ...\n"
                     "A write holding several commands is shown one command a line; received text\n"
                     "is shown as the window assembles it into lines.\n"
                     "\n"
                     "Options:\n"
                     "  --seconds N      stop after N seconds (a decimal number above 0); without\n"
                     "                   it, trace until interrupted (SIGINT, SIGTERM)\n"
                     "  --raw            print only the bytes received, unchanged: a trace that\n"
                     "                   `corvane-cli decode` reads\n"
                     "  --port PORT, --demo, --settings FILE\n"
                     "                   the pump; see corvane-cli --help\n"
                     "\n"
                     "Exit status: 0 at the end of the time or when interrupted; 2 usage error;\n"
                     "3 the port cannot be opened, or no status report in answer to the polls\n"
                     "(\"No Pump Found\", about 7 s): the trace ends there.\n";

// QTimer counts in int milliseconds: about 24 days.
constexpr double kMaxSeconds = 2000000;

} // namespace

const Subcommand kSubcommand = {
    "trace",
    "trace [--seconds N] [--raw] (--port PORT | --demo) [--settings FILE]",
    "trace [--seconds N] [--raw]",
    "every line sent to and received from the pump, time-stamped (or the raw bytes)",
    kHelp,
    &main};

QByteArray stamped(double seconds, char arrow, const QByteArray& text) {
    return QByteArray::number(seconds, 'f', 3) + ' ' + arrow + ' ' + text;
}

std::optional<Options> parse(const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    specs << OptionSpec{QStringLiteral("--seconds"), true}
          << OptionSpec{QStringLiteral("--raw"), false};
    const auto parsed = parseArgs(args, specs, error);
    if (!parsed)
        return std::nullopt;
    Options o;
    o.raw = parsed->has(QStringLiteral("--raw"));
    if (parsed->has(QStringLiteral("--seconds"))) {
        bool ok = false;
        const QString text = parsed->value(QStringLiteral("--seconds"));
        const double s = text.toDouble(&ok);
        if (!ok || !std::isfinite(s) || s <= 0 || s > kMaxSeconds || text.contains('e') ||
            text.contains('E') || std::llround(s * 1000) < 1) {
            *error = QStringLiteral("--seconds wants a number of seconds above 0, up to %1")
                         .arg(kMaxSeconds, 0, 'f', 0);
            return std::nullopt;
        }
        o.ms = std::llround(s * 1000);
    }
    return withPump(o, *parsed, error);
}

int run(const Options& options, Output& out) {
    LiveSession live(options.pump, out);
    if (!live.open())
        return Exit::kNoPump;
    if (options.raw) {
        live.onTraced([&out](char direction, const QByteArray& bytes) {
            if (direction == 'R')
                out.raw(bytes);
        });
    } else {
        live.onTraced([&](char direction, const QByteArray& bytes) {
            if (direction != 'T')
                return;
            // One write may hold several commands ("R99" CR "Z99" CR).
            const double at = live.elapsedSeconds();
            QList<QByteArray> commands = bytes.split('\r');
            if (commands.size() > 1 && commands.last().isEmpty())
                commands.removeLast();
            for (const QByteArray& command : commands)
                out.line(stamped(at, '>', command));
        });
        live.onLine([&](const LineResult& r) {
            out.line(stamped(live.elapsedSeconds(), '<', r.line.toLatin1()));
        });
    }
    live.onInterrupt = [&live](int) { live.endNow(Exit::kDone); };
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, &live, [&live] { live.end(Exit::kDone); });
    if (options.ms > 0)
        stop.start(int(options.ms));
    live.startPolling();
    return live.exec();
}

int main(const QStringList& args, Output& out) {
    return parseThenRun(args, out, kSubcommand, &parse, &run);
}

} // namespace TraceCommand
