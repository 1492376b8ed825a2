// The run-program editor and the setup page's option clicks as rules: each
// reaction is a function of the values the widgets hold (and the shared
// state it writes), returning what the window must change. The window calls
// them from the widgets' own notifications; nothing here writes to the pump.
#pragma once

#include "core/appstate.h"
#include "core/uichanges.h"

#include <QString>
#include <optional>

namespace EditorRules {

inline const QString kFlowOutOfRange = QStringLiteral("Flow Rate is Out of Range");
inline const QString kStopBeforeStart = QStringLiteral("Stop Time must be greater then Start");
// What the Duration choice puts into txt_duration.
inline const QString kDefaultDuration = QStringLiteral("08:00");
// A pause picker holding exactly this is an empty pause.
inline const QString kEmptyPause = QStringLiteral("12:00:00.00");

// ---------------------------------------------------------------- flow

// Label_targetL for the text of Txt_target_flow: flow / 1000 as "##0.00"
// + " L/min". A text that is not a number changes nothing: the label keeps
// its last value until the range check puts a number into the box.
UiChanges flowChanged(const QString& text);
// Txt_target_flow loses focus. Empty or not a number: the message, then
// min; below min: the message, then min; above max: the message, then max.
// A limit itself is accepted. Each step looks at the text as it then stands.
UiChanges flowLeft(const QString& text, int min, int max);

// ---------------------------------------------------------------- pauses

enum class Pause { Break1, Lunch, Break2 };
struct PauseControls {
    QString check; // Check1 / Check2 / Check3
    QString start;
    QString stop;
};
PauseControls controls(Pause pause);

// A pause start picker changed: its stop picker takes the same time, so a
// fresh pause starts with equal times and raises no message.
UiChanges pauseStartChanged(Pause pause, const QString& startTime);
// Order check (stop picker of Break1/Break2 left, Lunch stop changed): the
// message when the start is later than the stop. Times "HH:MM:SS.hh"
// compare as text; equal times are accepted; nothing is reset.
UiChanges pauseOrderCheck(const QString& startTime, const QString& stopTime);
// Check1..Check3 clicked: both pickers of that pause follow the box. Their
// times are kept.
UiChanges pauseBoxClicked(Pause pause, bool ticked);

// ---------------------------------------------------------------- start and stop

// INP_STRT_Dttm changed: Check1..Check3 take over its enabled state.
UiChanges startChanged(bool startEnabled);
// INP_STRT_Dttm left: a stop date ("YYYYMMDD") before the start date is
// moved to the start date; a later stop date is the user's and stays.
UiChanges startLeft(const QString& startDate, const QString& stopDate);

// ---------------------------------------------------------------- duration

// "hh:mm" (one to three digits of hours below 255, minutes 00 to 59) as the
// pump's duration number, hours x 256 + minutes, in decimal text. Anything
// else, the pump's own "255:55" included, is not a duration.
std::optional<QString> pumpDuration(const QString& hoursMinutes);
// txt_duration changed: the kept duration value (AppState::runDuration)
// takes the box's text.
UiChanges durationChanged(const QString& text, AppState& state);
// txt_duration left: the kept value converted; a malformed one stays as it is.
UiChanges durationLeft(AppState& state);

// ---------------------------------------------------------------- timing choices

// Opduration pressed: Duration mode.
UiChanges chooseDuration(AppState& state);
// Opstart pressed: Start/Stop mode.
UiChanges chooseStartStop(AppState& state);
// check_trflag pressed; wasTicked: it is being switched off. TimingFlag is
// cleared either way until the next setup report brings the pump's own.
UiChanges timingBoxPressed(bool wasTicked, AppState& state);

// Option8 to Option15 clicked: the shared flag the option stands for, in
// the setup report's coding ("1" on/activated/metric, "0" otherwise).
// Any other name changes nothing.
UiChanges optionClicked(const QString& objectName, AppState& state);

} // namespace EditorRules
