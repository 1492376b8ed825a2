#include "sim/simreports.h"

using namespace SimText;

namespace {
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

QByteArray pauseGroup(const SimPause& p) {
    if (p.startMin < 0)
        return "55 55 55 55";
    return digits(p.startMin, 2) + ' ' + digits(p.startHour, 2) + ' ' + digits(p.stopMin, 2) + ' ' +
           digits(p.stopHour, 2);
}

void put(QByteArray& line, int position, const QByteArray& text) {
    // Positions count from 1, as in the pump's manual.
    line.replace(position - 1, text.size(), text);
}
} // namespace

namespace SimReports {

QByteArray status(const SimPumpState& s, int logCountSkew) {
    QByteArray r(kStatusLength, ' ');
    const SimMeters& m = s.meters;
    const qint64 board = qint64(m.boardSecs) / 60, motor = qint64(m.motorSecs) / 60,
                 sample = qint64(m.sampleSecs) / 60;
    const bool running = s.run == SimPumpState::Run::Running;
    put(r, 1, "R99");
    put(r, 5, digits(board / 60, 4));
    put(r, 10, digits(board % 60, 2));
    put(r, 13, digits(motor / 60, 4));
    put(r, 18, digits(motor % 60, 2));
    put(r, 21, fixed(Sim::bp(s), 5, 2));
    put(r, 27, fixed(Sim::dp(s), 5, 2));
    put(r, 34, digits(s.targetFlow, 6));
    put(r, 40, digits(Sim::measuredFlow(s), 6));
    put(r, 47, digits(Sim::stpFlow(s), 6));
    put(r, 54, fixed(m.volume, 8, 3));
    put(r, 63, fixed(m.stpVolume, 8, 3));
    put(r, 72, s.model);
    put(r, 75, dateGroup(s.now));
    put(r, 90, digits(sample / 60, 3));
    put(r, 94, digits(sample % 60, 2));
    put(r, 97, digits(qRound(m.battery), 3));
    put(r, 101, digits(Sim::temperatureF(s), 3));
    put(r, 105, digits(s.logRate, 2));
    put(r, 108, s.firmware);
    put(r, 113, digits(qBound(0, int(s.records.size()) + logCountSkew, 999), 3));
    put(r, 117, s.serial);
    // Battery time left at the present draw: a tenth of a percent a minute
    // while sampling, a two-hundredth while idle.
    const int leftMin = int(m.battery / (running ? 0.1 : 0.005));
    put(r, 126, digits(std::min(leftMin / 60, 99), 2));
    put(r, 129, digits(leftMin % 60, 2));
    put(r, 132, digits(m.tempSecs > 0 ? qRound(m.tempSum / m.tempSecs) : 255, 3));
    put(r, 136, digits(qRound(s.records.size() * 100.0 / SimPumpState::kMaxRecords), 3));
    put(r, 140, dateGroup(m.calibratedAt));
    put(r, 155, digits(m.calibrationFlow, 6));
    put(r, 162, dateGroup(s.program.start.at));
    put(r, 177, dateGroup(s.program.stop.at));
    put(r, 192, pauseGroup(s.program.break1));
    put(r, 204, pauseGroup(s.program.break2));
    put(r, 216, pauseGroup(s.program.lunch));
    put(r, 228, digits(Sim::runStateCode(s), 4));
    return r;
}

QByteArray setup(const SimPumpState& s) {
    QByteArray z(kSetupLength, ' ');
    put(z, 1, "Z99");
    const SimSetup& f = s.setup;
    const char lock = s.run == SimPumpState::Run::Running ? '1' : '0';
    const char flags[] = {f.timing,     f.units02, f.units03, f.flowFault, f.flowMode,
                          f.timesInUse, lock,      f.armed,   f.password,  f.duration,
                          f.screens,    '0',       f.stp};
    for (int i = 0; i < 13; ++i)
        z[4 + 2 * i] = flags[i]; // positions 5, 7, ..., 29
    return z;
}

QByteArray pumpState(const SimPumpState& s) {
    QByteArray p(kPumpStateLength, ' ');
    put(p, 1, "P01");
    p[6] = s.setup.password;  // position 7
    p[8] = s.setup.flowFault; // 9
    put(p, 33, digits(s.targetFlow, 6));
    put(p, 40, dateGroup(s.program.start.at));
    put(p, 55, dateGroup(s.program.stop.at));
    const int d = s.program.durationMinutes;
    put(p, 70, d < 0 ? QByteArray("255:55") : digits(d / 60, 3) + ':' + digits(d % 60, 2));
    p[76] = s.setup.timing;  // 77
    p[78] = s.setup.screens; // 79
    p[80] = s.setup.stp;     // 81
    return p;
}

QByteArrayList logPrintout(const SimPumpState& s) {
    QByteArrayList lines;
    lines.reserve(s.records.size() + 3);
    lines << "PRINTING " + digits(s.records.size(), 3) + " LOGS" << simLogTitleLine();
    for (const SimRecord& r : s.records)
        lines << r.line();
    lines << "Done ok";
    return lines;
}

} // namespace SimReports
