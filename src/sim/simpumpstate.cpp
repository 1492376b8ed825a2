#include "sim/simpumpstate.h"

#include <QtMath>
#include <cmath>

namespace Sim {

QPair<int, int> flowRange(const QByteArray& model) {
    if (model == "21")
        return {800, 5000};
    if (model == "29")
        return {2000, 12000};
    if (model == "31")
        return {100, 600};
    return {1, 999999}; // no range of its own: what the six-digit field holds
}

QByteArray defaultFirmware(const QByteArray& model) {
    if (model == "25" || model == "35" || model == "2D")
        return "1.24";
    if (model == "80")
        return "1.43";
    return "2.04";
}

int runStateCode(const SimPumpState& s) {
    switch (s.run) {
    case SimPumpState::Run::Running:
        return kStateRunning;
    case SimPumpState::Run::Waiting:
        return kStateWaiting;
    case SimPumpState::Run::Idle:
        break;
    }
    return kStateIdle;
}

// ---------------------------------------------------------------- sensors

namespace {
double secondOfDay(const SimPumpState& s) {
    return s.now.isValid() ? s.now.time().msecsSinceStartOfDay() / 1000.0 : 0;
}
double minuteOfDay(const SimPumpState& s) {
    return s.now.isValid() ? s.now.time().msecsSinceStartOfDay() / 60000.0 : 0;
}
} // namespace

int measuredFlow(const SimPumpState& s) {
    if (s.run != SimPumpState::Run::Running)
        return 0;
    // Within a few tenths of a percent of the target, wandering slowly.
    return qRound(s.targetFlow * (1.0 + 0.003 * std::sin(secondOfDay(s) / 7.0)));
}

int stpFlow(const SimPumpState& s) {
    // Standard conditions: 29.92 inches of mercury and 70 degrees F.
    return qRound(measuredFlow(s) * (bp(s) / 29.92) * (530.0 / (460.0 + temperatureF(s))));
}

int temperatureF(const SimPumpState& s) {
    return qRound(72.0 + 3.0 * std::sin(minuteOfDay(s) * 2 * M_PI / 1440.0));
}

double bp(const SimPumpState& s) {
    return 29.92 - 0.2 * std::cos(minuteOfDay(s) * 2 * M_PI / 1440.0);
}

double dp(const SimPumpState& s) {
    // Pressure drop across the filter grows with the flow.
    return s.run == SimPumpState::Run::Running ? measuredFlow(s) / 400.0 : 0.0;
}

// ---------------------------------------------------------------- history

namespace {
bool carriesTargetFlow(SimRecord::Kind kind) {
    return kind == SimRecord::Calibration || kind == SimRecord::ChangeRate ||
           kind == SimRecord::VerifyFlow || kind == SimRecord::TrimautoFlowAdjusted ||
           kind == SimRecord::VerifyCalibrate;
}
} // namespace

SimRecord snapshot(const SimPumpState& s, SimRecord::Kind kind) {
    SimRecord r;
    r.kind = kind;
    r.when = s.now;
    r.battery = qRound(s.meters.battery);
    r.temperatureF = temperatureF(s);
    r.bp = bp(s);
    r.dp = dp(s);
    r.elapsedMinutes = s.runStartedAt.isValid() && s.run == SimPumpState::Run::Running
                           ? int(s.runStartedAt.secsTo(r.when) / 60)
                           : 0;
    r.flow = carriesTargetFlow(kind) ? s.targetFlow : measuredFlow(s);
    r.volume = s.meters.volume;
    r.stpVolume = s.meters.stpVolume;
    r.serial = s.serial.right(6);
    const QByteArray family = s.model == "80"                                         ? "TRX"
                              : s.model == "25" || s.model == "35" || s.model == "2D" ? "ORB"
                                                                                      : "KST";
    r.firmware = family + s.firmware.left(1) + s.firmware.right(2);
    return r;
}

void appendRecord(SimPumpState& s, const SimRecord& r) {
    s.records.append(r);
    if (s.records.size() > SimPumpState::kMaxRecords)
        s.records.removeFirst();
}

void addRecord(SimPumpState& s, SimRecord::Kind kind) {
    appendRecord(s, snapshot(s, kind));
}

void startRun(SimPumpState& s) {
    s.run = SimPumpState::Run::Running;
    s.runStartedAt = s.now;
    s.runEndsAt = QDateTime();
    s.nextLogAt = s.runStartedAt.addSecs(qint64(s.logRate) * 60);
    addRecord(s, SimRecord::StartSampling);
}

void stopRun(SimPumpState& s) {
    addRecord(s, SimRecord::StopSampling);
    s.run = SimPumpState::Run::Idle;
    s.runEndsAt = QDateTime();
    s.nextLogAt = QDateTime();
}

void fillHistory(SimPumpState& s, int count) {
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
    const QDateTime end = s.now.addSecs(-3600);
    int elapsed = 0;
    double volume = 0;
    for (int i = 0; i < count; ++i) {
        SimRecord r = snapshot(s, cycle[i % n]);
        r.when = end.addSecs(-qint64(count - 1 - i) * 15 * 60);
        const bool sampling = i % n > 15 && i % n < 33;
        elapsed = sampling ? elapsed + 15 : 0;
        r.elapsedMinutes = elapsed;
        r.battery = 98 - (i % n) * 2;
        r.temperatureF = 70 + i % 5;
        r.bp = 29.92 - 0.01 * (i % 7);
        r.flow = sampling ? s.targetFlow + (i % 3) - 1 : 0;
        r.dp = r.flow / 400.0;
        volume = sampling ? volume + s.targetFlow * 15 / 1000.0 : 0;
        r.volume = volume;
        r.stpVolume = volume * 0.98;
        if (carriesTargetFlow(r.kind))
            r.flow = s.targetFlow;
        appendRecord(s, r);
    }
}

} // namespace Sim
