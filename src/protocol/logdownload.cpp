#include "protocol/logdownload.h"

#include "core/controlnames.h"
#include "protocol/pumpsession.h"

#include <algorithm>

namespace {

using K = Step::Kind;

Step step(K kind, int value = 0, const QString& text = {}) {
    return Step::owner(kind, value, text);
}

Step ui(const UiChanges& c) {
    return Step::change(c);
}

// A download phase: the hourglass and polling are its own steps.
Sequence phase(const QString& name, const QList<Step>& steps) {
    Sequence s;
    s.name = name;
    s.holdsPolling = false;
    s.busyCursor = false;
    s.steps = steps;
    return s;
}

UiChanges printAndSave(bool on) {
    UiChanges c;
    c.enabled.insert(Control::kPrintLogsButton, on);
    c.enabled.insert(Control::kSaveLogsButton, on);
    return c;
}

} // namespace

LogDownload::LogDownload(PumpSession& session, QObject* parent)
    : QObject(parent), m_session(session), m_alive(&session) {
    m_silence.setObjectName(QStringLiteral("LogDownloadSilence"));
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceMs);
    connect(&m_silence, &QTimer::timeout, this, [this] { finish(Outcome::Silent); });
    connect(&session, &PumpSession::lineHandled, this, &LogDownload::onLine);
    connect(&m_runner, &SequenceRunner::changes, this, &LogDownload::changed);
    connect(&m_runner, &SequenceRunner::perform, this, &LogDownload::perform);
    connect(&m_runner, &SequenceRunner::finished, this, [this] {
        if (!m_queued.isEmpty())
            m_runner.start(m_queued.takeFirst());
    });
    connect(&session, &PumpSession::portLost, this, [this] {
        if (m_running)
            finish(Outcome::PortLost);
    });
}

LogDownload::~LogDownload() {
    // The window closes in the middle of a download: give the session back.
    if (m_running && m_alive) {
        m_session.holdCursor(false);
        m_session.setBusy(false);
    }
}

Sequence LogDownload::startSteps(int n) {
    UiChanges frame;
    frame.visible.insert(Control::kDownloadFrame, true);
    UiChanges bar;
    bar.barMaxima.insert(Control::kDownloadBar, n + 2);
    bar.visible.insert(Control::kDownloadBar, true);
    UiChanges reading;
    reading.bars.insert(Control::kDownloadBar, 0);
    reading.visible.insert(Control::kDownloadCounter, true);
    return phase(QStringLiteral("Read Logs"),
                 {
                     step(K::PollingOff),
                     // Every control that writes to the pump off, this button included.
                     step(K::Busy, 1),
                     ui(printAndSave(false)),
                     ui(frame),
                     step(K::ClearTable),
                     ui(bar),
                     step(K::BusyCursor),
                     ui(reading),
                     step(K::SizeTable, n + 1),
                     step(K::Format, 0, LogTable::kColumnFormat),
                     step(K::Format, 0, LogTable::rowTitleFormat(n)),
                     step(K::PrintLog),
                 });
}

Sequence LogDownload::endSteps(Outcome outcome, int barMaximum, const QString& message) {
    const bool completed = outcome == Outcome::Completed;
    QList<Step> steps;
    if (completed) {
        UiChanges full;
        full.bars.insert(Control::kDownloadBar, barMaximum);
        steps << ui(full);
    } else {
        // The pump may still be printing; nothing more goes into the memo.
        steps << step(K::CaptureOff);
    }
    UiChanges hide;
    hide.visible.insert(Control::kDownloadCounter, false);
    steps << step(K::NormalCursor) << ui(printAndSave(true)) << step(K::Busy, 0)
          << step(K::PollingOn) << ui(hide)
          << step(K::OpenBox, 0, completed ? kCompleted : message);
    return phase(QStringLiteral("Read Logs end"), steps);
}

Sequence LogDownload::clearPcScreenSteps(int captureCount) {
    UiChanges bar;
    bar.barMaxima.insert(Control::kDownloadBar, captureCount + 10);
    return phase(QStringLiteral("Clear PC Screen"),
                 {ui(bar), step(K::ClearTable), step(K::ClearMemo), ui(printAndSave(false)),
                  step(K::PollingOn)});
}

QString LogDownload::stoppedMessage(Outcome outcome, int read, int expected, int silenceMs) {
    QString why;
    switch (outcome) {
    case Outcome::Silent:
        why = QStringLiteral("the pump sent nothing for %1 seconds")
                  .arg(QString::number(silenceMs / 1000.0, 'g', 3));
        break;
    case Outcome::PortLost:
        why = QStringLiteral("the serial port went away (unplugged?)");
        break;
    case Outcome::Stopped:
        why = QStringLiteral("stopped by hand");
        break;
    case Outcome::Completed:
        return kCompleted;
    }
    return QStringLiteral("Reading logs stopped: %1 (%2 of %3 records read)")
        .arg(why)
        .arg(read)
        .arg(expected);
}

QString LogDownload::shortMessage(int read, int expected) {
    return QStringLiteral("Only %1 of the %2 records the pump counted arrived: lines were lost "
                          "on the way. Read the logs again before erasing them from the pump.")
        .arg(read)
        .arg(expected);
}

bool LogDownload::start() {
    if (m_running || !m_session.readyToSend())
        return false;
    AppState& state = m_session.state();
    m_expected = std::clamp(state.SavedLogCount, 0, LogTable::kMaxRows - 2);
    m_barMaximum = m_expected + 2;
    m_running = true;
    m_sawPri = false;
    m_lastCount = state.CaptureCount;
    emit started();
    run(startSteps(m_expected));
    // The pump may never answer at all.
    if (m_running)
        m_silence.start();
    return true;
}

void LogDownload::stop() {
    if (m_running)
        finish(Outcome::Stopped);
}

void LogDownload::clearScreen() {
    run(phase(QStringLiteral("Clear Screen"), {step(K::ClearMemo)}));
}

void LogDownload::clearPcScreen() {
    stop();
    run(clearPcScreenSteps(m_session.state().CaptureCount));
}

void LogDownload::run(const Sequence& steps) {
    if (!m_runner.start(steps))
        m_queued << steps;
}

void LogDownload::perform(const Step& s) {
    switch (s.kind) {
    case K::PollingOff:
        m_session.stopPolling();
        break;
    case K::PollingOn:
        m_session.resumePolling();
        break;
    case K::Busy:
        m_session.setBusy(s.value != 0);
        break;
    case K::ClearTable:
        m_table.clear();
        break;
    case K::SizeTable:
        m_table.resize(s.value);
        break;
    case K::Format:
        m_table.applyFormat(s.text);
        break;
    case K::ClearMemo:
        m_session.memo().clear();
        emit memoReplaced();
        break;
    case K::BusyCursor:
        m_session.holdCursor(true);
        break;
    case K::NormalCursor:
        m_session.holdCursor(false);
        break;
    case K::PrintLog:
        m_session.requestLogPrintout();
        break;
    case K::CaptureOff:
        m_session.endCapture();
        break;
    case K::OpenBox:
        emit messageRequested(s.text);
        break;
    default: // the runner's own steps never come here
        break;
    }
}

void LogDownload::onLine(const LineResult& r) {
    if (!m_running)
        return;
    const AppState& state = m_session.state();
    const bool pri = r.line.startsWith(QLatin1String("PRI"));
    // Only the printout counts as a sign of life: a line that was captured
    // (the count moved) or the "PRI" line that starts the capture.
    if (pri || state.CaptureCount != m_lastCount)
        m_silence.start();
    m_lastCount = state.CaptureCount;
    if (pri && !m_sawPri) {
        // The printout replaces what the memo held; a shorter download must
        // not leave older lines behind its own.
        m_sawPri = true;
        run(phase(QStringLiteral("Printout begins"), {step(K::ClearMemo)}));
    }

    const int position = r.captured;
    if (r.kind == LineResult::Kind::Log) {
        const int row = r.record.row;
        if (m_table.setRow(row, r.cells) == LogTable::Write::Grown) {
            // More records than the count said: the bar grows with the table,
            // so "Done ok" after the last of them still fills it exactly.
            m_barMaximum = std::max(m_barMaximum, row + 2);
            UiChanges c;
            c.barMaxima.insert(Control::kDownloadBar, m_barMaximum);
            c.bars.insert(Control::kDownloadBar, position);
            emit changed(c);
        }
    }
    if (position > m_barMaximum) {
        UiChanges c;
        c.bars.insert(Control::kDownloadBar, m_barMaximum);
        emit changed(c);
    }
    if (r.kind == LineResult::Kind::LogEnd)
        finish(Outcome::Completed);
}

void LogDownload::finish(Outcome outcome) {
    if (!m_running)
        return;
    m_running = false;
    m_silence.stop();
    run(endSteps(outcome, m_barMaximum,
                 stoppedMessage(outcome, recordsRead(), m_expected, m_silence.interval())));
    if (outcome == Outcome::Completed && shortOfCount())
        emit messageRequested(shortMessage(recordsRead(), m_expected));
    emit finished(outcome);
}
