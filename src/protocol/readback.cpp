#include "protocol/readback.h"

#include "protocol/commands.h"
#include "protocol/pumpclock.h"
#include "status/numberformat.h"
#include "status/pumpreports.h"

namespace {

const QString kUnreadable = QStringLiteral("nothing readable");

const QString kLogRate = QStringLiteral("Log rate");
// A time, pause or duration sent as "255 ..." and reported as "55" (the
// pump prints the last two digits of the 255 it keeps).
const QString kNotActivated = QStringLiteral("not activated");
const QString kNotInUseHour = QStringLiteral("55");

const QString kTargetFlow = QStringLiteral("Target flow");
const QString kStart = QStringLiteral("Start");
const QString kStop = QStringLiteral("Stop");
const QString kDuration = QStringLiteral("Duration");

// The program's times as the commands carry them, each with the status
// report's time group that shows it.
struct ProgramTime {
    const char* code;
    const char* setting;
    bool pause; // "mm hh mm hh"; otherwise "mm hh DD MM YY"
    StatusField firstField;
};
constexpr ProgramTime kProgramTimes[] = {
    {"W17 ", "Start", false, StatusField::RunStartMinute},
    {"W18 ", "Stop", false, StatusField::RunStopMinute},
    {"W23 ", "Break1", true, StatusField::Break1StartMinute},
    {"W24 ", "Break2", true, StatusField::Break2StartMinute},
    {"W25 ", "Lunch", true, StatusField::LunchStartMinute},
};

// Two digits, blanks around allowed; nullopt for anything else.
std::optional<int> twoDigits(const QString& field) {
    const QString t = field.trimmed();
    bool ok = !t.isEmpty() && t.size() <= 2;
    for (const QChar ch : t)
        ok = ok && ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    return ok ? std::optional<int>(t.toInt()) : std::nullopt;
}

QString hourMinute(int hour, int minute) {
    return QStringLiteral("%1:%2")
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'));
}

// "mm hh DD MM YY" as a wall-clock minute.
std::optional<QDateTime> minuteFields(const QString& text) {
    const QStringList f = text.trimmed().split(QLatin1Char(' '));
    QList<int> v;
    for (const QString& part : f) {
        const auto n = part.size() == 2 ? twoDigits(part) : std::nullopt;
        if (!n)
            return std::nullopt;
        v.append(*n);
    }
    if (v.size() != 5)
        return std::nullopt;
    const QDate d(2000 + v[4], v[3], v[2]);
    const QTime t(v[1], v[0]);
    if (!d.isValid() || !t.isValid())
        return std::nullopt;
    return QDateTime(d, t, Qt::UTC);
}

// "mm hh mm hh" as "hh:mm-hh:mm"; nullopt when a field is not two digits.
std::optional<QString> pauseText(const QStringList& f) {
    if (f.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        const auto n = twoDigits(f[i]);
        if (!n)
            return std::nullopt;
        v[i] = *n;
    }
    return hourMinute(v[1], v[0]) + QLatin1Char('-') + hourMinute(v[3], v[2]);
}

QString sentTime(const ProgramTime& t, const QString& argument) {
    if (argument == Commands::kDateTimeNotInUse)
        return kNotActivated;
    if (t.pause)
        return pauseText(argument.split(QLatin1Char(' '))).value_or(argument);
    const auto at = minuteFields(argument);
    return at ? PumpClock::shownText(*at) : argument;
}

QString reportedTime(const ProgramTime& t, const StatusReport& status) {
    const int first = int(t.firstField);
    if (status.text(StatusField(first + 1)).trimmed() == kNotInUseHour)
        return kNotActivated;
    if (t.pause) {
        QStringList f;
        for (int i = 0; i < 4; ++i)
            f << status.text(StatusField(first + i));
        return pauseText(f).value_or(kUnreadable);
    }
    const auto at = status.dateTime(StatusTime(first));
    return at ? PumpClock::shownText(*at) : kUnreadable;
}

// "W19 " carries hours x 256 + minutes.
QString sentDuration(const QString& argument) {
    if (argument == Commands::kDurationNotInUse)
        return kNotActivated;
    bool ok = false;
    const int n = argument.toInt(&ok);
    return ok && n >= 0 ? hourMinute(n / 256, n % 256) : argument;
}

QString reportedDuration(const PumpStateReport& state) {
    const QString hours = state.text(PumpStateField::DurationHours).trimmed();
    if (hours == QLatin1String("255"))
        return kNotActivated;
    bool ok = !hours.isEmpty();
    for (const QChar ch : hours)
        ok = ok && ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
    const auto minutes = twoDigits(state.text(PumpStateField::DurationMinutes));
    return ok && minutes ? hourMinute(hours.toInt(), *minutes) : kUnreadable;
}

std::optional<Switch> switchFor(const QString& setting) {
    for (int i = 0; i < int(Switch::Count); ++i)
        if (setting == QLatin1String(setupSwitch(Switch(i)).setting))
            return Switch(i);
    return std::nullopt;
}

QString reportedSwitch(Switch s, const SetupReport& setup) {
    const auto on = setup.isOn(s);
    if (!on)
        return kUnreadable;
    return QLatin1String(*on ? setupSwitch(s).onText : setupSwitch(s).offText);
}

// The verdict over the compared items: `confirmed`, or each setting the pump
// did not take with what was sent and what it reports.
void conclude(ReadBackResult& r, const QString& confirmed) {
    QStringList missed;
    for (const ReadBackItem& item : r.items)
        if (!item.matches)
            missed << item.setting + QStringLiteral(" (sent ") + item.sent +
                          QStringLiteral(", pump reports ") + item.reported + QLatin1Char(')');
    if (missed.isEmpty()) {
        r.outcome = ReadBackResult::Outcome::Confirmed;
        r.text = confirmed;
    } else {
        r.outcome = ReadBackResult::Outcome::NotTaken;
        r.text = QStringLiteral("The pump did not take: ") + missed.join(QStringLiteral("; "));
    }
}

} // namespace

ReadBack::ReadBack(QObject* parent) : QObject(parent) {
    for (Watch* w : watches()) {
        w->timer.setSingleShot(true);
        connect(&w->timer, &QTimer::timeout, this, [this, w] {
            finish(*w, noReply(w == &m_setup   ? ReadBackResult::Subject::Setup
                               : w == &m_clock ? ReadBackResult::Subject::Clock
                                               : ReadBackResult::Subject::Program));
        });
    }
}

QList<ReadBackItem> ReadBack::setupSent(const QStringList& writes) {
    QList<ReadBackItem> out;
    for (const QString& write : writes) {
        // One write may hold several commands (the units).
        for (const QString& command : write.split(QChar(13), Qt::SkipEmptyParts)) {
            if (command.startsWith(QLatin1String("W06 "))) {
                out.append({kLogRate, command.mid(4), QString(), false});
                continue;
            }
            // A switch is known by the first code of its write.
            for (int i = 0; i < int(Switch::Count); ++i) {
                const SetupSwitch& s = setupSwitch(Switch(i));
                const bool on = command == QLatin1String(s.onCodes[0]);
                if (on || command == QLatin1String(s.offCodes[0]))
                    out.append({QLatin1String(s.setting), QLatin1String(on ? s.onText : s.offText),
                                QString(), false});
            }
        }
    }
    return out;
}

ReadBackResult ReadBack::compareSetup(const QList<ReadBackItem>& sent, const SetupReport& setup,
                                      const StatusReport& status) {
    ReadBackResult r;
    r.subject = ReadBackResult::Subject::Setup;
    for (ReadBackItem item : sent) {
        if (item.setting == kLogRate) {
            const auto reported = status.logRate();
            const auto sentRate = NumberFormat::parseNumber(item.sent);
            item.reported = reported ? QString::number(*reported) : kUnreadable;
            item.matches = reported && sentRate && *reported == *sentRate;
        } else if (const auto s = switchFor(item.setting)) {
            item.reported = reportedSwitch(*s, setup);
            item.matches = item.reported == item.sent;
        }
        r.items.append(item);
    }
    conclude(r, QStringLiteral("Pump confirmed the setup"));
    return r;
}

std::optional<QDateTime> ReadBack::clockSent(const QStringList& texts) {
    for (const QString& text : texts)
        if (text.startsWith(QLatin1String("W16 ")))
            return minuteFields(text.mid(4)); // "mm hh DD MM YY"
    return std::nullopt;
}

ReadBackResult ReadBack::compareClock(QDateTime sent, const StatusReport& status) {
    ReadBackResult r;
    r.subject = ReadBackResult::Subject::Clock;
    // Both as wall-clock minutes, as the pump keeps them.
    sent = QDateTime(sent.date(), QTime(sent.time().hour(), sent.time().minute()), Qt::UTC);
    const auto pump = status.clock();
    ReadBackItem item{QStringLiteral("Pump clock"), PumpClock::shownText(sent),
                      pump ? PumpClock::shownText(*pump) : kUnreadable, false};
    // The pump's minute may have turned over before it answered.
    item.matches = pump && (*pump == sent || *pump == sent.addSecs(60));
    r.items.append(item);
    if (item.matches) {
        r.outcome = ReadBackResult::Outcome::Confirmed;
        r.text = QStringLiteral("Pump clock set to ") + item.sent;
    } else {
        r.outcome = ReadBackResult::Outcome::NotTaken;
        r.text = QStringLiteral("The pump did not take the clock: sent ") + item.sent +
                 QStringLiteral(", pump reports ") + item.reported;
    }
    return r;
}

QList<ReadBackItem> ReadBack::programSent(const QStringList& writes) {
    QList<ReadBackItem> out;
    for (const QString& write : writes) {
        for (const QString& command : write.split(QChar(13), Qt::SkipEmptyParts)) {
            const QString argument = command.mid(4);
            if (command.startsWith(QLatin1String("W04 ")))
                out.append({kTargetFlow, argument, QString(), false});
            else if (command.startsWith(QLatin1String("W19 ")))
                out.append({kDuration, sentDuration(argument), QString(), false});
            for (const ProgramTime& t : kProgramTimes)
                if (command.startsWith(QLatin1String(t.code)))
                    out.append({QLatin1String(t.setting), sentTime(t, argument), QString(), false});
        }
    }
    return out;
}

ReadBackResult ReadBack::compareProgram(const QList<ReadBackItem>& sent, const StatusReport& status,
                                        const PumpStateReport* state) {
    ReadBackResult r;
    r.subject = ReadBackResult::Subject::Program;
    bool durationLeftOut = false;
    for (ReadBackItem item : sent) {
        if (item.setting == kTargetFlow) {
            const auto reported = status.number(StatusField::FlowSetting);
            const auto sentFlow = NumberFormat::parseNumber(item.sent);
            item.reported = reported ? QString::number(*reported) : kUnreadable;
            item.matches = reported && sentFlow && *reported == *sentFlow;
        } else if (item.setting == kDuration) {
            if (!state) {
                durationLeftOut = true;
                continue;
            }
            item.reported = reportedDuration(*state);
            item.matches = item.reported == item.sent;
        } else {
            for (const ProgramTime& t : kProgramTimes)
                if (item.setting == QLatin1String(t.setting))
                    item.reported = reportedTime(t, status);
            item.matches = item.reported == item.sent;
        }
        r.items.append(item);
    }
    conclude(r, durationLeftOut
                    ? QStringLiteral("Pump confirmed the program (it did not report its duration)")
                    : QStringLiteral("Pump confirmed the program"));
    return r;
}

ReadBackResult ReadBack::noReply(ReadBackResult::Subject subject) {
    ReadBackResult r;
    r.subject = subject;
    r.outcome = ReadBackResult::Outcome::NoReply;
    switch (subject) {
    case ReadBackResult::Subject::Setup:
        r.text = QStringLiteral("No reply from the pump: the setup could not be confirmed");
        break;
    case ReadBackResult::Subject::Clock:
        r.text = QStringLiteral("No reply from the pump: the clock could not be confirmed");
        break;
    case ReadBackResult::Subject::Program:
        r.text = QStringLiteral("No reply from the pump: the program could not be confirmed");
        break;
    }
    return r;
}

UiChanges ReadBack::shown(const ReadBackResult& result) {
    UiChanges c;
    const QString& label = result.subject == ReadBackResult::Subject::Setup   ? kSetupLabel
                           : result.subject == ReadBackResult::Subject::Clock ? kClockLabel
                                                                              : kProgramLabel;
    c.text.insert(label, result.text);
    return c;
}

void ReadBack::expectSetup(const QStringList& writes) {
    m_setupSent = setupSent(writes);
    if (m_setupSent.isEmpty())
        return;
    arm(m_setup, m_timeoutMs);
}

void ReadBack::expectClock(const QStringList& texts) {
    const auto sent = clockSent(texts);
    if (!sent)
        return;
    m_clockSent = *sent;
    arm(m_clock, m_timeoutMs);
}

void ReadBack::programStarted() {
    m_programRunning = true;
    m_programStateLine.clear();
}

void ReadBack::expectProgram(const QStringList& writes) {
    m_programRunning = false;
    m_programSent = programSent(writes);
    if (m_programSent.isEmpty())
        return;
    arm(m_program, m_programTimeoutMs);
}

void ReadBack::arm(Watch& w, int timeoutMs) {
    w.armed = true;
    w.asked = false;
    w.setupLine.clear();
    w.statusLine.clear();
    w.timer.start(timeoutMs);
}

void ReadBack::requestWritten() {
    for (Watch* w : watches())
        if (w->armed)
            w->asked = true;
}

void ReadBack::lineHandled(const LineResult& line) {
    // The pump is never asked for a pump-state line: each one shows what
    // it holds at that moment, so the last one seen counts.
    if (line.kind == LineResult::Kind::State && (m_programRunning || m_program.armed))
        m_programStateLine = line.line;
    const bool status = line.kind == LineResult::Kind::Status;
    const bool setup = line.kind == LineResult::Kind::Setup;
    if (!status && !setup)
        return;
    for (Watch* w : watches()) {
        if (!w->armed || !w->asked)
            continue;
        if (status && w->statusLine.isEmpty())
            w->statusLine = line.line;
        if (setup && w->setupLine.isEmpty())
            w->setupLine = line.line;
    }
    if (m_clock.armed && !m_clock.statusLine.isEmpty())
        finish(m_clock, compareClock(m_clockSent, parseStatusReport(m_clock.statusLine)));
    if (m_setup.armed && !m_setup.statusLine.isEmpty() && !m_setup.setupLine.isEmpty())
        finish(m_setup, compareSetup(m_setupSent, parseSetupReport(m_setup.setupLine),
                                     parseStatusReport(m_setup.statusLine)));
    if (m_program.armed && !m_program.statusLine.isEmpty()) {
        const PumpStateReport state(m_programStateLine);
        finish(m_program, compareProgram(m_programSent, parseStatusReport(m_program.statusLine),
                                         m_programStateLine.isEmpty() ? nullptr : &state));
    }
}

void ReadBack::cancel() {
    m_programRunning = false;
    for (Watch* w : watches()) {
        w->armed = false;
        w->timer.stop();
    }
}

void ReadBack::finish(Watch& w, const ReadBackResult& result) {
    if (!w.armed)
        return;
    w.armed = false;
    w.timer.stop();
    emit finished(result);
}
