// The simulated pump: a pump's memory and behaviour behind a serial line.
// It takes the bytes Corvane writes, answers each command as a pump does
// ("R99" status report, "Z99" setup report, "P01" pump-state line when a
// command changed it, "PRINTLOG" history dump) and queues the reply bytes
// for a transport (SimSerialLink in-process, corvane-pumpsim on a
// pseudo-terminal), which sends them at the line's pace. Time is read from an
// injectable clock, so run mode, history records and power-off can be tested
// without waiting. Faults can be switched on to try Corvane's handling of a
// misbehaving line.
#pragma once

#include "sim/simrecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <functional>

// Faults on demand, each off by default.
struct SimPumpFaults {
    int silentAfterLines = -1;       // fall silent once this many lines have gone out
    int silentForMs = 0;             // ...for this long; 0 means for good
    int garbageEveryLines = 0;       // random bytes and a CR before every n-th line
    int eofAfterLines = -1;          // one end-of-file character (26) after line n
    int logCountSkew = 0;            // the status report claims records + skew
    int truncateStatusEvery = 0;     // every n-th status report is cut short...
    int truncateStatusTo = 100;      // ...to this many characters
    int disconnectAfterRecords = -1; // the line drops after this many records of a dump
};

// What the simulated pump is and holds at start.
struct SimPumpOptions {
    QByteArray model = "21";        // pump type code of the status report
    QByteArray serial = "00012345"; // eight characters
    QByteArray firmware;            // four characters; empty: the model's own
    int records = 40;               // history records held at start
    bool running = false;           // start in RUN mode
    int powerOffMs = 5000;          // "POWER_OFF " silences the pump this long
    quint32 seed = 1;               // for garbage bytes
    SimPumpFaults faults;
};
class SimPump {
public:
    using Clock = std::function<QDateTime()>;

    static constexpr int kMaxRecords = 999;       // the log count is three digits
    static constexpr int kMaxCommandLength = 256; // longer input is thrown away
    static constexpr int kStatusLength = 231;
    static constexpr int kStateIdle = 100;
    static constexpr int kStateWaiting = 300; // programmed, start time not reached
    static constexpr int kStateRunning = 410; // above 400: RUN mode

    using Faults = SimPumpFaults;
    using Options = SimPumpOptions;

    explicit SimPump(Options options = {}, Clock clock = {});

    // Bytes written by Corvane. Replies are queued for read().
    void write(const QByteArray& bytes);
    // Up to `max` queued reply bytes (all when negative), oldest first; never
    // past the point where a disconnect fault drops the line.
    QByteArray read(qsizetype max = -1);
    qsizetype pending() const;
    // True once, when every byte before a disconnect fault has been read:
    // the transport must drop the line now. The rest of the output is lost.
    bool takeDisconnect();
    // The reply bytes that go with the pump going quiet are dropped too.
    void clearOutput();

    // Brings run mode, run times, battery and history up to the clock.
    void advance();
    // Switches a pump that is off on again at once.
    void powerOn();
    bool poweredOn();
    // Stay silent (no answers, input ignored) for ms; 0 means until powerOn().
    void silenceFor(int ms);

    // The lines the pump prints, without the line end.
    QByteArray statusReport();
    QByteArray setupReport() const;
    QByteArray pumpStateLine() const;

    int runStateCode() const;
    QDateTime pumpClock() const;
    const QList<SimRecord>& records() const { return m_records; }
    int linesSent() const { return m_linesSent; }
    const Options& options() const { return m_options; }

    // Model table entries the simulator knows ranges for.
    static bool knownModel(const QByteArray& code);
    static QByteArray defaultFirmware(const QByteArray& model);

private:
    enum class Run { Idle, Waiting, Running };
    struct Moment { // a programmed date-time; invalid means not in use
        QDateTime at;
    };
    struct Pause { // minute and hour of start and stop; start < 0: not in use
        int startMin = -1, startHour = -1, stopMin = -1, stopHour = -1;
    };

    void command(const QByteArray& cmd);
    void setFlag(char& flag, bool on) { flag = on ? '1' : '0'; }
    void emitLine(const QByteArray& line);
    void printLog();
    void addRecord(SimRecord::Kind kind);
    SimRecord snapshot(SimRecord::Kind kind) const;
    void generateHistory(int count);
    void integrate(double seconds);
    void startRun();
    void stopRun();
    void powerOnAt(const QDateTime& at);
    bool silent(const QDateTime& now);
    QDateTime systemNow() const;
    int measuredFlow() const;
    int stpFlow() const;
    int temperatureF() const;
    double bp() const;
    double dp() const;
    QPair<int, int> flowRange() const;

    static bool parseMoment(const QByteArray& arg, Moment* out);
    static bool parsePause(const QByteArray& arg, Pause* out);

    Options m_options;
    Clock m_clock;
    QRandomGenerator m_random;

    QByteArray m_input;
    bool m_inputOverflow = false;
    QByteArray m_out;
    qsizetype m_disconnectAt = -1; // offset in m_out where the line drops
    int m_linesSent = 0;
    int m_statusReports = 0;
    QDateTime m_silentUntil; // pump time; invalid: not silent
    bool m_silentForGood = false;
    QDateTime m_offUntil; // system time the pump comes back on
    bool m_off = false;

    // Clock: pump time = system time + offset.
    qint64 m_clockOffsetSecs = 0;
    QByteArray m_pendingClock; // "W16 " argument waiting for UPDATE_SYS_TIME
    QDateTime m_last;          // pump time of the last advance

    // Setup (the characters of the setup report).
    char m_timing = '0', m_units02 = '0', m_units03 = '0', m_flowFault = '1', m_flowMode = '0',
         m_timesInUse = '0', m_armed = '0', m_password = '0', m_duration = '0', m_screens = '1',
         m_stp = '0';
    int m_targetFlow = 2000;
    int m_logRate = 15;

    // Run program.
    Moment m_start, m_stop, m_pendingStart, m_pendingStop;
    Pause m_break1, m_break2, m_lunch, m_pendingBreak1, m_pendingBreak2, m_pendingLunch;
    bool m_pendingTimes = false;
    int m_durationMinutes = -1; // -1: not in use
    Run m_run = Run::Idle;
    QDateTime m_runStartedAt;
    QDateTime m_runEndsAt;
    QDateTime m_nextLogAt;

    // Meters.
    double m_boardSecs = 0, m_motorSecs = 0, m_sampleSecs = 0;
    double m_volume = 0, m_stpVolume = 0;
    double m_tempSum = 0, m_tempSecs = 0; // average temperature of the sample
    double m_battery = 92;
    QDateTime m_calibratedAt;
    int m_calibrationFlow = 2000;

    QList<SimRecord> m_records;
    QByteArray m_lastStateLine;
};
