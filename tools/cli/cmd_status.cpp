// corvane-cli status [--watch]: the pump's status and setup reports, polled as
// the window polls them and printed as `corvane-cli decode` prints those lines.
#include "clioutput.h"
#include "decodecommand.h"
#include "livesession.h"
#include "subcommands.h"

namespace StatusCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli status [--watch] (--port PORT | --demo) [--settings FILE]\n"
    "\n"
    "Polls the pump as Corvane's window does (\"R99\" CR \"Z99\" CR, one request at\n"
    "once and then one a second) and prints the first status report and the first\n"
    "setup report it answers with, each as the JSON object `corvane-cli decode`\n"
    "prints for that line (same members; decoding starts from a fresh state, as a\n"
    "window just started). A status report's object also has \"fields\": its values\n"
    "by name (\"serial\", \"model\", \"battery_pct\", \"flow_ccmin\",\n"
    "\"target_flow_ccmin\", \"temperature_f\", \"barometric_inhg\", \"log_count\",\n"
    "\"run_state\" above 400 while the pump samples, \"pump_clock\", ...), numbers as\n"
    "JSON numbers.\n"
    "\n"
    "Options:\n"
    "  --watch          go on printing every status and setup report, until\n"
    "                   interrupted (SIGINT, SIGTERM: exit status 0)\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                   the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 done; 2 usage error; 3 no pump: the port cannot be opened (the\n"
    "reason, as the window's status bar words it, on standard error), no status\n"
    "report in answer to the polls (\"No Pump Found\", about 7 s; with --watch also\n"
    "a pump that falls silent later), or no setup report within 7 s.\n";

// What decode prints for the line; a status report also its named values.
QJsonObject printed(const LineResult& r) {
    QJsonObject o = DecodeCommand::toJson(r);
    if (r.kind == LineResult::Kind::Status)
        o.insert(QStringLiteral("fields"), DecodeCommand::statusFields(r.line));
    return o;
}

} // namespace

const Subcommand kSubcommand = {"status",
                                "status [--watch] (--port PORT | --demo) [--settings FILE]",
                                "status [--watch]",
                                "the pump's status and setup reports, as decode prints them",
                                kHelp,
                                &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    specs << OptionSpec{QStringLiteral("--watch"), false};
    const auto parsed = parseArgs(args, specs, error);
    if (!parsed)
        return std::nullopt;
    Options o;
    o.watch = parsed->has(QStringLiteral("--watch"));
    return withPump(o, *parsed, error);
}

int run(const Options& options, Output& out) {
    LiveSession live(options.pump, out);
    if (!live.open())
        return Exit::kNoPump;
    if (options.watch) {
        live.onInterrupt = [&live](int) { live.endNow(Exit::kDone); };
        live.onLine([&out](const LineResult& r) {
            if (r.kind == LineResult::Kind::Status || r.kind == LineResult::Kind::Setup)
                out.json(printed(r));
        });
        live.startPolling();
    } else {
        live.awaitReports([&](const LineResult& status, const LineResult& setup) {
            out.json(printed(status));
            out.json(DecodeCommand::toJson(setup));
            live.end(Exit::kDone);
        });
    }
    return live.exec();
}

int main(const QStringList& args, Output& out) {
    return parseThenRun(args, out, kSubcommand, &parse, &run);
}

} // namespace StatusCommand
