// corvane-cli erase-logs --yes / clear-sampling-data --yes: the window's
// "Erase Logs" and "Clear Sampling Data in Pump" buttons. Without --yes
// nothing is opened or sent.
#include "clioutput.h"
#include "core/controlnames.h"
#include "livesession.h"
#include "protocol/commands.h"
#include "subcommands.h"

namespace EraseCommand {

namespace {

const char kLogsHelp[] =
    "Usage: corvane-cli erase-logs --yes (--port PORT | --demo) [--settings FILE]\n"
    "\n"
    "Erases every history log held in the pump, as the window's \"Erase Logs\"\n"
    "button does (\"LOG_INIT\" CR). The pump is polled first, so nothing is sent\n"
    "unless a pump answers. Prints {\"sent\": \"LOG_INIT\"} once the command went out.\n"
    "\n"
    "Options:\n"
    "  --yes            required: without it nothing is sent (exit status 2)\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                   the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 sent; 2 usage error or no --yes; 3 no pump (the port cannot be\n"
    "opened, or no status report in answer to the polls, about 7 s).\n";

const char kSamplingHelp[] =
    "Usage: corvane-cli clear-sampling-data --yes (--port PORT | --demo)\n"
    "                                       [--settings FILE]\n"
    "\n"
    "Clears the sampling data held in the pump (run time, volumes), as the window's\n"
    "\"Clear Sampling Data in Pump\" button does (\"CLEAR_ALL\" CR). The pump is\n"
    "polled first: nothing is sent unless a pump answers, nor while it samples\n"
    "(\"Pump cann't be in RUN Mode\", exit status 2). Prints\n"
    "{\"sent\": \"CLEAR_ALL\"} once the command went out.\n"
    "\n"
    "Options:\n"
    "  --yes            required: without it nothing is sent (exit status 2)\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                   the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 sent; 2 usage error, no --yes, or the pump is sampling; 3 no\n"
    "pump (the port cannot be opened, or no status report in answer to the polls,\n"
    "about 7 s).\n";

// The control whose enabling the status decoder sets while the pump runs.
const QString kClearButton = Control::kClearSamplingDataButton;

const Subcommand& subcommandFor(What what) {
    return what == What::Logs ? kLogs : kSamplingData;
}

} // namespace

const Subcommand kLogs = {
    "erase-logs",       "erase-logs --yes (--port PORT | --demo) [--settings FILE]",
    "erase-logs --yes", "erase the history logs in the pump (\"LOG_INIT\")",
    kLogsHelp,          &mainLogs};
const Subcommand kSamplingData = {
    "clear-sampling-data",
    "clear-sampling-data --yes (--port PORT | --demo) [--settings FILE]",
    "clear-sampling-data --yes",
    "clear the sampling data in the pump (\"CLEAR_ALL\")",
    kSamplingHelp,
    &mainSamplingData};

std::optional<Options> parse(What what, const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    specs << OptionSpec{QStringLiteral("--yes"), false};
    const auto parsed = parseArgs(args, specs, error);
    if (!parsed)
        return std::nullopt;
    Options o;
    o.what = what;
    o.yes = parsed->has(QStringLiteral("--yes"));
    return withPump(o, *parsed, error);
}

int run(const Options& options, Output& out) {
    const bool logs = options.what == What::Logs;
    const char* name = subcommandFor(options.what).name;
    if (!options.yes) {
        out.progress(QStringLiteral("corvane-cli %1: %2 cannot be undone, so it needs --yes; "
                                    "nothing was sent.")
                         .arg(QLatin1String(name),
                              logs ? QStringLiteral("erasing the pump's history logs")
                                   : QStringLiteral("clearing the pump's sampling data")));
        return Exit::kUsage;
    }
    LiveSession live(options.pump, out);
    if (!live.open())
        return Exit::kNoPump;
    live.awaitReports([&](const LineResult& status, const LineResult&) {
        // The window's button is locked while the pump samples; so is this.
        if (!logs && status.changes.facts.running.value_or(false)) {
            out.progress(QStringLiteral("corvane-cli %1: %2; nothing was sent.")
                             .arg(QLatin1String(name), status.changes.tooltip.value(kClearButton)));
            live.end(Exit::kUsage);
            return;
        }
        live.session().stopPolling();
        const QString command = logs ? Commands::logInit() : Commands::clearAll();
        if (!live.session().sendNow({command})) {
            live.end(Exit::kNoPump); // the reason is on standard error
            return;
        }
        live.endAfterWrites([&out, command](bool allOut) {
            if (!allOut) {
                out.progress(QStringLiteral("The command did not reach the port in time."));
                return Exit::kNoPump;
            }
            out.json({{QStringLiteral("sent"), command.trimmed()}});
            return Exit::kDone;
        });
    });
    return live.exec();
}

int mainLogs(const QStringList& args, Output& out) {
    QString error;
    const auto options = parse(What::Logs, args, &error);
    return options ? run(*options, out) : usageError(out, kLogs, error);
}

int mainSamplingData(const QStringList& args, Output& out) {
    QString error;
    const auto options = parse(What::SamplingData, args, &error);
    return options ? run(*options, out) : usageError(out, kSamplingData, error);
}

} // namespace EraseCommand
