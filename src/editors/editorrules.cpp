#include "editors/editorrules.h"

#include "core/controlnames.h"
#include "status/numberformat.h"

#include <cmath>

namespace EditorRules {

namespace {

const QString kFlowBox = Control::kTargetFlowBox;
const QString kLitreLabel = Control::kTargetLitres;
const QString kStartPicker = Control::kRunStartBox;
const QString kStopPicker = Control::kRunStopBox;
const QString kDurationBox = Control::kDurationBox;
const QString kStartStopOption = Control::kStartStopOption;
const QString kDurationOption = Control::kDurationOption;

constexpr Pause kPauses[] = {Pause::Break1, Pause::Lunch, Pause::Break2};

void setValue(UiChanges& c, const char* name, QString& target, const QString& value) {
    target = value;
    c.values.insert(QLatin1String(name), value);
}

void enablePausePickers(UiChanges& c, bool on) {
    for (const Pause p : kPauses) {
        const PauseControls pc = controls(p);
        c.enabled.insert(pc.start, on);
        c.enabled.insert(pc.stop, on);
    }
}

// Whole digits only, one to `maxDigits` of them.
std::optional<int> digits(const QString& text, int maxDigits) {
    if (text.isEmpty() || text.size() > maxDigits)
        return std::nullopt;
    for (const QChar ch : text)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
    return text.toInt();
}

} // namespace

UiChanges flowChanged(const QString& text) {
    UiChanges c;
    const auto v = NumberFormat::parseNumber(text);
    if (!v)
        return c;
    // flow / 1000 to two decimals is flow / 10 in hundredths; halves away
    // from zero, as the status display's L/min flows.
    const double hundredths = std::round(*v / 10.0);
    c.text.insert(kLitreLabel,
                  QString::number(hundredths / 100.0 + 0.0, 'f', 2) + QLatin1String(" L/min"));
    return c;
}

UiChanges flowLeft(const QString& text, int min, int max) {
    UiChanges c;
    QString t = text;
    auto correct = [&](int limit) {
        c.messages << kFlowOutOfRange;
        t = QString::number(limit);
    };
    // A text that is not a number is an empty box to this check.
    if (!NumberFormat::parseNumber(t))
        correct(min);
    if (*NumberFormat::parseNumber(t) < min)
        correct(min);
    if (*NumberFormat::parseNumber(t) > max)
        correct(max);
    if (t != text) {
        c.text.insert(kFlowBox, t);
        c.merge(flowChanged(t));
    }
    return c;
}

PauseControls controls(Pause pause) {
    switch (pause) {
    case Pause::Break1:
        return {Control::kBreak1Box, Control::kBreak1StartBox, Control::kBreak1StopBox};
    case Pause::Lunch:
        return {Control::kLunchBox, Control::kLunchStartBox, Control::kLunchStopBox};
    case Pause::Break2:
        break;
    }
    return {Control::kBreak2Box, Control::kBreak2StartBox, Control::kBreak2StopBox};
}

UiChanges pauseStartChanged(Pause pause, const QString& startTime) {
    UiChanges c;
    c.time.insert(controls(pause).stop, startTime);
    return c;
}

UiChanges pauseOrderCheck(const QString& startTime, const QString& stopTime) {
    UiChanges c;
    if (startTime > stopTime)
        c.messages << kStopBeforeStart;
    return c;
}

UiChanges pauseBoxClicked(Pause pause, bool ticked) {
    UiChanges c;
    const PauseControls pc = controls(pause);
    c.enabled.insert(pc.start, ticked);
    c.enabled.insert(pc.stop, ticked);
    return c;
}

UiChanges startChanged(bool startEnabled) {
    UiChanges c;
    for (const Pause p : kPauses)
        c.enabled.insert(controls(p).check, startEnabled);
    return c;
}

UiChanges startLeft(const QString& startDate, const QString& stopDate) {
    UiChanges c;
    // Eight-digit year-month-day texts compare as dates.
    if (stopDate < startDate)
        c.date.insert(kStopPicker, startDate);
    return c;
}

std::optional<QString> pumpDuration(const QString& hoursMinutes) {
    const int colon = hoursMinutes.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    const auto hours = digits(hoursMinutes.left(colon), 3);
    const QString minuteText = hoursMinutes.mid(colon + 1);
    const auto minutes = minuteText.size() == 2 ? digits(minuteText, 2) : std::nullopt;
    // 255 hours is how the pump says "no duration" ("255:55").
    if (!hours || !minutes || *hours >= 255 || *minutes > 59)
        return std::nullopt;
    return QString::number(*hours * 256 + *minutes);
}

UiChanges durationChanged(const QString& text, AppState& state) {
    UiChanges c;
    setValue(c, "runDuration", state.runDuration, text);
    return c;
}

UiChanges durationLeft(AppState& state) {
    UiChanges c;
    if (const auto converted = pumpDuration(state.runDuration))
        setValue(c, "runDuration", state.runDuration, *converted);
    return c;
}

UiChanges chooseDuration(AppState& state) {
    UiChanges c;
    setValue(c, "DurationModeFlag", state.DurationModeFlag, QStringLiteral("1"));
    c.enabled.insert(kStartPicker, false);
    c.enabled.insert(kStopPicker, false);
    enablePausePickers(c, false);
    c.enabled.insert(kDurationBox, true);
    c.text.insert(kDurationBox, kDefaultDuration);
    // The box's change reaction, whether or not the window's text change
    // reaches it: the kept value follows the box.
    c.merge(durationChanged(kDefaultDuration, state));
    return c;
}

UiChanges chooseStartStop(AppState& state) {
    UiChanges c;
    setValue(c, "DurationModeFlag", state.DurationModeFlag, QStringLiteral("0"));
    c.text.insert(kDurationBox, QString());
    c.merge(durationChanged(QString(), state));
    c.enabled.insert(kDurationBox, false);
    c.enabled.insert(kStartPicker, true);
    c.enabled.insert(kStopPicker, true);
    enablePausePickers(c, true);
    for (const Pause p : kPauses)
        c.enabled.insert(controls(p).check, true);
    return c;
}

UiChanges timingBoxPressed(bool wasTicked, AppState& state) {
    UiChanges c;
    if (wasTicked) {
        for (const QString& option : {kStartStopOption, kDurationOption}) {
            c.enabled.insert(option, false);
            c.checked.insert(option, false);
        }
        c.enabled.insert(kDurationBox, false);
    } else {
        c.enabled.insert(kStartStopOption, true);
        c.enabled.insert(kDurationOption, true);
        // Until a mode is chosen.
        c.enabled.insert(kStartPicker, false);
        c.enabled.insert(kStopPicker, false);
        c.enabled.insert(kDurationBox, false);
    }
    setValue(c, "TimingFlag", state.TimingFlag, QStringLiteral("0"));
    return c;
}

UiChanges optionClicked(const QString& objectName, AppState& state) {
    UiChanges c;
    const auto flag = [&](const char* name, QString& target, bool on) {
        setValue(c, name, target, on ? QStringLiteral("1") : QStringLiteral("0"));
    };
    const int n = objectName.startsWith(QLatin1String("Option")) ? objectName.mid(6).toInt() : 0;
    switch (n) {
    case 8:
    case 9:
        flag("PasswordFlag", state.PasswordFlag, n == 8);
        break;
    case 10:
    case 11:
        flag("FlowFaultFlag", state.FlowFaultFlag, n == 11);
        break;
    case 12:
    case 13:
        flag("StartScreensFlag", state.StartScreensFlag, n == 12);
        break;
    case 14:
    case 15:
        state.UnitsFlag = n == 14 ? 1 : 0;
        c.values.insert(QStringLiteral("UnitsFlag"), QString::number(state.UnitsFlag));
        break;
    default:
        break;
    }
    return c;
}

} // namespace EditorRules
