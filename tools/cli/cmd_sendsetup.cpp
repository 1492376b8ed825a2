// corvane-cli send-setup [options]: the window's "Send Setup To Pump". The
// arguments are checked here; reading the pump's setup, the sequence and the
// read-back come with the send-setup sequence.
#include "clioutput.h"
#include "subcommands.h"

namespace SendSetupCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli send-setup [--flow-mode volumetric|stp] [--password on|off]\n"
    "           [--flow-fault on|off] [--screens on|off]\n"
    "           [--timing off|start-stop|duration] [--units english|metric]\n"
    "           [--log-rate MINUTES] (--port PORT | --demo) [--settings FILE]\n"
    "\n"
    "Reads the pump's current setup (one poll), then sends a setup as the window's\n"
    "\"Send Setup To Pump\" does (same commands, same pauses; its captions on\n"
    "standard error) and reads it back. Options left out keep the pump's current\n"
    "value. Prints {\"confirmed\": true|false, \"mismatches\": [{\"setting\": ...,\n"
    "\"sent\": ..., \"reported\": ...}]}.\n"
    "\n"
    "Not available in this build yet: the arguments are checked, nothing is sent.\n"
    "\n"
    "Options:\n"
    "  --flow-mode volumetric|stp        flow control\n"
    "  --password on|off                 keypad password\n"
    "  --flow-fault on|off               flow-fault alarm\n"
    "  --screens on|off                  start-up display screens\n"
    "  --timing off|start-stop|duration  timing routines and their mode\n"
    "  --units english|metric            unit of measurement\n"
    "  --log-rate MINUTES                history log rate, 1 to 58 (the window\n"
    "                                    sends 15 for 59 or more, so those are\n"
    "                                    refused here rather than changed)\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                                    the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 confirmed; 1 not available yet; 2 usage error; 3 no pump;\n"
    "5 the setup report does not show what was sent (the mismatches named).\n";

// "--password on" and the like: the value among `names`, by its index.
std::optional<int> choice(const ParsedArgs& args, const QString& option, const QStringList& names,
                          QString* error) {
    const int i = names.indexOf(args.value(option));
    if (i < 0)
        *error = QStringLiteral("%1 wants %2").arg(option, names.join(QStringLiteral(" or ")));
    return i < 0 ? std::nullopt : std::optional<int>(i);
}

} // namespace

const Subcommand kSubcommand = {
    "send-setup",
    "send-setup [--flow-mode volumetric|stp] [--password on|off] [--flow-fault on|off]\n"
    "           [--screens on|off] [--timing off|start-stop|duration] [--units english|metric]\n"
    "           [--log-rate MINUTES] (--port PORT | --demo) [--settings FILE]",
    "send-setup [SETUP OPTIONS]",
    "send a setup as the window does and read it back (not available yet)",
    kHelp,
    &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    for (const char* name : {"--flow-mode", "--password", "--flow-fault", "--screens", "--timing",
                             "--units", "--log-rate"})
        specs << OptionSpec{QLatin1String(name), true};
    const auto parsed = parseArgs(args, specs, error);
    if (!parsed)
        return std::nullopt;

    Options o;
    const QStringList onOff = {QStringLiteral("off"), QStringLiteral("on")};
    const struct {
        const char* option;
        QStringList names;
        std::optional<bool>* into;
    } switches[] = {
        {"--flow-mode", {QStringLiteral("volumetric"), QStringLiteral("stp")}, &o.stpFlow},
        {"--password", onOff, &o.password},
        {"--flow-fault", onOff, &o.flowFault},
        {"--screens", onOff, &o.screens},
        {"--units", {QStringLiteral("english"), QStringLiteral("metric")}, &o.metric},
    };
    for (const auto& s : switches) {
        const QString option = QLatin1String(s.option);
        if (!parsed->has(option))
            continue;
        const auto i = choice(*parsed, option, s.names, error);
        if (!i)
            return std::nullopt;
        *s.into = *i == 1;
    }
    if (parsed->has(QStringLiteral("--timing"))) {
        const auto i = choice(
            *parsed, QStringLiteral("--timing"),
            {QStringLiteral("off"), QStringLiteral("start-stop"), QStringLiteral("duration")},
            error);
        if (!i)
            return std::nullopt;
        o.timing = *i == 0 ? Timing::Off : *i == 1 ? Timing::StartStop : Timing::Duration;
    }
    if (parsed->has(QStringLiteral("--log-rate"))) {
        o.logRate = wholeNumber(parsed->value(QStringLiteral("--log-rate")), 1, 58);
        if (!o.logRate) {
            *error = QStringLiteral("--log-rate wants whole minutes from 1 to 58");
            return std::nullopt;
        }
    }
    const auto pump = parsePump(*parsed, error);
    if (!pump)
        return std::nullopt;
    o.pump = *pump;
    return o;
}

int run(const Options&, Output& out) {
    return notAvailableYet(out, kSubcommand.name);
}

int main(const QStringList& args, Output& out) {
    QString error;
    const auto options = parse(args, &error);
    return options ? run(*options, out) : usageError(out, kSubcommand, error);
}

} // namespace SendSetupCommand
