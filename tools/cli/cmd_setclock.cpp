// corvane-cli set-clock [--time "YYYY-MM-DD HH:MM"]: the window's clock
// buttons ("W16 " and "UPDATE_SYS_TIME" in one go, PumpSession::sendNow),
// confirmed by the session's clock read-back from the next status report.
#include "clioutput.h"
#include "livesession.h"
#include "protocol/pumpclock.h"
#include "subcommands.h"

#include <QJsonObject>

namespace SetClockCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli set-clock [--time \"YYYY-MM-DD HH:MM\"] (--port PORT | --demo)\n"
    "                             [--settings FILE]\n"
    "\n"
    "Sets the pump's clock as the window's clock buttons do (\"W16 \" and\n"
    "\"UPDATE_SYS_TIME\", after one poll has found the pump), then polls until the\n"
    "next status report and prints {\"sent\": \"<the 14-character argument>\",\n"
    "\"pumpClock\": \"<the pump's clock as reported, laid out the same way>\",\n"
    "\"confirmed\": true|false}. The clock counts as confirmed when the pump shows\n"
    "the minute sent or the next one; \"pumpClock\" is null when no status report\n"
    "came within 5 seconds or its clock is unreadable.\n"
    "\n"
    "Options:\n"
    "  --time \"YYYY-MM-DD HH:MM\"\n"
    "                   the clock to set, a date of 2000 to 2099 (the pump keeps a\n"
    "                   two-digit year); without it the PC's present time\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                   the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 confirmed; 2 usage error; 3 no pump (also when the port goes\n"
    "away after sending); 5 the pump's clock does not show what was sent.\n";

} // namespace

const Subcommand kSubcommand = {
    "set-clock",
    "set-clock [--time \"YYYY-MM-DD HH:MM\"] (--port PORT | --demo) [--settings FILE]",
    "set-clock [--time \"YYYY-MM-DD HH:MM\"]",
    "set the pump's clock and read it back",
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
    return withPump(o, *parsed, error);
}

int run(const Options& options, Output& out) {
    return openThenRun(options, out, &runOn);
}

int runOn(const Options& options, LiveSession& live) {
    Output& out = live.output();
    QString sent;
    QObject scope; // the handler below uses this run's locals: it goes with them
    // The read-back's own words ("Pump clock set to ...", "The pump did not
    // take the clock: ...") reach standard error as the session's notice.
    QObject::connect(&live.session(), &PumpSession::readBackFinished, &scope,
                     [&](const ReadBackResult& r) {
                         if (r.subject != ReadBackResult::Subject::Clock || live.ending())
                             return;
                         const bool confirmed = r.outcome == ReadBackResult::Outcome::Confirmed;
                         QJsonValue pumpClock; // null: no reply, or nothing readable
                         if (!r.items.isEmpty()) {
                             const QDateTime at = QDateTime::fromString(
                                 r.items.first().reported, QStringLiteral("HH:mm MM/dd/yyyy"));
                             if (at.isValid())
                                 pumpClock = PumpClock::argument(at);
                         }
                         out.json({{QStringLiteral("sent"), sent},
                                   {QStringLiteral("pumpClock"), pumpClock},
                                   {QStringLiteral("confirmed"), confirmed}});
                         live.end(confirmed ? Exit::kDone : Exit::kNotConfirmed);
                     });
    // The port lost after sending: nothing can confirm the clock, and no
    // answer from the pump is no "the pump refused it" either.
    live.onPortLost = [&live] { live.end(Exit::kNoPump); };
    // One poll first: nothing is sent unless a pump answers. Polling goes on,
    // and the read-back takes the first status report asked for afterwards.
    live.awaitReports([&](const LineResult&, const LineResult&) {
        const QDateTime at = options.time ? *options.time : QDateTime::currentDateTime();
        sent = PumpClock::argument(at);
        if (!live.session().sendNow(PumpClock::texts(at)))
            live.end(Exit::kNoPump); // the session said why
    });
    return live.exec();
}

int main(const QStringList& args, Output& out) {
    return parseThenRun(args, out, kSubcommand, &parse, &run);
}

} // namespace SetClockCommand
