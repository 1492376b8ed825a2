// Executes any Sequence step by step on the window thread, driven by a timer:
// writes and window changes go out as signals at once, a pause sleeps until
// WaitSeconds says it is over, a Message waits until its box is closed, and
// every other step (the table, the memo, the cursor, polling, busy, a box
// nothing waits for) goes to the owner through perform(), synchronously and
// in order. A list with no pause and no awaited box runs to its end inside
// start(). There is no nested event loop, so nothing the window or the port
// does meanwhile can run inside a step. One sequence at a time per runner;
// the session keeps one runner for command sequences, one for the poll and
// the download one for its phases.
#pragma once

#include "protocol/sequence.h"
#include "protocol/waiter.h"

#include <QObject>
#include <QTimer>

class SequenceRunner : public QObject {
    Q_OBJECT
public:
    enum class State {
        Idle,        // nothing to run
        Stepping,    // running steps, within start() or a timer's turn
        Pausing,     // a Wait step (or a closed box) hands on to the next turn
        AwaitingBox, // a Message step's box is open
    };

    explicit SequenceRunner(const WaitClock& clock, QObject* parent = nullptr);

    // False (and nothing runs) while another sequence runs.
    bool start(const Sequence& sequence);
    // Ends the run now: nothing more is written, no further step runs.
    void stop();
    State state() const { return m_state; }
    bool isRunning() const { return m_state != State::Idle; }
    const Sequence& current() const { return m_sequence; }
    // The Message step's box has been closed: the run goes on.
    void messageClosed();

    Waiter& waiter() { return m_waiter; }

signals:
    void started(const Sequence& sequence);
    void write(const QString& text, bool direct);
    void changes(const UiChanges& changes);
    void message(const QString& text);
    // A step only the owner can do (Step::forOwner), done before this returns.
    void perform(const Step& step);
    // completed: every step ran; false when stop() ended it early.
    void finished(bool completed);

private:
    void resume();
    void runSteps();
    void finish(bool completed);

    Waiter m_waiter;
    QTimer m_timer;
    Sequence m_sequence;
    int m_next = 0;
    State m_state = State::Idle;
    // Counts the runs started: a step's handler that stops this run and
    // starts another ends the old run's loop.
    quint64 m_run = 0;
};
