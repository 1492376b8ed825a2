// corvane-cli program --flow CC_PER_MIN [...]: the window's "Program Pump"
// (ConfigSequences::programPump, run by the session with its pauses). The
// arguments are checked first as far as they can be without the pump; the
// model's flow limits (as the editor checks the flow box) and the pump's
// timing mode once one poll has read them, before anything else is written.
// Once the pump is off, the session reads the program back when it answers
// again; only a confirmed program ends with exit status 0.
#include "clioutput.h"
#include "core/controlnames.h"
#include "editors/editorrules.h"
#include "livesession.h"
#include "protocol/configsequences.h"
#include "subcommands.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

namespace ProgramCommand {

namespace {

const char kHelp[] =
    "Usage: corvane-cli program --flow CC_PER_MIN\n"
    "           [--start \"YYYY-MM-DD HH:MM\" --stop \"YYYY-MM-DD HH:MM\"]\n"
    "           [--duration HH:MM] [--break1 HH:MM-HH:MM] [--lunch HH:MM-HH:MM]\n"
    "           [--break2 HH:MM-HH:MM] [--force] (--port PORT | --demo)\n"
    "           [--settings FILE]\n"
    "\n"
    "Reads the pump's timing setup (one poll) and programs a sampling run as the\n"
    "window's \"Program Pump\" does (same commands, same pauses; its captions on\n"
    "standard error); the pump then switches itself off to run it. The flow is\n"
    "checked against the model's limits as the window's editor does (out of range:\n"
    "\"Flow Rate is Out of Range\", exit status 2). Times the pump's timing mode\n"
    "would not send (--start/--stop in Duration mode, --duration in Start/Stop\n"
    "mode, either with timing off) are refused, naming the setup to send first;\n"
    "so is a run without the times its mode needs, and a pump whose setup locks\n"
    "programming. A pump whose status report shows it in RUN mode (sampling) is\n"
    "refused too, since programming it ends the sample, unless --force is given.\n"
    "The pump then switches itself off (\"POWER_OFF \"); polling goes on until it\n"
    "answers again (at most 30 s) and its status report (and its last pump-state\n"
    "line, for the duration) is compared with what was sent. It prints\n"
    "{\"timing\": \"off|start-stop|duration\", \"sent\": [the commands written],\n"
    "\"confirmed\": true|false, \"mismatches\": [{\"setting\": ..., \"sent\": ...,\n"
    "\"reported\": ...}]} (\"reported\" null when the pump did not answer).\n"
    "Unlike the window, it does not save the settings into corvane.INI.\n"
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
    "  --force                      program a pump that is sampling all the same\n"
    "  --port PORT, --demo, --settings FILE\n"
    "                               the pump; see corvane-cli --help\n"
    "\n"
    "Exit status: 0 done and confirmed; 2 usage error, or a flow or times the pump's\n"
    "model or setup refuses (nothing but the poll was sent); 3 no pump (also when\n"
    "the port goes away during the sequence); 5 the pump's reports do not show\n"
    "what was sent (the mismatches named), or it did not answer within 30 s.\n";

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

enum class Mode { Off, StartStop, Duration };

const char* modeName(Mode mode) {
    return mode == Mode::Off ? "off" : mode == Mode::StartStop ? "start-stop" : "duration";
}

// The pump's timing as the program sequence reads it (TimingFlag and
// DurationModeFlag, from the setup report).
Mode pumpMode(const AppState& state) {
    if (state.TimingFlag != QLatin1String("1"))
        return Mode::Off;
    return state.DurationModeFlag == QLatin1String("1") ? Mode::Duration : Mode::StartStop;
}

// Why the options do not fit the pump's timing; empty when they do. The
// window sends start and stop only in Start/Stop mode and the duration only
// in Duration mode; a time given for a mode the pump is not in would be
// dropped without a word.
QString timingRefusal(const Options& o, Mode mode) {
    const bool times = o.start.has_value();
    const bool duration = o.duration.has_value();
    switch (mode) {
    case Mode::Off:
        if (times)
            return QStringLiteral("the pump's timing routines are off: send-setup --timing "
                                  "start-stop first");
        if (duration)
            return QStringLiteral("the pump's timing routines are off: send-setup --timing "
                                  "duration first");
        return {};
    case Mode::StartStop:
        if (duration)
            return QStringLiteral("the pump's timing is Start/Stop: send-setup --timing "
                                  "duration first");
        if (!times)
            return QStringLiteral("the pump's timing is Start/Stop: give --start and --stop");
        return {};
    case Mode::Duration:
        if (times)
            return QStringLiteral("the pump's timing is Duration: send-setup --timing "
                                  "start-stop first");
        if (!duration)
            return QStringLiteral("the pump's timing is Duration: give --duration HH:MM");
        return {};
    }
    return {};
}

QString pickerTime(const QTime& t) {
    return t.toString(QStringLiteral("HH:mm")) + QStringLiteral(":00.00");
}

PauseValues pauseValues(const std::optional<Pause>& p) {
    PauseValues v; // not given: the empty-pause marker, sent as no pause
    if (p) {
        v.ticked = true;
        v.start = pickerTime(p->begin);
        v.stop = pickerTime(p->end);
    }
    return v;
}

// The program page as these options would fill it.
ProgramValues programValues(const Options& o) {
    ProgramValues v;
    v.targetFlow = QString::number(o.flow);
    if (o.start && o.stop) {
        v.startDate = o.start->date().toString(QStringLiteral("yyyyMMdd"));
        v.startTime = pickerTime(o.start->time());
        v.stopDate = o.stop->date().toString(QStringLiteral("yyyyMMdd"));
        v.stopTime = pickerTime(o.stop->time());
    }
    v.break1 = pauseValues(o.break1);
    v.lunch = pauseValues(o.lunch);
    v.break2 = pauseValues(o.break2);
    if (o.duration)
        v.durationText = QStringLiteral("%1:%2")
                             .arg(o.duration->hours, 2, 10, QLatin1Char('0'))
                             .arg(o.duration->minutes, 2, 10, QLatin1Char('0'));
    return v;
}

} // namespace

const Subcommand kSubcommand = {
    "program",
    "program --flow CC_PER_MIN [--start \"YYYY-MM-DD HH:MM\" --stop \"YYYY-MM-DD HH:MM\"]\n"
    "           [--duration HH:MM] [--break1 HH:MM-HH:MM] [--lunch HH:MM-HH:MM]\n"
    "           [--break2 HH:MM-HH:MM] [--force] (--port PORT | --demo) [--settings FILE]",
    "program --flow CC_PER_MIN [TIMES]",
    "program a sampling run as the window does",
    kHelp,
    &main};

std::optional<Options> parse(const QStringList& args, QString* error) {
    QList<OptionSpec> specs = pumpOptions();
    for (const char* name :
         {"--flow", "--start", "--stop", "--duration", "--break1", "--lunch", "--break2"})
        specs << OptionSpec{QLatin1String(name), true};
    specs << OptionSpec{QStringLiteral("--force"), false};
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
    o.force = parsed->has(QStringLiteral("--force"));

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
    return withPump(o, *parsed, error);
}

int run(const Options& options, Output& out) {
    return openThenRun(options, out, &runOn);
}

int runOn(const Options& options, LiveSession& live) {
    Output& out = live.output();
    auto refuse = [&](const QString& why) {
        out.progress(QStringLiteral("corvane-cli program: %1; nothing was sent.").arg(why));
        live.end(Exit::kUsage);
    };

    live.awaitReports([&](const LineResult& status, const LineResult& setup) {
        const AppState& state = live.state();
        // "POWER_OFF " at the end would stop the sample the pump is taking.
        if (live.session().pumpSampling() && !options.force) {
            refuse(QStringLiteral("the pump is sampling now (RUN mode) and programming it ends "
                                  "this sample; add --force to program it anyway"));
            return;
        }
        // The model's limits, as the status report set the flow spinner's.
        const auto range =
            status.changes.flowRange.value_or(std::make_pair(state.FlowMin, state.FlowMax));
        const UiChanges flowChecked =
            EditorRules::flowLeft(QString::number(options.flow), range.first, range.second);
        if (!flowChecked.messages.isEmpty()) {
            refuse(QStringLiteral("%1 (%2 cc/min; this pump takes %3 to %4)")
                       .arg(flowChecked.messages.first())
                       .arg(options.flow)
                       .arg(range.first)
                       .arg(range.second));
            return;
        }
        // The setup report locks the window's "Program Pump" button.
        if (setup.changes.facts.programmingLocked.value_or(false)) {
            refuse(QStringLiteral("the pump's setup report locks programming"));
            return;
        }
        const Mode mode = pumpMode(state);
        if (const QString why = timingRefusal(options, mode); !why.isEmpty()) {
            refuse(why);
            return;
        }
        // The duration box's text is the kept duration the sequence sends.
        AppState page = state;
        const ProgramValues values = programValues(options);
        if (options.duration)
            page.runDuration = values.durationText;
        const ConfigSequences::ProgramBuild build = ConfigSequences::programPump(values, page);
        if (!build.error.isEmpty()) {
            refuse(build.error);
            return;
        }

        // "POWER_OFF " ends the sequence and the pump falls silent, which is
        // expected: the read-back's own bound decides how long it may last.
        live.onNoPump = [] {};
        const QStringList writes = build.sequence.writes();
        const bool started = live.runSequence(build.sequence, [&live](bool completed) {
            if (!completed)
                live.end(Exit::kNoPump); // the session said why
        });
        if (!started) {
            live.end(Exit::kNoPump); // the session said why
            return;
        }
        QObject::connect(
            &live.session(), &PumpSession::readBackFinished, &live,
            [&live, &out, mode, writes](const ReadBackResult& r) {
                if (r.subject != ReadBackResult::Subject::Program || live.ending())
                    return;
                QJsonArray sent;
                for (const QString& write : writes)
                    for (const QString& command : write.split(QChar(13), Qt::SkipEmptyParts))
                        sent.append(command);
                const bool replied = r.outcome != ReadBackResult::Outcome::NoReply;
                QJsonArray mismatches;
                for (const ReadBackItem& item : replied ? r.items : ReadBack::programSent(writes))
                    if (!replied || !item.matches)
                        mismatches.append(
                            QJsonObject{{QStringLiteral("setting"), item.setting},
                                        {QStringLiteral("sent"), item.sent},
                                        {QStringLiteral("reported"),
                                         replied ? QJsonValue(item.reported) : QJsonValue()}});
                const bool confirmed = r.outcome == ReadBackResult::Outcome::Confirmed;
                out.json({{QStringLiteral("timing"), QLatin1String(modeName(mode))},
                          {QStringLiteral("sent"), sent},
                          {QStringLiteral("confirmed"), confirmed},
                          {QStringLiteral("mismatches"), mismatches}});
                live.end(confirmed ? Exit::kDone : Exit::kNotConfirmed);
            });
    });
    return live.exec();
}

int main(const QStringList& args, Output& out) {
    return parseThenRun(args, out, kSubcommand, &parse, &run);
}

} // namespace ProgramCommand
