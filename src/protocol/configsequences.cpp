#include "protocol/configsequences.h"

#include "core/controlnames.h"
#include "editors/editorrules.h"
#include "protocol/commands.h"
#include "status/numberformat.h"
#include "status/pumpreports.h"

#include <cmath>

namespace ConfigSequences {

namespace {

constexpr int kLogRateLimit = 59;
const QString kDefaultLogRate = QStringLiteral("15");

UiChanges shown(const QString& name, bool on) {
    UiChanges c;
    c.visible.insert(name, on);
    return c;
}

bool timingActive(const AppState& state) {
    return state.TimingFlag == QLatin1String("1");
}
bool durationMode(const AppState& state) {
    return state.DurationModeFlag == QLatin1String("1");
}

// Minute, hour, day, month, year of a picker value as one sortable text.
QString minuteKey(const QString& date, const QString& time) {
    return date.left(8) + time.left(2) + time.mid(3, 2);
}

} // namespace

QString logRateSent(const QString& text) {
    const auto rate = NumberFormat::parseNumber(text);
    if (!rate || *rate >= kLogRateLimit)
        return kDefaultLogRate;
    return text;
}

Sequence sendSetup(const SetupValues& v) {
    Sequence s;
    s.name = kSendSetup;
    s.frame = Control::kSetupProgressFrame;
    s.bar = Control::kSetupProgressBar;

    UiChanges start = shown(s.frame, true);
    start.text.insert(Control::kSetupReadBack, QString());
    s << Step::change(start) << Step::caption(QStringLiteral("Sending Setup to Pump"))
      << Step::change(shown(s.bar, true)) << Step::bar(0) << Step::wait(1);

    s << Step::write(Commands::stpFlow(!v.volumetric))
      << Step::caption(v.volumetric ? QStringLiteral("Sending Volumetric Flow Mode")
                                    : QStringLiteral("Sending S.T.P. Flow Mode"))
      << Step::bar(10) << Step::wait(1);

    s << Step::write(Commands::password(v.password))
      << Step::caption(v.password ? QStringLiteral("Sending Password On")
                                  : QStringLiteral("Sending Password Off"))
      << Step::bar(20) << Step::wait(1);

    s << Step::write(Commands::flowFault(v.flowFault))
      << Step::caption(v.flowFault ? QStringLiteral("Sending Flow Fault On")
                                   : QStringLiteral("Sending Flow Fault Off"))
      << Step::wait(1) << Step::bar(30);

    s << Step::write(Commands::startScreens(v.startScreens))
      << Step::caption(v.startScreens ? QStringLiteral("Sending Start Munu On")
                                      : QStringLiteral("Sending Start Munu Off"))
      << Step::wait(1) << Step::bar(40);

    s << Step::write(Commands::timing(v.timing));
    if (v.timing) {
        const bool duration = !v.startStop;
        s << Step::caption(QStringLiteral("Sending Timming to Pump")) << Step::wait(1)
          << Step::write(Commands::durationMode(duration))
          << Step::caption(duration ? QStringLiteral("Sending Duration Mode")
                                    : QStringLiteral("Sending Start/Stop Mode"))
          << Step::bar(50) << Step::wait(1);
    }

    s << Step::bar(65) << Step::wait(1);

    s << Step::write(v.metric ? Commands::metricUnits() : Commands::englishUnits())
      << Step::caption(v.metric ? QStringLiteral("Sending Metric Mode")
                                : QStringLiteral("Sending English Mode"));

    s << Step::bar(90) << Step::wait(1);

    const QString rate = logRateSent(v.logRate);
    if (rate != v.logRate) {
        UiChanges box;
        box.text.insert(Control::kLogRateBox, rate);
        s << Step::change(box);
    }
    s << Step::write(Commands::logRate(rate)) << Step::write(Commands::updateLogType())
      << Step::caption(QStringLiteral("Sending Log Rate of ") + rate);

    s << Step::wait(1) << Step::bar(100) << Step::wait(1);
    s << Step::caption(kSetupDone) << Step::saveSettings() << Step::message(kSetupDone);
    s << Step::change(shown(s.frame, false)) << Step::bar(0);
    return s;
}

PumpSetup setupFromReports(const SetupReport& setup, const StatusReport& status,
                           const SetupValues& page) {
    PumpSetup out;
    SetupValues& v = out.values;
    v = page;
    if (setup.line().isEmpty() || status.line().isEmpty()) {
        out.text =
            QStringLiteral("No report from the pump yet: the setup choices are as they were");
        return out;
    }
    // Each page choice as its switch's "G" choice: S.T.P. flow, English
    // units and Duration mode are the "G" writes of their switches.
    const struct {
        Switch s;
        bool* choice;
        bool gIsTrue;
    } choices[] = {
        {Switch::FlowMode, &v.volumetric, false}, {Switch::Password, &v.password, true},
        {Switch::FlowFault, &v.flowFault, true},  {Switch::StartScreens, &v.startScreens, true},
        {Switch::Timing, &v.timing, true},        {Switch::TimingMode, &v.startStop, false},
        {Switch::Units, &v.metric, false},
    };
    for (const auto& c : choices) {
        if (c.s == Switch::TimingMode && !v.timing)
            continue;
        if (const auto on = setup.isOn(c.s))
            *c.choice = *on == c.gIsTrue;
        else
            out.kept << QLatin1String(setupSwitch(c.s).setting);
    }
    const auto rate = status.logRate();
    const QString rateText = rate ? QString::number(*rate) : QString();
    if (rate && *rate == std::floor(*rate) && *rate >= 1 && logRateSent(rateText) == rateText)
        v.logRate = rateText;
    else
        out.kept << QStringLiteral("Log rate");

    if (out.kept.isEmpty()) {
        out.text = QStringLiteral("Setup choices taken from the pump");
    } else {
        out.text = QStringLiteral("Setup choices taken from the pump, but for: ") +
                   out.kept.join(QStringLiteral(", ")) +
                   QStringLiteral(" (nothing usable reported)");
    }
    return out;
}

QString dateTimeArgument(const QString& date, const QString& time) {
    // Picker texts are fixed-width: cut the fields by position.
    return time.mid(3, 2) + QLatin1Char(' ') + time.left(2) + QLatin1Char(' ') + date.mid(6, 2) +
           QLatin1Char(' ') + date.mid(4, 2) + QLatin1Char(' ') + date.mid(2, 2);
}

QString pauseAtNoon(const QString& pauseName) {
    return QStringLiteral("%1: a pause cannot begin at 12:00, which the pump program takes for "
                          "no pause; begin it at 11:59 or 12:01")
        .arg(pauseName);
}

QString pauseArgument(const PauseValues& pause) {
    if (!pause.ticked || pause.start == EditorRules::kEmptyPause)
        return Commands::kDateTimeNotInUse;
    return pause.start.mid(3, 2) + QLatin1Char(' ') + pause.start.left(2) + QLatin1Char(' ') +
           pause.stop.mid(3, 2) + QLatin1Char(' ') + pause.stop.left(2);
}

std::optional<QString> durationArgument(const QString& kept, const QString& boxText) {
    // A kept value the editor converted already is whole digits.
    bool allDigits = !kept.isEmpty() && kept.size() <= 5;
    for (const QChar ch : kept)
        allDigits = allDigits && ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    // A run of no length is a duration never entered: the pump would stop
    // as soon as it starts.
    if (allDigits && kept.toInt() > 0 && kept.toInt() < 255 * 256 && kept.toInt() % 256 < 60)
        return kept;
    for (const QString& text : {kept, boxText}) {
        const auto converted = EditorRules::pumpDuration(text);
        if (converted && converted->toInt() > 0)
            return converted;
    }
    return std::nullopt;
}

ProgramBuild programPump(const ProgramValues& v, const AppState& state, ProgramButton button) {
    ProgramBuild out;
    Sequence& s = out.sequence;
    s.name = button == ProgramButton::ProgramPump ? kProgramPump : kSendToKst;
    s.frame = Control::kProgramProgressFrame;
    s.bar = Control::kProgramProgressBar;

    const bool startStop = timingActive(state) && !durationMode(state);
    const bool duration = timingActive(state) && durationMode(state);

    // A flow never entered (the box's 0) or beyond the model's pump would
    // be sent as it stands.
    if (!EditorRules::flowLeft(v.targetFlow, state.FlowMin, state.FlowMax).messages.isEmpty()) {
        out.error = EditorRules::kFlowOutOfRange;
        return out;
    }
    const std::pair<const char*, const PauseValues*> pauses[] = {
        {"Break1", &v.break1}, {"Lunch", &v.lunch}, {"Break2", &v.break2}};
    for (const auto& [name, pause] : pauses) {
        if (pause->ticked && pause->start == EditorRules::kEmptyPause) {
            out.error = pauseAtNoon(QLatin1String(name));
            return out;
        }
    }

    const QString start = dateTimeArgument(v.startDate, v.startTime);
    const QString stop = dateTimeArgument(v.stopDate, v.stopTime);
    // The pump would never sample, yet the closing box would say it was
    // programmed: refuse before anything is written.
    if (startStop && minuteKey(v.stopDate, v.stopTime) <= minuteKey(v.startDate, v.startTime)) {
        out.error = EditorRules::kStopBeforeStart;
        return out;
    }
    std::optional<QString> runDuration;
    if (duration) {
        runDuration = durationArgument(state.runDuration, v.durationText);
        if (!runDuration) {
            out.error = kNoDuration;
            return out;
        }
    }

    s << Step::change(shown(s.frame, true))
      << Step::caption(QStringLiteral("Sending Program to Pump"))
      << Step::change(shown(s.bar, true)) << Step::bar(0) << Step::wait(1);

    s << Step::write(Commands::flowMode())
      << Step::caption(QStringLiteral("Setting Pump to Flow Mode")) << Step::wait(1)
      << Step::bar(25);

    s << Step::caption(QStringLiteral("Sending Target Flow to Pump")) << Step::wait(1)
      << Step::write(Commands::targetFlow(v.targetFlow)) << Step::bar(50);

    if (startStop) {
        s << Step::caption(QStringLiteral("Sending  Start/Stop Time to Pump"))
          << Step::write(Commands::runStart(start)) << Step::write(Commands::runStop(stop))
          << Step::write(Commands::timesInUse(true));
    } else {
        s << Step::writeDirect(Commands::runStart(Commands::kDateTimeNotInUse))
          << Step::writeDirect(Commands::runStop(Commands::kDateTimeNotInUse))
          << Step::writeDirect(Commands::timesInUse(false));
    }

    s << Step::bar(75);

    s << Step::write(Commands::break1(pauseArgument(v.break1)))
      << Step::write(Commands::break2(pauseArgument(v.break2)))
      << Step::write(Commands::lunch(pauseArgument(v.lunch)))
      << Step::write(Commands::timesInUse(true));

    if (duration) {
        s << Step::caption(QStringLiteral("Sending  Duration to Pump"))
          << Step::write(Commands::runDuration(*runDuration))
          << Step::write(Commands::durationMode(true));
    } else {
        UiChanges kept;
        kept.values.insert(QStringLiteral("runDuration"), Commands::kDurationNotInUse);
        s << Step::change(kept) << Step::write(Commands::runDuration(Commands::kDurationNotInUse))
          << Step::write(Commands::durationMode(false));
    }

    s << Step::caption(QStringLiteral("Done Sending Program to Pump"))
      << Step::write(Commands::programDone()) << Step::wait(1) << Step::write(Commands::powerOff())
      << Step::bar(100) << Step::caption(QStringLiteral("Turning Pump Off"));

    s << Step::saveSettings() << Step::message(kProgramDone);
    s << Step::change(shown(s.frame, false)) << Step::bar(0);
    return out;
}

bool forgetsPumpAfterwards(const Sequence& sequence) {
    return sequence.name == kProgramPump;
}

bool switchesPumpOff(const Sequence& sequence) {
    return sequence.name == kProgramPump || sequence.name == kSendToKst;
}

Sequence timingTransfer(const ProgramValues& v) {
    Sequence s;
    s.name = kTimingTransfer;
    s.busyCursor = false; // each write shows the hourglass by itself
    s << Step::write(Commands::runStart(dateTimeArgument(v.startDate, v.startTime)))
      << Step::write(Commands::runStop(dateTimeArgument(v.stopDate, v.stopTime)))
      << Step::write(Commands::break1(pauseArgument(v.break1)))
      << Step::write(Commands::break2(pauseArgument(v.break2)))
      << Step::write(Commands::lunch(pauseArgument(v.lunch)));
    return s;
}

} // namespace ConfigSequences
