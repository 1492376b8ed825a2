#include "status/pumpreports.h"

#include "status/numberformat.h"

#include <cmath>

namespace {

// The status report ("R99"): at least 231 characters.
// clang-format off
constexpr std::array<ReportField, int(StatusField::Count)> kStatusLayout = {{
    {"board_hours", 5, 4},          {"board_minutes", 10, 2},
    {"motor_hours", 13, 4},         {"motor_minutes", 18, 2},
    {"barometric_inhg", 21, 5},     {"differential_inh2o", 27, 5},
    {"target_flow_ccmin", 34, 6},   {"flow_ccmin", 40, 6},
    {"stp_flow_ccmin", 47, 6},      {"volume_l", 54, 8},
    {"stp_volume_l", 63, 8},        {"model_code", 72, 2},
    {"clock_minute", 75, 2},        {"clock_hour", 78, 2},
    {"clock_day", 81, 2},           {"clock_month", 84, 2},
    {"clock_year", 87, 2},          {"sample_hours", 90, 3},
    {"sample_minutes", 94, 2},      {"battery_pct", 97, 3},
    {"temperature_f", 101, 3},      {"log_rate_min", 105, 2},
    {"firmware", 108, 4},           {"log_count", 113, 3},
    {"serial", 117, 8},             {"battery_left_hours", 126, 2},
    {"battery_left_minutes", 129, 2}, {"avg_temperature_f", 132, 3},
    {"log_used_pct", 136, 3},       {"calibration_minute", 140, 2},
    {"calibration_hour", 143, 2},   {"calibration_day", 146, 2},
    {"calibration_month", 149, 2},  {"calibration_year", 152, 2},
    {"calibration_flow_ccmin", 155, 6}, {"run_start_minute", 162, 2},
    {"run_start_hour", 165, 2},     {"run_start_day", 168, 2},
    {"run_start_month", 171, 2},    {"run_start_year", 174, 2},
    {"run_stop_minute", 177, 2},    {"run_stop_hour", 180, 2},
    {"run_stop_day", 183, 2},       {"run_stop_month", 186, 2},
    {"run_stop_year", 189, 2},      {"break1_start_minute", 192, 2},
    {"break1_start_hour", 195, 2},  {"break1_stop_minute", 198, 2},
    {"break1_stop_hour", 201, 2},   {"break2_start_minute", 204, 2},
    {"break2_start_hour", 207, 2},  {"break2_stop_minute", 210, 2},
    {"break2_stop_hour", 213, 2},   {"lunch_start_minute", 216, 2},
    {"lunch_start_hour", 219, 2},   {"lunch_stop_minute", 222, 2},
    {"lunch_stop_hour", 225, 2},    {"run_state", 228, 4},
}};
// clang-format on

// The setup report ("Z99").
constexpr std::array<ReportField, int(SetupField::Count)> kSetupLayout = {{
    {"timing", 5, 1},
    {"units", 7, 1},
    {"flow_fault", 11, 1},
    {"program_lock", 17, 1},
    {"password", 21, 1},
    {"timing_mode", 23, 1},
    {"start_screens", 25, 1},
    {"flow_control", 29, 1},
}};

// The pump-state line ("P01").
// clang-format off
constexpr std::array<ReportField, int(PumpStateField::Count)> kPumpStateLayout = {{
    {"password", 7, 1},           {"flow_fault", 9, 1},
    {"target_flow_ccmin", 33, 6}, {"run_start_minute", 40, 2},
    {"run_start_hour", 43, 2},    {"run_start_day", 46, 2},
    {"run_start_month", 49, 2},   {"run_start_year", 52, 2},
    {"run_stop_minute", 55, 2},   {"run_stop_hour", 58, 2},
    {"run_stop_day", 61, 2},      {"run_stop_month", 64, 2},
    {"run_stop_year", 67, 2},     {"duration_hours", 70, 3},
    {"duration_minutes", 74, 2},  {"start_screens", 79, 1},
    {"flow_control", 81, 1},
}};
// clang-format on

// In the order "Send Setup To Pump" writes them.
// clang-format off
constexpr std::array<SetupSwitch, int(Switch::Count)> kSetupSwitches = {{
    {"Flow mode", {"G13", nullptr}, {"Y13", nullptr}, "S.T.P.", "Volumetric",
     SetupField::FlowControl, '0', false},
    {"Password", {"G09", nullptr}, {"Y09", nullptr}, "On", "Off", SetupField::Password, '1', true},
    {"Flow fault", {"G04", nullptr}, {"Y04", nullptr}, "Activated", "Deactivated",
     SetupField::FlowFault, '1', true},
    {"Start-up screens", {"G11", nullptr}, {"Y11", nullptr}, "On", "Off",
     SetupField::StartScreens, '1', true},
    {"Timing", {"G01", nullptr}, {"Y01", nullptr}, "Activated", "Deactivated",
     SetupField::Timing, '1', true},
    {"Timing mode", {"G10", nullptr}, {"Y10", nullptr}, "Duration", "Start/Stop",
     SetupField::TimingMode, '1', true},
    {"Units", {"G03", "G02"}, {"Y02", "Y03"}, "English", "Metric", SetupField::Units, '0', true},
}};
// clang-format on

// Fields follow one another without overlapping: a typing slip in a table
// that makes two fields share characters does not build.
template <std::size_t N> constexpr bool inOrder(const std::array<ReportField, N>& layout) {
    for (std::size_t i = 1; i < N; ++i)
        if (layout[i].position < layout[i - 1].position + layout[i - 1].width)
            return false;
    return layout[0].position > 3; // after the reply code
}
static_assert(inOrder(kStatusLayout));
static_assert(inOrder(kSetupLayout));
static_assert(inOrder(kPumpStateLayout));

QString cut(const QString& line, const ReportField& f) {
    return line.mid(f.position - 1, f.width);
}

std::optional<int> flagDigit(const QString& flag) {
    if (flag.size() != 1 || flag[0] < QLatin1Char('0') || flag[0] > QLatin1Char('9'))
        return std::nullopt;
    return flag[0].digitValue();
}

// A two-character clock field as a number, blanks around allowed.
std::optional<int> twoDigits(const QString& field) {
    const QString t = field.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    for (const QChar ch : t)
        if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
            return std::nullopt;
    return t.toInt();
}

// A time group starts at its minute field; the hour, day, month and year
// fields follow it in the table.
QString groupTime(const QString& line, const ReportField* minute) {
    return NumberFormat::pumpTime(cut(line, minute[1]), cut(line, minute[0]));
}
std::optional<QString> groupDate(const QString& line, const ReportField* minute) {
    return NumberFormat::pumpDate(cut(line, minute[2]), cut(line, minute[3]), cut(line, minute[4]));
}

bool hasDate(StatusTime group) {
    return group == StatusTime::Clock || group == StatusTime::Calibration ||
           group == StatusTime::RunStart || group == StatusTime::RunStop;
}

} // namespace

const ReportField& reportField(StatusField field) {
    return kStatusLayout[std::size_t(field)];
}
const ReportField& reportField(SetupField field) {
    return kSetupLayout[std::size_t(field)];
}
const ReportField& reportField(PumpStateField field) {
    return kPumpStateLayout[std::size_t(field)];
}
const SetupSwitch& setupSwitch(Switch s) {
    return kSetupSwitches[std::size_t(s)];
}

std::optional<bool> switchShows(Switch s, const QString& flag) {
    const auto d = flagDigit(flag);
    if (!d)
        return std::nullopt;
    const SetupSwitch& sw = setupSwitch(s);
    return (*d == sw.digit - '0') == sw.digitIsOn;
}

// ---------------------------------------------------------------- status report

QString StatusReport::text(StatusField field) const {
    return cut(m_line, kStatusLayout[std::size_t(field)]);
}

std::optional<double> StatusReport::number(StatusField field) const {
    return NumberFormat::parseNumber(text(field));
}

QString StatusReport::timeText(StatusTime group) const {
    return groupTime(m_line, &kStatusLayout[std::size_t(group)]);
}

std::optional<QString> StatusReport::dateText(StatusTime group) const {
    if (!hasDate(group))
        return std::nullopt;
    return groupDate(m_line, &kStatusLayout[std::size_t(group)]);
}

std::optional<QDateTime> StatusReport::dateTime(StatusTime group) const {
    if (!hasDate(group))
        return std::nullopt;
    int v[5];
    for (int i = 0; i < 5; ++i) {
        const auto n = twoDigits(cut(m_line, kStatusLayout[std::size_t(int(group) + i)]));
        if (!n)
            return std::nullopt;
        v[i] = *n;
    }
    const QDate d(2000 + v[4], v[3], v[2]);
    const QTime t(v[1], v[0]);
    if (!d.isValid() || !t.isValid())
        return std::nullopt;
    return QDateTime(d, t, Qt::UTC);
}

std::optional<int> StatusReport::logCount() const {
    const auto n = number(StatusField::LogCount);
    if (!n)
        return std::nullopt;
    return static_cast<int>(std::round(*n)); // three characters: no overflow
}

std::optional<int> StatusReport::runState() const {
    const auto code = number(StatusField::RunState);
    if (!code)
        return std::nullopt;
    const double n = std::nearbyint(*code);
    if (n < -32768 || n > 32767)
        return std::nullopt;
    return static_cast<int>(n);
}

// ---------------------------------------------------------------- setup report

QString SetupReport::text(SetupField field) const {
    return cut(m_line, kSetupLayout[std::size_t(field)]);
}

std::optional<int> SetupReport::digit(SetupField field) const {
    return flagDigit(text(field));
}

std::optional<bool> SetupReport::isOn(Switch s) const {
    return switchShows(s, text(setupSwitch(s).field));
}

// ---------------------------------------------------------------- pump state

QString PumpStateReport::text(PumpStateField field) const {
    return cut(m_line, kPumpStateLayout[std::size_t(field)]);
}

std::optional<int> PumpStateReport::digit(PumpStateField field) const {
    return flagDigit(text(field));
}

QString PumpStateReport::timeText(PumpStateTime group) const {
    return groupTime(m_line, &kPumpStateLayout[std::size_t(group)]);
}

std::optional<QString> PumpStateReport::dateText(PumpStateTime group) const {
    return groupDate(m_line, &kPumpStateLayout[std::size_t(group)]);
}

QString PumpStateReport::durationText() const {
    return text(PumpStateField::DurationHours) + QLatin1Char(':') +
           text(PumpStateField::DurationMinutes);
}
