// One live subcommand's conversation with a pump, without a window: the
// PumpSession the window drives (line assembly, dispatch, decoders, the poll
// and its missing-pump check, sequences), on the real serial port or the
// built-in demo pump. What the window would put in a message box or its status
// bar goes to standard error; the subcommand decides what goes to standard
// output. Every wait has its bound, and SIGINT / SIGTERM end the run from the
// event loop.
//
// A subcommand opens the session, asks for what it needs (the first reports,
// a poll that goes on, a sequence) and ends it with its exit status:
//
//     LiveSession live(pump, out);
//     if (!live.open())
//         return LiveSession::kExitNoPump;
//     live.awaitReports([&](const LineResult& status, const LineResult& setup) { ...
//         live.end(0); });
//     return live.exec();
#pragma once

#include "cliargs.h"
#include "clioutput.h"
#include "protocol/pumpsession.h"
#include "protocol/waiter.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class LiveSession : public QObject {
    Q_OBJECT
public:
    // Exit status: no pump (the port does not open, or no status report in
    // answer to the poll's missing-pump check).
    static constexpr int kExitNoPump = 3;
    // Exit status: standard output refused a write.
    static constexpr int kExitOutputFailed = 1;
    // The first status and setup reports must have come within this time of
    // the first poll; the poll's own check ("No Pump Found") comes before.
    static constexpr int kReportBoundMs = 7000;
    // Writes already made get this long to reach the device at the end.
    static constexpr int kDrainBoundMs = 2000;

    using Reports = std::function<void(const LineResult& status, const LineResult& setup)>;

    // On the pump the command line names: Com1..Com4 through the settings
    // file, a device path, or the demo pump.
    LiveSession(const PumpChoice& pump, Output& out, QObject* parent = nullptr);
    // On a link the caller owns (tests), opened as Com1, with its clock.
    LiveSession(SerialLink& link, const WaitClock& clock, Output& out, QObject* parent = nullptr);
    ~LiveSession() override;

    // Opens the port as the window's port option does. False when it stays
    // closed; the reason, as the status bar words it, is on standard error.
    bool open();

    // Polls as the window does: one request now, then one each second (Timer1).
    void startPolling();

    // Polls until the first status report and the first setup report have
    // been handled (each as LineResult, as `corvane-cli decode` prints them),
    // then calls `ready` once. No status report by the poll's missing-pump
    // check, or not both within reportBoundMs: "No Pump Found" (or what is
    // missing) on standard error and the run ends with kExitNoPump.
    void awaitReports(Reports ready);

    // Runs a command sequence as the window's button does, with polling held
    // for it. Its captions go to standard error as the window's progress frame
    // would show them, its closing message too (closed at once); `done` is
    // called at its end (completed false when it was stopped). False, with the
    // reason on standard error, when the session refuses it.
    bool runSequence(const Sequence& sequence, std::function<void(bool completed)> done);

    // Calls `fn` for each line the pump sent, after the core handled it, and
    // for every chunk written ('T') and read ('R'), until the run ends.
    void onLine(std::function<void(const LineResult&)> fn);
    void onTraced(std::function<void(char direction, const QByteArray&)> fn);

    // What an interruption does; by default the run ends at once with
    // 128 + the signal's number. What the poll's missing-pump check does
    // ("No Pump Found"); by default the run ends with kExitNoPump.
    std::function<void(int signalNumber)> onInterrupt;
    std::function<void()> onNoPump;
    // What a lost port does once the first reports are in (before them the
    // run ends with kExitNoPump); by default nothing: the session tries to
    // open it again each second.
    std::function<void()> onPortLost;
    // The bound of awaitReports (tests shorten it).
    int reportBoundMs = kReportBoundMs;

    // Ends the run with `code`: polling and any sequence stop, writes already
    // made may still reach the device (for kDrainBoundMs at most), then exec()
    // returns. endNow() lets nothing out. Only the first end counts.
    void end(int code);
    void endNow(int code);
    // Ends the run once the writes already made have reached the device, or
    // kDrainBoundMs has passed; `decide(allOut)` gives the exit status then.
    void endAfterWrites(std::function<int(bool allOut)> decide);
    bool ending() const { return m_ending; }

    // Runs the event loop until the run ends; returns its exit status.
    int exec();

    // Seconds since the session was made.
    double elapsedSeconds() const;

    PumpSession& session() { return *m_session; }
    AppState& state() { return m_state; }
    SerialLink& serial() { return *m_link; }
    Output& output() { return m_out; }

    // The settings file the window would use for Com1..Com4.
    static QString windowSettingsPath();

private:
    void setUp();
    void portStatus(const QString& text);
    void handleLine(const LineResult& result);
    void checkReports();
    void interrupted(int signalNumber);
    void quit();
    void drained(bool allOut);
    void finishNow();

    Output& m_out;
    AppState m_state;
    SystemWaitClock m_systemClock;
    std::unique_ptr<SerialLink> m_ownedLink;
    SerialLink* m_link = nullptr;
    const WaitClock* m_clock = nullptr;
    std::unique_ptr<PumpSession> m_session;
    int m_portIndex = 0;
    // The status bar says "Com1 (/dev/ttyUSB0): ..." for a device given by
    // path; the command line says "/dev/ttyUSB0: ...".
    QString m_statusPrefix, m_statusPrefixShown;
    bool m_opening = false;

    QElapsedTimer m_started;
    QList<std::function<void(const LineResult&)>> m_lineSinks;
    QList<std::function<void(char, const QByteArray&)>> m_traceSinks;

    Reports m_ready;
    std::optional<LineResult> m_firstStatus, m_firstSetup;
    QTimer m_reportBound;

    bool m_ending = false;
    bool m_quit = false;
    bool m_inExec = false;
    int m_code = 0;
    QTimer m_drain;
    QElapsedTimer m_drainStarted;
    std::function<int(bool)> m_afterDrain;
};
