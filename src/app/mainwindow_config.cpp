// The window's half of configuring a pump: the setup page's option clicks and
// "Send Setup To Pump", the run-program editor, "Program Pump", "Send to KST
// Pump" and Command1, and the pump clock. Each widget notification goes to an
// editor rule or to the session, and what comes back is applied like any
// other change; the sequences themselves are built in the core from the
// pages' values. Nothing here writes to the port.
#include "app/communicationpage.h"
#include "app/datetimepicker.h"
#include "app/durationbox.h"
#include "app/mainwindow.h"
#include "app/programpage.h"
#include "app/setuppage.h"
#include "app/updownbuttons.h"
#include "core/controlnames.h"
#include "link/portmap.h"
#include "protocol/configsequences.h"
#include "protocol/editorrules.h"
#include "protocol/pumpclock.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QLineEdit>
#include <QStatusBar>

namespace {

template <class T> T* child(QObject* parent, const char* name) {
    T* w = parent->findChild<T*>(QLatin1String(name));
    Q_ASSERT_X(w, "MainWindow", name);
    return w;
}

// Focus moved to another control of the window; a box opening over the
// window or another program taking over is not the user leaving the field.
bool leftForAnotherControl(const QEvent* event) {
    if (event->type() != QEvent::FocusOut)
        return false;
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

void MainWindow::connectConfiguration() {
    using ConfigSequences::ProgramButton;

    // "Setup Pump": each option click writes the shared flag it stands for.
    for (const char* name :
         {Control::kPasswordOnOption, Control::kPasswordOffOption, Control::kFlowFaultOffOption,
          Control::kFlowFaultOnOption, Control::kStartScreensOnOption,
          Control::kStartScreensOffOption, Control::kMetricOption, Control::kEnglishOption}) {
        connect(child<QAbstractButton>(m_setup, name), &QAbstractButton::clicked, this,
                [this, option = QString::fromLatin1(name)] {
                    apply(EditorRules::optionClicked(option, m_state));
                });
    }
    connect(child<QAbstractButton>(m_setup, Control::kSendSetupButton), &QAbstractButton::clicked,
            this, [this] { m_session.run(ConfigSequences::sendSetup(m_setup->values())); });
    connect(child<QAbstractButton>(m_setup, Control::kTakePumpSettingsButton),
            &QAbstractButton::clicked, this, [this] {
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
    connect(child<QAbstractButton>(m_program, Control::kProgramPumpButton),
            &QAbstractButton::clicked, this, [this] { runProgram(ProgramButton::ProgramPump); });
    connect(child<QAbstractButton>(this, Control::kSendToKstButton), &QAbstractButton::clicked,
            this, [this] { runProgram(ProgramButton::SendToKst); });
    connect(child<QAbstractButton>(m_program, Control::kTimingTransferButton),
            &QAbstractButton::clicked, this,
            [this] { m_session.run(ConfigSequences::timingTransfer(m_program->values())); });

    // The pump clock.
    connect(child<QAbstractButton>(m_setup, Control::kSendPcTimeButton), &QAbstractButton::clicked,
            this, [this] {
                // The PC time goes into "Current PC Time" first: what is
                // sent is what the technician sees there.
                const QDateTime now = m_session.pcClock();
                apply(PumpClock::pcTimeShown(now));
                sendClock(now);
            });
    auto* chosen = child<DateTimePicker>(m_setup, Control::kTimeToSend);
    auto sendChosen = [this, chosen] {
        sendClock(QDateTime(chosen->date(), chosen->time(), Qt::UTC));
    };
    connect(child<QAbstractButton>(m_setup, Control::kSendChosenTimeButton),
            &QAbstractButton::clicked, this, sendChosen);
    connect(chosen, &DateTimePicker::committed, this, sendChosen);

    connectEditor();
}

void MainWindow::connectEditor() {
    using EditorRules::Pause;

    // Target flow: the litre label as it is typed, the range check on leaving.
    m_flowBox = child<QLineEdit>(m_program, Control::kTargetFlowBox);
    connect(m_flowBox, &QLineEdit::textChanged, this,
            [this](const QString& text) { apply(EditorRules::flowChanged(text)); });
    m_flowBox->installEventFilter(this);

    // Pauses: a start copied into its stop; the order checked on leaving the
    // stop of Break1 and Break2, and on every change of the Lunch stop; the
    // boxes enable their pickers.
    for (const Pause pause : {Pause::Break1, Pause::Lunch, Pause::Break2}) {
        const EditorRules::PauseControls names = EditorRules::controls(pause);
        auto* start = m_program->findChild<DateTimePicker*>(names.start);
        auto* stop = m_program->findChild<DateTimePicker*>(names.stop);
        auto* box = m_program->findChild<QAbstractButton*>(names.check);
        Q_ASSERT(start && stop && box);
        connect(start, &QDateTimeEdit::dateTimeChanged, this, [this, pause, start] {
            apply(EditorRules::pauseStartChanged(pause, start->timeText()));
        });
        auto orderCheck = [this, start, stop] {
            apply(EditorRules::pauseOrderCheck(start->timeText(), stop->timeText()));
        };
        if (pause == Pause::Lunch)
            connect(stop, &QDateTimeEdit::dateTimeChanged, this, orderCheck);
        else
            connect(stop, &DateTimePicker::lostFocus, this, orderCheck);
        connect(box, &QAbstractButton::clicked, this, [this, pause, box] {
            apply(EditorRules::pauseBoxClicked(pause, box->isChecked()));
        });
    }

    // Start and stop.
    auto* start = child<DateTimePicker>(m_program, Control::kRunStartBox);
    auto* stop = child<DateTimePicker>(m_program, Control::kRunStopBox);
    connect(start, &QDateTimeEdit::dateTimeChanged, this,
            [this, start] { apply(EditorRules::startChanged(start->isEnabled())); });
    connect(start, &DateTimePicker::lostFocus, this, [this, start, stop] {
        apply(EditorRules::startLeft(start->dateText(), stop->dateText()));
    });

    // Duration: the kept value follows the box, and is converted on leaving it.
    auto* duration = child<DurationBox>(m_program, Control::kDurationBox);
    connect(duration, &QLineEdit::textChanged, this,
            [this](const QString& text) { apply(EditorRules::durationChanged(text, m_state)); });
    connect(duration, &DurationBox::lostFocus, this,
            [this] { apply(EditorRules::durationLeft(m_state)); });

    // The timing choices react to the mouse going down on them, before the
    // button itself changes: the timing box is judged by how it stood.
    connect(child<QAbstractButton>(m_setup, Control::kDurationOption), &QAbstractButton::pressed,
            this, [this] { apply(EditorRules::chooseDuration(m_state)); });
    connect(child<QAbstractButton>(m_setup, Control::kStartStopOption), &QAbstractButton::pressed,
            this, [this] { apply(EditorRules::chooseStartStop(m_state)); });
    auto* timing = child<QAbstractButton>(m_setup, Control::kTimingBox);
    connect(timing, &QAbstractButton::pressed, this,
            [this, timing] { apply(EditorRules::timingBoxPressed(timing->isChecked(), m_state)); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_flowBox && leftForAnotherControl(event)) {
        const UpDownButtons* bounds = m_program->flowUpDown();
        apply(EditorRules::flowLeft(m_flowBox->text(), bounds->minimum(), bounds->maximum()));
    }
    return QMainWindow::eventFilter(watched, event);
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
