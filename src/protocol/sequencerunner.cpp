#include "protocol/sequencerunner.h"

SequenceRunner::SequenceRunner(const WaitClock& clock, QObject* parent)
    : QObject(parent), m_waiter(clock) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SequenceRunner::advance);
}

bool SequenceRunner::start(const Sequence& sequence) {
    if (m_running)
        return false;
    m_sequence = sequence;
    m_next = 0;
    m_running = true;
    m_waitingForBox = false;
    emit started(m_sequence);
    advance();
    return true;
}

void SequenceRunner::stop() {
    if (!m_running)
        return;
    m_timer.stop();
    finish(false);
}

void SequenceRunner::messageClosed() {
    if (!m_running || !m_waitingForBox)
        return;
    m_waitingForBox = false;
    // Go on from the event loop, not from inside the box's own handler.
    m_timer.start(0);
}

void SequenceRunner::advance() {
    // A handler of one of the signals below may stop the run, or close the
    // box at once (the command line does); never run steps inside steps.
    if (m_advancing || !m_running || m_waitingForBox)
        return;
    m_advancing = true;
    if (m_waiter.pending() && !m_waiter.over()) {
        m_timer.start(m_waiter.sleepMs());
        m_advancing = false;
        return;
    }
    while (m_running && m_next < m_sequence.steps.size()) {
        const Step step = m_sequence.steps.at(m_next++);
        switch (step.kind) {
        case Step::Kind::Write:
        case Step::Kind::WriteDirect:
            emit write(step.text, step.kind == Step::Kind::WriteDirect);
            break;
        case Step::Kind::Caption: {
            UiChanges c;
            c.text.insert(m_sequence.frame, step.text);
            emit changes(c);
            break;
        }
        case Step::Kind::Bar: {
            UiChanges c;
            c.bars.insert(m_sequence.bar, step.value);
            emit changes(c);
            break;
        }
        case Step::Kind::Ui:
            emit changes(step.ui);
            break;
        case Step::Kind::SaveSettings:
            emit saveSettings();
            break;
        case Step::Kind::Wait:
            m_waiter.begin(step.value);
            m_timer.start(0); // the next look at the clock, from the event loop
            m_advancing = false;
            return;
        case Step::Kind::Message:
            m_waitingForBox = true;
            emit message(step.text);
            m_advancing = false;
            return;
        }
    }
    m_advancing = false;
    if (m_running)
        finish(true);
}

void SequenceRunner::finish(bool completed) {
    m_running = false;
    m_waitingForBox = false;
    emit finished(completed);
}
