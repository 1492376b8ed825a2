// corvane-cli program --flow CC_PER_MIN [...]: the window's "Program Pump".
// The arguments are checked here as far as they can be without the pump; its
// flow limits and timing mode, and the sequence, come with the program-pump
// sequence.
#include "clioutput.h"
#include "subcommands.h"

#include <QRegularExpression>

namespace ProgramCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli program --flow CC_PER_MIN\n"
    "           [--start \"YYYY-MM-DD HH:MM\" --stop \"YYYY-MM-DD HH:MM\"]\n"
    "           [--duration HH:MM] [--break1 HH:MM-HH:MM] [--lunch HH:MM-HH:MM]\n"
    "           [--break2 HH:MM-HH:MM] (--port PORT | --demo) [--settings FILE]\n"
    "\n"
    "Reads the pump's timing setup (one poll) and programs a sampling run as the\n"
    "window's \"Program Pump\" does (same commands, same pauses; its captions on\n"
    "standard error); the pump then switches itself off to run it. The flow is\n"
    "checked against the model's limits as the window's editor does (out of range:\n"
    "\"Flow Rate is Out of Range\", exit status 2). Times the pump's timing mode\n"
    "would not send (--start/--stop in Duration mode, --duration in Start/Stop\n"
    "mode, either with timing off) are refused, naming the setup to send first.\n"
    "\n"
    "Not available in this build yet: the arguments are checked, nothing is sent.\n"
    "\n"
    "Options:\n"
    "  --flow CC_PER_MIN            target flow, whole cc/min (required)\n"
    "  --start, --stop \"YYYY-MM-DD HH:MM\"\n"
    "                               the run's start and stop (together; the stop\n"
    "                               after the start; years 2000 to 2099)\n"
    "  --duration HH:MM             the run's length, 00:01 to 99:59\n"
    "  --break1, --lunch, --break2 HH:MM-HH:MM\n"
    "                               the pauses, begin to end (equal times are\n"
    "                               allowed). A pause cannot begin at 12:00: the\n"
    "                               window reads that time as no pause.\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                               the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 done; 1 not available yet; 2 usage error (or a flow or times\n"
    "the pump's setup refuses); 3 no pump.\n";

// "HH:MM-HH:MM": a pause from begin to end, as the window's pause pickers.
std::optional<Pause> pause(const QString& option, const QString& text, QString* error) {
    const int dash = text.indexOf(QLatin1Char('-'));
    const auto begin = timeOfDay(text.left(dash));
    const auto end = timeOfDay(text.mid(dash + 1));
    if (dash < 0 || !begin || !end) {
        *error = QStringLiteral("%1 wants HH:MM-HH:MM").arg(option);
        return std::nullopt;
    }
    if (*end < *begin) {
        *error = QStringLiteral("%1: Stop Time must be greater then Start").arg(option);
        return std::nullopt;
    }
    // The window sends a pause whose begin reads 12:00:00.00 as "no pause";
    // one given here must not vanish that way.
    if (*begin == QTime(12, 0)) {
        *error = QStringLiteral("%1: a pause cannot begin at 12:00, which the pump program "
                                "takes for no pause; begin it at 11:59 or 12:01")
                     .arg(option);
        return std::nullopt;
    }
    return Pause{*begin, *end};
}

} // namespace

const Subcommand kSubcommand = {
    "program",
    "program --flow CC_PER_MIN [--start \"YYYY-MM-DD HH:MM\" --stop \"YYYY-MM-DD HH:MM\"]\n"
    "           [--duration HH:MM] [--break1 HH:MM-HH:MM] [--lunch HH:MM-HH:MM]\n"
    "           [--break2 HH:MM-HH:MM] (--port PORT | --demo) [--settings FILE]",
    "program --flow CC_PER_MIN [TIMES]",
    "program a sampling run as the window does (not available yet)",
    kHelp,
    &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    for (const char* name :
         {"--flow", "--start", "--stop", "--duration", "--break1", "--lunch", "--break2"})
        specs << OptionSpec{QLatin1String(name), true};
    const auto parsed = parseArgs(args, specs, error);
    if (!parsed)
        return std::nullopt;

    Options o;
    if (!parsed->has(QStringLiteral("--flow"))) {
        *error = QStringLiteral("--flow CC_PER_MIN is required");
        return std::nullopt;
    }
    const auto flow = wholeNumber(parsed->value(QStringLiteral("--flow")), 1, 99999);
    if (!flow) {
        *error = QStringLiteral("--flow wants whole cc/min, 1 to 99999");
        return std::nullopt;
    }
    o.flow = *flow;

    const bool start = parsed->has(QStringLiteral("--start"));
    const bool stop = parsed->has(QStringLiteral("--stop"));
    if (start != stop) {
        *error = QStringLiteral("--start and --stop go together");
        return std::nullopt;
    }
    if (start) {
        o.start = pumpDateTime(parsed->value(QStringLiteral("--start")));
        o.stop = pumpDateTime(parsed->value(QStringLiteral("--stop")));
        if (!o.start || !o.stop) {
            *error = QStringLiteral("%1 wants \"YYYY-MM-DD HH:MM\", a date and time that exist, "
                                    "in 2000 to 2099")
                         .arg(o.start ? QStringLiteral("--stop") : QStringLiteral("--start"));
            return std::nullopt;
        }
        if (*o.stop <= *o.start) {
            *error = QStringLiteral("--stop must be later than --start");
            return std::nullopt;
        }
    }
    if (parsed->has(QStringLiteral("--duration"))) {
        if (start) {
            *error = QStringLiteral("--start/--stop and --duration exclude each other: the pump "
                                    "times a run either by start and stop or by duration");
            return std::nullopt;
        }
        static const QRegularExpression form(QStringLiteral("^(\\d{2}):([0-5]\\d)$"));
        const auto m = form.match(parsed->value(QStringLiteral("--duration")));
        if (!m.hasMatch() || (m.captured(1).toInt() == 0 && m.captured(2).toInt() == 0)) {
            *error = QStringLiteral("--duration wants HH:MM, 00:01 to 99:59");
            return std::nullopt;
        }
        o.duration = Duration{m.captured(1).toInt(), m.captured(2).toInt()};
    }
    const struct {
        const char* option;
        std::optional<Pause>* into;
    } pauses[] = {{"--break1", &o.break1}, {"--lunch", &o.lunch}, {"--break2", &o.break2}};
    for (const auto& p : pauses) {
        const QString option = QLatin1String(p.option);
        if (!parsed->has(option))
            continue;
        *p.into = pause(option, parsed->value(option), error);
        if (!*p.into)
            return std::nullopt;
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

} // namespace ProgramCommand
