#include "status/pumpreports.h"

#include "status/numberformat.h"

#include <cmath>

namespace {

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
