#include "protocol/pumpsession.h"

#include "core/controlnames.h"
#include "protocol/commands.h"
#include "protocol/configsequences.h"
#include "protocol/pumpclock.h"
#include "status/pumpreports.h"

#include <QLoggingCategory>

// Every byte on the line, for support: QT_LOGGING_RULES="corvane.wire.debug=true".
Q_LOGGING_CATEGORY(lcWire, "corvane.wire", QtWarningMsg)

namespace {
// A status report's run state above this: the pump is in RUN mode, sampling.
constexpr int kRunModeAbove = 400;

// The one decision of a pump-writing control's enabling. There is no
// handshake: a pump may answer at any moment, and the refresh buttons and
// port options are how a technician finds it, so the pump's presence locks
// nothing. A running sequence or download locks out every other command to
// the pump. Otherwise the control follows what the pump's reports said last:
// a pump in RUN mode locks "Clear Sampling Data in Pump" (clearing would end
// the sample it takes), the setup report's programming lock "Program Pump";
// every other control is on.
bool controlEnabled(PumpSession::Presence presence, bool busy, const PumpFacts& facts,
                    const QString& name) {
    Q_UNUSED(presence);
    if (busy)
        return false;
    if (name == QLatin1String(Control::kClearSamplingDataButton))
        return !facts.running.value_or(false);
    if (name == QLatin1String(Control::kProgramPumpButton))
        return !facts.programmingLocked.value_or(false);
    return true;
}

UiChanges enablingOf(PumpSession::Presence presence, bool busy, const PumpFacts& facts) {
    UiChanges c;
    for (const QString& name : PumpSession::pumpWritingControls())
        c.enabled.insert(name, controlEnabled(presence, busy, facts, name));
    return c;
}
} // namespace

PumpSession::PumpSession(AppState& state, SerialLink& link, const WaitClock& clock, QObject* parent)
    : QObject(parent), m_state(state), m_link(state, link), m_dispatcher(state, m_memo),
      m_poll(state), m_runner(clock), m_pollRunner(clock) {
    m_link.busyHook = [this](bool busy) { holdCursor(busy); };
    m_link.traceHook = [this](char direction, const QByteArray& bytes) {
        qCDebug(lcWire, "%c %s", direction, bytes.toPercentEncoding(" ").constData());
        emit traced(direction, bytes);
    };
    connect(&m_link, &PumpLink::received, this, &PumpSession::onReceived);
    connect(&m_link, &PumpLink::endOfFileReceived, this,
            [this] { emitChanges(ResponseDispatcher::endOfFile()); });
    connect(&m_link, &PumpLink::statusChanged, this, &PumpSession::portStatusChanged);
    connect(&m_link, &PumpLink::deviceLost, this, [this] {
        m_dispatcher.deviceLost();
        emit portLost();
    });

    m_pollTimer.setObjectName(QStringLiteral("Timer1"));
    m_pollTimer.setInterval(1000);
    connect(&m_pollTimer, &QTimer::timeout, this, &PumpSession::pollTick);

    connect(&m_runner, &SequenceRunner::write, this, [this](const QString& text, bool direct) {
        if (direct)
            m_link.writeDirect(text);
        else
            m_link.sendToPump(text);
        // The port went away under the sequence (unplugged, or writes kept
        // failing): stop, so that no box says the pump took it.
        if (!m_link.isOpen() && m_runner.isRunning()) {
            const QString name = m_runner.current().name;
            m_runner.stop();
            emit notice(name + QStringLiteral(" stopped: ") + m_link.statusText());
        }
    });
    connect(&m_runner, &SequenceRunner::changes, this, [this](const UiChanges& c) {
        // A sequence's own shared value (the kept duration "255 255") takes
        // effect when its step runs.
        if (const auto it = c.values.constFind(QStringLiteral("runDuration"));
            it != c.values.cend())
            m_state.runDuration = it.value();
        emitChanges(c);
    });
    connect(&m_runner, &SequenceRunner::perform, this, [this](const Step& step) {
        if (step.kind == Step::Kind::SaveSettings)
            emit saveSettingsRequested();
    });
    connect(&m_runner, &SequenceRunner::message, this, [this](const QString& text) {
        emit messageRequested(text, [this] { m_runner.messageClosed(); });
    });
    connect(&m_runner, &SequenceRunner::finished, this, [this](bool completed) {
        const Sequence sequence = m_runner.current();
        if (sequence.busyCursor)
            holdCursor(false);
        // Stopped early: its own last steps did not run to put the progress away.
        if (!completed && !m_shutDown && !sequence.frame.isEmpty()) {
            UiChanges c;
            c.visible.insert(sequence.frame, false);
            c.bars.insert(sequence.bar, 0);
            emitChanges(c);
        }
        if (sequence.holdsPolling && !m_shutDown) {
            m_resumeWhenIdle = false;
            m_pollTimer.start();
        }
        busyEdge(true);
        if (completed && !m_shutDown) {
            if (sequence.name == ConfigSequences::kSendSetup)
                m_readBack.expectSetup(sequence.writes());
            if (ConfigSequences::switchesPumpOff(sequence))
                m_readBack.expectProgram(sequence.writes());
            if (ConfigSequences::forgetsPumpAfterwards(sequence))
                forgetPump();
        }
        emit sequenceFinished(sequence, completed);
    });

    // The poll's requests; the read-back counts them to know which reply
    // answers a setup or clock it waits for.
    connect(&m_pollRunner, &SequenceRunner::write, this, [this](const QString& text) {
        m_link.sendToPump(text);
        m_readBack.requestWritten();
    });
    connect(&m_pollRunner, &SequenceRunner::changes, this, &PumpSession::emitChanges);
    connect(&m_pollRunner, &SequenceRunner::perform, this, [this](const Step& step) {
        if (step.kind == Step::Kind::PollingOn && !m_pollTimer.isActive())
            m_pollTimer.start();
        if (step.kind != Step::Kind::OpenBox)
            return;
        emit messageRequested(step.text, [this] {
            // Nothing to do when the pump came back and closed the box.
            UiChanges c = m_poll.noPumpBoxClosed();
            if (c.isEmpty())
                return;
            setPresence(Presence::NoPump);
            emitChanges(c);
        });
    });
    connect(&m_readBack, &ReadBack::finished, this, [this](const ReadBackResult& r) {
        // A pump that did not take its program would be left to sample the
        // wrong run: that is said in a box, not only in the status bar.
        if (r.subject == ReadBackResult::Subject::Program &&
            r.outcome != ReadBackResult::Outcome::Confirmed)
            emit messageRequested(r.text, [] {});
        else
            emit notice(r.text);
        emitChanges(ReadBack::shown(r));
        emit readBackFinished(r);
    });
}

PumpSession::~PumpSession() {
    // Nothing may reach a window that is going away.
    m_runner.disconnect(this);
    m_pollRunner.disconnect(this);
    m_runner.stop();
    m_readBack.cancel();
}

const QStringList& PumpSession::pumpWritingControls() {
    static const QStringList names = {
        // refresh (would restart polling), port options, clock, erasing,
        // download, setup, program and timing transfer
        Control::kRefreshDisplayButton,
        Control::kRefreshPumpDataButton,
        Control::kCom1Option,
        Control::kCom2Option,
        Control::kCom3Option,
        Control::kCom4Option,
        Control::kSendPcTimeButton,
        Control::kSendChosenTimeButton,
        Control::kTimeToSend,
        Control::kEraseLogsButton,
        Control::kEraseLogsInPumpButton,
        Control::kClearSamplingDataButton,
        Control::kReadLogsButton,
        Control::kSendSetupButton,
        Control::kProgramPumpButton,
        Control::kSendToKstButton,
        Control::kTimingTransferButton};
    return names;
}

UiChanges PumpSession::enabling(Presence presence, bool busy) {
    return enablingOf(presence, busy, {});
}

UiChanges PumpSession::enablingFor(const PumpFacts& told, const PumpFacts& known, Presence presence,
                                   bool busy) {
    QStringList names;
    if (told.logsCounted)
        names << Control::kReadLogsButton;
    if (told.running)
        names << Control::kClearSamplingDataButton;
    if (told.programmingLocked)
        names << Control::kProgramPumpButton;
    UiChanges c;
    for (const QString& name : names)
        c.enabled.insert(name, controlEnabled(presence, busy, known, name));
    return c;
}

void PumpSession::selectPort(int index) {
    if (busy())
        return;
    // Another port may hold another pump.
    m_lastStatusLine.clear();
    m_lastSetupLine.clear();
    m_link.selectPort(index);
}

void PumpSession::refreshDisplay() {
    if (busy())
        return;
    runPoll(PollCycle::refreshDisplay(m_pollTimer.isActive()));
}

void PumpSession::refreshPumpData() {
    if (busy())
        return;
    runPoll(PollCycle::refreshPumpData());
}

void PumpSession::resumePolling() {
    if (m_shutDown)
        return;
    if (busy()) {
        m_resumeWhenIdle = true;
        return;
    }
    if (!m_pollTimer.isActive())
        m_pollTimer.start();
}

void PumpSession::stopPolling() {
    m_resumeWhenIdle = false;
    m_pollTimer.stop();
}

void PumpSession::pollTick() {
    // A sequence switches Timer1 off; a tick still queued must not slip a
    // request in between its commands either.
    if (busy() || m_shutDown)
        return;
    runPoll(m_poll.tick());
}

void PumpSession::runPoll(const Sequence& poll) {
    // A poll has no pause and awaits no box: it has run when start() returns.
    m_pollRunner.start(poll);
}

bool PumpSession::refuse() {
    if (busy())
        return true;
    if (m_link.isOpen())
        return false;
    const int port = m_state.SelectedPort;
    QString why = port >= 1 && port <= 4 ? QStringLiteral("Com%1 is not open").arg(port)
                                         : QStringLiteral("No serial port is chosen");
    if (const QString status = m_link.statusText(); !status.isEmpty())
        why += QStringLiteral(" (") + status + QLatin1Char(')');
    emit notice(why);
    return true;
}

bool PumpSession::readyToSend() {
    return !m_shutDown && !refuse();
}

bool PumpSession::run(const Sequence& sequence) {
    if (m_shutDown || refuse())
        return false;
    const bool wasBusy = busy();
    if (sequence.holdsPolling) {
        m_pollTimer.stop();
        m_resumeWhenIdle = false;
    }
    if (sequence.busyCursor)
        holdCursor(true);
    if (ConfigSequences::switchesPumpOff(sequence))
        m_readBack.programStarted();
    emit sequenceStarted(sequence);
    // The other controls are locked before the first command goes out.
    if (!wasBusy) {
        emit changed(enablingOf(m_presence, true, m_facts));
        emit busyChanged(true);
    }
    m_runner.start(sequence);
    return true;
}

void PumpSession::stopSequence() {
    m_runner.stop();
}

bool PumpSession::sendNow(const QStringList& texts) {
    if (m_shutDown || refuse())
        return false;
    for (const QString& text : texts)
        m_link.sendToPump(text);
    m_readBack.expectClock(texts);
    return true;
}

void PumpSession::requestLogPrintout() {
    m_link.setEofDetection(true);
    m_link.sendToPump(Commands::printLog());
}

void PumpSession::endCapture() {
    m_state.CaptureMode = false;
}

void PumpSession::menuExit() {
    m_link.sendToPump(Commands::runClear());
}

ConfigSequences::PumpSetup PumpSession::pumpSetup(const SetupValues& page) const {
    return ConfigSequences::setupFromReports(SetupReport(m_lastSetupLine),
                                             StatusReport(m_lastStatusLine), page);
}

void PumpSession::forgetPump() {
    m_sampling = false;
    m_lastStatusLine.clear();
    m_lastSetupLine.clear();
    clearPumpStatus(m_state);
    setPresence(Presence::NoPump);
    emitChanges(showNoPump(m_state));
}

void PumpSession::shutdown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_runner.stop();
    m_readBack.cancel();
    m_pollTimer.stop();
    m_link.sendToPump(Commands::runClear());
}

void PumpSession::setBusy(bool on) {
    if (on == m_busyOther)
        return;
    const bool wasBusy = busy();
    m_busyOther = on;
    if (!wasBusy && busy()) {
        emit changed(enablingOf(m_presence, true, m_facts));
        emit busyChanged(true);
    } else {
        busyEdge(wasBusy);
    }
}

void PumpSession::busyEdge(bool wasBusy) {
    if (!wasBusy || busy())
        return;
    // Back to what the pump's reports said last.
    emit changed(enablingOf(m_presence, false, m_facts));
    emit busyChanged(false);
    if (m_resumeWhenIdle) {
        m_resumeWhenIdle = false;
        resumePolling();
    }
}

void PumpSession::holdCursor(bool on) {
    const int before = m_cursorDepth;
    m_cursorDepth = std::max(0, m_cursorDepth + (on ? 1 : -1));
    if ((before == 0) != (m_cursorDepth == 0))
        emit cursorBusy(m_cursorDepth > 0);
}

void PumpSession::setPresence(Presence presence) {
    if (presence == m_presence)
        return;
    m_presence = presence;
    emit presenceChanged(presence);
}

void PumpSession::emitChanges(UiChanges c) {
    // What a report says of the pump is kept, and the controls it speaks of
    // are decided from all that is known, so nothing unlocks while busy.
    if (!c.facts.isEmpty()) {
        m_facts.merge(c.facts);
        c.enabled.insert(enablingFor(c.facts, m_facts, m_presence, busy()).enabled);
        c.facts = {};
    }
    if (!c.isEmpty())
        emit changed(c);
}

void PumpSession::onReceived(const QByteArray& bytes) {
    m_dispatcher.receive(bytes, [this](const LineResult& r) {
        emitChanges(r.changes);
        if (r.kind == LineResult::Kind::Status) {
            const auto runState = parseStatusReport(r.line).runState();
            m_sampling = runState && *runState > kRunModeAbove;
            m_lastStatusLine = r.line;
        }
        if (r.kind == LineResult::Kind::Setup)
            m_lastSetupLine = r.line;
        if (r.kind == LineResult::Kind::Status && !m_state.LastSerialNumber.isEmpty()) {
            setPresence(Presence::Attached);
            if (m_poll.noPumpBoxOpen()) {
                emitChanges(m_poll.pumpReturned());
                emit messageDismissed(kNoPumpFound);
            }
        }
        emit lineHandled(r);
        if (r.kind == LineResult::Kind::Status)
            emitChanges(PumpClock::driftShown(parseStatusReport(r.line), pcClock()));
        m_readBack.lineHandled(r);
    });
}
