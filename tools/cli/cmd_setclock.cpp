// corvane-cli set-clock [--time "YYYY-MM-DD HH:MM"]: the window's clock
// buttons. The arguments are checked here; sending and reading the clock back
// come with the clock sequence.
#include "clioutput.h"
#include "subcommands.h"

namespace SetClockCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli set-clock [--time \"YYYY-MM-DD HH:MM\"] (--port PORT | --demo)\n"
    "                             [--settings FILE]\n"
    "\n"
    "Sets the pump's clock as the window's clock buttons do (\"W16 \" and\n"
    "\"UPDATE_SYS_TIME\"), then polls until the next status report and prints\n"
    "{\"sent\": \"<the 14-character argument>\", \"pumpClock\": \"<as reported>\",\n"
    "\"confirmed\": true|false}.\n"
    "\n"
    "Not available in this build yet: the arguments are checked, nothing is sent.\n"
    "\n"
    "Options:\n"
    "  --time \"YYYY-MM-DD HH:MM\"\n"
    "                   the clock to set, a date of 2000 to 2099 (the pump keeps a\n"
    "                   two-digit year); without it the PC's present time\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                   the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 confirmed; 1 not available yet; 2 usage error; 3 no pump;\n"
    "5 the pump's clock does not show what was sent.\n";

} // namespace

const Subcommand kSubcommand = {
    "set-clock",
    "set-clock [--time \"YYYY-MM-DD HH:MM\"] (--port PORT | --demo) [--settings FILE]",
    "set-clock [--time \"YYYY-MM-DD HH:MM\"]",
    "set the pump's clock and read it back (not available yet)",
    kHelp,
    &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    specs << OptionSpec{QStringLiteral("--time"), true};
    const auto parsed = parseArgs(args, specs, error);
    if (!parsed)
        return std::nullopt;
    Options o;
    if (parsed->has(QStringLiteral("--time"))) {
        o.time = pumpDateTime(parsed->value(QStringLiteral("--time")));
        if (!o.time) {
            *error = QStringLiteral("--time wants \"YYYY-MM-DD HH:MM\", a date and time that "
                                    "exist, in 2000 to 2099");
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

} // namespace SetClockCommand
