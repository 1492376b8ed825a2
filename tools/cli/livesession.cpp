#include "livesession.h"

#include "config/settingsstore.h"
#include "core/terminationsignals.h"
#include "link/portmap.h"
#include "link/qtseriallink.h"
#include "protocol/pollcycle.h"
#include "sim/simseriallink.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <utility>

LiveSession::LiveSession(const PumpChoice& pump, Output& out, QObject* parent)
    : QObject(parent), m_out(out), m_clock(&m_systemClock) {
    if (pump.demo) {
        m_ownedLink = std::make_unique<SimSerialLink>();
    } else {
        // Com1..Com4 are looked up in the settings file; a device path needs none.
        QString iniPath;
        if (pump.comPort > 0)
            iniPath = pump.settingsPath.isEmpty() ? windowSettingsPath() : pump.settingsPath;
        auto real = std::make_unique<QtSerialLink>(iniPath);
        if (pump.comPort > 0) {
            m_portIndex = pump.comPort - 1;
        } else {
            real->setDevice(1, pump.device);
            m_statusPrefix = PortMap::describe(1, pump.device) + QStringLiteral(": ");
            m_statusPrefixShown = pump.device + QStringLiteral(": ");
        }
        m_ownedLink = std::move(real);
    }
    m_link = m_ownedLink.get();
    setUp();
}

LiveSession::LiveSession(SerialLink& link, const WaitClock& clock, Output& out, QObject* parent)
    : QObject(parent), m_out(out), m_link(&link), m_clock(&clock) {
    setUp();
}

LiveSession::~LiveSession() {
    // Nothing the session still says may reach a sink that is going away.
    if (m_session)
        m_session->disconnect(this);
    m_out.onOutFailed = nullptr;
}

void LiveSession::setUp() {
    m_started.start();
    m_state.ProgramFolder = QCoreApplication::applicationDirPath();
    m_session = std::make_unique<PumpSession>(m_state, *m_link, *m_clock);
    PumpSession* s = m_session.get();

    connect(s, &PumpSession::portStatusChanged, this, &LiveSession::portStatus);
    connect(s, &PumpSession::notice, this, [this](const QString& text) { m_out.progress(text); });
    // A message box is read and closed at once; the window's own
    // continuation runs as if OK had been pressed.
    connect(s, &PumpSession::messageRequested, this,
            [this](const QString& text, const PumpSession::Closed& closed) {
                m_out.progress(text);
                if (closed)
                    closed();
                if (text == kNoPumpFound && !m_ending) {
                    if (onNoPump)
                        onNoPump();
                    else
                        endNow(kExitNoPump);
                }
            });
    connect(s, &PumpSession::lineHandled, this, &LiveSession::handleLine);
    // The port went away (the status line "device lost" is on standard
    // error already). Before the first reports nothing was done: the run
    // ends at once rather than at the poll's "No Pump Found" some seconds
    // on. Later the subcommand decides; most wait for the pump to come back.
    connect(s, &PumpSession::portLost, this, [this] {
        if (m_ending)
            return;
        if (onPortLost)
            onPortLost();
        else if (m_ready)
            endNow(kExitNoPump);
    });
    // Standard output takes no more: whatever comes next cannot reach it.
    m_out.onOutFailed = [this] { endNow(kExitOutputFailed); };
    connect(s, &PumpSession::traced, this, [this](char direction, const QByteArray& bytes) {
        if (m_ending)
            return;
        for (const auto& sink : m_traceSinks)
            sink(direction, bytes);
    });

    m_reportBound.setSingleShot(true);
    connect(&m_reportBound, &QTimer::timeout, this, [this] {
        if (m_ending || !m_ready)
            return;
        m_out.progress(m_firstStatus ? QStringLiteral("The pump sent no setup report")
                                     : kNoPumpFound);
        endNow(kExitNoPump);
    });

    m_drain.setInterval(10);
    connect(&m_drain, &QTimer::timeout, this, [this] {
        const bool allOut = !m_link->isOpen() || m_link->bytesToWrite() <= 0;
        if (allOut || m_drainStarted.hasExpired(kDrainBoundMs))
            drained(allOut);
    });

    onTerminationSignals(this, [this](int signalNumber) { interrupted(signalNumber); });
}

QString LiveSession::windowSettingsPath() {
    // As the window finds corvane.INI: beside the program, or in the user's
    // configuration folder when the program's folder is a system one or
    // cannot be written.
    return settingsFilePath(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .path;
}

void LiveSession::portStatus(const QString& text) {
    if (m_opening || m_ending)
        return;
    QString shown = text;
    if (!m_statusPrefix.isEmpty() && shown.startsWith(m_statusPrefix))
        shown = m_statusPrefixShown + shown.mid(m_statusPrefix.size());
    m_out.progress(shown);
}

bool LiveSession::open() {
    m_opening = true;
    m_session->selectPort(m_portIndex);
    m_opening = false;
    portStatus(m_session->link().statusText());
    if (m_session->link().isOpen())
        return true;
    endNow(kExitNoPump);
    return false;
}

void LiveSession::startPolling() {
    if (m_ending || m_session->timer1().isActive())
        return;
    m_session->pollTick();
    m_session->resumePolling();
}

void LiveSession::awaitReports(Reports ready) {
    m_ready = std::move(ready);
    m_firstStatus.reset();
    m_firstSetup.reset();
    m_reportBound.start(reportBoundMs);
    startPolling();
}

void LiveSession::handleLine(const LineResult& result) {
    if (m_ending)
        return;
    for (const auto& sink : m_lineSinks) {
        sink(result);
        if (m_ending)
            return;
    }
    if (!m_ready)
        return;
    if (result.kind == LineResult::Kind::Status && !m_firstStatus)
        m_firstStatus = result;
    else if (result.kind == LineResult::Kind::Setup && !m_firstSetup)
        m_firstSetup = result;
    checkReports();
}

void LiveSession::checkReports() {
    if (!m_firstStatus || !m_firstSetup)
        return;
    m_reportBound.stop();
    const Reports ready = std::exchange(m_ready, nullptr);
    ready(*m_firstStatus, *m_firstSetup);
}

bool LiveSession::runSequence(const Sequence& sequence, std::function<void(bool)> done) {
    if (m_ending)
        return false;
    PumpSession* s = m_session.get();
    auto captions = std::make_shared<QMetaObject::Connection>();
    auto finished = std::make_shared<QMetaObject::Connection>();
    *captions =
        connect(s, &PumpSession::changed, this, [this, frame = sequence.frame](const UiChanges& c) {
            if (!m_ending && !frame.isEmpty() && c.text.contains(frame))
                m_out.progress(c.text.value(frame));
        });
    *finished = connect(s, &PumpSession::sequenceFinished, this,
                        [captions, finished, done](const Sequence&, bool completed) {
                            QObject::disconnect(*captions);
                            QObject::disconnect(*finished);
                            if (done)
                                done(completed);
                        });
    if (s->run(sequence))
        return true;
    disconnect(*captions);
    disconnect(*finished);
    return false;
}

void LiveSession::onLine(std::function<void(const LineResult&)> fn) {
    m_lineSinks << std::move(fn);
}

void LiveSession::onTraced(std::function<void(char, const QByteArray&)> fn) {
    m_traceSinks << std::move(fn);
}

void LiveSession::interrupted(int signalNumber) {
    if (m_ending) {
        finishNow(); // whatever is still going out is left
        return;
    }
    if (onInterrupt)
        onInterrupt(signalNumber);
    else
        endNow(128 + signalNumber);
}

void LiveSession::end(int code) {
    endAfterWrites([code](bool) { return code; });
}

void LiveSession::endAfterWrites(std::function<int(bool)> decide) {
    if (m_ending)
        return;
    m_ending = true;
    m_afterDrain = std::move(decide);
    m_reportBound.stop();
    m_ready = nullptr;
    m_session->stopSequence();
    m_session->stopPolling();
    if (m_link->isOpen() && m_link->bytesToWrite() > 0) {
        m_drainStarted.start();
        m_drain.start();
        return;
    }
    drained(true);
}

void LiveSession::drained(bool allOut) {
    m_drain.stop();
    if (const auto decide = std::exchange(m_afterDrain, nullptr))
        m_code = decide(allOut);
    quit();
}

void LiveSession::endNow(int code) {
    if (!m_ending)
        end(code);
    finishNow();
}

void LiveSession::finishNow() {
    if (const auto decide = std::exchange(m_afterDrain, nullptr))
        m_code = decide(false);
    quit();
}

void LiveSession::quit() {
    m_drain.stop();
    if (m_quit)
        return;
    m_quit = true;
    if (m_inExec)
        QCoreApplication::exit(m_code);
}

int LiveSession::exec() {
    if (!m_quit) {
        m_inExec = true;
        QCoreApplication::exec();
        m_inExec = false;
    }
    return m_code;
}

double LiveSession::elapsedSeconds() const {
    return double(m_started.nsecsElapsed()) / 1e9;
}
