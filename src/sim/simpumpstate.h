// The simulated pump's memory as plain data: identity, setup flags, run
// program, meters, history and clock. Commands change it (simcommands.h),
// reports are written from it (simreports.h), SimPump moves it on in time.
// The free functions below are the rules every part shares: what the sensors
// read, how an event is logged, how a run starts and stops.
#pragma once

#include "sim/simrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>

// A programmed date-time; invalid means not in use.
struct SimMoment {
    QDateTime at;
};

// Minute and hour of a pause's start and stop; start < 0: not in use.
struct SimPause {
    int startMin = -1, startHour = -1, stopMin = -1, stopHour = -1;
};

// The setup switches, each the character the setup report prints.
struct SimSetup {
    char timing = '0';     // G01 / Y01: timing routines
    char units02 = '0';    // G02 / Y02: '0' English, '1' metric
    char units03 = '0';    // G03 / Y03: the same, second half
    char flowFault = '1';  // G04 / Y04
    char flowMode = '0';   // Y05 sets flow mode ('0')
    char timesInUse = '0'; // G12 / Y12
    char armed = '0';      // G07: run the program when switched on next
    char password = '0';   // G09 / Y09
    char duration = '0';   // G10 / Y10: '1' Duration, '0' Start/Stop
    char screens = '1';    // G11 / Y11: start-up display screens
    char stp = '0';        // G13 / Y13: '1' S.T.P., '0' volumetric
};

// The run program: what is in force, and what "W17 " to "W25 " wrote and
// "G12" has not committed yet.
struct SimProgram {
    SimMoment start, stop;
    SimPause break1, break2, lunch;
    int durationMinutes = -1; // "W19 "; -1: not in use

    SimMoment pendingStart, pendingStop;
    SimPause pendingBreak1, pendingBreak2, pendingLunch;
    bool pendingTimes = false;
};

// Counters and sampling data the status report shows.
struct SimMeters {
    double boardSecs = 0, motorSecs = 0;              // lifetime run times
    double sampleSecs = 0, volume = 0, stpVolume = 0; // the present sample; "CLEAR_ALL" zeroes them
    double tempSum = 0, tempSecs = 0;                 // average temperature of the sample
    double battery = 92;                              // percent
    QDateTime calibratedAt;
    int calibrationFlow = 2000;
};

struct SimPumpState {
    static constexpr int kMaxRecords = 999; // the log count is three digits

    enum class Run { Idle, Waiting, Running };

    // Identity, as printed: model code (2), serial (8), firmware (4).
    QByteArray model = "21", serial = "00012345", firmware = "2.04";

    SimSetup setup;
    int targetFlow = 2000; // cc/min, "W04 "
    int logRate = 15;      // minutes between run updates, "W06 "
    SimProgram program;

    Run run = Run::Idle;
    QDateTime runStartedAt, runEndsAt, nextLogAt; // pump time

    SimMeters meters;
    QList<SimRecord> records; // oldest first

    // Pump time = computer time + offset. `now` is the pump time the state
    // has been brought up to; reports are written as of that moment.
    qint64 clockOffsetMs = 0;
    QByteArray pendingClock; // "W16 " argument waiting for "UPDATE_SYS_TIME"
    QDateTime now;

    bool off = false; // switched off by "POWER_OFF "
};

namespace Sim {
// Run-state codes of the status report.
constexpr int kStateIdle = 100;
constexpr int kStateWaiting = 300; // programmed, start time not reached
constexpr int kStateRunning = 410; // above 400: RUN mode

// The target flows the model takes, in cc/min, both ends included.
QPair<int, int> flowRange(const QByteArray& model);
QByteArray defaultFirmware(const QByteArray& model);
int runStateCode(const SimPumpState& s);

// What the sensors read at s.now.
int measuredFlow(const SimPumpState& s);
int stpFlow(const SimPumpState& s);
int temperatureF(const SimPumpState& s);
double bp(const SimPumpState& s);
double dp(const SimPumpState& s);

// A history entry of this kind as of s.now, and logging one (memory full:
// the oldest entry makes room).
SimRecord snapshot(const SimPumpState& s, SimRecord::Kind kind);
void addRecord(SimPumpState& s, SimRecord::Kind kind);
void appendRecord(SimPumpState& s, const SimRecord& r);
// Sampling begins or ends now, with its history entry.
void startRun(SimPumpState& s);
void stopRun(SimPumpState& s);
// A working life in miniature, `count` entries ending an hour before s.now,
// that goes through every kind of entry.
void fillHistory(SimPumpState& s, int count);
} // namespace Sim
