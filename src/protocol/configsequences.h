// The pump-configuration sequences as data: "Send Setup To Pump", "Program
// Pump" / "Send to KST Pump" and the timing transfer of Command1, each built
// by a pure function of the page's values and the shared flags. The same
// values always give the same steps, so every write, caption, bar value and
// pause can be checked without a window or a port; PumpSession::run plays them.
#pragma once

#include "core/appstate.h"
#include "core/controlnames.h"
#include "core/pagevalues.h"
#include "protocol/sequence.h"

#include <QStringList>
#include <optional>

class SetupReport;
class StatusReport;

namespace ConfigSequences {

// Sequence names: the captions of the buttons that start them.
inline const QString kSendSetup = QStringLiteral("Send Setup To Pump");
inline const QString kProgramPump = QStringLiteral("Program Pump");
inline const QString kSendToKst = QStringLiteral("Send to KST Pump");
inline const QString kTimingTransfer = Control::kTimingTransferButton;

inline const QString kSetupDone = QStringLiteral("Done Sending Setup to Pump");
inline const QString kProgramDone = QStringLiteral("Program Pump is completed");
// Asked before "Program Pump" / "Send to KST Pump" reach a pump in RUN mode
// (PumpSession::pumpSampling); No sends nothing.
inline const QString kProgramWhileSampling =
    QStringLiteral("The pump is sampling now. Programming it ends this sample. Program it anyway?");
// Duration mode with neither a kept duration nor a box text in hours:minutes.
inline const QString kNoDuration = QStringLiteral("Duration must be Hours:Mins");

// ---------------------------------------------------------------- send setup

// The rate "W06 " carries: below 59 the box's text unchanged; 59 or more,
// and a text that is empty or not a number, 15.
QString logRateSent(const QString& text);

// CommandButton_systime. The frame Frame21 with bar PBar2; the log-rate box
// is set to 15 when the rate is replaced; the settings are saved before the
// closing box. Clears lblReadBack, which the read-back fills afterwards.
Sequence sendSetup(const SetupValues& values);

// "Take the pump's settings": the setup page's choices as the pump's setup
// report (through the switch table) and status report (log rate) show them,
// so that "Send Setup To Pump" afterwards changes only what the user then
// changes. A setting the reports leave unreadable keeps the page's choice
// and is named in `kept`; so is a log rate of 59 or more, which the setup
// would send as 15. The timing mode is taken only when timing is on (it is
// not sent otherwise).
struct PumpSetup {
    SetupValues values;
    QStringList kept; // settings left as the page had them, as the read-back names them
    QString text;     // for the status bar
};
PumpSetup setupFromReports(const SetupReport& setup, const StatusReport& status,
                           const SetupValues& page);

// ---------------------------------------------------------------- program pump

// "mm hh DD MM YY" from a picker's date "YYYYMMDD" and time "HH:MM:SS.hh".
QString dateTimeArgument(const QString& date, const QString& time);
// "mm hh mm hh" (start, stop), or five fields of 255 when the pause's box is
// unticked or its start picker holds the empty-pause marker 12:00:00.00.
QString pauseArgument(const PauseValues& pause);
// A ticked pause beginning at 12:00 would go out as no pause: the box to
// show instead of sending ("Break1", "Lunch", "Break2" name the pause).
QString pauseAtNoon(const QString& pauseName);
// The "W19 " argument in Duration mode: the kept value (AppState::runDuration)
// when it is a decimal pump duration or hours:minutes (converted, so "08:00"
// or a pump-state line's "008:00" go out as 2048), else the box's text
// converted; nullopt when neither is a duration longer than 00:00.
std::optional<QString> durationArgument(const QString& kept, const QString& boxText);

enum class ProgramButton {
    ProgramPump, // CommandButton29: afterwards the pump is forgotten
    SendToKst,   // CommandButton13: nothing more
};

struct ProgramBuild {
    Sequence sequence;
    // Not empty: nothing is to be sent; show this in a box instead.
    QString error;
};

// "Program Pump" / "Send to KST Pump": Frame20 with bar pbar3, 13 commands,
// four pauses. Start and stop are sent in Start/Stop mode (TimingFlag "1",
// DurationModeFlag not "1"), where a stop that is not after the start (to
// the minute the pump is sent) is refused with "Stop Time must be greater
// then Start". The duration is sent in Duration mode (both flags "1"),
// refused with kNoDuration when there is none; otherwise the kept duration
// becomes "255 255" when that step runs (the Ui step's runDuration value,
// which PumpSession writes into AppState). A target flow outside the
// attached model's limits (AppState::FlowMin/FlowMax) is refused with
// EditorRules::kFlowOutOfRange, a ticked pause at 12:00 with pauseAtNoon:
// the editor's checks run on leaving a box, which a click on the button
// does not always do.
ProgramBuild programPump(const ProgramValues& values, const AppState& state,
                         ProgramButton button = ProgramButton::ProgramPump);

// True for a run started by CommandButton29: when it has completed,
// PumpSession forgets the last report and shows the no-pump state until the
// pump is found again (PumpSession::forgetPump).
bool forgetsPumpAfterwards(const Sequence& sequence);
// True for both program sequences: they end with "POWER_OFF ", and the
// program is read back once the pump answers again (ReadBack::expectProgram).
bool switchesPumpOff(const Sequence& sequence);

// Command1: W17, W18 from the pickers and W23, W24, W25, whatever the timing
// flags say; polling held, no progress display, no pause.
Sequence timingTransfer(const ProgramValues& values);

} // namespace ConfigSequences
