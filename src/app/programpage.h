// The "Program Pump" page: the run program (target flow with its arrows,
// start and stop, three pauses, duration), the progress frame of "Program
// Pump" and the PC's time.
#pragma once

#include "core/pagevalues.h"
#include "editors/editorrules.h"

#include <QWidget>
#include <memory>

namespace Ui {
class ProgramPage;
}
struct StoredSettings;
class QDateTime;
class QAbstractButton;
class QGroupBox;
class UpDownButtons;

class ProgramPage : public QWidget {
    Q_OBJECT
public:
    explicit ProgramPage(QWidget* parent = nullptr);
    ~ProgramPage() override;

    // What the fields hold now, texts as shown.
    ProgramValues values() const;
    // Sets the target flow from the settings file.
    void applyStored(const StoredSettings& stored);
    // The start and stop pickers show the PC's date and time, and the six
    // pause pickers the empty-pause time 12:00:00.00.
    void showStartValues(const QDateTime& now);

    // UpDown1: its bounds are the attached model's flow limits.
    UpDownButtons* flowUpDown() const;
    // Frame20 with pbar3: the progress of "Program Pump".
    QGroupBox* progressFrame() const;
    QAbstractButton* programPumpButton() const; // CommandButton29

signals:
    void programPumpRequested();       // CommandButton29 "Program Pump"
    void timingTransferRequested();    // Command1
    void clearSamplingDataRequested(); // CommandButton4 "Clear Sampling Data in Pump"
    // Txt_target_flow: each change of its text, and focus moving to another
    // control of the window (a box opening over it is not leaving it).
    void flowTextChanged(const QString& text);
    void flowLeft(const QString& text);
    // A pause's start picker changed; its stop picker to be checked against
    // its start (the stop of Break1 and Break2 left, the Lunch stop changed);
    // its box clicked.
    void pauseStartChanged(EditorRules::Pause pause, const QString& startTime);
    void pauseOrderToCheck(const QString& startTime, const QString& stopTime);
    void pauseBoxClicked(EditorRules::Pause pause, bool ticked);
    // INP_STRT_Dttm changed (with whether it is enabled), and left (with the
    // start and stop dates).
    void startChanged(bool startEnabled);
    void startLeft(const QString& startDate, const QString& stopDate);
    // txt_duration: each change of its text, and leaving it.
    void durationTextChanged(const QString& text);
    void durationLeft();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::ProgramPage> m_ui;
};
