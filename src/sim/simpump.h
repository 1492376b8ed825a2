// The simulated pump behind a serial line. It takes the bytes Corvane
// writes, cuts them into commands, looks each up in the command table
// (simcommands.h) and queues the answer for a transport (SimSerialLink
// in-process, corvane-pumpsim on a pseudo-terminal), which sends it at the
// line's pace. What the pump holds is a SimPumpState; what it prints is
// written by simreports.h. This class adds time (run mode, history entries,
// power-off, read from an injectable clock so tests need not wait) and the
// faults that try Corvane's handling of a misbehaving line.
#pragma once

#include "sim/simpumpstate.h"
#include "sim/simreports.h"

#include <QByteArray>
#include <QByteArrayList>
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
    // Commands the pump misses: it swallows them without effect or answer,
    // every time ("G09", "W06", "POWER_OFF"; a trailing blank is ignored).
    QByteArrayList ignoreCommands;
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

    static constexpr int kMaxRecords = SimPumpState::kMaxRecords;
    static constexpr int kMaxCommandLength = 256; // longer input is thrown away
    static constexpr int kStatusLength = SimReports::kStatusLength;
    static constexpr int kStateIdle = Sim::kStateIdle;
    static constexpr int kStateWaiting = Sim::kStateWaiting;
    static constexpr int kStateRunning = Sim::kStateRunning;

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

    // The lines the pump prints, without the line end. The status report
    // brings the pump up to the clock first and counts for the truncation
    // fault.
    QByteArray statusReport();
    QByteArray setupReport() const;
    QByteArray pumpStateLine() const;

    int runStateCode() const;
    QDateTime pumpClock() const;
    const QList<SimRecord>& records() const { return m_state.records; }
    const SimPumpState& state() const { return m_state; }
    int linesSent() const { return m_linesSent; }
    const Options& options() const { return m_options; }

    // Model table entries the simulator knows ranges for.
    static bool knownModel(const QByteArray& code);
    static QByteArray defaultFirmware(const QByteArray& model);
    // A code of the pump's command set ("G09", "POWER_OFF"; a trailing blank
    // is ignored).
    static bool knownCommand(const QByteArray& code);

private:
    void command(const QByteArray& text);
    void emitLine(const QByteArray& line);
    void printLog();
    void integrate(double seconds);
    void powerOnAt(const QDateTime& at);
    bool silent(const QDateTime& now);
    QDateTime systemNow() const;

    Options m_options;
    Clock m_clock;
    QRandomGenerator m_random;
    SimPumpState m_state;

    QByteArray m_input;
    bool m_inputOverflow = false;
    QByteArray m_out;
    qsizetype m_disconnectAt = -1; // offset in m_out where the line drops
    int m_linesSent = 0;
    int m_statusReports = 0;
    QDateTime m_silentUntil; // computer time; invalid: not silent
    bool m_silentForGood = false;
    QDateTime m_offUntil; // computer time the pump comes back on
    QByteArray m_lastStateLine;
};
