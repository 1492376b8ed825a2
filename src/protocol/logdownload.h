// "Read Logs From KST": the history download, driven by the PumpSession.
// start() prepares the table and the progress display and writes "PRINTLOG";
// each line the session hands on (lineHandled) is put into the table; the
// decode of "Done ok" runs PRINTLOGDONE. The session is busy meanwhile, so no
// other command lands inside the pump's printout.
//
// A download also ends after kSilenceMs without a line from the pump (before
// its "PRI" line too), at once when the port is lost, and by stop(): what was
// captured stays (memo and table), Print and Save come back, polling resumes
// and a message says how far it got. The steps of each phase are a Sequence
// (startSteps, endSteps, clearPcScreenSteps) run by a SequenceRunner; this
// class performs the steps that are its own or the session's.
#pragma once

#include "core/uichanges.h"
#include "logs/logtablemodel.h"
#include "protocol/responsedispatcher.h"
#include "protocol/sequencerunner.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

class PumpSession;

class LogDownload : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Completed, Silent, PortLost, Stopped };
    Q_ENUM(Outcome)
    static constexpr int kSilenceMs = 10000;
    static inline const QString kCompleted = QStringLiteral("Reading Logs is completed");

    explicit LogDownload(PumpSession& session, QObject* parent = nullptr);
    ~LogDownload() override;

    // CommandButton7. Refused (false, nothing changes) while the session is
    // busy or its port is not open (the session says why).
    bool start();
    // Ends a running download by hand.
    void stop();
    // CommandButton11: the memo empty; the table and buttons stay.
    void clearScreen();
    // CommandButton28: ends a running download first, then clearPcScreenSteps.
    void clearPcScreen();

    bool running() const { return m_running; }
    // Records written to the table by this (or the last) download.
    int recordsRead() const { return m_table.table().recordsWritten(); }
    // SavedLogCount when it started.
    int recordsExpected() const { return m_expected; }
    // Fewer records came than the status report counted: lines were lost on
    // the way, even if "Done ok" came. (More is a stale count, and normal.)
    bool shortOfCount() const { return recordsRead() < m_expected; }
    LogTableModel& table() { return m_table; }
    // Tests shorten the wait for a silent pump.
    void setSilenceTimeout(int ms) { m_silence.setInterval(ms); }
    int silenceTimeout() const { return m_silence.interval(); }
    // Tests see whether a line started the wait anew.
    QTimer& silenceTimer() { return m_silence; }

    // The steps as data.
    static Sequence startSteps(int savedLogCount);
    // PRINTLOGDONE for Completed (the bar to `barMaximum`); for the other
    // outcomes the same ending without the full bar, capture off, and
    // `message` instead of the completion box.
    static Sequence endSteps(Outcome outcome, int barMaximum, const QString& message);
    static Sequence clearPcScreenSteps(int captureCount);
    // "Reading logs stopped: ... (read of expected records read)".
    static QString stoppedMessage(Outcome outcome, int read, int expected, int silenceMs);
    // Said after "Reading Logs is completed" when the download fell short.
    static QString shortMessage(int read, int expected);

signals:
    void changed(const UiChanges& changes);
    void messageRequested(const QString& text);
    // The memo's whole text changed (emptied): the view shows it anew.
    void memoReplaced();
    void started();
    void finished(LogDownload::Outcome outcome);

private:
    // Runs the steps now, or after the phase under way when a step of it led
    // here (the port lost during the "PRINTLOG" write ends the download).
    void run(const Sequence& steps);
    void perform(const Step& step);
    void onLine(const LineResult& r);
    void finish(Outcome outcome);

    PumpSession& m_session;
    QPointer<PumpSession> m_alive;
    LogTableModel m_table;
    SystemWaitClock m_clock; // the phases never pause; the runner asks for a clock
    SequenceRunner m_runner{m_clock};
    QList<Sequence> m_queued;
    QTimer m_silence;
    bool m_running = false;
    bool m_sawPri = false;
    int m_expected = 0;
    int m_barMaximum = 2;
    int m_lastCount = 0;
};
