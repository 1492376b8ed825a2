#include "sim/simcommands.h"

namespace {
using Run = SimPumpState::Run;

// ---------------------------------------------------------------- arguments

// Whole numbers separated by blanks; empty when any part is not a number.
QList<int> numbers(const QByteArray& arg) {
    QList<int> out;
    for (const QByteArray& part : arg.simplified().split(' ')) {
        bool ok = false;
        const int v = part.toInt(&ok);
        if (!ok)
            return {};
        out.append(v);
    }
    return out;
}

// "mm hh DD MM YY", or "255 255 255 255 255" for not in use.
bool parseMoment(const QByteArray& arg, SimMoment* out) {
    const QList<int> v = numbers(arg);
    if (v.size() != 5)
        return false;
    if (v[0] == 255 && v[1] == 255) {
        *out = SimMoment{};
        return true;
    }
    const QDate d(2000 + v[4], v[3], v[2]);
    const QTime t(v[1], v[0]);
    if (!d.isValid() || !t.isValid() || v[4] < 0 || v[4] > 99)
        return false;
    out->at = QDateTime(d, t);
    return true;
}

// "mm hh mm hh" (start, stop), or five fields of 255 for not in use.
bool parsePause(const QByteArray& arg, SimPause* out) {
    const QList<int> v = numbers(arg);
    if (v.size() == 5 && v[0] == 255) {
        *out = SimPause{};
        return true;
    }
    if (v.size() != 4 || !QTime(v[1], v[0]).isValid() || !QTime(v[3], v[2]).isValid())
        return false;
    *out = SimPause{v[0], v[1], v[2], v[3]};
    return true;
}

// ---------------------------------------------------------------- effects

// A "G"/"Y" switch: one character of the setup report.
SimCommand::Effect setFlag(char SimSetup::*flag, char value) {
    return [flag, value](SimPumpState& s, const QByteArray&) { s.setup.*flag = value; };
}

void arm(SimPumpState& s, const QByteArray&) {
    // Switched off and on again, the pump runs its program.
    s.setup.armed = '1';
}

void setTargetFlow(SimPumpState& s, const QByteArray& arg) {
    bool ok = false;
    const int flow = arg.toInt(&ok);
    const auto [low, high] = Sim::flowRange(s.model);
    // Outside the model's range (both ends allowed) the pump keeps its setting.
    if (!ok || flow < low || flow > high || flow == s.targetFlow)
        return;
    s.targetFlow = flow;
    Sim::addRecord(s, SimRecord::ChangeRate);
}

void setLogRate(SimPumpState& s, const QByteArray& arg) {
    // Takes effect at once (the status report's two-digit field); the
    // "UPDATE_LOGTYPE " that follows adds nothing.
    bool ok = false;
    const int rate = arg.toInt(&ok);
    if (ok && rate >= 1 && rate <= 99)
        s.logRate = rate;
}

void keepClock(SimPumpState& s, const QByteArray& arg) {
    s.pendingClock = arg;
}

void setClock(SimPumpState& s, const QByteArray&) {
    SimMoment m;
    if (!s.pendingClock.isEmpty() && parseMoment(s.pendingClock, &m) && m.at.isValid()) {
        // The offset keeps the milliseconds of the computer's clock, so the
        // pump's minute begins at the moment it is set.
        const QDateTime computer = s.now.addMSecs(-s.clockOffsetMs);
        const bool sameDay = s.now.date() == m.at.date();
        s.clockOffsetMs = computer.msecsTo(m.at);
        s.now = m.at;
        Sim::addRecord(s, sameDay ? SimRecord::ChangeTime : SimRecord::ChangeDate);
    }
    s.pendingClock.clear();
}

// "W17 " / "W18 ": written now, in force after "G12".
SimCommand::Effect setMoment(SimMoment SimProgram::*pending) {
    return [pending](SimPumpState& s, const QByteArray& arg) {
        if (parseMoment(arg, &(s.program.*pending)))
            s.program.pendingTimes = true;
    };
}

// "W23 " to "W25 ": written now, in force after "G12".
SimCommand::Effect setPause(SimPause SimProgram::*pending) {
    return [pending](SimPumpState& s, const QByteArray& arg) {
        if (parsePause(arg, &(s.program.*pending)))
            s.program.pendingTimes = true;
    };
}

void commitTimes(SimPumpState& s, const QByteArray&) {
    SimProgram& p = s.program;
    if (p.pendingTimes) {
        p.start = p.pendingStart;
        p.stop = p.pendingStop;
        p.break1 = p.pendingBreak1;
        p.break2 = p.pendingBreak2;
        p.lunch = p.pendingLunch;
        p.pendingTimes = false;
    }
    s.setup.timesInUse = '1';
}

void dropStartStop(SimPumpState& s, const QByteArray&) {
    SimProgram& p = s.program;
    p.start = p.stop = p.pendingStart = p.pendingStop = SimMoment{};
    s.setup.timesInUse = '0';
}

void setDuration(SimPumpState& s, const QByteArray& arg) {
    // hours * 256 + minutes; "255 255" not in use; "hh:mm" as a pump-state
    // line shows it. In force at once.
    const int colon = arg.indexOf(':');
    if (colon > 0) {
        bool okH = false, okM = false;
        const int h = arg.left(colon).toInt(&okH);
        const int m = arg.mid(colon + 1).toInt(&okM);
        if (okH && okM && h >= 0 && h < 255 && m >= 0 && m < 60)
            s.program.durationMinutes = h * 60 + m;
        return;
    }
    const QList<int> v = numbers(arg);
    if (v.size() == 2 && v[0] == 255 && v[1] == 255)
        s.program.durationMinutes = -1;
    else if (v.size() == 1 && v[0] >= 0 && v[0] < 255 * 256 && v[0] % 256 < 60)
        s.program.durationMinutes = v[0] / 256 * 60 + v[0] % 256;
}

void powerOff(SimPumpState& s, const QByteArray&) {
    if (s.run == Run::Running)
        Sim::stopRun(s);
    s.run = Run::Idle;
    Sim::addRecord(s, SimRecord::PowerOff);
    s.off = true;
}

void eraseLogs(SimPumpState& s, const QByteArray&) {
    // The history is empty afterwards, without an entry of its own.
    s.records.clear();
}

void clearSamplingData(SimPumpState& s, const QByteArray&) {
    // The present sample's data: run time, both volumes and the average
    // temperature. A pump in RUN mode refuses to clear what it is sampling.
    if (s.run == Run::Running)
        return;
    s.meters.sampleSecs = s.meters.volume = s.meters.stpVolume = 0;
    s.meters.tempSum = s.meters.tempSecs = 0;
    Sim::addRecord(s, SimRecord::ClearData);
}
} // namespace

namespace SimCommands {

const QList<SimCommand>& table() {
    using A = SimCommand::Answer;
    constexpr bool arg = true;
    // Pairs "G"/"Y": "G" switches on or picks the first choice.
    static const QList<SimCommand> rows = {
        {"G01", !arg, setFlag(&SimSetup::timing, '1')},
        {"Y01", !arg, setFlag(&SimSetup::timing, '0')},
        {"G02", !arg, setFlag(&SimSetup::units02, '0')}, // English
        {"Y02", !arg, setFlag(&SimSetup::units02, '1')}, // metric
        {"G03", !arg, setFlag(&SimSetup::units03, '0')},
        {"Y03", !arg, setFlag(&SimSetup::units03, '1')},
        {"G04", !arg, setFlag(&SimSetup::flowFault, '1')},
        {"Y04", !arg, setFlag(&SimSetup::flowFault, '0')},
        {"G05", !arg, setFlag(&SimSetup::flowMode, '1')},
        {"Y05", !arg, setFlag(&SimSetup::flowMode, '0')}, // flow mode
        {"W04", arg, setTargetFlow},
        {"W06", arg, setLogRate},
        {"UPDATE_LOGTYPE", !arg, {}},
        {"G07", !arg, arm},
        {"G09", !arg, setFlag(&SimSetup::password, '1')},
        {"Y09", !arg, setFlag(&SimSetup::password, '0')},
        {"G10", !arg, setFlag(&SimSetup::duration, '1')}, // Duration
        {"Y10", !arg, setFlag(&SimSetup::duration, '0')}, // Start/Stop
        {"G11", !arg, setFlag(&SimSetup::screens, '1')},
        {"Y11", !arg, setFlag(&SimSetup::screens, '0')},
        {"G12", !arg, commitTimes},
        {"Y12", !arg, dropStartStop},
        {"G13", !arg, setFlag(&SimSetup::stp, '1')},
        {"Y13", !arg, setFlag(&SimSetup::stp, '0')},
        {"W16", arg, keepClock},
        {"UPDATE_SYS_TIME", !arg, setClock},
        {"W17", arg, setMoment(&SimProgram::pendingStart)},
        {"W18", arg, setMoment(&SimProgram::pendingStop)},
        {"W19", arg, setDuration},
        {"W23", arg, setPause(&SimProgram::pendingBreak1)},
        {"W24", arg, setPause(&SimProgram::pendingBreak2)},
        {"W25", arg, setPause(&SimProgram::pendingLunch)},
        {"POWER_OFF", !arg, powerOff, A::Nothing},
        {"R99", !arg, {}, A::Status},
        {"Z99", !arg, {}, A::Setup},
        {"PRINTLOG", !arg, {}, A::Log},
        {"LOG_INIT", !arg, eraseLogs},
        {"CLEAR_ALL", !arg, clearSamplingData},
        {"RUN_CLEAR", !arg, {}}, // Corvane's goodbye; nothing to do
    };
    return rows;
}

const SimCommand* find(const QByteArray& code) {
    for (const SimCommand& c : table())
        if (c.code == code)
            return &c;
    return nullptr;
}

} // namespace SimCommands
