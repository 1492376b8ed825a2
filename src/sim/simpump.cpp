#include "sim/simpump.h"

#include "sim/simcommands.h"

using namespace SimText;

namespace {
const QByteArray kLineEnd = "\r\n";
constexpr char kEof = 26;
constexpr char kCr = 13;
constexpr int kMaxWalkSteps = 5000;
} // namespace

SimPump::SimPump(Options options, Clock clock)
    : m_options(std::move(options)), m_clock(std::move(clock)), m_random(m_options.seed) {
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTime(); };
    m_options.serial = field(m_options.serial, 8);
    m_options.model = field(m_options.model, 2);
    if (m_options.firmware.isEmpty())
        m_options.firmware = defaultFirmware(m_options.model);
    m_options.firmware = field(m_options.firmware, 4);
    for (QByteArray& code : m_options.faults.ignoreCommands)
        code = code.trimmed();

    SimPumpState& s = m_state;
    s.model = m_options.model;
    s.serial = m_options.serial;
    s.firmware = m_options.firmware;
    const auto range = Sim::flowRange(s.model);
    s.targetFlow = s.model == "31" ? 300 : qBound(range.first, 2000, range.second);
    s.meters.calibrationFlow = s.targetFlow;
    s.meters.boardSecs = (1234 * 60 + 56) * 60.0;
    s.meters.motorSecs = (987 * 60 + 12) * 60.0;
    s.now = pumpClock();
    s.meters.calibratedAt = QDateTime(s.now.date().addDays(-34), QTime(9, 30));
    Sim::fillHistory(s, qBound(0, m_options.records, kMaxRecords));
    if (m_options.running)
        Sim::startRun(s);
    m_lastStateLine = pumpStateLine();
}

bool SimPump::knownModel(const QByteArray& code) {
    static const QList<QByteArray> codes = {"21", "25", "29", "31", "35", "2D", "80"};
    return codes.contains(code);
}

QByteArray SimPump::defaultFirmware(const QByteArray& model) {
    return Sim::defaultFirmware(model);
}

bool SimPump::knownCommand(const QByteArray& code) {
    return SimCommands::find(code.trimmed()) != nullptr;
}

QDateTime SimPump::systemNow() const {
    return m_clock();
}

QDateTime SimPump::pumpClock() const {
    return systemNow().addMSecs(m_state.clockOffsetMs);
}

// ---------------------------------------------------------------- input

void SimPump::write(const QByteArray& bytes) {
    advance();
    if (silent(systemNow())) {
        m_input.clear();
        return;
    }
    for (const char c : bytes) {
        if (c == kCr) {
            if (!m_inputOverflow)
                command(m_input);
            m_input.clear();
            m_inputOverflow = false;
            // A command may have switched the pump off; the rest is not heard.
            if (m_state.off)
                return;
        } else if (static_cast<unsigned char>(c) >= 32 && static_cast<unsigned char>(c) < 127) {
            if (m_input.size() >= kMaxCommandLength) {
                m_inputOverflow = true;
                m_input.clear();
            } else if (!m_inputOverflow) {
                m_input.append(c);
            }
        }
        // Line feeds and other control characters are not part of a command.
    }
}

void SimPump::command(const QByteArray& text) {
    // Keywords carry a trailing blank on the wire ("POWER_OFF "); arguments
    // follow a code and its blank ("W04 2000").
    const QByteArray cmd = text.trimmed();
    const qsizetype blank = cmd.indexOf(' ');
    const QByteArray code = blank < 0 ? cmd : cmd.left(blank);
    const QByteArray arg = blank < 0 ? QByteArray() : cmd.mid(blank + 1).trimmed();

    const SimCommand* c = SimCommands::find(code);
    // Unknown, missing its argument or carrying one it does not take: the
    // pump does not answer.
    if (!c || c->takesArgument == arg.isEmpty())
        return;
    if (m_options.faults.ignoreCommands.contains(code))
        return; // missed: no effect, no answer

    const bool wasOff = m_state.off;
    if (c->effect)
        c->effect(m_state, arg);
    switch (c->answer) {
    case SimCommand::Answer::Status:
        emitLine(statusReport());
        return;
    case SimCommand::Answer::Setup:
        emitLine(setupReport());
        return;
    case SimCommand::Answer::Log:
        printLog();
        return;
    case SimCommand::Answer::Nothing:
        break;
    case SimCommand::Answer::PumpState: {
        const QByteArray state = pumpStateLine();
        if (state != m_lastStateLine) {
            m_lastStateLine = state;
            emitLine(state);
        }
        break;
    }
    }
    if (m_state.off && !wasOff) {
        // Switched off: back on by itself after a while, or by powerOn().
        m_offUntil =
            m_options.powerOffMs > 0 ? systemNow().addMSecs(m_options.powerOffMs) : QDateTime();
        m_input.clear();
    }
}

// ---------------------------------------------------------------- output

void SimPump::emitLine(const QByteArray& line) {
    const QDateTime now = systemNow();
    if (silent(now))
        return;
    Faults& f = m_options.faults;
    if (f.silentAfterLines >= 0 && m_linesSent >= f.silentAfterLines) {
        f.silentAfterLines = -1; // the fault strikes once
        silenceFor(f.silentForMs);
        return;
    }
    if (f.garbageEveryLines > 0 && (m_linesSent + 1) % f.garbageEveryLines == 0) {
        const int n = 1 + int(m_random.bounded(16));
        for (int i = 0; i < n; ++i) {
            char c = char(m_random.bounded(256));
            if (c == kCr || c == kEof)
                c = 0x7f;
            m_out.append(c);
        }
        m_out.append(kCr); // the junk ends as a line of its own
    }
    m_out += line + kLineEnd;
    ++m_linesSent;
    if (f.eofAfterLines >= 0 && m_linesSent == f.eofAfterLines)
        m_out.append(kEof);
}

QByteArray SimPump::read(qsizetype max) {
    qsizetype n = m_out.size();
    if (max >= 0)
        n = std::min(n, max);
    if (m_disconnectAt >= 0)
        n = std::min(n, m_disconnectAt);
    const QByteArray out = m_out.left(n);
    m_out.remove(0, n);
    if (m_disconnectAt >= 0)
        m_disconnectAt -= n;
    return out;
}

qsizetype SimPump::pending() const {
    return m_disconnectAt >= 0 ? std::min(m_disconnectAt, m_out.size()) : m_out.size();
}

bool SimPump::takeDisconnect() {
    if (m_disconnectAt != 0)
        return false;
    clearOutput();
    return true;
}

void SimPump::clearOutput() {
    m_out.clear();
    m_disconnectAt = -1;
}

void SimPump::printLog() {
    const QByteArrayList lines = SimReports::logPrintout(m_state);
    Faults& f = m_options.faults;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Lines 0 and 1 are the header and the column titles.
        if (f.disconnectAfterRecords >= 0 && i == f.disconnectAfterRecords + 2 &&
            i < lines.size() - 1) {
            // The line drops in the middle of the next record.
            m_out += lines.at(i).left(lines.at(i).size() / 2);
            m_disconnectAt = m_out.size();
            f.disconnectAfterRecords = -1;
            return;
        }
        emitLine(lines.at(i));
    }
}

QByteArray SimPump::statusReport() {
    advance();
    QByteArray r = SimReports::status(m_state, m_options.faults.logCountSkew);
    ++m_statusReports;
    const Faults& f = m_options.faults;
    if (f.truncateStatusEvery > 0 && m_statusReports % f.truncateStatusEvery == 0)
        r.truncate(qBound(0, f.truncateStatusTo, kStatusLength));
    return r;
}

QByteArray SimPump::setupReport() const {
    return SimReports::setup(m_state);
}

QByteArray SimPump::pumpStateLine() const {
    return SimReports::pumpState(m_state);
}

int SimPump::runStateCode() const {
    return Sim::runStateCode(m_state);
}

// ---------------------------------------------------------------- time

bool SimPump::silent(const QDateTime& now) {
    if (m_state.off || m_silentForGood)
        return true;
    if (m_silentUntil.isValid()) {
        if (now < m_silentUntil)
            return true;
        m_silentUntil = QDateTime();
    }
    return false;
}

void SimPump::silenceFor(int ms) {
    if (ms > 0)
        m_silentUntil = systemNow().addMSecs(ms);
    else
        m_silentForGood = true;
}

bool SimPump::poweredOn() {
    advance();
    return !m_state.off;
}

void SimPump::powerOn() {
    m_silentForGood = false;
    m_silentUntil = QDateTime();
    if (m_state.off)
        powerOnAt(pumpClock());
}

void SimPump::powerOnAt(const QDateTime& at) {
    SimPumpState& s = m_state;
    s.off = false;
    m_offUntil = QDateTime();
    // The time spent switched off does not count on the meters.
    if (!s.now.isValid() || s.now < at)
        s.now = at;
    SimRecord r = Sim::snapshot(s, SimRecord::PowerOn);
    r.when = at;
    Sim::appendRecord(s, r);
    if (s.setup.armed != '1')
        return;
    // A pump programmed and switched off runs its program when it comes on.
    s.setup.armed = '0';
    if (s.setup.timing != '1') {
        Sim::startRun(s); // no timing routines: sample until told otherwise
    } else if (s.setup.duration == '1') {
        if (s.program.durationMinutes > 0) {
            Sim::startRun(s);
            s.runEndsAt = at.addSecs(qint64(s.program.durationMinutes) * 60);
        }
    } else if (s.program.start.at.isValid() &&
               (!s.program.stop.at.isValid() || s.program.stop.at > at)) {
        s.run = SimPumpState::Run::Waiting;
    }
}

void SimPump::advance() {
    using Run = SimPumpState::Run;
    SimPumpState& s = m_state;
    if (s.off && m_offUntil.isValid() && systemNow() >= m_offUntil)
        powerOnAt(m_offUntil.addMSecs(s.clockOffsetMs));
    const QDateTime now = pumpClock();
    if (!s.now.isValid() || now <= s.now) {
        s.now = now;
        return;
    }
    // Walk from event to event (start, stop, log tick) so records carry the
    // time they happened; a clock that jumps far is caught up in one step
    // once the walk grows long.
    for (int steps = 0; s.now < now; ++steps) {
        QDateTime next = now;
        if (steps < kMaxWalkSteps) {
            if (s.run == Run::Waiting && s.program.start.at < next)
                next = std::max(s.program.start.at, s.now);
            if (s.run == Run::Running) {
                if (s.runEndsAt.isValid() && s.runEndsAt < next)
                    next = std::max(s.runEndsAt, s.now);
                if (s.nextLogAt.isValid() && s.nextLogAt < next)
                    next = std::max(s.nextLogAt, s.now);
            }
        }
        integrate(double(s.now.msecsTo(next)) / 1000.0);
        s.now = next;
        if (s.off)
            continue;
        if (s.run == Run::Waiting && s.program.start.at <= s.now) {
            Sim::startRun(s);
            if (s.program.stop.at.isValid())
                s.runEndsAt = s.program.stop.at;
        }
        if (s.run == Run::Running) {
            if (s.runEndsAt.isValid() && s.runEndsAt <= s.now) {
                Sim::stopRun(s);
            } else if (s.nextLogAt.isValid() && s.nextLogAt <= s.now) {
                Sim::addRecord(s, SimRecord::RunUpdate);
                s.nextLogAt = s.now.addSecs(qint64(s.logRate) * 60);
            }
        }
        if (steps >= kMaxWalkSteps)
            break;
    }
    s.now = now;
}

void SimPump::integrate(double seconds) {
    SimPumpState& s = m_state;
    SimMeters& m = s.meters;
    if (seconds <= 0 || s.off)
        return;
    m.boardSecs += seconds;
    const double minutes = seconds / 60.0;
    if (s.run != SimPumpState::Run::Running) {
        m.battery = std::max(5.0, m.battery - 0.005 * minutes);
        return;
    }
    m.motorSecs += seconds;
    m.sampleSecs += seconds;
    m.volume += Sim::measuredFlow(s) * minutes / 1000.0;
    m.stpVolume += Sim::stpFlow(s) * minutes / 1000.0;
    m.tempSum += Sim::temperatureF(s) * seconds;
    m.tempSecs += seconds;
    const double before = m.battery;
    m.battery = std::max(5.0, m.battery - 0.1 * minutes);
    if (before > 10 && m.battery <= 10)
        Sim::addRecord(s, SimRecord::LowBattery);
    if (m.battery <= 5.0) {
        Sim::addRecord(s, SimRecord::ShutDown5);
        Sim::stopRun(s);
    }
}
