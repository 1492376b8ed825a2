// The "Setup Pump" page: the pump's options (flow control, password, flow
// fault, start-up screens, timing routines and mode, units, log rate) with
// the pump's current setting of each in blue, the pump-clock fields and the
// progress frame of "Send Setup To Pump".
#pragma once

#include "core/pagevalues.h"

#include <QWidget>
#include <memory>

namespace Ui {
class SetupPage;
}
struct StoredSettings;
class QDateTime;
class QAbstractButton;
class QGroupBox;

class SetupPage : public QWidget {
    Q_OBJECT
public:
    explicit SetupPage(QWidget* parent = nullptr);
    ~SetupPage() override;

    // What the options and the log-rate box hold now.
    SetupValues values() const;
    // Sets the options and the log rate from the settings file. Each setting
    // fires the controls' ordinary change reactions.
    void applyStored(const StoredSettings& stored);
    // Sets the options and the log rate to these values ("Take the pump's
    // settings"), firing the controls' change reactions as a click would.
    void setValues(const SetupValues& values);
    // The clock editor fpDateTime2_0 shows the PC's date and time.
    void showPcTime(const QDateTime& now);

    // Frame21 with PBar2: the progress of "Send Setup To Pump".
    QGroupBox* progressFrame() const;
    QAbstractButton* sendSetupButton() const; // CommandButton_systime

signals:
    // Option8 to Option15 clicked; `option` is the button's objectName,
    // which the editor rule is keyed by.
    void optionClicked(const QString& option);
    void sendSetupRequested();                    // CommandButton_systime "Send Setup To Pump"
    void takePumpSettingsRequested();             // cmdTakePumpSettings
    void sendPcTimeRequested();                   // CommandButton1 "Send PC Time  to Pump"
    void sendClockRequested(const QDateTime& at); // fpDateTime2_0 by CommandButton3 or committed
    // The timing choices, as the mouse goes down on them, before the button
    // itself changes: the timing box is judged by how it stood.
    void durationPressed();                // Opduration
    void startStopPressed();               // Opstart
    void timingBoxPressed(bool wasTicked); // check_trflag

private:
    std::unique_ptr<Ui::SetupPage> m_ui;
};
