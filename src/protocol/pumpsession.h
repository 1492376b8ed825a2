// The conversation with one pump, without a screen. PumpSession owns the link
// (PumpLink over a SerialLink), the receive handler (ResponseDispatcher) and
// its capture memo, the once-a-second poll (Timer1 and PollCycle) and two
// SequenceRunners: one for command sequences, one for the poll's steps, which
// go on while a sequence's box or "No Pump Found" is open. It takes the
// user's intents (choose a port, refresh, run a sequence, send a command) and
// hands out what the window must show (UiChanges), the message boxes to
// open, and whether it is busy and whether a pump is attached. The window
// and corvane-cli are two faces of it.
//
// How a line travels: SerialLink -> PumpLink (trace) -> ResponseDispatcher
// (line assembly, capture, dispatch by reply code) -> decoder -> UiChanges ->
// PumpSession::changed -> the window applies it, or the command line prints it.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"
#include "link/pumplink.h"
#include "logs/capturememo.h"
#include "protocol/configsequences.h"
#include "protocol/pollcycle.h"
#include "protocol/readback.h"
#include "protocol/responsedispatcher.h"
#include "protocol/sequencerunner.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>

class PumpSession : public QObject {
    Q_OBJECT
public:
    enum class Presence { NoPump, Attached };
    using Closed = std::function<void()>;

    PumpSession(AppState& state, SerialLink& link, const WaitClock& clock,
                QObject* parent = nullptr);
    ~PumpSession() override;

    // The user (or the settings load) chose Com(index + 1).
    void selectPort(int index);
    // "Refresh Display": polling back on when it is off, then one request.
    void refreshDisplay();
    // "Refresh Current Pump Data": one request.
    void refreshPumpData();
    // Timer1 on (the clear-screen button, the end of a download). While the
    // session is busy it comes on when the run ends, not in the middle.
    void resumePolling();
    void stopPolling();
    bool polling() const { return m_pollTimer.isActive() || m_resumeWhenIdle; }
    // One Timer1 tick (the timer calls it; tests may too).
    void pollTick();

    // Starts a command sequence. Refused (false, nothing written) while
    // another runs or a download is in progress, and when the port is not
    // open (the reason goes out as a notice).
    bool run(const Sequence& sequence);
    // Ends a running sequence: nothing more is written.
    void stopSequence();
    // Writes each text at once, one write each, within this call: nothing
    // can come between them. Refused like run(). A clock pair ("W16 " ...)
    // is confirmed from the next status report (readBackFinished).
    bool sendNow(const QStringList& texts);

    // "E&xit": "RUN_CLEAR" before the window closes (which writes it again).
    void menuExit();

    // "Program Pump" done: forget the last report and show the no-pump state
    // until the pump is found again.
    void forgetPump();

    // The window closes: ends any sequence (nothing more is written), stops
    // polling and writes "RUN_CLEAR".
    void shutdown();

    // True when a command may go out now (not busy, port open); otherwise
    // says why as a notice and false.
    bool readyToSend();
    // The log download's requests; only the session writes to the link.
    // End-of-file detection on (the printout may end in that character), then
    // "PRINTLOG".
    void requestLogPrintout();
    // A download ended before "Done ok": the pump may still be printing, and
    // nothing more of it goes into the memo.
    void endCapture();
    // The hourglass held over work longer than one write (a download); nests
    // with the one each write shows.
    void holdCursor(bool on);

    // The last status report put the pump in RUN mode (run state above
    // 400): programming it now would end the sample it is taking.
    bool pumpSampling() const { return m_sampling; }

    // "Take the pump's settings": the setup page's choices from the last
    // setup and status reports since the pump was found (none: the page's
    // own, and says so). Sends nothing.
    ConfigSequences::PumpSetup pumpSetup(const SetupValues& page) const;

    bool busy() const { return m_runner.isRunning() || m_busyOther; }
    Presence presence() const { return m_presence; }
    // Marks the session busy for work that is not a sequence (a download).
    void setBusy(bool busy);

    // The controls that write to the pump: disabled while busy.
    static const QStringList& pumpWritingControls();
    // One decision of their enabling, from the pump's presence, whether a
    // sequence or download runs, and what the pump's reports said of it
    // (a pump in RUN mode locks "Clear Sampling Data in Pump").
    static UiChanges enabling(Presence presence, bool busy);
    // The same decision for the controls the facts `told` speak of, given
    // all that is `known` (told included). `corvane-cli decode` shows it.
    static UiChanges enablingFor(const PumpFacts& told, const PumpFacts& known,
                                 Presence presence = Presence::Attached, bool busy = false);

    PumpLink& link() { return m_link; }
    CaptureMemo& memo() { return m_memo; }
    ResponseDispatcher& dispatcher() { return m_dispatcher; }
    // Ticks counted in the present missing-pump check cycle.
    int pollTickCount() const { return m_poll.tickCount(); }
    // How long the session waits, for tests and tools: the longest sleep
    // between two looks at the clock during a pause, and how long the
    // read-back waits for the reports (a program: for the pump to come back).
    void setMaxSleepMs(int ms) { m_runner.waiter().maxSleepMs = ms; }
    void setReadBackTimeoutMs(int ms) { m_readBack.setTimeoutMs(ms); }
    void setProgramReadBackTimeoutMs(int ms) { m_readBack.setProgramTimeoutMs(ms); }
    bool readBackPending() const { return m_readBack.pending(); }
    // The PC clock the pump clock is compared with (lblClockDrift).
    std::function<QDateTime()> pcClock = [] { return QDateTime::currentDateTime(); };
    QTimer& timer1() { return m_pollTimer; } // the poll timer, objectName "Timer1"
    AppState& state() { return m_state; }

signals:
    // What the window must show, in order.
    void changed(const UiChanges& changes);
    // A message box with an OK button; `closed` runs once it is closed.
    void messageRequested(const QString& text, const PumpSession::Closed& closed);
    // The box with this text is no longer needed (the pump came back).
    void messageDismissed(const QString& text);
    // A line for the status bar.
    void notice(const QString& text);
    void portStatusChanged(const QString& text);
    // The open port went away (adapter unplugged, hang-up).
    void portLost();
    // The hourglass: during each write, and for a whole sequence.
    void cursorBusy(bool busy);
    void busyChanged(bool busy);
    void presenceChanged(PumpSession::Presence presence);
    // Each line the pump sent, after it was handled.
    void lineHandled(const LineResult& result);
    void saveSettingsRequested();
    void sequenceStarted(const Sequence& sequence);
    void sequenceFinished(const Sequence& sequence, bool completed);
    // Whether the pump took a setup, clock or program it was sent; the text
    // also goes out as a notice (a program not confirmed: as a message box)
    // and into its label (ReadBack::shown).
    void readBackFinished(const ReadBackResult& result);
    // Every byte written ('T') and read ('R'), in order; a write the open
    // port refused as 'F'.
    void traced(char direction, const QByteArray& bytes);

private:
    void onReceived(const QByteArray& bytes);
    void runPoll(const Sequence& poll);
    void emitChanges(UiChanges changes);
    void setPresence(Presence presence);
    bool refuse();
    void busyEdge(bool wasBusy);

    AppState& m_state;
    PumpLink m_link;
    CaptureMemo m_memo;
    ResponseDispatcher m_dispatcher;
    PollCycle m_poll;
    SequenceRunner m_runner;     // the command sequences
    SequenceRunner m_pollRunner; // the ticks and refreshes, also while a box is open
    ReadBack m_readBack;
    QTimer m_pollTimer;
    Presence m_presence = Presence::NoPump;
    bool m_busyOther = false;
    bool m_sampling = false;
    QString m_lastStatusLine, m_lastSetupLine;
    bool m_resumeWhenIdle = false;
    bool m_shutDown = false;
    int m_cursorDepth = 0;
    // What the pump's reports said of it last, kept while busy.
    PumpFacts m_facts;
};
