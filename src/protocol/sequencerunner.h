// Executes a Sequence step by step on the window thread, driven by a timer:
// writes, captions and bar values go out as signals at once, a pause sleeps
// until WaitSeconds says it is over, a message waits until the box is
// closed. There is no nested event loop, so nothing the window or the port
// does meanwhile can run inside a step. One sequence at a time.
#pragma once

#include "protocol/sequence.h"
#include "protocol/waiter.h"

#include <QObject>
#include <QTimer>

class SequenceRunner : public QObject {
    Q_OBJECT
public:
    explicit SequenceRunner(const WaitClock& clock, QObject* parent = nullptr);

    // False (and nothing runs) while another sequence runs.
    bool start(const Sequence& sequence);
    // Ends the run now: nothing more is written, no further step runs.
    void stop();
    bool isRunning() const { return m_running; }
    const Sequence& current() const { return m_sequence; }
    // The Message step's box has been closed: the run goes on.
    void messageClosed();

    Waiter& waiter() { return m_waiter; }

signals:
    void started(const Sequence& sequence);
    void write(const QString& text, bool direct);
    void changes(const UiChanges& changes);
    void saveSettings();
    void message(const QString& text);
    // completed: every step ran; false when stop() ended it early.
    void finished(bool completed);

private:
    void advance();
    void finish(bool completed);

    Waiter m_waiter;
    QTimer m_timer;
    Sequence m_sequence;
    int m_next = 0;
    bool m_running = false;
    bool m_waitingForBox = false;
    bool m_advancing = false;
};
