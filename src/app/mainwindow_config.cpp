// The window's half of configuring a pump: the setup page's option clicks and
// "Send Setup To Pump", the run-program editor, "Program Pump", "Send to KST
// Pump" and Command1, and the pump clock. Each widget notification goes to an
// editor rule or to the session, and what comes back is applied like any
// other change; the sequences themselves are built in the core from the
// pages' values. Nothing here writes to the port.
#include "app/communicationpage.h"
#include "app/mainwindow.h"
#include "app/programpage.h"
#include "app/setuppage.h"
#include "app/updownbuttons.h"
#include "editors/editorrules.h"
#include "link/portmap.h"
#include "protocol/configsequences.h"
#include "protocol/pumpclock.h"

#include <QPushButton>
#include <QStatusBar>

void MainWindow::connectConfiguration() {
    using ConfigSequences::ProgramButton;

    // "Setup Pump": each option click writes the shared flag it stands for.
    connect(m_setup, &SetupPage::optionClicked, this,
            [this](const QString& option) { apply(EditorRules::optionClicked(option, m_state)); });
    connect(m_setup, &SetupPage::sendSetupRequested, this,
            [this] { m_session.run(ConfigSequences::sendSetup(m_setup->values())); });
    connect(m_setup, &SetupPage::takePumpSettingsRequested, this, [this] {
        const ConfigSequences::PumpSetup taken = m_session.pumpSetup(m_setup->values());
        m_setup->setValues(taken.values);
        statusBar()->showMessage(taken.text, 15000);
    });

    // "Pump Communication": a device present on this computer named for the
    // chosen Com port, as a user would otherwise write it into corvane.INI;
    // then the port is opened on it, and the port status says how that went.
    m_communication->setDeviceSource(m_options.serialDevices ? m_options.serialDevices
                                                             : &m_systemDevices);
    connect(m_communication, &CommunicationPage::deviceChosen, this,
            [this](const QString& location) {
                const int port = m_state.SelectedPort;
                if (port < 1 || port > 4) {
                    statusBar()->showMessage(QStringLiteral("Choose Com1 to Com4 first"), 15000);
                    return;
                }
                if (!PortMap::choose(port, location, m_options.iniPath)) {
                    statusBar()->showMessage(QStringLiteral("Com%1 could not be named in %2")
                                                 .arg(port)
                                                 .arg(m_options.iniPath),
                                             15000);
                    return;
                }
                updatePortTips();
                if (!m_session.busy())
                    selectPort(port - 1);
            });

    // The run program.
    connect(m_program, &ProgramPage::programPumpRequested, this,
            [this] { runProgram(ProgramButton::ProgramPump); });
    connect(m_sendToKst, &QAbstractButton::clicked, this,
            [this] { runProgram(ProgramButton::SendToKst); });
    connect(m_program, &ProgramPage::timingTransferRequested, this,
            [this] { m_session.run(ConfigSequences::timingTransfer(m_program->values())); });

    // The pump clock.
    connect(m_setup, &SetupPage::sendPcTimeRequested, this, [this] {
        // The PC time goes into "Current PC Time" first: what is sent is
        // what the technician sees there.
        const QDateTime now = m_session.pcClock();
        apply(PumpClock::pcTimeShown(now));
        sendClock(now);
    });
    connect(m_setup, &SetupPage::sendClockRequested, this, &MainWindow::sendClock);

    connectEditor();
}

void MainWindow::connectEditor() {
    // Target flow: the litre label as it is typed, the range check on leaving.
    connect(m_program, &ProgramPage::flowTextChanged, this,
            [this](const QString& text) { apply(EditorRules::flowChanged(text)); });
    connect(m_program, &ProgramPage::flowLeft, this, [this](const QString& text) {
        const UpDownButtons* bounds = m_program->flowUpDown();
        apply(EditorRules::flowLeft(text, bounds->minimum(), bounds->maximum()));
    });

    // Pauses: a start copied into its stop, the order checked, the boxes
    // enabling their pickers.
    connect(m_program, &ProgramPage::pauseStartChanged, this,
            [this](EditorRules::Pause pause, const QString& start) {
                apply(EditorRules::pauseStartChanged(pause, start));
            });
    connect(m_program, &ProgramPage::pauseOrderToCheck, this,
            [this](const QString& start, const QString& stop) {
                apply(EditorRules::pauseOrderCheck(start, stop));
            });
    connect(m_program, &ProgramPage::pauseBoxClicked, this,
            [this](EditorRules::Pause pause, bool ticked) {
                apply(EditorRules::pauseBoxClicked(pause, ticked));
            });

    // Start and stop.
    connect(m_program, &ProgramPage::startChanged, this,
            [this](bool enabled) { apply(EditorRules::startChanged(enabled)); });
    connect(m_program, &ProgramPage::startLeft, this,
            [this](const QString& start, const QString& stop) {
                apply(EditorRules::startLeft(start, stop));
            });

    // Duration: the kept value follows the box, and is converted on leaving it.
    connect(m_program, &ProgramPage::durationTextChanged, this,
            [this](const QString& text) { apply(EditorRules::durationChanged(text, m_state)); });
    connect(m_program, &ProgramPage::durationLeft, this,
            [this] { apply(EditorRules::durationLeft(m_state)); });

    // The timing choices.
    connect(m_setup, &SetupPage::durationPressed, this,
            [this] { apply(EditorRules::chooseDuration(m_state)); });
    connect(m_setup, &SetupPage::startStopPressed, this,
            [this] { apply(EditorRules::chooseStartStop(m_state)); });
    connect(m_setup, &SetupPage::timingBoxPressed, this,
            [this](bool wasTicked) { apply(EditorRules::timingBoxPressed(wasTicked, m_state)); });
}

void MainWindow::runProgram(ConfigSequences::ProgramButton button) {
    const ConfigSequences::ProgramBuild build =
        ConfigSequences::programPump(m_program->values(), m_state, button);
    if (!build.error.isEmpty()) {
        showMessage(build.error);
        return;
    }
    // The sequence ends with "POWER_OFF ": a pump taking a sample would
    // lose it. Its last report decides; the technician has the last word.
    if (m_session.pumpSampling()) {
        askQuestion(ConfigSequences::kProgramWhileSampling,
                    [this, sequence = build.sequence](bool yes) {
                        if (yes)
                            m_session.run(sequence);
                    });
        return;
    }
    m_session.run(build.sequence);
}

void MainWindow::sendClock(const QDateTime& at) {
    m_session.sendNow(PumpClock::texts(at));
}
