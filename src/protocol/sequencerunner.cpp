#include "protocol/sequencerunner.h"

SequenceRunner::SequenceRunner(const WaitClock& clock, QObject* parent)
    : QObject(parent), m_waiter(clock) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SequenceRunner::resume);
}

bool SequenceRunner::start(const Sequence& sequence) {
    if (m_state != State::Idle)
        return false;
    m_sequence = sequence;
    m_next = 0;
    ++m_run;
    m_state = State::Stepping;
    emit started(m_sequence);
    runSteps();
    return true;
}

void SequenceRunner::stop() {
    if (m_state == State::Idle)
        return;
    m_timer.stop();
    finish(false);
}

void SequenceRunner::messageClosed() {
    if (m_state != State::AwaitingBox)
        return;
    // Go on from the event loop, not from inside the box's own handler.
    m_state = State::Pausing;
    m_timer.start(0);
}

void SequenceRunner::resume() {
    // Only a pause hands on to the timer; a turn that finds the runner
    // stepping, idle or at a box does nothing.
    if (m_state != State::Pausing)
        return;
    if (m_waiter.pending() && !m_waiter.over()) {
        m_timer.start(m_waiter.sleepMs());
        return;
    }
    m_state = State::Stepping;
    runSteps();
}

void SequenceRunner::runSteps() {
    // A handler of one of the signals below may stop the run (the state is
    // then Idle), or stop it and start another: either ends this loop.
    const quint64 run = m_run;
    const auto going = [&] { return m_state == State::Stepping && m_run == run; };
    while (going() && m_next < m_sequence.steps.size()) {
        const Step step = m_sequence.steps.at(m_next++);
        if (step.forOwner()) {
            emit perform(step);
            continue;
        }
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
        case Step::Kind::Wait:
            m_waiter.begin(step.value);
            m_state = State::Pausing;
            m_timer.start(0); // the next look at the clock, from the event loop
            return;
        case Step::Kind::Message:
            m_state = State::AwaitingBox;
            emit message(step.text);
            return;
        default:
            break;
        }
    }
    if (going())
        finish(true);
}

void SequenceRunner::finish(bool completed) {
    m_state = State::Idle;
    emit finished(completed);
}
