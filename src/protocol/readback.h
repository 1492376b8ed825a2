// Whether the pump took what it was sent. The pump never acknowledges a
// command, so a missed one looks programmed; here the next reports after a
// send are compared with it. After "Send Setup To Pump": the setup report
// (flow mode, password, flow fault, start-up screens, timing and its mode,
// units) and the status report (log rate). After a clock send: the status
// report's pump clock, which must show the minute sent or the next one.
// After "Program Pump" / "Send to KST Pump", which switch the pump off: the
// first status report once the pump answers again (target flow, start, stop,
// the three pauses) and the last pump-state line since the program began
// (duration), within kProgramTimeoutMs of polling resuming.
//
// Only reports asked for after the send count: a reply to a request that
// went out before it may still be on its way and show the old state.
#pragma once

#include "core/controlnames.h"
#include "core/uichanges.h"
#include "protocol/responsedispatcher.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <optional>

class PumpStateReport;
class SetupReport;
class StatusReport;

struct ReadBackItem {
    QString setting;  // "Password"
    QString sent;     // "On"
    QString reported; // "Off"; "nothing readable" for a garbled field
    bool matches = false;
};

struct ReadBackResult {
    enum class Subject { Setup, Clock, Program };
    enum class Outcome { Confirmed, NotTaken, NoReply };
    Subject subject = Subject::Setup;
    Outcome outcome = Outcome::NoReply;
    QList<ReadBackItem> items; // every setting compared, in the order sent
    QString text;              // for the status bar and the page's label
};

class ReadBack : public QObject {
    Q_OBJECT
public:
    // The labels the results are shown in: on the "Setup Pump" page, on
    // the clock frame and on the "Program Pump" page.
    static inline const QString kSetupLabel = Control::kSetupReadBack;
    static inline const QString kClockLabel = Control::kClockReadBack;
    static inline const QString kProgramLabel = Control::kProgramReadBack;
    static constexpr int kReplyTimeoutMs = 5000;
    // A programmed pump is off when polling resumes. The simulated pump is
    // back after 5 s, a pump switched on again by hand soon after; then the
    // poll needs a second or two to find it. 30 s covers both with room,
    // and is as long as the command line should hang on a pump that stays
    // off.
    static constexpr int kProgramTimeoutMs = 30000;

    explicit ReadBack(QObject* parent = nullptr);

    // ---- the comparisons, as pure functions

    // What a setup sequence's writes told the pump, setting by setting
    // (reported still empty).
    static QList<ReadBackItem> setupSent(const QStringList& writes);
    // The sent settings against a setup report and a status report (log rate).
    static ReadBackResult compareSetup(const QList<ReadBackItem>& sent, const SetupReport& setup,
                                       const StatusReport& status);
    // The argument of a "W16 " among the texts, as a date and time.
    static std::optional<QDateTime> clockSent(const QStringList& texts);
    static ReadBackResult compareClock(QDateTime sent, const StatusReport& status);
    // What a program sequence's writes told the pump: target flow, start,
    // stop, Break1, Break2, Lunch, duration, in that order.
    static QList<ReadBackItem> programSent(const QStringList& writes);
    // Against a status report and, for the duration, a pump-state line
    // (nullptr: none came, and the duration is left out and said so).
    static ReadBackResult compareProgram(const QList<ReadBackItem>& sent,
                                         const StatusReport& status, const PumpStateReport* state);
    static ReadBackResult noReply(ReadBackResult::Subject subject);
    // The result in its label.
    static UiChanges shown(const ReadBackResult& result);

    // ---- the watch over the next reports (PumpSession feeds it)

    // "Send Setup To Pump" has completed and polling resumes now.
    void expectSetup(const QStringList& writes);
    // Texts written at once; a "W16 " among them starts a clock check.
    void expectClock(const QStringList& texts);
    // A program sequence begins: pump-state lines from here on show what it
    // did to the pump.
    void programStarted();
    // The program sequence has completed (the pump is off) and polling
    // resumes now.
    void expectProgram(const QStringList& writes);
    // A status request ("R99" CR "Z99" CR) has gone out.
    void requestWritten();
    void lineHandled(const LineResult& line);
    // Nothing more is reported (the window closes).
    void cancel();
    bool pending() const { return m_setup.armed || m_clock.armed || m_program.armed; }

    // How long a reply may take after polling resumes or the clock is sent.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }
    void setProgramTimeoutMs(int ms) { m_programTimeoutMs = ms; }
    int programTimeoutMs() const { return m_programTimeoutMs; }

signals:
    void finished(const ReadBackResult& result);

private:
    struct Watch {
        bool armed = false;
        bool asked = false; // a request has gone out since arming
        QString setupLine;
        QString statusLine;
        QTimer timer;
    };
    void arm(Watch& w, int timeoutMs);
    QList<Watch*> watches() { return {&m_setup, &m_clock, &m_program}; }
    void finish(Watch& w, const ReadBackResult& result);

    int m_timeoutMs = kReplyTimeoutMs;
    int m_programTimeoutMs = kProgramTimeoutMs;
    Watch m_setup;
    QList<ReadBackItem> m_setupSent;
    Watch m_clock;
    QDateTime m_clockSent;
    Watch m_program;
    QList<ReadBackItem> m_programSent;
    QString m_programStateLine; // the last "P01" since the program began
    bool m_programRunning = false;
};
