#include "sim/simpump.h"

#include <QtMath>
#include <cmath>

using namespace SimText;

namespace {
const QByteArray kLineEnd = "\r\n";
constexpr char kEof = 26;
constexpr char kCr = 13;

// A time group of the reports: minute, hour, day, month, two-digit year,
// each two characters, fields three positions apart. 55 stands for "not in
// use": the pump keeps the 255 it was sent and prints its last two digits.
QByteArray dateGroup(const QDateTime& t) {
    if (!t.isValid())
        return "55 55 55 55 55";
    return digits(t.time().minute(), 2) + ' ' + digits(t.time().hour(), 2) + ' ' +
           digits(t.date().day(), 2) + ' ' + digits(t.date().month(), 2) + ' ' +
           digits(t.date().year() % 100, 2);
}

void put(QByteArray& line, int position, const QByteArray& text) {
    // Positions count from 1, as in the pump's manual.
    line.replace(position - 1, text.size(), text);
}

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
    const auto range = flowRange();
    m_targetFlow = qBound(range.first, 2000, range.second);
    if (m_options.model == "31")
        m_targetFlow = 300;
    m_calibrationFlow = m_targetFlow;
    m_boardSecs = (1234 * 60 + 56) * 60.0;
    m_motorSecs = (987 * 60 + 12) * 60.0;

    m_last = pumpClock();
    m_calibratedAt = m_last.addDays(-34);
    m_calibratedAt.setTime(QTime(9, 30));
    generateHistory(qBound(0, m_options.records, kMaxRecords));
    if (m_options.running)
        startRun();
    m_lastStateLine = pumpStateLine();
}

bool SimPump::knownModel(const QByteArray& code) {
    static const QList<QByteArray> codes = {"21", "25", "29", "31", "35", "2D", "80"};
    return codes.contains(code);
}

QByteArray SimPump::defaultFirmware(const QByteArray& model) {
    if (model == "25" || model == "35" || model == "2D")
        return "1.24";
    if (model == "80")
        return "1.43";
    return "2.04";
}

QPair<int, int> SimPump::flowRange() const {
    const QByteArray& m = m_options.model;
    if (m == "21")
        return {800, 5000};
    if (m == "29")
        return {2000, 12000};
    if (m == "31")
        return {100, 600};
    return {1, 999999};
}

QDateTime SimPump::systemNow() const {
    return m_clock();
}

QDateTime SimPump::pumpClock() const {
    return systemNow().addSecs(m_clockOffsetSecs);
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
            if (m_off)
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
    const QByteArray code = cmd.left(3);
    const QByteArray arg = cmd.size() > 4 && cmd.at(3) == ' ' ? cmd.mid(4).trimmed() : QByteArray();

    if (cmd == "R99") {
        emitLine(statusReport());
        return;
    }
    if (cmd == "Z99") {
        emitLine(setupReport());
        return;
    }
    if (cmd == "PRINTLOG") {
        printLog();
        return;
    }

    if (cmd.size() == 3 && (cmd[0] == 'G' || cmd[0] == 'Y')) {
        const bool g = cmd[0] == 'G';
        const int n = cmd.mid(1).toInt();
        switch (n) {
        case 1:
            setFlag(m_timing, g);
            break;
        case 2:
            setFlag(m_units02, !g);
            break; // G: English ("0"), Y: metric
        case 3:
            setFlag(m_units03, !g);
            break;
        case 4:
            setFlag(m_flowFault, g);
            break;
        case 5:
            setFlag(m_flowMode, g);
            break; // Y05: flow mode ("0")
        case 7:
            if (g)
                m_armed = '1';
            break;
        case 9:
            setFlag(m_password, g);
            break;
        case 10:
            setFlag(m_duration, g);
            break;
        case 11:
            setFlag(m_screens, g);
            break;
        case 12:
            if (g) {
                // The times written since the last commit take effect.
                if (m_pendingTimes) {
                    m_start = m_pendingStart;
                    m_stop = m_pendingStop;
                    m_break1 = m_pendingBreak1;
                    m_break2 = m_pendingBreak2;
                    m_lunch = m_pendingLunch;
                    m_pendingTimes = false;
                }
                m_timesInUse = '1';
            } else {
                m_start = m_stop = m_pendingStart = m_pendingStop = Moment{};
                m_timesInUse = '0';
            }
            break;
        case 13:
            setFlag(m_stp, g);
            break;
        default:
            break;
        }
    } else if (code == "W04" && !arg.isEmpty()) {
        bool ok = false;
        const int flow = arg.toInt(&ok);
        const auto range = flowRange();
        // Outside the model's range the pump keeps its setting.
        if (ok && flow >= range.first && flow <= range.second && flow != m_targetFlow) {
            m_targetFlow = flow;
            addRecord(SimRecord::ChangeRate);
        }
    } else if (code == "W06" && !arg.isEmpty()) {
        bool ok = false;
        const int rate = arg.toInt(&ok);
        if (ok && rate >= 1 && rate <= 99)
            m_logRate = rate;
    } else if (cmd == "UPDATE_LOGTYPE") {
        // Accepted; the rate took effect with "W06 ".
    } else if (code == "W16" && !arg.isEmpty()) {
        m_pendingClock = arg;
    } else if (cmd == "UPDATE_SYS_TIME") {
        Moment m;
        if (!m_pendingClock.isEmpty() && parseMoment(m_pendingClock, &m) && m.at.isValid()) {
            const QDateTime before = pumpClock();
            m_clockOffsetSecs = systemNow().secsTo(m.at);
            m_last = pumpClock();
            addRecord(before.date() == m.at.date() ? SimRecord::ChangeTime : SimRecord::ChangeDate);
        }
        m_pendingClock.clear();
    } else if ((code == "W17" || code == "W18") && !arg.isEmpty()) {
        Moment m;
        if (parseMoment(arg, &m)) {
            (code == "W17" ? m_pendingStart : m_pendingStop) = m;
            m_pendingTimes = true;
        }
    } else if ((code == "W23" || code == "W24" || code == "W25") && !arg.isEmpty()) {
        Pause p;
        if (parsePause(arg, &p)) {
            (code == "W23"   ? m_pendingBreak1
             : code == "W24" ? m_pendingBreak2
                             : m_pendingLunch) = p;
            m_pendingTimes = true;
        }
    } else if (code == "W19" && !arg.isEmpty()) {
        // hours * 256 + minutes; "255 255" not in use; "hh:mm" as a
        // pump-state line shows it.
        const int colon = arg.indexOf(':');
        if (colon > 0) {
            bool okH = false, okM = false;
            const int h = arg.left(colon).toInt(&okH);
            const int m = arg.mid(colon + 1).toInt(&okM);
            if (okH && okM && h >= 0 && h < 255 && m >= 0 && m < 60)
                m_durationMinutes = h * 60 + m;
        } else {
            const QList<int> v = numbers(arg);
            if (v.size() == 2 && v[0] == 255 && v[1] == 255)
                m_durationMinutes = -1;
            else if (v.size() == 1 && v[0] >= 0 && v[0] < 255 * 256 && v[0] % 256 < 60)
                m_durationMinutes = v[0] / 256 * 60 + v[0] % 256;
        }
    } else if (cmd == "POWER_OFF") {
        if (m_run == Run::Running)
            stopRun();
        m_run = Run::Idle;
        addRecord(SimRecord::PowerOff);
        m_off = true;
        m_offUntil =
            m_options.powerOffMs > 0 ? systemNow().addMSecs(m_options.powerOffMs) : QDateTime();
        m_input.clear();
        return;
    } else if (cmd == "LOG_INIT") {
        m_records.clear();
    } else if (cmd == "CLEAR_ALL") {
        // A pump in RUN mode refuses to clear what it is sampling.
        if (m_run != Run::Running) {
            m_volume = m_stpVolume = m_sampleSecs = 0;
            m_tempSum = m_tempSecs = 0;
            addRecord(SimRecord::ClearData);
        }
    } else if (cmd == "RUN_CLEAR") {
        // Accepted; Corvane says goodbye with it.
    } else {
        return; // not a command of this pump: no answer
    }

    const QByteArray state = pumpStateLine();
    if (state != m_lastStateLine) {
        m_lastStateLine = state;
        emitLine(state);
    }
}

bool SimPump::parseMoment(const QByteArray& arg, Moment* out) {
    const QList<int> v = numbers(arg);
    if (v.size() != 5)
        return false;
    if (v[0] == 255 && v[1] == 255) {
        *out = Moment{};
        return true;
    }
    const QDate d(2000 + v[4], v[3], v[2]);
    const QTime t(v[1], v[0]);
    if (!d.isValid() || !t.isValid() || v[4] < 0 || v[4] > 99)
        return false;
    out->at = QDateTime(d, t);
    return true;
}

bool SimPump::parsePause(const QByteArray& arg, Pause* out) {
    const QList<int> v = numbers(arg);
    if (v.size() == 5 && v[0] == 255) {
        *out = Pause{};
        return true;
    }
    if (v.size() != 4 || !QTime(v[1], v[0]).isValid() || !QTime(v[3], v[2]).isValid())
        return false;
    *out = Pause{v[0], v[1], v[2], v[3]};
    return true;
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
    const int count = int(m_records.size());
    emitLine("PRINTING " + digits(count, 3) + " LOGS");
    emitLine(simLogTitleLine());
    Faults& f = m_options.faults;
    for (int i = 0; i < count; ++i) {
        if (f.disconnectAfterRecords >= 0 && i == f.disconnectAfterRecords) {
            // The line drops in the middle of the next record.
            const QByteArray l = m_records.at(i).line();
            m_out += l.left(l.size() / 2);
            m_disconnectAt = m_out.size();
            f.disconnectAfterRecords = -1;
            return;
        }
        emitLine(m_records.at(i).line());
    }
    emitLine("Done ok");
}

QByteArray SimPump::statusReport() {
    advance();
    QByteArray r(kStatusLength, ' ');
    put(r, 1, "R99");
    const qint64 board = qint64(m_boardSecs) / 60, motor = qint64(m_motorSecs) / 60,
                 sample = qint64(m_sampleSecs) / 60;
    put(r, 5, digits(board / 60, 4));
    put(r, 10, digits(board % 60, 2));
    put(r, 13, digits(motor / 60, 4));
    put(r, 18, digits(motor % 60, 2));
    put(r, 21, fixed(bp(), 5, 2));
    put(r, 27, fixed(dp(), 5, 2));
    put(r, 34, digits(m_targetFlow, 6));
    put(r, 40, digits(measuredFlow(), 6));
    put(r, 47, digits(stpFlow(), 6));
    put(r, 54, fixed(m_volume, 8, 3));
    put(r, 63, fixed(m_stpVolume, 8, 3));
    put(r, 72, m_options.model);
    put(r, 75, dateGroup(pumpClock()));
    put(r, 90, digits(sample / 60, 3));
    put(r, 94, digits(sample % 60, 2));
    put(r, 97, digits(qRound(m_battery), 3));
    put(r, 101, digits(temperatureF(), 3));
    put(r, 105, digits(m_logRate, 2));
    put(r, 108, m_options.firmware);
    const int claimed = qBound(0, int(m_records.size()) + m_options.faults.logCountSkew, 999);
    put(r, 113, digits(claimed, 3));
    put(r, 117, m_options.serial);
    // Battery time left at the present draw: a tenth of a percent a minute
    // while sampling, a two-hundredth while idle.
    const int leftMin = int(m_battery / (m_run == Run::Running ? 0.1 : 0.005));
    put(r, 126, digits(std::min(leftMin / 60, 99), 2));
    put(r, 129, digits(leftMin % 60, 2));
    put(r, 132, digits(m_tempSecs > 0 ? qRound(m_tempSum / m_tempSecs) : 255, 3));
    put(r, 136, digits(qRound(m_records.size() * 100.0 / kMaxRecords), 3));
    put(r, 140, dateGroup(m_calibratedAt));
    put(r, 155, digits(m_calibrationFlow, 6));
    put(r, 162, dateGroup(m_start.at));
    put(r, 177, dateGroup(m_stop.at));
    auto pause = [&r](int position, const Pause& p) {
        if (p.startMin < 0) {
            put(r, position, "55 55 55 55");
            return;
        }
        put(r, position,
            digits(p.startMin, 2) + ' ' + digits(p.startHour, 2) + ' ' + digits(p.stopMin, 2) +
                ' ' + digits(p.stopHour, 2));
    };
    pause(192, m_break1);
    pause(204, m_break2);
    pause(216, m_lunch);
    put(r, 228, digits(runStateCode(), 4));

    ++m_statusReports;
    const Faults& f = m_options.faults;
    if (f.truncateStatusEvery > 0 && m_statusReports % f.truncateStatusEvery == 0)
        r.truncate(qBound(0, f.truncateStatusTo, kStatusLength));
    return r;
}

QByteArray SimPump::setupReport() const {
    QByteArray z(29, ' ');
    put(z, 1, "Z99");
    const char lock = m_run == Run::Running ? '1' : '0';
    const char flags[] = {m_timing,     m_units02, m_units03, m_flowFault, m_flowMode,
                          m_timesInUse, lock,      m_armed,   m_password,  m_duration,
                          m_screens,    '0',       m_stp};
    for (int i = 0; i < 13; ++i)
        z[4 + 2 * i] = flags[i]; // positions 5, 7, ..., 29
    return z;
}

QByteArray SimPump::pumpStateLine() const {
    QByteArray p(81, ' ');
    put(p, 1, "P01");
    p[6] = m_password;
    p[8] = m_flowFault;
    put(p, 33, digits(m_targetFlow, 6));
    put(p, 40, dateGroup(m_start.at));
    put(p, 55, dateGroup(m_stop.at));
    if (m_durationMinutes < 0) {
        put(p, 70, "255:55");
    } else {
        put(p, 70, digits(m_durationMinutes / 60, 3) + ':' + digits(m_durationMinutes % 60, 2));
    }
    p[76] = m_timing;
    p[78] = m_screens;
    p[80] = m_stp;
    return p;
}

int SimPump::runStateCode() const {
    switch (m_run) {
    case Run::Running:
        return kStateRunning;
    case Run::Waiting:
        return kStateWaiting;
    case Run::Idle:
        break;
    }
    return kStateIdle;
}

// ---------------------------------------------------------------- time

bool SimPump::silent(const QDateTime& now) {
    if (m_off)
        return true;
    if (m_silentForGood)
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
    return !m_off;
}

void SimPump::powerOn() {
    m_silentForGood = false;
    m_silentUntil = QDateTime();
    if (m_off)
        powerOnAt(pumpClock());
}

void SimPump::powerOnAt(const QDateTime& at) {
    m_off = false;
    m_offUntil = QDateTime();
    // The time spent switched off does not count on the meters.
    if (!m_last.isValid() || m_last < at)
        m_last = at;
    SimRecord r = snapshot(SimRecord::PowerOn);
    r.when = at;
    m_records.append(r);
    if (m_records.size() > kMaxRecords)
        m_records.removeFirst();
    if (m_armed != '1')
        return;
    // A pump programmed and switched off runs its program when it comes on.
    m_armed = '0';
    if (m_timing != '1') {
        startRun(); // no timing routines: sample until told otherwise
    } else if (m_duration == '1') {
        if (m_durationMinutes > 0) {
            startRun();
            m_runEndsAt = at.addSecs(qint64(m_durationMinutes) * 60);
        }
    } else if (m_start.at.isValid() && (!m_stop.at.isValid() || m_stop.at > at)) {
        m_run = Run::Waiting;
    }
}

void SimPump::advance() {
    const QDateTime sysNow = systemNow();
    if (m_off && m_offUntil.isValid() && sysNow >= m_offUntil)
        powerOnAt(m_offUntil.addSecs(m_clockOffsetSecs));
    const QDateTime now = pumpClock();
    if (!m_last.isValid() || now <= m_last) {
        m_last = now;
        return;
    }
    // Walk from event to event (start, stop, log tick) so records carry the
    // time they happened; a clock that jumps far is caught up in one step
    // once the walk grows long.
    for (int steps = 0; m_last < now; ++steps) {
        QDateTime next = now;
        if (steps < 5000) {
            if (m_run == Run::Waiting && m_start.at < next)
                next = std::max(m_start.at, m_last);
            if (m_run == Run::Running) {
                if (m_runEndsAt.isValid() && m_runEndsAt < next)
                    next = std::max(m_runEndsAt, m_last);
                if (m_nextLogAt.isValid() && m_nextLogAt < next)
                    next = std::max(m_nextLogAt, m_last);
            }
        }
        integrate(double(m_last.msecsTo(next)) / 1000.0);
        m_last = next;
        if (m_off)
            continue;
        if (m_run == Run::Waiting && m_start.at <= m_last) {
            startRun();
            if (m_stop.at.isValid())
                m_runEndsAt = m_stop.at;
        }
        if (m_run == Run::Running) {
            if (m_runEndsAt.isValid() && m_runEndsAt <= m_last) {
                stopRun();
            } else if (m_nextLogAt.isValid() && m_nextLogAt <= m_last) {
                addRecord(SimRecord::RunUpdate);
                m_nextLogAt = m_last.addSecs(qint64(m_logRate) * 60);
            }
        }
        if (steps >= 5000)
            break;
    }
    m_last = now;
}

void SimPump::integrate(double seconds) {
    if (seconds <= 0 || m_off)
        return;
    m_boardSecs += seconds;
    const double minutes = seconds / 60.0;
    if (m_run != Run::Running) {
        m_battery = std::max(5.0, m_battery - 0.005 * minutes);
        return;
    }
    m_motorSecs += seconds;
    m_sampleSecs += seconds;
    m_volume += measuredFlow() * minutes / 1000.0;
    m_stpVolume += stpFlow() * minutes / 1000.0;
    m_tempSum += temperatureF() * seconds;
    m_tempSecs += seconds;
    const double before = m_battery;
    m_battery = std::max(5.0, m_battery - 0.1 * minutes);
    if (before > 10 && m_battery <= 10)
        addRecord(SimRecord::LowBattery);
    if (m_battery <= 5.0) {
        addRecord(SimRecord::ShutDown5);
        stopRun();
    }
}

void SimPump::startRun() {
    m_run = Run::Running;
    m_runStartedAt = pumpClock();
    if (m_last.isValid() && m_last < m_runStartedAt)
        m_runStartedAt = m_last;
    m_runEndsAt = QDateTime();
    m_nextLogAt = m_runStartedAt.addSecs(qint64(m_logRate) * 60);
    addRecord(SimRecord::StartSampling);
}

void SimPump::stopRun() {
    addRecord(SimRecord::StopSampling);
    m_run = Run::Idle;
    m_runEndsAt = QDateTime();
    m_nextLogAt = QDateTime();
}

// ---------------------------------------------------------------- measurements

int SimPump::measuredFlow() const {
    if (m_run != Run::Running)
        return 0;
    // Within a few tenths of a percent of the target, wandering slowly.
    const double t = m_last.isValid() ? m_last.time().msecsSinceStartOfDay() / 1000.0 : 0;
    return qRound(m_targetFlow * (1.0 + 0.003 * std::sin(t / 7.0)));
}

int SimPump::stpFlow() const {
    // Standard conditions: 29.92 inches of mercury and 70 degrees F.
    return qRound(measuredFlow() * (bp() / 29.92) * (530.0 / (460.0 + temperatureF())));
}

int SimPump::temperatureF() const {
    const double minute = m_last.isValid() ? m_last.time().msecsSinceStartOfDay() / 60000.0 : 0;
    return qRound(72.0 + 3.0 * std::sin(minute * 2 * M_PI / 1440.0));
}

double SimPump::bp() const {
    const double minute = m_last.isValid() ? m_last.time().msecsSinceStartOfDay() / 60000.0 : 0;
    return 29.92 - 0.2 * std::cos(minute * 2 * M_PI / 1440.0);
}

double SimPump::dp() const {
    // Pressure drop across the filter grows with the flow.
    return m_run == Run::Running ? measuredFlow() / 400.0 : 0.0;
}

// ---------------------------------------------------------------- history

SimRecord SimPump::snapshot(SimRecord::Kind kind) const {
    SimRecord r;
    r.kind = kind;
    r.when = m_last.isValid() ? m_last : pumpClock();
    r.battery = qRound(m_battery);
    r.temperatureF = temperatureF();
    r.bp = bp();
    r.dp = dp();
    r.elapsedMinutes = m_runStartedAt.isValid() && m_run == Run::Running
                           ? int(m_runStartedAt.secsTo(r.when) / 60)
                           : 0;
    r.flow = kind == SimRecord::Calibration || kind == SimRecord::ChangeRate ||
                     kind == SimRecord::VerifyFlow || kind == SimRecord::TrimautoFlowAdjusted ||
                     kind == SimRecord::VerifyCalibrate
                 ? m_targetFlow
                 : measuredFlow();
    r.volume = m_volume;
    r.stpVolume = m_stpVolume;
    r.serial = m_options.serial.right(6);
    r.firmware =
        (m_options.model == "80"                                                         ? "TRX"
         : m_options.model == "25" || m_options.model == "35" || m_options.model == "2D" ? "ORB"
                                                                                         : "KST") +
        m_options.firmware.left(1) + m_options.firmware.right(2);
    return r;
}

void SimPump::addRecord(SimRecord::Kind kind) {
    m_records.append(snapshot(kind));
    // Memory full: the oldest entry makes room.
    if (m_records.size() > kMaxRecords)
        m_records.removeFirst();
}

void SimPump::generateHistory(int count) {
    // A working life in miniature that goes through every kind of entry.
    using K = SimRecord;
    static const SimRecord::Kind cycle[] = {K::LogInit,
                                            K::PowerOn,
                                            K::ProgramInstalled,
                                            K::ChangeTime,
                                            K::ChangeDate,
                                            K::Calibration,
                                            K::TrimautoFlowAdjusted,
                                            K::VerifyCalibrate,
                                            K::VerifyFlow,
                                            K::ChangeFlow,
                                            K::ChangeRate,
                                            K::PumpProgram,
                                            K::PowerOff,
                                            K::PowerOn,
                                            K::DutyBegins,
                                            K::StartSampling,
                                            K::RunUpdate,
                                            K::RunUpdate,
                                            K::Break1Begin,
                                            K::EventEnd,
                                            K::RunUpdate,
                                            K::LunchBegin,
                                            K::EventEnd,
                                            K::RunUpdate,
                                            K::Break2Begin,
                                            K::EventEnd,
                                            K::UserHold,
                                            K::RunUpdate,
                                            K::NoFlow,
                                            K::FilterOut,
                                            K::RunUpdate,
                                            K::LowBattery,
                                            K::ShutDown5,
                                            K::StopSampling,
                                            K::ClearData,
                                            K::PowerOff};
    const int n = int(sizeof cycle / sizeof cycle[0]);
    const QDateTime end = pumpClock().addSecs(-3600);
    int elapsed = 0;
    double volume = 0;
    for (int i = 0; i < count; ++i) {
        SimRecord r = snapshot(cycle[i % n]);
        r.when = end.addSecs(-qint64(count - 1 - i) * 15 * 60);
        const bool sampling = i % n > 15 && i % n < 33;
        elapsed = sampling ? elapsed + 15 : 0;
        r.elapsedMinutes = elapsed;
        r.battery = 98 - (i % n) * 2;
        r.temperatureF = 70 + i % 5;
        r.bp = 29.92 - 0.01 * (i % 7);
        r.flow = sampling ? m_targetFlow + (i % 3) - 1 : 0;
        r.dp = r.flow / 400.0;
        volume = sampling ? volume + m_targetFlow * 15 / 1000.0 : 0;
        r.volume = volume;
        r.stpVolume = volume * 0.98;
        if (r.kind == K::Calibration || r.kind == K::VerifyFlow || r.kind == K::ChangeRate ||
            r.kind == K::TrimautoFlowAdjusted || r.kind == K::VerifyCalibrate)
            r.flow = m_targetFlow;
        m_records.append(r);
    }
}
