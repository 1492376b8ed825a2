// corvane-cli send-setup [options]: the window's "Send Setup To Pump"
// (ConfigSequences::sendSetup, run by the session with its pauses), with the
// values the options give and the pump's present ones for the rest, then the
// session's read-back of the setup.
#include "clioutput.h"
#include "livesession.h"
#include "protocol/configsequences.h"
#include "protocol/readback.h"
#include "status/pumpreports.h"
#include "subcommands.h"

#include <QJsonArray>
#include <QJsonObject>

namespace SendSetupCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli send-setup [--flow-mode volumetric|stp] [--password on|off]\n"
    "           [--flow-fault on|off] [--screens on|off]\n"
    "           [--timing off|start-stop|duration] [--units english|metric]\n"
    "           [--log-rate MINUTES] (--port PORT | --demo) [--settings FILE]\n"
    "\n"
    "Reads the pump's current setup (one poll), then sends a setup as the window's\n"
    "\"Send Setup To Pump\" does (same commands, same pauses, about 11 seconds; its\n"
    "captions and closing message on standard error) and reads it back from the\n"
    "next setup and status reports. Options left out keep the pump's current\n"
    "value (refused when the pump's report shows nothing readable for it). Prints\n"
    "{\"confirmed\": true|false, \"mismatches\": [{\"setting\": ..., \"sent\": ...,\n"
    "\"reported\": ...}]} (\"reported\" null when no reports came within 5 s).\n"
    "Unlike the window, it does not save the settings into corvane.INI.\n"
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
    "Exit status: 0 confirmed; 2 usage error (nothing sent); 3 no pump (also when\n"
    "the port goes away during or after the sequence); 5 the reports do not show what was\n"
    "sent (the mismatches named), or no reports came.\n";

// "--password on" and the like: the value among `names`, by its index.
std::optional<int> choice(const ParsedArgs& args, const QString& option, const QStringList& names,
                          QString* error) {
    const int i = names.indexOf(args.value(option));
    if (i < 0)
        *error = QStringLiteral("%1 wants %2").arg(option, names.join(QStringLiteral(" or ")));
    return i < 0 ? std::nullopt : std::optional<int>(i);
}

// One on/off setting: the option when given, otherwise what the pump's
// setup report shows (the switch's "G" choice is true); the option to ask for
// when the report shows neither.
struct Kept {
    std::optional<bool> value;
    QString missing;
};
Kept keep(const std::optional<bool>& given, const SetupReport& present, Switch s,
          const char* option) {
    if (given)
        return {given, {}};
    if (const auto on = present.isOn(s))
        return {*on, {}};
    return {std::nullopt, QStringLiteral("the pump's setup report shows nothing readable for %1: "
                                         "give %2")
                              .arg(QLatin1String(setupSwitch(s).setting), QLatin1String(option))};
}

std::optional<bool> inverted(const std::optional<bool>& v) {
    return v ? std::optional<bool>(!*v) : std::nullopt;
}

// The values the page would hold: the options, the pump's own for the rest,
// read from its reports as the read-back will read them after the send.
// Empty `error`: complete.
SetupValues setupValues(const Options& o, const SetupReport& present, const StatusReport& status,
                        QString* error) {
    SetupValues v;
    QStringList missing;
    auto take = [&](bool& into, const Kept& k) {
        if (k.value)
            into = *k.value;
        else
            missing << k.missing;
    };
    // The switches' "G" choices: S.T.P. flow, English units, Duration mode.
    bool stp = false, english = false;
    take(stp, keep(o.stpFlow, present, Switch::FlowMode, "--flow-mode"));
    v.volumetric = !stp;
    take(v.password, keep(o.password, present, Switch::Password, "--password"));
    take(v.flowFault, keep(o.flowFault, present, Switch::FlowFault, "--flow-fault"));
    take(v.startScreens, keep(o.screens, present, Switch::StartScreens, "--screens"));
    take(english, keep(inverted(o.metric), present, Switch::Units, "--units"));
    v.metric = !english;

    if (o.timing) {
        v.timing = *o.timing != Timing::Off;
        v.startStop = *o.timing == Timing::StartStop;
    } else {
        bool timing = false;
        const Kept on = keep(std::nullopt, present, Switch::Timing, "--timing");
        take(timing, on);
        v.timing = timing;
        bool duration = false;
        if (on.value && timing) {
            take(duration, keep(std::nullopt, present, Switch::TimingMode, "--timing"));
            v.startStop = !duration;
        }
    }

    if (o.logRate) {
        v.logRate = QString::number(*o.logRate);
    } else {
        const auto rate = status.logRate();
        const QString reported = rate ? QString::number(*rate) : QString();
        bool number = false;
        const int whole = reported.toInt(&number);
        if (!number)
            missing << QStringLiteral("the pump's status report shows nothing readable for its "
                                      "log rate: give --log-rate");
        else if (ConfigSequences::logRateSent(reported) != reported)
            missing << QStringLiteral("the pump reports a log rate of %1 minutes, which the setup "
                                      "would send as %2: give --log-rate")
                           .arg(whole)
                           .arg(ConfigSequences::logRateSent(reported));
        else
            v.logRate = reported;
    }
    *error = missing.join(QStringLiteral("; "));
    return v;
}

QJsonObject mismatch(const ReadBackItem& item, bool replied) {
    return {{QStringLiteral("setting"), item.setting},
            {QStringLiteral("sent"), item.sent},
            {QStringLiteral("reported"), replied ? QJsonValue(item.reported) : QJsonValue()}};
}

} // namespace

const Subcommand kSubcommand = {
    "send-setup",
    "send-setup [--flow-mode volumetric|stp] [--password on|off] [--flow-fault on|off]\n"
    "           [--screens on|off] [--timing off|start-stop|duration] [--units english|metric]\n"
    "           [--log-rate MINUTES] (--port PORT | --demo) [--settings FILE]",
    "send-setup [SETUP OPTIONS]",
    "send a setup as the window does and read it back",
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
    return withPump(o, *parsed, error);
}

int run(const Options& options, Output& out) {
    return openThenRun(options, out, &runOn);
}

int runOn(const Options& options, LiveSession& live) {
    Output& out = live.output();
    QList<ReadBackItem> sent;
    QObject scope; // the handler below uses this run's locals: it goes with them
    // The session reads the setup back once the sequence has completed and
    // polling has resumed; its words go to standard error as its notice.
    QObject::connect(&live.session(), &PumpSession::readBackFinished, &scope,
                     [&](const ReadBackResult& r) {
                         if (r.subject != ReadBackResult::Subject::Setup || live.ending())
                             return;
                         const bool replied = r.outcome != ReadBackResult::Outcome::NoReply;
                         QJsonArray mismatches;
                         for (const ReadBackItem& item : replied ? r.items : sent)
                             if (!replied || !item.matches)
                                 mismatches.append(mismatch(item, replied));
                         const bool confirmed = r.outcome == ReadBackResult::Outcome::Confirmed;
                         out.json({{QStringLiteral("confirmed"), confirmed},
                                   {QStringLiteral("mismatches"), mismatches}});
                         live.end(confirmed ? Exit::kDone : Exit::kNotConfirmed);
                     });

    // The port lost during or after the sequence: no read-back can confirm
    // the setup, and no answer is no refusal by the pump.
    live.onPortLost = [&live] { live.end(Exit::kNoPump); };
    live.awaitReports([&](const LineResult& status, const LineResult& setup) {
        QString missing;
        const SetupValues values = setupValues(options, parseSetupReport(setup.line),
                                               parseStatusReport(status.line), &missing);
        if (!missing.isEmpty()) {
            out.progress(
                QStringLiteral("corvane-cli send-setup: %1; nothing was sent.").arg(missing));
            live.end(Exit::kUsage);
            return;
        }
        // The sequence's settings save is the window's: corvane.INI is not
        // written from here (the session's saveSettingsRequested goes unheard).
        const Sequence sequence = ConfigSequences::sendSetup(values);
        sent = ReadBack::setupSent(sequence.writes());
        const bool started = live.runSequence(sequence, [&live](bool completed) {
            // Stopped: the port went away under it (the session said so), or
            // an interruption, which has ended the run already.
            if (!completed)
                live.end(Exit::kNoPump);
        });
        if (!started)
            live.end(Exit::kNoPump); // the session said why
    });
    return live.exec();
}

int main(const QStringList& args, Output& out) {
    return parseThenRun(args, out, kSubcommand, &parse, &run);
}

} // namespace SendSetupCommand
